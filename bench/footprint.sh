#!/usr/bin/env bash
# Idle cost of the real program beside a classic digital clock. Each
# configuration runs RUNS times (3) for SECONDS (60) each, the runs of one
# configuration side by side, each under its own private X server; the
# script reads from /proc the CPU time of the program (every thread, in ns),
# its wake-ups (voluntary context switches) a second and its peak resident memory, and
# prints the median of each. A fourth run of Miravel beside them writes a
# --trace, and trace_check replays it to count the moments a second at which
# a pixel changed: the floor for the wake-ups, with the paints it made.
# `xclock -digital -update 1` runs the same way for comparison, and so does
# the bare Qt window of bench/bare_window.cpp (built by make bench), which
# writes the time once a second and nothing else. Last, the time from just before the program is started to
# its first panel paint, the median of three starts. Exits 1 when a target
# is missed, 2 when a run could not be made.
#
# The deep sea with the clock runs at --zoom 2, 3 and 8 too: against zoom 1,
# the larger window must paint as often, wake at most 1.25 times as often,
# keep no thread more, and spend CPU per paint no faster than its pixels grow.
#
# Usage: bench/footprint.sh <path-to-miravel> [SECONDS] [RUNS]
# ONLY='clock|xclock' (an extended regular expression) measures only the
# configurations whose names it matches, without the starts.
set -u

usage() { echo "usage: bench/footprint.sh <path-to-miravel> [SECONDS] [RUNS]" >&2; exit 2; }
BIN=${1:-}
WINDOW_S=${2:-60}
RUNS=${3:-3}
[ -x "$BIN" ] || usage
[[ $WINDOW_S =~ ^[1-9][0-9]*$ && $RUNS =~ ^[1-9][0-9]*$ ]] || usage
BIN=$(cd "$(dirname "$BIN")" && pwd)/$(basename "$BIN")
CHECK=$(dirname "$BIN")/trace_check
BARE=$(dirname "$BIN")/bench/bare_window

# Targets.
IDLE_WAKE_MAX=0.1     # wake-ups a second with nothing shown
IDLE_CPU_MAX=0.002    # s of CPU per 60 s with nothing shown
CLOCK_WAKE_MAX=1.5    # wake-ups a second with the clock shown; its CPU at most xclock's
FLOOR_RATIO_MAX=1.2   # a scene's wake-ups a second against its floor
HIDDEN_WAKE_MAX=0.017 # wake-ups a second while the window is not shown: one a minute
RSS_MAX=28            # MB, peak: a bare Qt 6 window that repaints
START_MAX=100         # ms from exec to the first paint
SETTLE_S=2            # after the choice: the face wakes in 1.9 s
ZOOM_WAKE_MAX=1.25    # a zoomed window's wake-ups a second against zoom 1's
ZOOM_PAINTS_MIN=0.95  # and its paints a second, at least

HERE=$(cd "$(dirname "$0")" && pwd)
. "$HERE/../tests/window/xsession.sh"
require_tools Xvfb xdotool xclock || exit 2

# CPU seconds of a process so far, every thread, from the scheduler's own ns.
cpu_s() { cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{ ns += $1 } END { printf "%.4f", ns / 1e9 }'; }
# Wake-ups of each thread, "tid count" a line: its voluntary context
# switches, each a sleep it woke from. The involuntary ones count how often
# the scheduler took the processor away, which other work on the machine
# moves and the program does not.
ctxsw() {
    local task
    for task in /proc/"$1"/task/*; do
        awk -v tid="${task##*/}" '/^voluntary_ctxt_switches/ { s += $2 } END { print tid, s + 0 }' "$task/status" 2>/dev/null
    done
}
# Switches between two of those: a thread gone meanwhile counts what it did
# before; one new counts all it did. One that came and went between them is
# not seen: Qt's pooled threads end once idle, and the zoomed paint test
# holds the panel's paints to handing them nothing.
switches_between() { awk 'NR == FNR { before[$1] = $2; next } { s += $2 - before[$1] } END { print s + 0 }' "$1" "$2"; }
peak_rss_mb() { awk '/^VmHWM/ { printf "%.1f", $2 / 1024 }' "/proc/$1/status"; }
# The trace's last "ms".
trace_ms() { "$CHECK" --lines "$1" | awk 'END { print $1 + 0 }'; }

