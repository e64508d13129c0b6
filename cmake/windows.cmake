# The program for Windows: Miravel.exe with its version record and icon, in
# a build folder that runs as it is, and what a Windows user downloads.
# Included from cmake/packaging.cmake when the target is Windows.
#
# Defines:
#   miravel_windows_runtime   puts beside Miravel.exe the DLLs and plugins it
#                             loads (and the offscreen platform, for the tests)
#   MIRAVEL_WINDOWS_ICON      the program file's icon: 32 x 32 in 16 colours as
#                             the window holds it, and 48, 64 and 256 of whole
#                             pixel blocks for Explorer's larger views

find_program(MIRAVEL_ICOTOOL icotool REQUIRED)
get_filename_component(_miravel_qt_prefix "${Qt6_DIR}/../../.." ABSOLUTE)

set_target_properties(miravel PROPERTIES OUTPUT_NAME Miravel WIN32_EXECUTABLE ON)

set(MIRAVEL_WINDOWS_ICON "${PROJECT_BINARY_DIR}/Miravel.ico")
set(_miravel_icon_images "${MIRAVEL_DESKTOP_ICON}"
    "${MIRAVEL_ICONS_DIR}/48x48/apps/miravel.png" "${MIRAVEL_ICONS_DIR}/64x64/apps/miravel.png")
set(_miravel_icon_largest "${MIRAVEL_ICONS_DIR}/256x256/apps/miravel.png")
add_custom_command(OUTPUT "${MIRAVEL_WINDOWS_ICON}"
    COMMAND "${MIRAVEL_ICOTOOL}" --create --bit-depth=4 --output=${MIRAVEL_WINDOWS_ICON}
        ${_miravel_icon_images} --raw=${_miravel_icon_largest}
    DEPENDS ${_miravel_icon_images} "${_miravel_icon_largest}"
    COMMENT "Making the program file's icon"
    VERBATIM)
add_custom_target(miravel_windows_icon DEPENDS "${MIRAVEL_WINDOWS_ICON}")
add_dependencies(miravel miravel_windows_icon)

# The version record and the icon. The resource names the icon by file name
# only; it lives in the build.
target_sources(miravel PRIVATE "${_miravel_rc}")
set_property(SOURCE "${_miravel_rc}" APPEND PROPERTY INCLUDE_DIRECTORIES "${PROJECT_BINARY_DIR}")
set_property(SOURCE "${_miravel_rc}" APPEND PROPERTY OBJECT_DEPENDS "${MIRAVEL_WINDOWS_ICON}")

