#!/usr/bin/env bash
# Miravel.exe as a Windows user sees it, under Wine on a private X server:
#   - --version prints the version, through Wine, with nothing on PATH;
#   - the window is one X window of the client area (145 x 210), titled
#     "Form1", with the ringed planet (DOSEI's picture) as its icon, in a
#     frame that can be neither resized nor maximized;
#   - after each scene chosen in the list, and after "clear", the panel is
#     pixel for pixel what the Linux build paints at the same moment of the
#     same run: trace_picture's picture of one of the last paints in the
#     program's --trace before the screenshot. Where the panel shows the
#     window's own colour through, it is Windows' own, read off the window;
#   - "end" ends the program with status 0, and its --trace holds under the
#     build machine's trace_check.
#
# Usage: tests/wine/wine_window.sh <launcher> <DOSEI.ico> <version>
#   <launcher> starts Miravel.exe under Wine (the Windows build writes one
#   beside it); TRACE_CHECK and TRACE_PICTURE name the build machine's
#   trace_check and trace_picture.
set -u

BIN=${1:?usage: wine_window.sh <launcher> <DOSEI.ico> <version>}
DOSEI=${2:?usage: wine_window.sh <launcher> <DOSEI.ico> <version>}
VERSION=${3:?usage: wine_window.sh <launcher> <DOSEI.ico> <version>}
TRACE_PICTURE=${TRACE_PICTURE:?TRACE_PICTURE names trace_picture of the native build}

. "$(dirname "$0")/../window/xsession.sh"
require_tools Xvfb xdotool xprop import convert compare || exit 2
HERE=$(dirname "$0")

start_xvfb 640x480x24 || fail "no X server could be started"

# On the X server already: Wine's server outlives a program by a few
# seconds, and a program started meanwhile gets the desktop of the one
# before, which without a display shows no window.
said=$("$BIN" --version) || fail "--version ended with status $?"
said=${said%$'\r'} # the C library ends a line as Windows does
[ "$said" = "Miravel $VERSION" ] || fail "--version printed '$said', not 'Miravel $VERSION'"
say "--version prints '$said'"

TRACE=$WORK/trace.jsonl
start_miravel "$BIN" --trace "$TRACE" || fail "no window named Form1 appeared"
[ "$(search_windows --name '^Form1$' | wc -l)" = 1 ] || fail "more than one window is titled Form1"
[ "$WIDTH $HEIGHT" = "$WINDOW_SIZE" ] || fail "the client area is ${WIDTH}x${HEIGHT}, not ${WINDOW_SIZE/ /x}"
say "one window titled Form1, client area ${WIDTH}x${HEIGHT}"

xprop -notype -id "$WINDOW" 32c _NET_WM_ICON >"$WORK/icon" || fail "no icon on the window"
/usr/bin/python3 "$HERE/icon_pixels.py" "$WORK/icon" "$DOSEI" || fail "the window's icon is not the ringed planet"
say "its icon is the ringed planet, pixel for pixel"

# Its frame as Wine tells X of it (_MOTIF_WM_HINTS: flags, functions,
# decorations): no resizing or maximizing, no sizing border or maximize box.
read -r _ functions decorations _ <<<"$(xprop -id "$WINDOW" _MOTIF_WM_HINTS | sed 's/.*= *//; s/,/ /g')"
(( (functions & (2 | 16)) == 0 && (decorations & (4 | 64)) == 0 )) ||
    fail "the window can be resized or maximized: _MOTIF_WM_HINTS functions $functions, decorations $decorations"
say "its frame offers neither resizing nor maximizing (functions $functions, decorations $decorations)"

# What a person sees in turn: each scene a moment after choosing it, and the
# panel cleared.
for step in "The universe" "The deep sea" clear "Eternity"; do
    if [ "$step" = clear ]; then press clear; else choose "$step"; fi
    sleep 1
    matched=$(shot_shows_a_paint "$TRACE" --own-colour) ||
        fail "after \"$step\", the panel is not what the Linux build paints at any of the last paints"
    say "after \"$step\", the panel is the Linux build's, pixel for pixel, at $matched"
done

end_miravel || fail "\"end\": $STATUS"
say "\"end\" ended Miravel.exe with status 0"
"$TRACE_CHECK" "$TRACE" >"$WORK/figures" || fail "trace_check does not hold the run: $(cat "$WORK/figures")"
[ "$(figure "$WORK/figures" unmatched)" = 0 ] || fail "paints unmatched in the trace: $(cat "$WORK/figures")"
say "trace_check holds its trace: $(cat "$WORK/figures")"
finish
