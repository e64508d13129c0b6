#!/usr/bin/env bash
# Counts the instructions the real program spends per timer event and per
# panel repaint in one scene, under callgrind (reproducible, unlike CPU time),
# and lists the functions that cost the most.
#
# Usage: bench/profile.sh BIN ["The deep sea"|"The universe"|"Eternity"|none] [SECONDS] [WARM_UP_SECONDS]
# A warm-up of a minute or more leaves out the first drawing of each glyph
# the clock needs, which a program running all day pays only once.
# Leaves the profile in /tmp/miravel-callgrind.out for callgrind_annotate.
set -u

BIN=${1:?usage: profile.sh BIN [scene|none] [SECONDS] [WARM_UP_SECONDS]}
SCENE=${2:-The deep sea}
SECONDS_TO_COUNT=${3:-20}
WARM_UP_S=${4:-3}
OUT=/tmp/miravel-callgrind.out

. "$(dirname "$0")/../tests/window/xsession.sh"
require_tools Xvfb xdotool valgrind callgrind_control callgrind_annotate || exit 2

start_xvfb || { echo "profile: no X server could be started" >&2; exit 1; }
PLACES=$(dirname "$BIN")/window_places.sh
# Counting starts only once the scene runs: start-up is not what repeats.
start_miravel valgrind --tool=callgrind --instr-atstart=no --callgrind-out-file="$OUT" \
    "$BIN" --trace "$WORK/trace.json" || { echo "profile: no window" >&2; exit 1; }
press time
[ "$SCENE" = none ] || choose "$SCENE"
sleep "$WARM_UP_S"

lines() { trace_lines "$WORK/trace.json" | awk -v kind="$1" '$2 == kind { n++ } END { print n + 0 }'; }
events_before=$(lines handler); paints_before=$(lines painted)
callgrind_control -i on "$APP_PID" >/dev/null
sleep "$SECONDS_TO_COUNT"
callgrind_control -i off "$APP_PID" >/dev/null
events=$(($(lines handler) - events_before)); paints=$(($(lines painted) - paints_before))
press end
poll 300 eval '! kill -0 "$APP_PID" 2>/dev/null'
APP_PID=

# Inclusive costs of the whole run and of the panel's paint.
annotated=$(callgrind_annotate --inclusive=yes "$OUT" 2>/dev/null)
total=$(awk '/PROGRAM TOTALS/ { gsub(",", "", $1); print $1; exit }' <<<"$annotated")
inclusive() { awk -v f="$1" 'index($0, f) { gsub(",", "", $1); print $1; exit }' <<<"$annotated"; }
painting=$(inclusive 'ScenePanel::paintEvent')
# The trace is only how events are counted here; its own cost is not the program's.
tracing=$(($(inclusive 'TraceLog::record(') + $(inclusive 'TraceLog::recordPaint(')))
total=$((total - tracing))
printf 'scene: %s, counted %s s: %d timer events, %d panel paints\n' "$SCENE" "$SECONDS_TO_COUNT" "$events" "$paints"
awk -v t="$total" -v p="${painting:-0}" -v e="$events" -v n="$paints" 'BEGIN {
    printf "instructions: %.0f in all (the trace'"'"'s own cost taken out), %.0f per timer event (paint included)\n", t, t / (e ? e : 1)
    printf "panel paint:  %.0f per paint (the panel'"'"'s own paintEvent, inclusive)\n", p / (n ? n : 1)
}'
echo "most costly, inclusive:"
callgrind_annotate --inclusive=yes "$OUT" 2>/dev/null | awk '/file:function/ { on = 1; next } on && NF { print "  " $0; if (++k == 25) exit }'
