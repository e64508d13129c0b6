#!/usr/bin/env bash
# The real program as a native Wayland client of a real compositor (weston,
# its X11 backend on a private X server, so that a user's clicks and keys
# reach the compositor as they would from a desk). The compositor may make
# any window maximized or full screen, and a client that does not take the
# size it is given is disconnected; the window's own title bar offers
# maximizing too. So: the window appears, 145 x 210 inside its title bar;
# its title bar's maximize button maximizes it and it carries on, its
# controls whole at the top-left, "time" showing the clock; the compositor's
# own keys restore it, make it full screen and back; "end" then ends it with
# status 0.
#
# Usage: tests/window/wayland.sh <path-to-miravel>
set -u

BIN=${1:?usage: wayland.sh <path-to-miravel>}
[ -x "$BIN" ] || { echo "wayland: not an executable: $BIN" >&2; exit 2; }

. "$(dirname "$0")/xsession.sh"
require_tools Xvfb xdotool import convert compare weston || exit 2

pass() { say "ok: $*"; }
# The window's places: the client area's size, the controls, the clock.
. "$(dirname "$BIN")/window_places.sh"
read -r WINDOW_W WINDOW_H <<<"$WINDOW_SIZE"
read -r _ CONTROLS_Y _ _ <<<"$PLACE_JIKOKU"
read -r CLOCK_X CLOCK_Y CLOCK_W CLOCK_H <<<"$PLACE_CLOCK"
# A control's centre as "x y" in the client area.
centre() { local x y w h; read -r x y w h <<<"$1"; echo "$((x + w / 2)) $((y + h / 2))"; }
read -r TIME_X TIME_Y <<<"$(centre "$PLACE_JIKOKU")"
read -r END_X END_Y <<<"$(centre "$PLACE_Command3")"

# The compositor's output, at the X screen's top-left.
OUT_W=640 OUT_H=480
BACKGROUND=204060

start_xvfb 800x600x24 || fail "no X server could be started"
export XDG_RUNTIME_DIR="$WORK/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
# A plain background and no panel, so that the window is what is not
# background; no fading or zooming, so that what shows is what is drawn.
cat >"$WORK/weston.ini" <<INI
[shell]
animation=none
close-animation=none
startup-animation=none
focus-animation=none
background-color=0xff$BACKGROUND
background-image=$WORK/none.png
panel-position=none
locking=false
INI
weston --backend=x11-backend.so --use-pixman --socket=wayland-miravel --width=$OUT_W --height=$OUT_H \
    --config="$WORK/weston.ini" >"$WORK/weston.log" 2>&1 &
WESTON_PID=$!
trap '[ -n "$APP_PID" ] && kill "$APP_PID" 2>/dev/null; kill "$WESTON_PID" 2>/dev/null; wait "$WESTON_PID"; xsession_exit' EXIT
poll 100 eval '[ -S "$XDG_RUNTIME_DIR/wayland-miravel" ]' || { cat "$WORK/weston.log" >&2; fail "weston did not start"; }
pass "weston on X display $DISPLAY"

# The compositor follows the pointer's motion relative to where it entered
# its window: the pointer leaves and enters again at every move, so that the
# compositor's pointer is where X's is.
point() { xdotool mousemove $((OUT_W + 50)) $((OUT_H + 50)) sleep 0.1 mousemove "$1" "$2" sleep 0.1; }
# Keys go where the pointer is: parked in the output's last pixel, its
# cursor all but hidden. The screenshots leave that corner out.
park() { point $((OUT_W - 1)) $((OUT_H - 1)); }
shot() { import -window root -crop "$((OUT_W - 10))x$((OUT_H - 10))+0+0" +repage "$WORK/shot.png" 2>/dev/null; }
# The window's extent, title bar and borders included: where its face colour,
# the commonest but the background's, is. The compositor's cursor, drawn
# where it last saw the pointer, is not of that colour.
extent() {
    shot || return 1
    local face
    face=$(convert "$WORK/shot.png" -format %c histogram:info:- | sort -rn | grep -o '#[0-9A-F]\{6\}' |
        grep -vx "#$BACKGROUND" | head -n 1)
    convert "$WORK/shot.png" -fill black +opaque "$face" -trim -format '%w %h %X %Y\n' info: 2>/dev/null | tr -d '+'
}
pixel() { convert "$WORK/shot.png" -format "%[hex:u.p{$1,$2}]" info:; }
alive() { kill -0 "$APP_PID" 2>/dev/null || { cat "$WORK/err.log" >&2; fail "the program is gone after $1"; }; }
covers_output() { shot && [ "$(pixel $((OUT_W - 20)) $((OUT_H - 20)))" != "$BACKGROUND" ]; }
# The controls below the panel: the client area's rows from the buttons' top down.
controls() {
    convert "$WORK/shot.png" -crop "${WINDOW_W}x$((WINDOW_H - CONTROLS_Y))+$1+$(($2 + CONTROLS_Y))" +repage "$WORK/$3.png"
}
same_controls() { controls "$1" "$2" now && [ "$(compare -metric AE "$WORK/normal.png" "$WORK/now.png" null: 2>&1)" = 0 ]; }
click() { point "$1" "$2" && xdotool click 1 sleep 0.1; park; }

