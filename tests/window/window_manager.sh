#!/usr/bin/env bash
# Under real X11 window managers (openbox and icewm, each on its own private
# X server), the window keeps its 145 x 210 client area whatever it is asked:
# it asks the manager for no maximizing and no resizing (_MOTIF_WM_HINTS)
# and for one size (WM_NORMAL_HINTS); a maximize, a full-screen and two resize requests each
# leave it 145 x 210 and in no maximized or full-screen state; closing it by
# the frame (the manager's close, a WM_DELETE_WINDOW) ends it with status 0.
#
# Usage: tests/window/window_manager.sh <path-to-miravel>
set -u

BIN=${1:?usage: window_manager.sh <path-to-miravel>}
[ -x "$BIN" ] || { echo "window_manager: not an executable: $BIN" >&2; exit 2; }

. "$(dirname "$0")/xsession.sh"
require_tools Xvfb xdotool xprop xwininfo wmctrl openbox icewm || exit 2

. "$(dirname "$BIN")/window_places.sh"
read -r WINDOW_W WINDOW_H <<<"$WINDOW_SIZE"

WM_PID=
# The manager goes with the session; the X server's cleanup stops the rest.
stop_wm() {
    [ -n "$WM_PID" ] && kill "$WM_PID" 2>/dev/null && wait "$WM_PID" 2>/dev/null
    WM_PID=
    return 0
}

# What the X server said, when a session went wrong.
server_state() {
    kill -0 "$XVFB_PID" 2>/dev/null && echo "X server $DISPLAY running" >&2 || echo "X server $DISPLAY gone" >&2
    xprop -root >/dev/null 2>&1 && echo "X server $DISPLAY answers" >&2 || echo "X server $DISPLAY does not answer" >&2
    cat "$WORK/xvfb.log" >&2
}

client_size() { xdotool getwindowgeometry "$WINDOW" 2>/dev/null | awk '/Geometry:/ { print $2 }'; }
wm_state() { xprop -id "$WINDOW" _NET_WM_STATE 2>/dev/null; }
# The size is back and no enlarged state is left.
settled() { [ "$(client_size)" = "${WINDOW_W}x${WINDOW_H}" ] && ! wm_state | grep -q -e MAXIMIZED -e FULLSCREEN; }

# A request, then: the manager has had its turn, and the window has its size.
request() {
    local wm=$1 what=$2; shift 2
    "$@" || { flag "$wm: could not send the $what request"; return; }
    sleep 0.5
    if poll 30 settled; then
        say "$wm: $what: still $(client_size)"
    else
        flag "$wm: $what: the client area is $(client_size), state: $(wm_state)"
    fi
    kill -0 "$APP_PID" 2>/dev/null || flag "$wm: $what: the program is gone"
}

one_manager() {
    local wm=$1
    start_xvfb 1024x768x24 || { flag "$wm: no X server could be started"; return; }
    # Nothing of the user's own setup: each manager starts from its defaults.
    mkdir -p "$WORK/home-$wm"
    case $wm in
    openbox) HOME="$WORK/home-$wm" openbox --sm-disable >"$WORK/$wm.log" 2>&1 & ;;
    icewm) HOME="$WORK/home-$wm" icewm >"$WORK/$wm.log" 2>&1 & ;;
    esac
    WM_PID=$!
    poll 100 eval 'xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"' ||
        { flag "$wm: the manager did not start"; cat "$WORK/$wm.log" >&2; server_state; stop_wm; xsession_cleanup; return; }
    start_miravel "$BIN" || { flag "$wm: no window"; cat "$WORK/$wm.log" >&2; server_state; stop_wm; xsession_cleanup; return; }
    # Requests are the manager's business only once it has framed the window.
    poll 100 eval '! xwininfo -children -id "$WINDOW" | grep -q "Parent window id: .*(the root window)"' ||
        flag "$wm: the window was never framed"

    # What the window asks for: no maximizing, no resizing, one size.
    local motif functions normal
    motif=$(xprop -id "$WINDOW" _MOTIF_WM_HINTS)
    functions=$(echo "$motif" | awk -F'[=,]' '{ gsub(/ /, "", $3); print $3 }')
    # Functions: 0x01 all, 0x02 resize, 0x10 maximize.
    (( (functions & 0x13) == 0 )) || flag "$wm: _MOTIF_WM_HINTS offers resizing or maximizing: $motif"
    normal=$(xprop -id "$WINDOW" WM_NORMAL_HINTS)
    echo "$normal" | grep -q "minimum size: $WINDOW_W by $WINDOW_H" &&
        echo "$normal" | grep -q "maximum size: $WINDOW_W by $WINDOW_H" ||
        flag "$wm: WM_NORMAL_HINTS do not hold the window at $WINDOW_W by $WINDOW_H: $normal"
    say "$wm: asks for $(echo "$motif" | cut -d= -f2 | tr -d ' '); the manager allows$(xprop -id "$WINDOW" _NET_WM_ALLOWED_ACTIONS | cut -d= -f2 | sed 's/_NET_WM_ACTION_//g')"

    request "$wm" maximize wmctrl -i -r "$WINDOW" -b add,maximized_vert,maximized_horz
    request "$wm" "full screen" wmctrl -i -r "$WINDOW" -b add,fullscreen
    request "$wm" "resize to 300x400" xdotool windowsize "$WINDOW" 300 400
    request "$wm" "move and resize to 400x300" wmctrl -i -r "$WINDOW" -e 0,20,20,400,300

    # Closed by the frame, as the manager's close button does.
    wmctrl -i -c "$WINDOW"
    if poll 30 eval '! kill -0 "$APP_PID" 2>/dev/null'; then
        wait "$APP_PID"
        local status=$?
        [ "$status" = 0 ] && say "$wm: closed by the frame, status 0" || flag "$wm: closed by the frame, status $status"
    else
        flag "$wm: still running 3 s after closing by the frame"
    fi
    APP_PID=
    stop_wm
    xsession_cleanup
    XVFB_PID=
}

one_manager openbox
one_manager icewm
finish
