#!/usr/bin/env bash
# Stall: proves that the real program, suspended for seconds and resumed,
# neither bursts to catch up nor loses its rhythm. The deep sea runs with the
# clock shown and a trace; some eight seconds in the process is stopped
# (SIGSTOP) for three seconds, resumed, and runs on. From the trace, after the
# resume every timer runs once, never twice within half its Interval, and then
# keeps its Interval on average; from screenshots just before the stop and
# just after the resume, the turtle moved only the steps of the time it was
# running, not the twenty a burst would make. trace_check, told by the trace
# where the stall moved the timers on, replays every timer as the program ran
# it. "end" then gives status 0.
#
# Usage: tests/window/stall.sh <path-to-miravel> [stop-seconds]
set -u

BIN=${1:?usage: stall.sh <path-to-miravel> [stop-seconds]}
STOP_S=${2:-3}
[ -x "$BIN" ] || { echo "stall: not an executable: $BIN" >&2; exit 2; }

. "$(dirname "$0")/xsession.sh"
require_tools Xvfb xdotool xwd convert || exit 2

now_ms() { date +%s%3N; }

# The deep sea's timers and the clock's, with their Intervals in ms (the layout's).
STEP_PX=3.333 # a turtle step: 50 twips

start_xvfb || fail "no X server could be started"
start_miravel "$BIN" --trace "$WORK/trace.jsonl" || fail "no window named Form1 appeared"
choose "The deep sea"
press time
say "deep sea with the clock on $DISPLAY"
INTERVALS="JIKOKU1_Timer=$INTERVAL_JIKOKU1 KAME_Timer=$INTERVAL_KAME ANCOU_Timer=$INTERVAL_ANCOU COMBU_Timer=$INTERVAL_COMBU"
KAME_MS=$INTERVAL_KAME
# The band of the panel the turtle swims in: the panel's inner width, the turtle's height.
read -r INNER_X _ INNER_W _ <<<"$INNER_HAIKEI1"
read -r _ TURTLE_Y _ TURTLE_H <<<"$PLACE_kame1"
BAND=$(crop "$INNER_X $TURTLE_Y $INNER_W $TURTLE_H")

# A shot of the window as X holds it, quick to take: ImageMagick's import
# starts slowly on a busy machine, and the turtle swims on meanwhile.
quick_shot() { xwd -silent -id "$WINDOW" -out "$1"; }

# The turtle's left edge in window pixels on a quick shot: the left of the
# bounding box of its cyan shell, in the band where it swims.
turtle_x() {
    convert "xwd:$1" -crop "$BAND" +repage -fill black +opaque '#00FFFF' -format '%@' info: |
        awk -F'[x+]' -v x0="$INNER_X" -v w="$INNER_W" '$1 > 0 && $1 < w { print $3 + x0; ok = 1 } END { exit !ok }'
}

sleep 8
# Stop while the turtle is well inside the panel, so that neither a wrap to
# the right edge nor the left edge's clipping can hide a jump.
poll 80 eval 'quick_shot "$WORK/probe.xwd" && x=$(turtle_x "$WORK/probe.xwd") && [ "$x" -ge 50 ] && [ "$x" -le 100 ]' ||
    fail "the turtle never came into the middle of the panel"

T_SHOT1=$(now_ms)
quick_shot "$WORK/before.xwd"
kill -STOP "$APP_PID"
T_STOP=$(now_ms)
sleep "$STOP_S"
kill -CONT "$APP_PID"
T_CONT=$(now_ms)
sleep 0.05
quick_shot "$WORK/after.xwd"
T_SHOT2=$(now_ms)
X_BEFORE=$(turtle_x "$WORK/before.xwd") || fail "no turtle before the stop"
X_AFTER=$(turtle_x "$WORK/after.xwd") || fail "no turtle after the resume"
# Swum into the panel's left edge, the turtle's place tells nothing.
[ "$X_BEFORE" -gt "$INNER_X" ] ||
    fail "the turtle reached the panel's edge before the stop: the machine took $((T_STOP - T_SHOT1)) ms to stop the program"

sleep 8
kill -0 "$APP_PID" 2>/dev/null || fail "the program died after the resume"
end_miravel || fail "\"end\": $STATUS"

