#!/usr/bin/env bash
# Covered by another window under a real X11 window manager (openbox, no
# compositing manager), the program rests. The deep sea runs with the clock
# and a trace; once "Stay on top" has been taken and given up through the
# panel's menu, a 400 x 400 window (xmessage) is moved over it:
#   - partly over it, the panel keeps painting;
#   - over all of it, the program hears of it and stops its timer (the
#     trace's "resting": true); then for COVER seconds (20) it arms nothing,
#     runs no handler and paints nothing: the trace gains not a line. That is
#     what the program itself does; the main thread's context switches, which
#     a busy machine moves too, are only reported;
#   - moved away, the program hears of it ("resting": false), paints at
#     once after, and the paint shows the present moment, not the one the
#     window was covered at;
# and trace_check holds the run against the ideal one: every timer ran as
# often, the changes before the cover were painted on time (the median; the
# few seconds are too short for a percentile), and each change while covered
# was painted by the paint that came with the uncovering. How long the
# window manager and a busy machine take to tell the program is not its own
# doing, and is only reported.
#
# Usage: tests/window/covered.sh <path-to-miravel> [COVER-seconds]
set -u

BIN=${1:?usage: covered.sh <path-to-miravel> [COVER-seconds]}
COVER_S=${2:-20}
[ -x "$BIN" ] || { echo "covered: not an executable: $BIN" >&2; exit 2; }

. "$(dirname "$0")/xsession.sh"
require_tools Xvfb xdotool xprop xmessage openbox || exit 2

PARTLY_S=2         # partly covered, painting on
SETTLE_S=1         # after a move, for the window manager and the program to settle
PAINT_GAP_MAX=500  # ms: the longest the deep sea goes without a paint while seen
NOTICE_MAX=100     # tenths of a second for the program to hear of the cover and rest
UNCOVER_MAX=500    # ms from the program hearing of the uncovering to its paint
MEDIAN_MAX=10      # ms from a change to its paint, before the cover

start_xvfb 1024x768x24 || fail "no X server could be started"
mkdir -p "$WORK/home"
HOME="$WORK/home" openbox --sm-disable >"$WORK/openbox.log" 2>&1 &
poll 100 eval 'xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"' ||
    { cat "$WORK/openbox.log" >&2; fail "openbox did not start"; }
TRACE=$WORK/trace.jsonl
start_miravel "$BIN" --trace "$TRACE" || fail "no window named Form1 appeared"
choose "The deep sea"
press time
say "deep sea with the clock on $DISPLAY under openbox, the client area at $X,$Y"

# "Stay on top" taken and given up through the panel's menu first: the
# window's new flags must not make it forget to listen for being covered.
for state in _NET_WM_STATE_ABOVE ""; do
    # shellcheck disable=SC2046 # x and y
    xdotool mousemove --window "$WINDOW" $(centre_of HAIKEI1) click 3
    sleep 0.5
    xdotool key Up Return
    poll 20 eval '[ "$(xprop -id "$WINDOW" _NET_WM_STATE | sed "s/.*= *//")" = "$state" ]' ||
        flag "\"Stay on top\" left the state $(xprop -id "$WINDOW" _NET_WM_STATE)"
done
say "\"Stay on top\" taken and given up through the menu"

paints_between() { trace_lines "$TRACE" | awk -v from="$1" -v to="$2" '$2 == "painted" && $1 >= from && $1 < to'; }
# Voluntary and involuntary context switches of the main thread so far.
main_switches() { awk '/ctxt_switches/ { s += $2 } END { print s + 0 }' "/proc/$APP_PID/task/$APP_PID/status"; }
# The last resting line so far: "MS true" or "MS false".
last_resting() {
    trace_so_far "$TRACE" "$WORK/now.jsonl"
    trace_lines "$WORK/now.jsonl" | awk '$2 == "resting" { r = $1 " " $3 } END { print r }'
}
# Whether the driver's timer is stopped.
resting() { [ "$(last_resting | cut -d' ' -f2)" = true ]; }

xmessage -geometry 400x400+600+300 -title cover "a window over the program" >/dev/null 2>&1 &
COVER=$(find_window 100 --onlyvisible --name '^cover$')
[ -n "$COVER" ] || fail "no covering window appeared"
# Moves the cover's top-left to the client area's x y plus these, above the program.
cover_at() {
    xdotool windowmove --sync "$COVER" $((X + $1)) $((Y + $2)) && xdotool windowraise "$COVER"
    sleep "$SETTLE_S"
}

