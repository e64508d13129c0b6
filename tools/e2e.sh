#!/usr/bin/env bash
# End-to-end check of the real program on a private X server, driven as a
# person would: the window appears, "time" shows the clock's grey box, "end"
# closes the program at once with status 0.
#
# Usage: tools/e2e.sh <path-to-miravel>
set -u

BIN=${1:?usage: e2e.sh <path-to-miravel>}
[ -x "$BIN" ] || { echo "e2e: not an executable: $BIN" >&2; exit 2; }

. "$(dirname "$0")/xsession.sh"
require_tools Xvfb xdotool import convert || exit 2

fail() { echo "e2e: FAIL: $*" >&2; exit 1; }
pass() { echo "e2e: ok: $*"; }

start_xvfb || fail "no X server could be started"
pass "Xvfb on $DISPLAY"

# --- The program and its window ---
start_miravel "$BIN" || fail "no window named Form1 appeared"
pass "window Form1 appeared (id $WINDOW)"

[ "$WIDTH" = 145 ] && [ "$HEIGHT" = 210 ] || fail "window is ${WIDTH}x${HEIGHT}, not 145x210"
pass "client area 145x210 at $X,$Y"

# The clock 1110,1800 735x255 twips inside the panel, whose inner area starts
# 120 twips + a 2-pixel frame in.
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

press time
poll 30 share_at_least 0.5 || {
    cp "$WORK/shot.png" /tmp/miravel-e2e-fail.$$.png 2>/dev/null
    fail "no grey clock box after \"time\" (grey share $(grey_share)); screenshot /tmp/miravel-e2e-fail.$$.png"
}
SHARE=$(grey_share)
awk -v s="$SHARE" 'BEGIN { exit !(s < 0.97) }' || fail "the clock box holds no text (grey share $SHARE)"
pass "\"time\" shows the grey clock box with its text (grey share $SHARE)"

# --- "end": gone within a second, status 0 ---
press end
poll 10 eval '! kill -0 "$APP_PID" 2>/dev/null' || fail "still running a second after \"end\""
wait "$APP_PID"
STATUS=$?
APP_PID=
[ "$STATUS" = 0 ] || { cat "$WORK/err.log" >&2; fail "exit status $STATUS after \"end\""; }
pass "\"end\" closed the program within a second, status 0"
echo "e2e: all checks passed"
