#!/usr/bin/env bash
# Eight private X sessions started at the same moment through the shared
# session code: each must get a display of its own and see there only its own
# program's window, and each program must end with status 0 on "end".
#
# Usage: tests/window/parallel_sessions.sh <path-to-miravel> [sessions]
set -u

BIN=${1:?usage: parallel_sessions.sh <path-to-miravel> [sessions]}
SESSIONS=${2:-8}
[ -x "$BIN" ] || { echo "parallel_sessions: not an executable: $BIN" >&2; exit 2; }
HERE=$(dirname "$0")
. "$HERE/xsession.sh"
REPORTS=$WORK/reports
mkdir "$REPORTS"

# One session: prints "<display> <window's pid> <program's pid> <exit status>".
session() (
    . "$HERE/xsession.sh"
    require_tools Xvfb xdotool || exit 2
    start_xvfb || { echo "no X server" >&2; exit 1; }
    start_miravel "$BIN" || { echo "no window on $DISPLAY; X server: $(tail -n 3 "$WORK/xvfb.log")" >&2; kill -0 "$APP_PID" 2>/dev/null && echo "program running" >&2; exit 1; }
    windows=$(search_windows --onlyvisible --name '^Form1$' | wc -l)
    owner=$(xdotool getwindowpid "$WINDOW")
    pid=$APP_PID
    end_miravel
    echo "$DISPLAY $windows $owner $pid $STATUS"
)

for ((i = 0; i < SESSIONS; i++)); do
    session >"$REPORTS/$i" 2>"$REPORTS/$i.err" &
done
wait

DISPLAYS=()
for ((i = 0; i < SESSIONS; i++)); do
    read -r display windows owner pid status <"$REPORTS/$i" || { flag "session $i: $(cat "$REPORTS/$i.err")"; continue; }
    DISPLAYS+=("$display")
    [ "$windows" = 1 ] || flag "session $i on $display saw $windows windows named Form1"
    [ "$owner" = "$pid" ] || flag "session $i on $display: the window belongs to pid $owner, not to its program $pid"
    [ "$status" = 0 ] || flag "session $i on $display: exit status $status after \"end\""
done
shared=$(printf '%s\n' "${DISPLAYS[@]}" | sort | uniq -d | tr '\n' ' ')
[ -z "$shared" ] || flag "displays shared between sessions: $shared"
say "$SESSIONS sessions on displays ${DISPLAYS[*]}, each saw only its own window"
finish