park
# No X display for the program: it can only be a Wayland client.
# Under the leak checker (the sanitizer build), Qt's Wayland plugin and
# libwayland keep allocations to the end, partly in the plugin it unloads,
# where no suppression can name them: leaks are checked in every other test.
env -u DISPLAY QT_QPA_PLATFORM=wayland WAYLAND_DISPLAY=wayland-miravel \
    ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0" "$BIN" >"$WORK/out.log" 2>"$WORK/err.log" &
APP_PID=$!
poll 100 eval 'read -r W H L T < <(extent) && [ "$W" -gt "$WINDOW_W" ] && [ "$H" -gt "$WINDOW_H" ]' ||
    { alive "starting"; fail "no window appeared"; }
# The borders are alike on three sides; the title bar takes the rest of the height.
BORDER=$(((W - WINDOW_W) / 2))
TITLE=$((H - WINDOW_H - BORDER))
CX=$((L + BORDER)) CY=$((T + TITLE))
pass "a native window ${W}x${H} at $L,$T: ${WINDOW_W}x${WINDOW_H} inside a $TITLE-pixel title bar"
sleep 0.3 # its first frame drawn whole
shot && controls "$CX" "$CY" normal

# Qt's own title bar: minimize, maximize, close at its right end.
click $((L + W - 40)) $((T + TITLE / 2))
poll 30 covers_output || { alive "the title bar's maximize"; fail "the title bar's maximize button did not maximize the window"; }
sleep 0.5
alive "the title bar's maximize"
shot
poll 20 eval 'shot && same_controls "$BORDER" "$TITLE"' || fail "maximized, the controls are not whole at the top-left"
pass "maximized by its title bar: the program carries on, its controls whole at the top-left"

# "time" repaints the panel in the larger window: the clock's grey box shows.
click $((BORDER + TIME_X)) $((TITLE + TIME_Y))
grey() { convert "$WORK/shot.png" -crop "${CLOCK_W}x${CLOCK_H}+$((BORDER + CLOCK_X))+$((TITLE + CLOCK_Y))" +repage \
    -fill black +opaque "#808080" -fill white -opaque "#808080" -format "%[fx:mean]" info:; }
poll 30 eval 'shot && awk -v s="$(grey)" "BEGIN { exit !(s >= 0.5) }"' || { alive "\"time\""; fail "no clock after \"time\" in the maximized window"; }
alive "\"time\""
pass "\"time\" shows the clock in the maximized window"

# The compositor's own keys: Super+Shift+M toggles maximized, Super+Shift+F full screen.
xdotool key super+shift+m
poll 30 eval 'read -r W2 H2 L T < <(extent) && [ "$W2 $H2" = "$W $H" ]' || { alive "restoring"; fail "not restored by the compositor"; }
alive "restoring"
pass "restored by the compositor: ${W2}x${H2} again"
# "time" has the focus now, and shows it: the controls as they are now are the reference.
sleep 0.3
shot && controls "$CX" "$CY" normal
xdotool key super+shift+f
poll 30 covers_output || { alive "full screen"; fail "not made full screen by the compositor"; }
sleep 0.5
alive "full screen"
poll 20 eval 'shot && same_controls 0 0' || fail "full screen, the controls are not whole at the top-left"
pass "full screen by the compositor: the program carries on, its controls whole at the top-left"
xdotool key super+shift+f
poll 30 eval 'read -r W2 H2 L T < <(extent) && [ "$W2 $H2" = "$W $H" ]' || { alive "leaving full screen"; fail "not back from full screen"; }
alive "leaving full screen"
pass "back from full screen: ${W2}x${H2}"

# "end": gone within a second, status 0.
click $((L + BORDER + END_X)) $((T + TITLE + END_Y))
poll 20 eval '! kill -0 "$APP_PID" 2>/dev/null' || fail "still running after \"end\""
wait "$APP_PID"
STATUS=$?
APP_PID=
[ "$STATUS" = 0 ] || { cat "$WORK/err.log" >&2; fail "exit status $STATUS after \"end\""; }
pass "\"end\" ended the program, status 0"
finish
