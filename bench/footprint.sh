#!/usr/bin/env bash
# Footprint of the real program: it idles between timer events. With the
# clock alone, and with each scene and the clock, it runs SECONDS (60 by
# default) under its own private X server, and the script reads from /proc
# the CPU time of the program (all threads) and of the X server over that
# window, the program's peak resident memory and its context switches per
# second. A second run of each with --trace gives the timer events and the
# repainted device pixels per second over the same window (the CPU is taken
# from the run without the trace, which would add its own writes). Last, the
# time from just before the program is started to its first panel paint,
# the median of three starts. Prints a table with the targets beside the
# figures; exits 1 when a target is missed, 2 when a run could not be made.
#
# Usage: bench/footprint.sh <path-to-miravel> [SECONDS]
set -u

usage() { echo "usage: bench/footprint.sh <path-to-miravel> [SECONDS]" >&2; exit 2; }
BIN=${1:-}
WINDOW_S=${2:-60}
[ -x "$BIN" ] || usage
[[ $WINDOW_S =~ ^[1-9][0-9]*$ ]] || usage

# Targets.
CLOCK_CPU_MAX=0.1   # s of CPU per 60 s, clock only
SCENE_CPU_MAX=0.3   # s of CPU per 60 s, any scene and the clock
EVENT_CPU_MAX=0.25  # ms of CPU per timer event
RSS_MAX=32          # MB, peak
CTXSW_RATIO_MAX=2   # context switches per timer event
START_MAX=100       # ms from exec to the first paint
SETTLE_S=2          # after the choice, before the window opens: the face wakes in 1.9 s

. "$(dirname "$0")/../tools/xsession.sh"
require_tools Xvfb xdotool || exit 2
TICK=$(getconf CLK_TCK)

