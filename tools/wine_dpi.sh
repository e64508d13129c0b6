#!/usr/bin/env bash
# High DPI as a Windows user sets it: the display's scale chosen in the
# settings, which Windows keeps as the DPI in HKCU\Control Panel\Desktop,
# LogPixels (96 at 100 %), and Wine reads as the display's DPI. At 200, 150
# and 125 % Miravel.exe's window grows by as much and its pictures stay
# whole blocks of device pixels: tools/hidpi.sh's checks, each scale set so
# rather than through QT_SCALE_FACTOR.
#
# The setting is the whole prefix's, and the other tests' windows are to
# open at 100 %: the checks run in a Wine prefix of their own, a copy of the
# build's (Windows' own files linked, not copied), removed afterwards.
#
# Usage: tools/wine_dpi.sh <launcher>      the checks, through the launcher
#        tools/wine_dpi.sh --set <scale>   sets the scale in WINEPREFIX
set -u

WINE=${WINE:-/usr/lib/wine/wine64}

if [ "${1:-}" = --set ]; then
    scale=${2:?usage: wine_dpi.sh --set <scale>}
    : "${WINEPREFIX:?wine_dpi.sh --set: no WINEPREFIX}"
    dpi=$(awk -v s="$scale" 'BEGIN { printf "%d", 96 * s + 0.5 }')
    WINEDEBUG=-all "$WINE" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1 ||
        { echo "wine_dpi: reg add LogPixels $dpi failed" >&2; exit 1; }
    # Read back as Windows programs will read it.
    said=$(WINEDEBUG=-all "$WINE" reg query 'HKCU\Control Panel\Desktop' /v LogPixels 2>/dev/null | tr -d '\r' |
        awk '$1 == "LogPixels" { print $3 }')
    [ "$((said))" = "$dpi" ] || { echo "wine_dpi: LogPixels reads '$said', not $dpi" >&2; exit 1; }
    echo "wine_dpi: scale $scale is LogPixels $dpi"
    exit 0
fi

BIN=${1:?usage: wine_dpi.sh <launcher>}
[ -x "$BIN" ] || { echo "wine_dpi: not an executable: $BIN" >&2; exit 2; }
HERE=$(cd "$(dirname "$0")" && pwd)

# The build's prefix, made first if it is not yet (the launcher does so once).
BASE=${WINEPREFIX:-$(cd "$(dirname "$BIN")" && pwd)/wine}
"$BIN" --version >/dev/null || { echo "wine_dpi: Miravel.exe --version failed" >&2; exit 1; }
[ -f "$BASE/system.reg" ] || { echo "wine_dpi: no Wine prefix at $BASE" >&2; exit 1; }

PREFIX=$(mktemp -d)
cleanup() {
    WINEPREFIX=$PREFIX "${WINE%/*}/wineserver" -k 2>/dev/null
    WINEPREFIX=$PREFIX "${WINE%/*}/wineserver" -w 2>/dev/null
    rm -rf "$PREFIX" "$PREFIX.lock" # the launcher locks beside the prefix
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# Wine writes nothing into its own windows folder once a prefix is made, so
# linking it costs no risk to the build's and spares 700 MB; the registry,
# the users' folders and the prefix's timestamp (without which Wine would
# update the prefix again) are copied. The wineserver entry names the build
# prefix's own server and is left out.
for entry in "$BASE"/* "$BASE"/.[!.]*; do
    case ${entry##*/} in
    wineserver) ;;
    drive_c)
        mkdir "$PREFIX/drive_c"
        for part in "$entry"/*; do
            if [ "${part##*/}" = windows ]; then
                cp -al "$part" "$PREFIX/drive_c/" 2>/dev/null || cp -a "$part" "$PREFIX/drive_c/"
            else
                cp -a "$part" "$PREFIX/drive_c/"
            fi
        done ;;
    *) cp -a "$entry" "$PREFIX/" ;;
    esac || { echo "wine_dpi: could not copy $entry" >&2; exit 1; }
done

export WINEPREFIX=$PREFIX
"$HERE/hidpi.sh" --scale-by "$HERE/wine_dpi.sh --set" "$BIN"
