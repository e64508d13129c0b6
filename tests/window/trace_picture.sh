#!/usr/bin/env bash
# trace_picture against the real window: the Linux build, traced on a private
# X server, is driven through the scenes, the clock and "clear"; after each
# step the panel on a screenshot must be, pixel for pixel, trace_picture's
# picture of the moment one of the last paints before it showed. The clock's
# text, the scenes' animation at its traced moment, and the window's own
# colour, all drawn from the trace alone.
#
# Usage: tests/window/trace_picture.sh <miravel>
#   trace_picture and trace_check are found beside the program unless
#   TRACE_PICTURE and TRACE_CHECK name them.
set -u

BIN=${1:?usage: trace_picture.sh <miravel>}
. "$(dirname "$0")/xsession.sh"
require_tools Xvfb xdotool import convert compare || exit 2
TRACE_PICTURE=${TRACE_PICTURE:-$(dirname "$BIN")/trace_picture}

start_xvfb 640x480x24 || fail "no X server could be started"
TRACE=$WORK/trace.jsonl
start_miravel "$BIN" --trace "$TRACE" || fail "the window did not appear"

# The deep sea moves ten times a second: a shot there falls between paints.
for step in "The deep sea" time "Eternity" clear "The universe"; do
    case $step in
    time | clear) press "$step" ;;
    *) choose "$step" ;;
    esac
    sleep 1
    matched=$(shot_shows_a_paint "$TRACE") || fail "after \"$step\", the panel is not trace_picture's"
    say "after \"$step\", the panel is $matched"
done

end_miravel || fail "\"end\": $STATUS"
finish