# --- Partly covered: the right half of the panel and more ---
cover_at 70 -150
FROM=$(trace_now "$TRACE")
sleep "$PARTLY_S"
TO=$(trace_now "$TRACE")
paints_between "$FROM" "$TO" >"$WORK/partly"
GAP=$(awk -v last="$FROM" -v to="$TO" '{ if ($1 - last > gap) gap = $1 - last; last = $1 }
    END { if (to - last > gap) gap = to - last; printf "%.0f", gap }' "$WORK/partly")
if [ "$GAP" -le "$PAINT_GAP_MAX" ]; then
    say "partly covered: $(grep -c . "$WORK/partly") paints in ${PARTLY_S} s, at most $GAP ms apart"
else
    flag "partly covered: $(grep -c . "$WORK/partly") paints in ${PARTLY_S} s, $GAP ms without one"
fi

# --- Covered whole ---
trace_so_far "$TRACE" "$WORK/before-cover.jsonl"
COVERED_AT=$(trace_now "$TRACE")
cover_at -120 -120
# On a busy machine the program may take a moment to hear of it.
poll "$NOTICE_MAX" resting || flag "covered whole: the program did not stop its timer"
trace_so_far "$TRACE" "$WORK/covered.jsonl"
SWITCHES0=$(main_switches)
sleep "$COVER_S"
SWITCHES1=$(main_switches)
trace_so_far "$TRACE" "$WORK/still-covered.jsonl"
WRITTEN=$(($(grep -c . "$WORK/still-covered.jsonl") - $(grep -c . "$WORK/covered.jsonl")))
if [ "$WRITTEN" = 0 ]; then
    say "covered whole for ${COVER_S} s: timer stopped, nothing armed, run or painted" \
        "($((SWITCHES1 - SWITCHES0)) context switches of the main thread)"
else
    flag "covered whole for ${COVER_S} s: the trace gained $WRITTEN lines:" \
        "$(tail -n "$WRITTEN" "$WORK/still-covered.jsonl" | head -n 5 | tr '\n' ' ')"
fi

# --- Uncovered: the next paint shows the present ---
UNCOVERED_AT=$(trace_now "$TRACE")
xdotool windowmove --sync "$COVER" $((X + 400)) "$Y"
poll "$NOTICE_MAX" eval '! resting' || fail "uncovered: the program did not start its timer again"
HEARD_AT=$(last_resting | cut -d' ' -f1)
poll "$NOTICE_MAX" eval '[ -n "$(paints_between "$HEARD_AT" 1e12)" ]' || fail "no paint after the uncovering"
read -r PAINT_MS _ _ SHOWS <<<"$(paints_between "$HEARD_AT" 1e12 | head -n 1)"
awk -v at="$UNCOVERED_AT" -v heard="$HEARD_AT" -v paint="$PAINT_MS" -v shows="$SHOWS" -v max="$UNCOVER_MAX" 'BEGIN {
    printf "covered: uncovered at %.1f ms, heard of %.1f ms later; painted %.1f ms after, showing %.1f ms after the uncovering\n",
        at, heard - at, paint - heard, shows - at
    # The virtual clock counts whole ms.
    exit !(paint - heard <= max && shows >= at - 1) }' ||
    flag "uncovered: the paint after the program heard of it is late or shows an older moment"
sleep 1
end_miravel || fail "\"end\": $STATUS"

# --- The run against the ideal one ---
"$TRACE_CHECK" "$WORK/before-cover.jsonl" >"$WORK/before.fig" || fail "trace_check could not read the run before the cover"
"$TRACE_CHECK" "$TRACE" >"$WORK/whole.fig" || fail "trace_check could not read the run"
say "before the cover: $(figure "$WORK/before.fig" visible_changes) changes, median $(figure "$WORK/before.fig" median) ms, max $(figure "$WORK/before.fig" max) ms to the paint"
say "the whole run: $(cat "$WORK/whole.fig")"
awk -v m="$(figure "$WORK/before.fig" median)" -v max="$MEDIAN_MAX" 'BEGIN { exit !(m <= max) }' ||
    flag "before the cover, changes were painted late (median over $MEDIAN_MAX ms)"
for part in before whole; do
    [ "$(figure "$WORK/$part.fig" unmatched)" = 0 ] || flag "$part: the timers ran otherwise than on the ideal schedule: $(figure "$WORK/$part.fig" miscounted)"
done
# While covered, each change waited for the paint of the uncovering, and no
# longer: none waited from before the cover.
awk -v m="$(figure "$WORK/whole.fig" max)" -v span="$(awk -v a="$COVERED_AT" -v b="$PAINT_MS" 'BEGIN { print b - a }')" \
    'BEGIN { exit !(m <= span + 1) }' ||
    flag "a change waited longer than the cover for its paint"
say "\"end\": exit status 0"
finish
