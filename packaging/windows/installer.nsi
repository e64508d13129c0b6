; The installer of Miravel for 64-bit Windows, made by makensis from the
; folder the zip holds (cmake/windows_packages.cmake gives the defines):
;   VERSION   the program's version, "1.00"
;   NUMBERS   the same as the four numbers of a version record, "1.0.0.0"
;   STAGE     the folder to install, Miravel.exe with what it loads
;   FILES     install_files.nsh: SetOutPath and File for every file of STAGE
;   REMOVE    uninstall_files.nsh: Delete and RMDir for the same, deepest first
;   ICON      the program file's icon
;   OUTFILE   the installer to write
;
; For the current user by default, with no administrator rights asked for:
; %LOCALAPPDATA%\Programs\Miravel and HKCU. Run as administrator with
; /AllUsers: %ProgramFiles%\Miravel and HKLM. /S installs silently, /D=
; chooses the folder. The uninstaller removes what the installer wrote and
; nothing else.

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestDPIAware true

!include "FileFunc.nsh"
!include "LogicLib.nsh"
!include "MUI2.nsh"
!include "WinMessages.nsh"

!define PRODUCT "Miravel"
!define PUBLISHER "The Miravel developers"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Miravel"
; The window the program opens, by which a running Miravel is found.
!define WINDOW_TITLE "Form1"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
Icon "${ICON}"
UninstallIcon "${ICON}"
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"

; The installer's own file carries a version record too.
VIProductVersion "${NUMBERS}"
VIFileVersion "${NUMBERS}"
VIAddVersionKey /LANG=1041 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1041 "InternalName" "${PRODUCT}"
VIAddVersionKey /LANG=1041 "FileDescription" "${PRODUCT} ${VERSION} Setup"
VIAddVersionKey /LANG=1041 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1041 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1041 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1041 "LegalCopyright" "2026 ${PUBLISHER}, MIT licence"
VIAddVersionKey /LANG=1041 "OriginalFilename" "Miravel-${VERSION}-setup.exe"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_FINISHPAGE_RUN "$INSTDIR\Miravel.exe"
!insertmacro MUI_PAGE_LICENSE "${STAGE}/LICENSE.txt"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "Japanese"

Var AllUsers

; For all users only when asked to and allowed to: the shortcuts, the
; folder and the registry key follow.
!macro ChooseUsers un
Function ${un}ChooseUsers
    StrCpy $AllUsers 0
    ${GetParameters} $0
    ClearErrors
    ${GetOptions} $0 "/AllUsers" $1
    ${IfNot} ${Errors}
        UserInfo::GetAccountType
        Pop $1
        ${If} $1 != "Admin"
            MessageBox MB_ICONSTOP "Installing for all users needs an administrator: run the installer as one." /SD IDOK
            SetErrorLevel 740
            Quit
        ${EndIf}
        StrCpy $AllUsers 1
    ${EndIf}
    ${If} $AllUsers = 1
        SetShellVarContext all
    ${Else}
        SetShellVarContext current
    ${EndIf}
FunctionEnd
!macroend
!insertmacro ChooseUsers ""
!insertmacro ChooseUsers "un."

; A running Miravel is asked to close, as its window's close box would;
; one that stays is named, and the installer stops.
!macro CloseRunning un
Function ${un}CloseRunning
    FindWindow $0 "" "${WINDOW_TITLE}"
    ${If} $0 = 0
        Return
    ${EndIf}
    SendMessage $0 ${WM_CLOSE} 0 0 /TIMEOUT=2000
    ${For} $1 1 50
        Sleep 100
        FindWindow $0 "" "${WINDOW_TITLE}"
        ${IfThen} $0 = 0 ${|} ${Break} ${|}
    ${Next}
    ${If} $0 <> 0
        MessageBox MB_ICONSTOP "Miravel is running. Close it, then run this again." /SD IDOK
        SetErrorLevel 5
        Quit
    ${EndIf}
FunctionEnd
!macroend
!insertmacro CloseRunning ""
!insertmacro CloseRunning "un."

Function .onInit
    Call ChooseUsers
    ; /D= chose the folder already; otherwise the mode's own.
    ${If} $INSTDIR == "$LOCALAPPDATA\Programs\${PRODUCT}"
    ${AndIf} $AllUsers = 1
        StrCpy $INSTDIR "$PROGRAMFILES64\${PRODUCT}"
    ${EndIf}
    Call CloseRunning
FunctionEnd

Section "Miravel"
    !include "${FILES}"
    SetOutPath "$INSTDIR"
    WriteUninstaller "$INSTDIR\uninstall.exe"

    CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\Miravel.exe" "" "$INSTDIR\Miravel.exe" 0

    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    ; The uninstaller is told the mode through its own command line.
    ${If} $AllUsers = 1
        StrCpy $3 " /AllUsers"
    ${Else}
        StrCpy $3 ""
    ${EndIf}
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Miravel.exe,0"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"$3'
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S$3'
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "EstimatedSize" $0
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Function un.onInit
    Call un.ChooseUsers
    Call un.CloseRunning
FunctionEnd

Section "Uninstall"
    Delete "$SMPROGRAMS\${PRODUCT}.lnk"
    DeleteRegKey SHCTX "${UNINSTALL_KEY}"
    !include "${REMOVE}"
    Delete "$INSTDIR\uninstall.exe"
    ; Only if nothing of the user's is left in it; so too the folder of a
    ; user's programs, which the installer may have made.
    RMDir "$INSTDIR"
    ${If} $AllUsers = 0
        RMDir "$LOCALAPPDATA\Programs"
    ${EndIf}
SectionEnd