# MinGW's runtime DLLs sit beside the compiler's own files.
set(_miravel_mingw_folders)
foreach(_dll IN ITEMS libstdc++-6.dll libwinpthread-1.dll)
    execute_process(COMMAND "${CMAKE_CXX_COMPILER}" -print-file-name=${_dll}
        OUTPUT_VARIABLE _path OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
    get_filename_component(_folder "${_path}" DIRECTORY)
    list(APPEND _miravel_mingw_folders "${_folder}")
endforeach()
list(REMOVE_DUPLICATES _miravel_mingw_folders)

# What the program loads on a desktop; the tests load the offscreen platform.
set(MIRAVEL_WINDOWS_PLUGINS platforms/qwindows.dll styles/qwindowsvistastyle.dll)
add_custom_command(TARGET miravel POST_BUILD
    COMMAND "${CMAKE_COMMAND}" "-DPROGRAM=$<TARGET_FILE:miravel>" "-DDESTINATION=$<TARGET_FILE_DIR:miravel>"
        "-DPLUGINS=${MIRAVEL_WINDOWS_PLUGINS};platforms/qoffscreen.dll"
        "-DQT_PREFIX=${_miravel_qt_prefix}" "-DSEARCH=${_miravel_mingw_folders}" "-DOBJDUMP=${CMAKE_OBJDUMP}"
        -P "${CMAKE_CURRENT_LIST_DIR}/windows_runtime.cmake"
    COMMENT "Putting the DLLs and plugins Miravel.exe loads beside it"
    VERBATIM)

# --- What a Windows user downloads (make windows: windows_packages) ---
# One folder, Miravel-<version>/: the program, what it loads on a desktop
# (no offscreen platform), stripped, and the notices its licences ask for.
install(TARGETS miravel RUNTIME DESTINATION .)
# The installed program's imports are looked for beside it first, where
# nothing else is yet.
install(CODE "execute_process(COMMAND \"${CMAKE_COMMAND}\"
        \"-DPROGRAM=\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/$<TARGET_FILE_NAME:miravel>\"
        \"-DDESTINATION=\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}\"
        \"-DPLUGINS=${MIRAVEL_WINDOWS_PLUGINS}\" \"-DSTRIP=${CMAKE_STRIP}\"
        \"-DQT_PREFIX=${_miravel_qt_prefix}\" \"-DSEARCH=${_miravel_mingw_folders}\" \"-DOBJDUMP=${CMAKE_OBJDUMP}\"
        -P \"${CMAKE_CURRENT_LIST_DIR}/windows_runtime.cmake\"
    COMMAND_ERROR_IS_FATAL ANY)")

# The Qt that the DLLs are, from the source package the Linux build's Qt is.
execute_process(COMMAND dpkg-query -W -f=\${source:Version} qt6-base-dev
    OUTPUT_VARIABLE MIRAVEL_QT_SOURCE_VERSION COMMAND_ERROR_IS_FATAL ANY)
configure_file("${PROJECT_SOURCE_DIR}/packaging/windows/notices.txt.in" "${PROJECT_BINARY_DIR}/notices.txt" @ONLY)
install(FILES "${PROJECT_SOURCE_DIR}/LICENSE" DESTINATION . RENAME LICENSE.txt)
install(FILES "${PROJECT_BINARY_DIR}/notices.txt" DESTINATION .)
install(FILES /usr/share/common-licenses/LGPL-3 DESTINATION LICENSES RENAME LGPL-3.0.txt)
install(FILES /usr/share/common-licenses/GPL-3 DESTINATION LICENSES RENAME GPL-3.0.txt)
install(FILES /usr/share/doc/gcc-mingw-w64-base/copyright DESTINATION LICENSES RENAME gcc-runtime.txt)
install(FILES /usr/share/doc/mingw-w64-common/copyright DESTINATION LICENSES RENAME mingw-w64.txt)

find_program(MIRAVEL_MAKENSIS makensis REQUIRED)
set(MIRAVEL_WINDOWS_ZIP "${PROJECT_BINARY_DIR}/Miravel-${PROJECT_VERSION}-win64.zip")
set(MIRAVEL_WINDOWS_SETUP "${PROJECT_BINARY_DIR}/Miravel-${PROJECT_VERSION}-setup.exe")
add_custom_target(windows_packages ALL
    COMMAND "${CMAKE_COMMAND}" "-DBUILD=${PROJECT_BINARY_DIR}" "-DVERSION=${PROJECT_VERSION}"
        "-DNUMBERS=${MIRAVEL_RC_VERSION}" "-DICON=${MIRAVEL_WINDOWS_ICON}" "-DMAKENSIS=${MIRAVEL_MAKENSIS}"
        "-DINSTALLER=${PROJECT_SOURCE_DIR}/packaging/windows/installer.nsi"
        "-DZIP=${MIRAVEL_WINDOWS_ZIP}" "-DSETUP=${MIRAVEL_WINDOWS_SETUP}"
        -P "${CMAKE_CURRENT_LIST_DIR}/windows_packages.cmake"
    DEPENDS miravel "${PROJECT_SOURCE_DIR}/packaging/windows/installer.nsi"
    BYPRODUCTS "${MIRAVEL_WINDOWS_ZIP}" "${MIRAVEL_WINDOWS_SETUP}"
    COMMENT "Making ${MIRAVEL_WINDOWS_ZIP} and ${MIRAVEL_WINDOWS_SETUP}"
    VERBATIM)
