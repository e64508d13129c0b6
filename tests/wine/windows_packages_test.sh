#!/usr/bin/env bash
# What a Windows user downloads, each in a fresh Wine prefix on a private X
# server:
#   - the zip, unpacked into a folder whose name has spaces and Japanese
#     letters: Miravel.exe opens "Form1", "time" shows the clock, "end" ends
#     it with status 0; every DLL and plugin of the folder is loaded by it,
#     and without any one of its DLLs or its platform it does not start;
#   - the installer: /S installs for the user; the program, the Start-menu
#     shortcut and the Uninstall key with its values are there; the installed
#     program starts and ends; installing again over it succeeds; the
#     uninstaller, /S, leaves no file, folder or key that was not there before.
#
# Usage: tests/wine/windows_packages_test.sh <zip> <setup.exe> <version> <window_places.sh>
set -u

ZIP=${1:?usage: windows_packages_test.sh <zip> <setup.exe> <version> <window_places.sh>}
SETUP=${2:?usage: windows_packages_test.sh <zip> <setup.exe> <version> <window_places.sh>}
VERSION=${3:?usage: windows_packages_test.sh <zip> <setup.exe> <version> <window_places.sh>}
export PLACES=${4:?usage: windows_packages_test.sh <zip> <setup.exe> <version> <window_places.sh>}

. "$(dirname "$0")/../window/xsession.sh"
require_tools Xvfb xdotool unzip import convert || exit 2
HERE=$(cd "$(dirname "$0")" && pwd)
WINE=${WINE:-/usr/lib/wine/wine64}
# No browser engine or .NET offered, and the Start menu kept inside the prefix:
# Wine would copy its entries into the desktop's own menus, outside it.
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

# A Wine prefix of its own, made afresh.
new_prefix() {
    export WINEPREFIX=$WORK/$1
    "$WINE" wineboot --init >/dev/null 2>&1 || fail "wineboot could not make $WINEPREFIX"
    "${WINE%/*}/wineserver" --wait
}

# A launcher for the scripts' start_miravel: the given Miravel.exe under Wine.
launcher() {
    printf '#!/bin/sh\nexec "%s" "%s" "$@"\n' "$HERE/wine_run.sh" "$1" >"$WORK/miravel"
    chmod +x "$WORK/miravel"
}

# The clock's box is mostly grey once "time" is pressed.
clock_shows() {
    local x y w h share
    read -r x y w h <<<"$PLACE_CLOCK"
    screenshot "$WORK/shot.png" || return 1
    share=$(convert "$WORK/shot.png" -crop "${w}x${h}+${x}+${y}" +repage \
        -fill black +opaque "#808080" -fill white -opaque "#808080" -format "%[fx:mean]" info:)
    awk -v s="$share" 'BEGIN { exit !(s >= 0.5) }'
}

# The window opens, "time" shows the clock, "end" ends it with status 0.
use_once() {
    launcher "$1"
    start_miravel "$WORK/miravel" || fail "$2: no window named Form1 appeared"
    press time
    poll 30 clock_shows || fail "$2: \"time\" showed no clock"
    end_miravel || fail "$2: \"end\": $STATUS"
    say "$2: Form1 opened, \"time\" showed the clock, \"end\" ended it with status 0"
}

start_xvfb 640x480x24 || fail "no X server could be started"

# --- The portable zip ---
new_prefix zip
FOLDER="$WINEPREFIX/drive_c/users/Public/デスクトップ/Miravel $VERSION"
mkdir -p "$(dirname "$FOLDER")"
unzip -q "$ZIP" -d "$WORK/unzipped" || fail "cannot unpack $ZIP"
[ "$(ls "$WORK/unzipped")" = "Miravel-$VERSION" ] || fail "the zip holds $(ls "$WORK/unzipped"), not one folder Miravel-$VERSION"
mv "$WORK/unzipped/Miravel-$VERSION" "$FOLDER"
use_once "$FOLDER/Miravel.exe" "the zip, unpacked into C:\\users\\Public\\デスクトップ\\Miravel $VERSION"

# Every DLL of the folder is one the program loads: Wine names each as it
# loads it, the window up.
launcher "$FOLDER/Miravel.exe"
WINEDEBUG=+loaddll start_miravel "$WORK/miravel" || fail "no window with Wine naming the DLLs"
end_miravel || fail "\"end\" with Wine naming the DLLs: $STATUS"
loaded=$(grep -o 'Loaded L"[^"]*"' "$WORK/err.log" | sed 's/.*\\//; s/"$//' | sort -u)
unloaded=$(cd "$FOLDER" && find . -iname '*.dll' -printf '%f\n' | sort | comm -23 - <(echo "$loaded"))
[ -z "$unloaded" ] || fail "the zip carries DLLs the program never loads: $unloaded"
say "every DLL and plugin of the zip is loaded: $(cd "$FOLDER" && find . -iname '*.dll' | wc -l) files"