# One of the programs compared with, started and waited for: its pid in pid.
start_other() {
    local config=$1
    case $config in
    xclock) xclock -digital -update 1 >/dev/null 2>&1 & ;;
    bare) "$BARE" >/dev/null 2>&1 & ;;
    esac
    pid=$!
    APP_PID=$pid
    case $config in
    xclock) find_window 100 --onlyvisible --class xclock ;;
    bare) find_window 100 --onlyvisible --name '^bare$' ;;
    esac >/dev/null
}

# One run, in a subshell with its own X server, plain or traced: prints
# "cpu wakeups_per_s rss threads floor paints", the last two only when traced.
one_run() (
    local config=$1 traced=$2 pid cpu0 cpu1 rss threads from to figures
    . "$HERE/../tests/window/xsession.sh"
    # "zoom3 The deep sea": the scene with --zoom 3, on a screen it fits.
    local zoom=() screen=1024x768x24
    if [[ $config =~ ^zoom([0-9])\ (.*)$ ]]; then
        zoom=(--zoom "${BASH_REMATCH[1]}")
        config=${BASH_REMATCH[2]}
        . "$(dirname "$BIN")/window_places.sh"
        read -r width height <<<"$WINDOW_SIZE"
        screen=$((width * zoom[1] + 100))x$((height * zoom[1] + 100))x24
    fi
    start_xvfb "$screen" || exit 2
    if [[ $config == @(xclock|bare) ]]; then
        start_other "$config" || exit 2
    else
        # The trace's own writes are not the program's cost: the runs that
        # are measured go without it, a fourth beside them gives the floor.
        if [ "$traced" = traced ]; then
            start_miravel "$BIN" "${zoom[@]}" --trace "$WORK/trace.jsonl" || exit 2
        else
            start_miravel "$BIN" "${zoom[@]}" || exit 2
        fi
        pid=$APP_PID
        # The buttons and the list where the zoom puts them, for press and choose.
        [ ${#zoom[@]} = 0 ] || local QT_SCALE_FACTOR=${zoom[1]}
        case $config in
        nothing) ;;
        clock) press time ;;
        *)
            press time
            sleep 0.3
            choose "$(echo "$config" | sed 's/^hidden //')"
            ;;
        esac
        [[ $config == hidden* ]] && xdotool windowunmap --sync "$WINDOW"
    fi
    sleep "$SETTLE_S"
    [ "$traced" = traced ] && from=$(trace_ms "$WORK/trace.jsonl")
    cpu0=$(cpu_s "$pid"); ctxsw "$pid" >"$WORK/switches0"
    sleep "$WINDOW_S"
    cpu1=$(cpu_s "$pid"); ctxsw "$pid" >"$WORK/switches1"
    rss=$(peak_rss_mb "$pid")
    threads=$(find /proc/"$pid"/task -mindepth 1 -maxdepth 1 | wc -l)
    figures="- -"
    if [[ $config != @(xclock|bare) ]]; then
        [[ $config == hidden* ]] && xdotool windowmap --sync "$WINDOW"
        end_miravel || exit 2
    fi
    if [ "$traced" = traced ]; then
        to=$(awk -v f="$from" -v s="$WINDOW_S" 'BEGIN { print f + s * 1000 }')
        figures=$("$CHECK" "$WORK/trace.jsonl" "$from" "$to" | tr ' ' '\n' |
            awk -F= '$1 == "visible_per_s" { v = $2 } $1 == "paints_per_s" { p = $2 } END { print v, p }')
    fi
    awk -v c0="$cpu0" -v c1="$cpu1" -v w="$(switches_between "$WORK/switches0" "$WORK/switches1")" -v s="$WINDOW_S" \
        -v rss="$rss" -v t="$threads" -v f="$figures" \
        'BEGIN { printf "%.4f %.3f %s %s %s\n", (c1 - c0) * 60 / s, w / s, rss, t, f }'
)

