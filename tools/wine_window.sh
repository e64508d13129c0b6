#!/usr/bin/env bash
# Miravel.exe as a Windows user sees it, under Wine on a private X server,
# held against the Linux build on the same server:
#   - --version prints the version, through Wine, with nothing on PATH;
#   - the window is one X window of the client area (145 x 210), titled
#     "Form1", with the ringed planet (DOSEI's picture) as its icon;
#   - each scene chosen in the list paints the panel as the Linux build's
#     does a moment after the same choice: the same background, and no
#     colour the Linux build's panel did not show then;
#   - "clear" empties the panel to the window's own colour;
#   - "end" ends the program with status 0, and its --trace holds under the
#     build machine's trace_check.
#
# Usage: tools/wine_window.sh <launcher> <DOSEI.ico> <version> <linux miravel>
#   <launcher> starts Miravel.exe under Wine (the Windows build writes one
#   beside it); TRACE_CHECK names the build machine's trace_check.
set -u

BIN=${1:?usage: wine_window.sh <launcher> <DOSEI.ico> <version> <linux miravel>}
DOSEI=${2:?usage: wine_window.sh <launcher> <DOSEI.ico> <version> <linux miravel>}
VERSION=${3:?usage: wine_window.sh <launcher> <DOSEI.ico> <version> <linux miravel>}
LINUX=${4:?usage: wine_window.sh <launcher> <DOSEI.ico> <version> <linux miravel>}

. "$(dirname "$0")/xsession.sh"
require_tools Xvfb xdotool xprop import convert identify || exit 2
HERE=$(dirname "$0")

# Before any window: this also makes the build's Wine prefix, once.
said=$("$BIN" --version) || fail "--version ended with status $?"
said=${said%$'\r'} # the C library ends a line as Windows does
[ "$said" = "Miravel $VERSION" ] || fail "--version printed '$said', not 'Miravel $VERSION'"
say "--version prints '$said'"

start_xvfb 640x480x24 || fail "no X server could be started"

# The panel's colours on a screenshot, most common first, as #RRGGBB lines.
panel_colours() {
    convert "$1" -crop "$(inner_crop)" +repage -format %c histogram:info:- | sort -rn |
        awk '{ for (i = 1; i <= NF; i++) if ($i ~ /^#/) { print toupper(substr($i, 1, 7)); break } }'
}

# What a person sees in turn: each scene a moment after choosing it, and
# the panel cleared. For each step a file of the panel's colours, in DIR:
# "shoot_steps DIR SHOTS" takes SHOTS screenshots 0.5 s apart per step.
STEPS=("The universe" "The deep sea" clear "Eternity")
shoot_steps() {
    local dir=$1 shots=$2 step i
    mkdir -p "$dir"
    for step in "${STEPS[@]}"; do
        if [ "$step" = clear ]; then press clear; else choose "$step"; fi
        sleep 1
        for ((i = 0; i < shots; i++)); do
            screenshot "$WORK/shot.png" || fail "no screenshot after \"$step\""
            panel_colours "$WORK/shot.png" >"$dir/$step.$i"
            convert "$WORK/shot.png" -format "#%[hex:p{2,2}]\n" info: | cut -c1-7 >"$dir/$step.window"
            sleep 0.5
        done
    done
}

# --- The Linux build: what the panel should show ---
start_miravel "$LINUX" || fail "the Linux build's window did not appear"
shoot_steps "$WORK/linux" 3
end_miravel || fail "the Linux build did not end: $STATUS"

# --- Miravel.exe under Wine ---
TRACE=$WORK/trace.jsonl
start_miravel "$BIN" --trace "$TRACE" || fail "no window named Form1 appeared"
[ "$(search_windows --name '^Form1$' | wc -l)" = 1 ] || fail "more than one window is titled Form1"
[ "$WIDTH $HEIGHT" = "$WINDOW_SIZE" ] || fail "the client area is ${WIDTH}x${HEIGHT}, not ${WINDOW_SIZE/ /x}"
say "one window titled Form1, client area ${WIDTH}x${HEIGHT}"

xprop -notype -id "$WINDOW" 32c _NET_WM_ICON >"$WORK/icon" || fail "no icon on the window"
/usr/bin/python3 "$HERE/icon_pixels.py" "$WORK/icon" "$DOSEI" || fail "the window's icon is not the ringed planet"
say "its icon is the ringed planet, pixel for pixel"

shoot_steps "$WORK/windows" 1
# Cleared, the panel is the window's own colour, the system's: Windows'
# differs from the Linux style's.
[ "$(cat "$WORK/windows/clear.0")" = "$(cat "$WORK/windows/clear.window")" ] ||
    fail "\"clear\": the panel shows $(tr '\n' ' ' <"$WORK/windows/clear.0"), not the window's colour alone"
say "\"clear\": the panel is the window's colour, $(cat "$WORK/windows/clear.window"), alone"
# The Linux build's colours, its window's colour read as Windows' wherever
# the panel shows the window's colour through.
as_on_windows() { sed "s/^$(cat "$WORK/linux/$step.window")\$/$(cat "$WORK/windows/$step.window")/" "$@"; }
for step in "${STEPS[@]}"; do
    [ "$step" = clear ] && continue
    linux_background=$(as_on_windows "$WORK/linux/$step.1" | head -n 1)
    windows_background=$(head -n 1 "$WORK/windows/$step.0")
    [ "$windows_background" = "$linux_background" ] ||
        fail "\"$step\": the panel is mostly $windows_background, on Linux $linux_background"
    unseen=$(as_on_windows "$WORK/linux/$step".[0-9] | sort -u | comm -13 - <(sort -u "$WORK/windows/$step.0") | tr '\n' ' ')
    [ -z "$unseen" ] || fail "\"$step\": the panel shows $unseen which the Linux build's did not"
    say "\"$step\": mostly $windows_background, $(wc -l <"$WORK/windows/$step.0") colours, all of them the Linux build's"
done

end_miravel || fail "\"end\": $STATUS"
say "\"end\" ended Miravel.exe with status 0"
"$TRACE_CHECK" "$TRACE" >"$WORK/figures" || fail "trace_check does not hold the run: $(cat "$WORK/figures")"
[ "$(figure "$WORK/figures" unmatched)" = 0 ] || fail "paints unmatched in the trace: $(cat "$WORK/figures")"
say "trace_check holds its trace: $(cat "$WORK/figures")"
finish