# --- The turtle: only the steps of the running time between the two shots ---
RUNNING_MS=$(((T_STOP - T_SHOT1) + (T_SHOT2 - T_CONT)))
awk -v b="$X_BEFORE" -v a="$X_AFTER" -v step="$STEP_PX" -v run="$RUNNING_MS" -v kame="$KAME_MS" \
    -v stopped="$((T_CONT - T_STOP))" '
    BEGIN {
        steps = (b - a) / step
        # The ticks that fit in the running time, the late tick of the resume,
        # and a pixel of difference between the two frames of the turtle.
        allowed = int(run / kame) + 2.5
        printf "stall: turtle at x %d px before the stop, %d px after the resume: %.1f steps in %d ms of running (allowed %.1f; a burst would add %d)\n",
            b, a, steps, run, allowed, int(stopped / kame)
        if (steps < -0.5 || steps > allowed) { print "stall: FAIL: the turtle jumped"; exit 1 }
    }' || exit 1

# --- The trace: the gap, then each timer once and back in its rhythm ---
trace_lines "$WORK/trace.jsonl" | awk -v intervals="$INTERVALS" -v stop_ms="$((T_CONT - T_STOP))" '
    BEGIN {
        n = split(intervals, pairs, " ")
        for (i = 1; i <= n; i++) { split(pairs[i], kv, "="); interval[kv[1]] = kv[2] }
    }
    $2 == "handler" {
        t = $1 + 0; h = $3
        times[h, ++count[h]] = t
        if (prev != "" && t - prev > gap) { gap = t - prev; resume = t }
        prev = t
    }
    END {
        if (gap < stop_ms * 0.9) { printf "stall: FAIL: no gap of %d ms in the trace (largest %.0f)\n", stop_ms, gap; exit 1 }
        printf "stall: trace gap %.0f ms, resumed at %.0f ms\n", gap, resume
        bad = 0
        for (h in interval) {
            iv = interval[h]; first = 0; closest = 1e9; before = 0
            for (k = 1; k <= count[h]; k++) {
                t = times[h, k]
                if (t < resume) { before = k; continue }
                if (!first) first = k
                if (k > before + 1 && t - times[h, k - 1] < closest) closest = t - times[h, k - 1]
            }
            runs = count[h] - first + 1
            if (!first || runs < 3) { printf "stall: FAIL: %s ran %d times after the resume\n", h, runs; bad = 1; continue }
            # The first run after the resume against the last before it, then the rhythm.
            lead = times[h, first] - resume
            mean = (times[h, count[h]] - times[h, first + 1]) / (count[h] - first - 1)
            printf "stall: %-14s Interval %4d ms: first run %3.0f ms after the resume, closest two runs %5.1f ms apart, then mean %6.1f ms over %d runs\n",
                h, iv, lead, closest, mean, runs
            if (closest < iv / 2) { printf "stall: FAIL: %s ran twice within half its Interval\n", h; bad = 1 }
            if (lead > iv + 50) { printf "stall: FAIL: %s came late after the resume\n", h; bad = 1 }
            if (mean < iv * 0.95 || mean > iv * 1.05) { printf "stall: FAIL: %s lost its rhythm\n", h; bad = 1 }
        }
        exit bad
    }' || exit 1
# --- The replay: told where the stall moved the timers on, it ran them as the program did ---
"$TRACE_CHECK" "$WORK/trace.jsonl" >"$WORK/figures" || fail "trace_check could not read the run"
STALLED=$(figure "$WORK/figures" stalled)
[ "$(figure "$WORK/figures" unmatched)" = 0 ] || flag "the replay ran the timers otherwise: $(cat "$WORK/figures")"
# Less the part of the stop the program would have slept anyway (its wait
# for the next change), more any hiccup of a loaded machine.
[ "$STALLED" -ge $((T_CONT - T_STOP - 300)) ] && [ "$STALLED" -le $((T_CONT - T_STOP + 500)) ] ||
    flag "the trace moved the timers on by $STALLED ms for a stop of $((T_CONT - T_STOP)) ms"
say "the replay: every timer ran as in the program; the stall moved them on by $STALLED ms"
say "\"end\": exit status 0"
finish