# The median of one column of the runs' lines.
median_of() {
    awk -v c="$1" '{ print $c }' "$2" | sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

CONFIGS=(nothing clock "The universe" "The deep sea" "Eternity" "zoom2 The deep sea" "zoom3 The deep sea"
    "zoom8 The deep sea" "hidden The deep sea" bare xclock)
NAMES=("nothing shown" "clock shown" "universe + clock" "deep sea + clock" "eternity + clock"
    "deep sea + clock, x2" "deep sea + clock, x3" "deep sea + clock, x8" "deep sea, not shown" "bare Qt window"
    "xclock -digital")
for i in "${!CONFIGS[@]}"; do
    [[ -z ${ONLY:-} || ${CONFIGS[$i]} =~ ^(${ONLY})$ ]] || continue
    if [ "${CONFIGS[$i]}" = bare ] && [ ! -x "$BARE" ]; then
        echo "footprint: no $BARE (make bench builds it); the bare window is left out" >&2
        continue
    fi
    echo "footprint: ${NAMES[$i]}, $RUNS runs of $WINDOW_S s side by side ..." >&2
    for ((r = 0; r < RUNS; r++)); do one_run "${CONFIGS[$i]}" plain >"$WORK/$i.$r" 2>/dev/null & done
    [[ ${CONFIGS[$i]} == @(xclock|bare) ]] || one_run "${CONFIGS[$i]}" traced >"$WORK/$i.traced" 2>/dev/null &
    wait
    cat "$WORK/$i".[0-9]* >"$WORK/$i.all"
    [ "$(grep -c . "$WORK/$i.all")" = "$RUNS" ] || { echo "footprint: a run of ${NAMES[$i]} failed" >&2; exit 2; }
    floor="- -"
    [ -s "$WORK/$i.traced" ] && floor=$(cut -d' ' -f5,6 "$WORK/$i.traced")
    medians=$(for c in 1 2 3 4; do median_of $c "$WORK/$i.all"; done | paste -sd' ')
    echo "${NAMES[$i]}|$medians $floor" >>"$WORK/figures"
done

# Milliseconds from just before the start to the first panel paint, by the
# trace's wall-clock time of its first line.
start_ms() {
    local t0
    rm -f "$WORK/start.jsonl"
    t0=$(date +%s%N)
    start_miravel "$BIN" --trace "$WORK/start.jsonl" || exit 2
    poll 50 eval 'trace_lines "$WORK/start.jsonl" | grep -q " painted "' || { echo "footprint: no paint within 5 s" >&2; exit 2; }
    end_miravel || exit 2
    trace_lines "$WORK/start.jsonl" | awk -v t0="$t0" '
        $2 == "wall" { wall = $3 + 0; at = $1 + 0 }
        $2 == "painted" { printf "%.1f\n", wall + ($1 - at) - t0 / 1e6; exit }' >>"$WORK/starts"
}
STARTS=
if [ -z "${ONLY:-}" ]; then
    echo "footprint: three starts ..." >&2
    start_xvfb || exit 2
    for n in 1 2 3; do start_ms; done
    STARTS=$(sort -n "$WORK/starts" | tr '\n' ' ')
fi

echo "Medians of $RUNS runs of ${WINDOW_S} s, CPU scaled to 60 s (load $(cut -d' ' -f1-3 /proc/loadavg))"
awk -F'|' -v idle_wake=$IDLE_WAKE_MAX -v idle_cpu=$IDLE_CPU_MAX -v clock_wake=$CLOCK_WAKE_MAX \
    -v ratio=$FLOOR_RATIO_MAX -v hidden_wake=$HIDDEN_WAKE_MAX -v rss_max=$RSS_MAX -v starts="$STARTS" \
    -v start_max=$START_MAX -v zoom_wake=$ZOOM_WAKE_MAX -v zoom_paints=$ZOOM_PAINTS_MIN '
    function judge(value, limit, format) {
        if (limit != "" && value > limit + 0) { missed++; return sprintf(format "*", value) }
        return sprintf(format " ", value)
    }
    BEGIN {
        printf "%-20s %11s %11s %9s %8s %9s %9s\n", "", "CPU s/60s", "wake-ups/s", "peak MB", "threads", "floor/s",
            "paints/s"
    }
    { split($2, f, " "); name[NR] = $1; for (i = 1; i <= 6; i++) v[NR, i] = f[i] }
    END {
        for (r = 1; r <= NR; r++) {
            if (name[r] ~ /^xclock/) xclock_cpu = v[r, 1]
            if (name[r] == "deep sea + clock") unzoomed = r
        }
        for (r = 1; r <= NR; r++) {
            cpu_limit = ""; wake_limit = ""; rss_limit = rss_max; threads_limit = ""; paints_short = ""
            if (name[r] == "nothing shown") { cpu_limit = idle_cpu; wake_limit = idle_wake }
            else if (name[r] == "clock shown") { cpu_limit = xclock_cpu != "" ? xclock_cpu : ""; wake_limit = clock_wake }
            else if (name[r] ~ /not shown/) wake_limit = hidden_wake
            else if (name[r] ~ /\+ clock, x[0-9]$/) {
                # Against zoom 1: CPU per paint grows at most as the pixels do.
                wake_limit = v[r, 5] * ratio; rss_limit = ""
                if (unzoomed) {
                    zoom = substr(name[r], length(name[r]))
                    if (v[unzoomed, 2] * zoom_wake < wake_limit) wake_limit = v[unzoomed, 2] * zoom_wake
                    threads_limit = v[unzoomed, 4]
                    if (v[unzoomed, 6] > 0) cpu_limit = v[unzoomed, 1] / v[unzoomed, 6] * zoom * zoom * v[r, 6]
                    if (v[r, 6] < v[unzoomed, 6] * zoom_paints) { missed++; paints_short = "*" }
                }
            }
            else if (name[r] ~ /\+ clock/) wake_limit = v[r, 5] * ratio
            else rss_limit = ""
            printf "%-20s %s %s %s %s %9s %9s%s\n", name[r], judge(v[r, 1], cpu_limit, "%10.4f"),
                judge(v[r, 2], wake_limit, "%10.2f"), judge(v[r, 3], rss_limit, "%8.1f"),
                judge(v[r, 4], threads_limit, "%7d"), v[r, 5], v[r, 6], paints_short
        }
        print "targets: nothing shown <=" idle_cpu " s, <=" idle_wake "/s; clock <= xclock CPU, <=" clock_wake \
            "/s; scenes <=" ratio "x floor; not shown <=" hidden_wake "/s; peak <" rss_max " MB"
        print "zoomed, against the deep sea at zoom 1: paints >=" zoom_paints "x, wake-ups <=" zoom_wake \
            "x, no thread more, CPU per paint <= zoom squared times"
        if (split(starts, s, " ") == 3) {
            printf "start to first paint: median %.1f ms of %s(target <%d ms)", s[2], starts, start_max
            if (s[2] >= start_max) { missed++; printf "*" }
            print ""
        }
        print "floor: moments a second at which a pixel changed, counted by replaying the run on the model"
        if (missed) { print missed " target(s) missed (*)"; exit 1 }
        print "all targets met"
    }' "$WORK/figures"
