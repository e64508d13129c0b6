#!/usr/bin/env bash
# High DPI as a Windows user sets it: the display's scale chosen in the
# settings, which Windows keeps as the DPI in HKCU\Control Panel\Desktop,
# LogPixels (96 at 100 %), and Wine reads as the display's DPI. At 200, 150
# and 125 % Miravel.exe's window grows by as much and its pictures stay
# whole blocks of device pixels: tests/window/hidpi.sh's checks, each scale set so
# rather than through QT_SCALE_FACTOR.
#
# The setting is the whole prefix's, and the other tests' windows are to
# open at 100 %: the checks run in a Wine prefix of their own, a copy of the
# build's (Windows' own files linked, not copied), removed afterwards.
#
# Usage: tests/wine/wine_dpi.sh <launcher>      the checks, through the launcher
#        tests/wine/wine_dpi.sh --set <scale>   sets the scale in WINEPREFIX
set -u

WINE=${WINE:-/usr/lib/wine/wine64}

if [ "${1:-}" = --set ]; then
    scale=${2:?usage: wine_dpi.sh --set <scale>}
    : "${WINEPREFIX:?wine_dpi.sh --set: no WINEPREFIX}"
    dpi=$(awk -v s="$scale" 'BEGIN { printf "%d", 96 * s + 0.5 }')
    WINEDEBUG=-all "$WINE" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >"$WINEPREFIX.reg" 2>&1 ||
        { echo "wine_dpi: reg add LogPixels $dpi failed, status $?: $(cat "$WINEPREFIX.reg")" >&2; exit 1; }
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

. "$HERE/wine_prefix.sh"
trap own_wine_prefix_remove EXIT
trap 'exit 130' INT TERM
own_wine_prefix "$BIN" || { echo "wine_dpi: no Wine prefix of its own" >&2; exit 1; }
"$HERE/../window/hidpi.sh" --scale-by "$HERE/wine_dpi.sh --set" "$BIN"