# CPU seconds (user + system, every thread) of a process so far.
cpu_s() { sed 's/^.*) //' "/proc/$1/stat" | awk -v hz="$TICK" '{ printf "%.2f", ($12 + $13) / hz }'; }
# Voluntary and involuntary context switches, summed over the threads alive now.
ctxsw() { cat /proc/"$1"/task/*/status 2>/dev/null | awk '/ctxt_switches/ { s += $2 } END { print s + 0 }'; }
peak_rss_mb() { awk '/^VmHWM/ { printf "%.1f", $2 / 1024 }' "/proc/$1/status"; }

fail_run() { echo "footprint: $*" >&2; exit 2; }

# Stops the program by "end" and the X server with it.
finish() {
    press end
    poll 50 eval '! kill -0 "$APP_PID" 2>/dev/null' || fail_run "still running after \"end\""
    wait "$APP_PID" || fail_run "exit status $? after \"end\""
    APP_PID=
    xsession_cleanup
    XVFB_PID=
}

# Shows the clock and chooses the scene, if any, then lets it settle.
set_up() {
    press time
    if [ -n "$1" ]; then
        sleep 0.5
        choose "$1"
    fi
    sleep "$SETTLE_S"
}

# One configuration: appends "name|cpu x_cpu rss ctxsw_per_s events_per_s
# pixels_per_s" to the figures. Runs in this shell, never in a subshell, so
# that the X server is cleaned up whatever happens.
measure() {
    local name=$1 scene=$2 cpu0 x0 sw0 cpu1 x1 sw1 rss
    start_xvfb || fail_run "no X server could be started"
    start_miravel "$BIN" || fail_run "no window"
    set_up "$scene"
    cpu0=$(cpu_s "$APP_PID"); x0=$(cpu_s "$XVFB_PID"); sw0=$(ctxsw "$APP_PID")
    sleep "$WINDOW_S"
    cpu1=$(cpu_s "$APP_PID"); x1=$(cpu_s "$XVFB_PID"); sw1=$(ctxsw "$APP_PID")
    rss=$(peak_rss_mb "$APP_PID")
    finish

    # The same again with the trace, for what ran and what was painted.
    start_xvfb || fail_run "no X server could be started"
    start_miravel "$BIN" --trace "$WORK/trace.jsonl" || fail_run "no window"
    set_up "$scene"
    local from
    from=$(awk 'END { sub(/^\{"ms": /, ""); print $0 + 0 }' "$WORK/trace.jsonl")
    sleep "$WINDOW_S"
    finish
    local rates
    rates=$(awk -v from="$from" -v to="$(awk -v f="$from" -v s="$WINDOW_S" 'BEGIN { print f + s * 1000 }')" \
        -v s="$WINDOW_S" '
        { ms = $2 + 0 }
        ms < from || ms >= to { next }
        /_Timer"/ { events++ }
        /"painted"/ { pixels += $4 + 0 }
        END { printf "%.1f %.0f", events / s, pixels / s }' "$WORK/trace.jsonl")
    awk -v c0="$cpu0" -v c1="$cpu1" -v x0="$x0" -v x1="$x1" -v w0="$sw0" -v w1="$sw1" -v s="$WINDOW_S" \
        -v rss="$rss" -v rates="$rates" -v name="$name" \
        'BEGIN { printf "%s|%.2f %.2f %s %.1f %s\n", name, c1 - c0, x1 - x0, rss, (w1 - w0) / s, rates }' >>"$WORK/figures"
}

# Appends the milliseconds from just before the start to the first panel
# paint, by the trace's wall-clock time of its first line.
start_ms() {
    local t0
    rm -f "$WORK/start.jsonl"
    t0=$(date +%s%N)
    start_miravel "$BIN" --trace "$WORK/start.jsonl" || fail_run "no window"
    poll 50 grep -q '"painted"' "$WORK/start.jsonl" || fail_run "no paint within 5 s"
    finish_app_only
    awk -v t0="$t0" '
        /"wall"/ { wall = $4 + 0; at = $2 + 0 }
        /"painted"/ { printf "%.1f\n", wall + ($2 - at) - t0 / 1e6; exit }' "$WORK/start.jsonl" >>"$WORK/starts"
}
finish_app_only() {
    press end
    poll 50 eval '! kill -0 "$APP_PID" 2>/dev/null' || fail_run "still running after \"end\""
    wait "$APP_PID"
    APP_PID=
}

NAMES=("clock only" "universe + clock" "deep sea + clock" "eternity + clock")
SCENES=("" "The universe" "The deep sea" "Eternity")
for i in "${!NAMES[@]}"; do
    echo "footprint: ${NAMES[$i]}, twice ${WINDOW_S} s ..." >&2
    measure "${NAMES[$i]}" "${SCENES[$i]}"
done

echo "footprint: three starts ..." >&2
start_xvfb || fail_run "no X server could be started"
for n in 1 2 3; do start_ms; done
STARTS=$(sort -n "$WORK/starts" | tr '\n' ' ')
xsession_cleanup
XVFB_PID=

echo "Footprint over ${WINDOW_S} s, CPU scaled to 60 s (load $(cut -d' ' -f1-3 /proc/loadavg))"
awk -F'|' -v window="$WINDOW_S" -v clock_max=$CLOCK_CPU_MAX -v scene_max=$SCENE_CPU_MAX \
    -v event_max=$EVENT_CPU_MAX -v rss_max=$RSS_MAX -v ratio_max=$CTXSW_RATIO_MAX -v starts="$STARTS" \
    -v start_max=$START_MAX '
    # A figure, starred when it is over its limit.
    function judge(value, limit, format) {
        if (value > limit) { missed++; return sprintf(format "*", value) }
        return sprintf(format " ", value)
    }
    BEGIN {
        printf "%-17s %11s %10s %11s %9s %10s %9s %11s\n", "", "CPU s/60s", "ms/event", "X CPU s/60s",
            "peak MB", "ctxsw/s", "events/s", "pixels/s"
    }
    {
        split($2, f, " ")
        cpu = f[1] * 60 / window; x = f[2] * 60 / window
        per_event = f[5] > 0 ? f[1] * 1000 / (f[5] * window) : 0
        printf "%-17s %s %s %s %s %s %9.1f %11d\n", $1,
            judge(cpu, NR == 1 ? clock_max : scene_max, "%10.2f"), judge(per_event, event_max, "%9.3f"),
            judge(x, cpu, "%10.2f"), judge(f[3], rss_max, "%8.1f"), judge(f[4], ratio_max * f[5], "%9.1f"),
            f[5], f[6]
    }
    END {
        printf "%-17s %11s %10s %11s %9s %10s\n", "target", "<" clock_max " / <" scene_max, "<=" event_max,
            "<= program", "<" rss_max, "<=" ratio_max "x ev/s"
        n = split(starts, s, " ")
        printf "start to first paint: median %.1f ms of %s(target <%d ms)", s[2], starts, start_max
        if (s[2] >= start_max) { missed++; printf "*" }
        print ""
        print "CPU from a run without --trace, events and pixels from one with it; CPU target: clock only, then with a scene"
        if (missed) { print missed " target(s) missed (*)"; exit 1 }
        print "all targets met"
    }' "$WORK/figures"