# Without any one DLL, or its platform, it does not start. Only its style
# may go: Qt then draws the plain Windows style.
while read -r dll; do
    case "$dll" in styles/*) continue ;; esac
    mv "$FOLDER/$dll" "$WORK/aside.dll"
    launcher "$FOLDER/Miravel.exe"
    "$WORK/miravel" >"$WORK/without.log" 2>&1 &
    without=$!
    window=$(find_window 50 --onlyvisible --name '^Form1$')
    kill "$without" 2>/dev/null
    wait "$without" 2>/dev/null
    mv "$WORK/aside.dll" "$FOLDER/$dll"
    [ -z "$window" ] || fail "Miravel.exe starts without $dll"
done < <(cd "$FOLDER" && find . -iname '*.dll' -printf '%P\n' | sort)
say "without any one of its DLLs or its platform, Miravel.exe does not start"
"${WINE%/*}/wineserver" --kill

# --- The installer ---
new_prefix setup
# What the prefix holds: its files and folders, and its registry's keys and
# values without Wine's own time stamps.
inventory() {
    (cd "$WINEPREFIX" && find drive_c -mindepth 1 | sort) >"$WORK/$1.files"
    cat "$WINEPREFIX"/*.reg | grep -v '^#time=' | sed 's/^\(\[.*\]\) [0-9]*$/\1/' | sort >"$WORK/$1.registry"
}
inventory before
"$WINE" "$SETUP" /S || fail "the installer ended with status $?"
"${WINE%/*}/wineserver" --wait
APPDATA_USER=$(ls -d "$WINEPREFIX"/drive_c/users/*/AppData | grep -v Public | head -n 1)
INSTALLED="$APPDATA_USER/Local/Programs/Miravel"
[ -f "$INSTALLED/Miravel.exe" ] || fail "no Miravel.exe in %LOCALAPPDATA%\\Programs\\Miravel"
SHORTCUT="$APPDATA_USER/Roaming/Microsoft/Windows/Start Menu/Programs/Miravel.lnk"
[ -f "$SHORTCUT" ] || fail "no Start-menu shortcut Miravel"
say "/S installed Miravel.exe into %LOCALAPPDATA%\\Programs\\Miravel, with its Start-menu shortcut"

KEY='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Miravel'
"$WINE" reg query "$KEY" >"$WORK/key" 2>/dev/null || fail "no Uninstall key $KEY"
value() { tr -d '\r' <"$WORK/key" | awk -v name="$1" '$1 == name { $1 = ""; $2 = ""; sub(/^  */, ""); print }'; }
[ "$(value DisplayName)" = Miravel ] || fail "DisplayName is '$(value DisplayName)'"
[ "$(value DisplayVersion)" = "$VERSION" ] || fail "DisplayVersion is '$(value DisplayVersion)'"
for name in DisplayIcon Publisher EstimatedSize UninstallString QuietUninstallString; do
    [ -n "$(value "$name")" ] || fail "the Uninstall key has no $name"
done
case "$(value QuietUninstallString)" in *uninstall.exe\"\ /S) ;; *) fail "QuietUninstallString is '$(value QuietUninstallString)'" ;; esac
say "the Uninstall key: $(tr -d '\r' <"$WORK/key" | awk 'NF >= 3 { printf "%s ", $1 }')"

use_once "$INSTALLED/Miravel.exe" "the installed program"

"$WINE" "$SETUP" /S || fail "installing again over it ended with status $?"
"${WINE%/*}/wineserver" --wait
[ -f "$INSTALLED/Miravel.exe" ] || fail "installing again lost Miravel.exe"
say "installing again over it succeeded"

"$WINE" "$INSTALLED/uninstall.exe" /S || fail "the uninstaller ended with status $?"
# It runs on from a copy of itself in the temporary folder.
"${WINE%/*}/wineserver" --wait
inventory after
left=$(comm -13 "$WORK/before.files" "$WORK/after.files" | grep -v '/Temp\(/\|$\)')
[ -z "$left" ] || fail "the uninstaller left files behind: $left"
keys=$(comm -13 "$WORK/before.registry" "$WORK/after.registry" | grep -i 'miravel')
[ -z "$keys" ] || fail "the uninstaller left registry entries behind: $keys"
say "the uninstaller left no file, folder or key of Miravel behind"
finish
