#!/usr/bin/env bash
# End-to-end check of the real program on a private X server, driven as a
# person would: the window appears, "time" shows the clock's grey box, "end"
# closes the program at once with status 0.
#
# Usage: tools/e2e.sh <path-to-miravel>
set -u

BIN=${1:?usage: e2e.sh <path-to-miravel>}
[ -x "$BIN" ] || { echo "e2e: not an executable: $BIN" >&2; exit 2; }
for tool in Xvfb xdotool import convert; do
    command -v "$tool" >/dev/null || { echo "e2e: $tool is missing (Makefile's setup installs it)" >&2; exit 2; }
done

WORK=$(mktemp -d)
XVFB_PID=
APP_PID=
cleanup() {
    [ -n "$APP_PID" ] && kill "$APP_PID" 2>/dev/null
    [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null
    [ -n "$XVFB_PID" ] && wait "$XVFB_PID" 2>/dev/null
    rm -rf "$WORK"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

fail() { echo "e2e: FAIL: $*" >&2; exit 1; }
pass() { echo "e2e: ok: $*"; }

# Polls a command every 50 ms until it succeeds or the time (in tenths of a second) runs out.
poll() {
    local tenths=$1; shift
    local i
    for ((i = 0; i < tenths * 2; i++)); do
        "$@" && return 0
        sleep 0.05
    done
    return 1
}

# --- A private X server on the first free display from :90 ---
start_xvfb() {
    local n
    for ((n = 90; n < 140; n++)); do
        [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
        Xvfb ":$n" -screen 0 640x480x24 -nolisten tcp >"$WORK/xvfb.log" 2>&1 &
        XVFB_PID=$!
        # Up, or gone (another server took the display first).
        poll 50 eval '[ -S "/tmp/.X11-unix/X$n" ] || ! kill -0 "$XVFB_PID" 2>/dev/null'
        if [ -S "/tmp/.X11-unix/X$n" ] && kill -0 "$XVFB_PID" 2>/dev/null; then
            DISPLAY=":$n"
            return 0
        fi
        kill "$XVFB_PID" 2>/dev/null; wait "$XVFB_PID" 2>/dev/null; XVFB_PID=
    done
    return 1
}
start_xvfb || fail "no X server could be started"
export DISPLAY
unset WAYLAND_DISPLAY
export QT_QPA_PLATFORM=xcb # whatever the test environment says, this test wants the real window
pass "Xvfb on $DISPLAY"

# --- The program and its window ---
"$BIN" >"$WORK/out.log" 2>"$WORK/err.log" &
APP_PID=$!
WINDOW=$(timeout 15 xdotool search --sync --onlyvisible --name '^Form1$' 2>/dev/null | head -n 1)
[ -n "$WINDOW" ] || { cat "$WORK/err.log" >&2; fail "no window named Form1 appeared"; }
pass "window Form1 appeared (id $WINDOW)"

eval "$(xdotool getwindowgeometry --shell "$WINDOW")" # X, Y, WIDTH, HEIGHT
[ "$WIDTH" = 145 ] && [ "$HEIGHT" = 210 ] || fail "window is ${WIDTH}x${HEIGHT}, not 145x210"
pass "client area 145x210 at $X,$Y"

# Places in window pixels, from the layout's twips (15 to a pixel):
# "time" 780,2400 615x255; "end" 1440,2400 615x255; the clock 1110,1800
# 735x255 inside the panel, whose inner area starts 120 twips + a 2-pixel frame in.
TIME_X=72; TIME_Y=168
END_X=116; END_Y=168
CLOCK_X=$((X + 8 + 2 + 74)); CLOCK_Y=$((Y + 8 + 2 + 120)); CLOCK_W=49; CLOCK_H=17

# The share of the clock's box that is its grey, 0 to 1, on a fresh screenshot.
grey_share() {
    import -window root "$WORK/shot.png" 2>/dev/null || return 1
    convert "$WORK/shot.png" -crop "${CLOCK_W}x${CLOCK_H}+${CLOCK_X}+${CLOCK_Y}" +repage \
        -fill black +opaque "#808080" -fill white -opaque "#808080" -format "%[fx:mean]" info:
}
share_at_least() { awk -v s="$(grey_share)" -v m="$1" 'BEGIN { exit !(s >= m) }'; }
share_below() { awk -v s="$(grey_share)" -v m="$1" 'BEGIN { exit !(s < m) }'; }

poll 20 share_below 0.05 || fail "the clock shows before \"time\" was pressed (grey share $(grey_share))"
pass "no clock before \"time\""

xdotool mousemove --window "$WINDOW" "$TIME_X" "$TIME_Y" click 1
poll 30 share_at_least 0.5 || {
    cp "$WORK/shot.png" /tmp/miravel-e2e-fail.png 2>/dev/null
    fail "no grey clock box after \"time\" (grey share $(grey_share)); screenshot /tmp/miravel-e2e-fail.png"
}
SHARE=$(grey_share)
awk -v s="$SHARE" 'BEGIN { exit !(s < 0.97) }' || fail "the clock box holds no text (grey share $SHARE)"
pass "\"time\" shows the grey clock box with its text (grey share $SHARE)"

# --- "end": gone within a second, status 0 ---
xdotool mousemove --window "$WINDOW" "$END_X" "$END_Y" click 1
poll 10 eval '! kill -0 "$APP_PID" 2>/dev/null' || fail "still running a second after \"end\""
wait "$APP_PID"
STATUS=$?
APP_PID=
[ "$STATUS" = 0 ] || { cat "$WORK/err.log" >&2; fail "exit status $STATUS after \"end\""; }
pass "\"end\" closed the program within a second, status 0"
echo "e2e: all checks passed"
