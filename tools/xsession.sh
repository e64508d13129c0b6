# Shared by the scripts that drive the real program on a private X server:
# source it, then start_xvfb, start_miravel, and act as a user would.
#
# Sets WORK (a scratch directory), DISPLAY, XVFB_PID, APP_PID, WINDOW and the
# window's X, Y. On exit, by any path, it stops whatever the script started
# and removes WORK.

XVFB_PID=
APP_PID=
WINDOW=
WORK=$(mktemp -d)

# Stops the program (woken first: a stopped process takes no signal but
# SIGKILL) and the X server.
xsession_cleanup() {
    [ -n "$APP_PID" ] && kill -CONT "$APP_PID" 2>/dev/null && kill "$APP_PID" 2>/dev/null
    [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null
    [ -n "$XVFB_PID" ] && wait "$XVFB_PID" 2>/dev/null
    return 0
}

# Also stops any other background job of the script, such as a sampler.
xsession_exit() {
    xsession_cleanup
    local jobs
    jobs=$(jobs -p)
    [ -n "$jobs" ] && kill $jobs 2>/dev/null
    rm -rf "$WORK"
}
trap xsession_exit EXIT
trap 'exit 130' INT TERM

require_tools() {
    local tool
    for tool in "$@"; do
        command -v "$tool" >/dev/null || { echo "$tool is missing (the Makefile's setup installs it)" >&2; return 2; }
    done
}

# Polls a command every 50 ms until it succeeds or the time (in tenths of a second) runs out.
poll() {
    local tenths=$1; shift
    local i
    for ((i = 0; i < tenths * 2; i++)); do
        "$@" && return 0
        sleep 0.05
    done
    return 1
}

# A private X server (screen size optional) on a display the server itself
# chose and bound (-displayfd): sessions started at the same moment never
# share one, as they could if each looked for a free number first.
start_xvfb() {
    local screen=${1:-640x480x24}
    # Emptied here, not by the server's redirection: that runs in the child,
    # after the wait below may already have read a previous session's number.
    : >"$WORK/display"
    # -noreset: by default the server resets whenever its last client leaves,
    # and a client connecting meanwhile is refused now and then (a probe, a
    # poll with xprop and a starting window manager come and go like that).
    Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp -noreset 3>"$WORK/display" >"$WORK/xvfb.log" 2>&1 &
    XVFB_PID=$!
    # The number is written once the server listens; or the server is gone.
    poll 100 eval '[ -s "$WORK/display" ] || ! kill -0 "$XVFB_PID" 2>/dev/null'
    local n
    n=$(head -n 1 "$WORK/display" 2>/dev/null)
    if [ -z "$n" ] || ! kill -0 "$XVFB_PID" 2>/dev/null; then
        cat "$WORK/xvfb.log" >&2
        XVFB_PID=
        return 1
    fi
    export DISPLAY=":$n"
    unset WAYLAND_DISPLAY
    export QT_QPA_PLATFORM=xcb # whatever the environment says, these scripts want the real window
}

# Starts the program with the given arguments and waits for its window.
start_miravel() {
    local bin=$1; shift
    "$bin" "$@" >"$WORK/out.log" 2>"$WORK/err.log" &
    APP_PID=$!
    WINDOW=$(timeout 15 xdotool search --sync --onlyvisible --name '^Form1$' 2>/dev/null | head -n 1)
    [ -n "$WINDOW" ] || { cat "$WORK/err.log" >&2; return 1; }
    eval "$(xdotool getwindowgeometry --shell "$WINDOW")" # X, Y, WIDTH, HEIGHT
}

# Window places in logical pixels, from the layout's twips (15 to a pixel).
# The scale factor (QT_SCALE_FACTOR) multiplies them.
scaled() { awk -v v="$1" -v s="${QT_SCALE_FACTOR:-1}" 'BEGIN { printf "%d", v * s }'; }

# Presses a button by its caption: "clear", "time" or "end".
press() {
    local x
    case $1 in
    clear) x=28 ;;
    time) x=72 ;;
    end) x=116 ;;
    *) echo "press: no button \"$1\"" >&2; return 2 ;;
    esac
    xdotool mousemove --window "$WINDOW" "$(scaled "$x")" "$(scaled 168)" click 1
}

# Chooses a scene from the list as a person would: open it, go to the top,
# step down to the entry, take it.
choose() {
    local steps
    case $1 in
    "The universe") steps=0 ;;
    "The deep sea") steps=1 ;;
    "Eternity") steps=2 ;;
    *) echo "choose: no entry \"$1\"" >&2; return 2 ;;
    esac
    xdotool mousemove --window "$WINDOW" "$(scaled 56)" "$(scaled 194)" click 1
    sleep 0.3
    xdotool key Home
    local i
    for ((i = 0; i < steps; i++)); do xdotool key Down; done
    xdotool key Return
}

# A screenshot of the window's client area.
screenshot() {
    import -window "$WINDOW" "$1" 2>/dev/null
}
