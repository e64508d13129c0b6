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


start_xvfb || fail "no X server could be started"
say "Xvfb on $DISPLAY"

# --- The program and its window ---
start_miravel "$BIN" || fail "no window named Form1 appeared"
say "window Form1 appeared (id $WINDOW)"

[ "$WIDTH $HEIGHT" = "$WINDOW_SIZE" ] || fail "window is ${WIDTH}x${HEIGHT}, not ${WINDOW_SIZE/ /x}"
say "client area ${WIDTH}x${HEIGHT} at $X,$Y"

# The clock's box on the screen.
read -r CLOCK_X CLOCK_Y CLOCK_W CLOCK_H <<<"$PLACE_CLOCK"
CLOCK_X=$((X + CLOCK_X)); CLOCK_Y=$((Y + CLOCK_Y))

# The share of the clock's box that is its grey, 0 to 1, on a fresh screenshot.
grey_share() {
    import -window root "$WORK/shot.png" 2>/dev/null || return 1
    convert "$WORK/shot.png" -crop "${CLOCK_W}x${CLOCK_H}+${CLOCK_X}+${CLOCK_Y}" +repage \
        -fill black +opaque "#808080" -fill white -opaque "#808080" -format "%[fx:mean]" info:
}
share_at_least() { awk -v s="$(grey_share)" -v m="$1" 'BEGIN { exit !(s >= m) }'; }
share_below() { awk -v s="$(grey_share)" -v m="$1" 'BEGIN { exit !(s < m) }'; }

poll 20 share_below 0.05 || fail "the clock shows before \"time\" was pressed (grey share $(grey_share))"
say "no clock before \"time\""

press time
poll 30 share_at_least 0.5 || {
    cp "$WORK/shot.png" /tmp/miravel-e2e-fail.$$.png 2>/dev/null
    fail "no grey clock box after \"time\" (grey share $(grey_share)); screenshot /tmp/miravel-e2e-fail.$$.png"
}
SHARE=$(grey_share)
awk -v s="$SHARE" 'BEGIN { exit !(s < 0.97) }' || fail "the clock box holds no text (grey share $SHARE)"
say "\"time\" shows the grey clock box with its text (grey share $SHARE)"

# --- "end": gone at once, status 0 ---
end_miravel || fail "\"end\": $STATUS"
say "\"end\" closed the program, status 0"
finish
