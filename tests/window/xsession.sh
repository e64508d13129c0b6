# Shared by the scripts that drive the real program on a private X server:
# source it, then start_xvfb, start_miravel, and act as a user would.
#
# Sets WORK (a scratch directory), DISPLAY, XVFB_PID, APP_PID, WINDOW and the
# window's X, Y. On exit, by any path, it stops whatever the script started
# and removes WORK. The window's places come from window_places.sh, which the
# build writes from the layout beside the program.

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

SCRIPT=$(basename "$0" .sh)
FAILED=0
say() { echo "$SCRIPT: $*"; }
# A fault that ends the script at once.
fail() {
    echo "$SCRIPT: FAIL: $*" >&2
    exit 1
}
# A fault noted while the script goes on to check the rest; finish reports it.
flag() {
    echo "$SCRIPT: FAIL: $*" >&2
    FAILED=1
}
finish() {
    [ "$FAILED" = 0 ] || exit 1
    say "all checks passed"
}

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
# share one, as they could if each looked for a free number first. A server
# that loses a race for its lock file to one just ending dies after naming
# its display, so the display must answer before it is taken; else retry.
start_xvfb() {
    local screen=${1:-640x480x24}
    local attempt n
    for ((attempt = 0; attempt < 5; attempt++)); do
        # Emptied here, not by the server's redirection: that runs in the
        # child, after the wait below may already have read a previous number.
        : >"$WORK/display"
        # -noreset: by default the server resets whenever its last client
        # leaves, and a client connecting meanwhile is refused now and then.
        Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp -noreset 3>"$WORK/display" >"$WORK/xvfb.log" 2>&1 &
        XVFB_PID=$!
        # The number is written once the server listens; or the server is gone.
        poll 100 eval '[ -s "$WORK/display" ] || ! kill -0 "$XVFB_PID" 2>/dev/null'
        n=$(head -n 1 "$WORK/display")
        if [ -n "$n" ] && DISPLAY=":$n" xdpyinfo >/dev/null 2>&1 && kill -0 "$XVFB_PID" 2>/dev/null; then
            export DISPLAY=":$n"
            unset WAYLAND_DISPLAY
            export QT_QPA_PLATFORM=xcb # whatever the environment says, these scripts want the real window
            return 0
        fi
        kill "$XVFB_PID" 2>/dev/null
        wait "$XVFB_PID" 2>/dev/null
        XVFB_PID=
    done
    cat "$WORK/xvfb.log" >&2
    return 1
}

# The windows that xdotool search finds with these options, one id a line.
# Debian's xdotool ends a search at the first window destroyed under it
# (BadWindow), and programs and managers starting up destroy windows of their
# own: a search cut short so is made again.
search_windows() {
    local found i
    for ((i = 0; i < 20; i++)); do
        found=$(xdotool search "$@" 2>"$WORK/search.err") && { echo "$found"; return 0; }
        grep -q "X Error" "$WORK/search.err" || return 1
    done
    return 1
}

# The first window such a search finds, waited for up to the given tenths of a
# second: "find_window 100 --onlyvisible --name '^Form1$'".
find_window() {
    local tenths=$1; shift
    local i
    for ((i = 0; i < tenths; i++)); do
        search_windows "$@" | head -n 1 | grep . && return 0
        sleep 0.1
    done
    return 1
}

# Starts the program with the given arguments and waits for its window,
# WINDOW_WAIT tenths of a second (15 s unless set).
start_miravel() {
    local bin=$1; shift
    # Beside the program, unless a script that wraps it (valgrind) names the file.
    . "${PLACES:-$(dirname "$bin")/window_places.sh}" || return 1
    TRACE_CHECK=${TRACE_CHECK:-$(dirname "${PLACES:-$bin}")/trace_check}
    "$bin" "$@" >"$WORK/out.log" 2>"$WORK/err.log" &
    APP_PID=$!
    WINDOW=$(find_window "${WINDOW_WAIT:-150}" --onlyvisible --name '^Form1$')
    [ -n "$WINDOW" ] || { cat "$WORK/err.log" >&2; window_report >&2; return 1; }
    eval "$(xdotool getwindowgeometry --shell "$WINDOW")" # X, Y, WIDTH, HEIGHT
}

# What there was instead of a visible window: the program's state and where
# its main thread waits, and every window of its title with its map state.
window_report() {
    if kill -0 "$APP_PID" 2>/dev/null; then
        echo "the program runs, $(grep '^State' "/proc/$APP_PID/status"), waiting in $(cat "/proc/$APP_PID/wchan")"
        command -v gdb >/dev/null && timeout 20 gdb -p "$APP_PID" -batch -ex bt 2>/dev/null | grep '^#' | head -n 25
    else
        local status=0
        wait "$APP_PID" || status=$?
        echo "the program has ended, status $status"
    fi
    local id
    for id in $(search_windows --name '^Form1$'); do
        echo "window $id: $(xwininfo -id "$id" | grep -E 'Map State|Absolute' | tr -s ' \n' ' ')"
    done
}

# Presses "end" and waits for the program to go: true when it ended within two
# seconds with status 0. Sets STATUS.
end_miravel() {
    press end
    poll 20 eval '! kill -0 "$APP_PID" 2>/dev/null' || { STATUS=running; return 1; }
    wait "$APP_PID"
    STATUS=$?
    APP_PID=
    [ "$STATUS" = 0 ] || { cat "$WORK/err.log" >&2; return 1; }
}

# One figure, by name, of trace_check's line in a file: "figure FILE unmatched".
figure() { tr ' ' '\n' <"$1" | awk -F= -v name="$2" '$1 == name { print $2 }'; }

# A --trace file as "ms kind value [text]" lines (see trace_check --lines).
trace_lines() { "$TRACE_CHECK" --lines "$1"; }

# A running program's --trace so far, whole lines only: each is written at
# once, but may be read half written. Windows' C library ends its lines
# with a carriage return: "trace_so_far TRACE COPY".
trace_so_far() { awk '/}\r?$/' "$1" >"$2"; }

# The ms of a running program's --trace clock now, by the wall-clock time
# its first line gives: what the program did between two moments of a
# script is then read from the trace.
trace_now() {
    head -n 1 "$1" >"$WORK/wall.jsonl"
    trace_lines "$WORK/wall.jsonl" | awk -v now="$(date +%s%N)" '$2 == "wall" { printf "%.3f", now / 1e6 - $3 + $1 }'
}

# A paint's line is written once it is on its way to the screen: one that a
# screenshot already shows may bear a later stamp on a busy machine.
PAINT_LINE_LAG=300
# How many of the last paints a screenshot may show: it reads the screen
# while the newest is on its way, or before the program has painted it.
PAINTS_BEFORE_SHOT=4

# Whether the panel's inner area on a screenshot is, pixel for pixel, what the
# Linux build paints at the moment of one of the last paints traced by the
# time the shot was taken (trace ms), as TRACE_PICTURE draws it from the
# trace; prints the paint that matched. The window's own colour, if given,
# is that of the desktop the run showed on: "panel_shows_a_paint SHOT TRACE
# TAKEN [#RRGGBB]".
panel_shows_a_paint() {
    local shot=$1 trace=$2 taken=$3 ms shows
    local colour=()
    [ -n "${4:-}" ] && colour=(--window-colour "$4")
    convert "$shot" -crop "$(inner_crop)" +repage -alpha off "$WORK/panel.png" || return 2
    local tried=
    trace_so_far "$trace" "$WORK/so-far.jsonl"
    while read -r ms shows; do
        "$TRACE_PICTURE" "${colour[@]}" "$WORK/so-far.jsonl" "$shows" "$WORK/paint.png" || return 2
        if compare -metric AE "$WORK/panel.png" "$WORK/paint.png" null: 2>"$WORK/differ"; then
            echo "the paint at $ms ms, showing $shows ms"
            return 0
        fi
        tried+=" $shows ms: $(cat "$WORK/differ") pixels differ;"
    done < <(trace_lines "$WORK/so-far.jsonl" |
        awk -v by="$taken" -v lag="$PAINT_LINE_LAG" '$2 == "painted" && $1 <= by + lag { print $1, $4 }' |
        tail -n "$PAINTS_BEFORE_SHOT" | tac)
    echo "taken by $taken ms, the panel is none of the last paints:${tried:- none traced}" >&2
    return 1
}

# The colour of a screenshot's corner, as #RRGGBB: the window's own.
window_colour() { convert "$1" -format "#%[hex:p{2,2}]\n" info: | cut -c1-7; }

# Screenshots until one's panel shows one of the last paints, three at most,
# half a second apart; prints the paint that matched. "--own-colour": the
# window's own colour is read from each shot, its desktop's rather than this
# one's: "shot_shows_a_paint TRACE [--own-colour]".
shot_shows_a_paint() {
    local trace=$1 own=${2:-} taken colour= attempt
    for attempt in 1 2 3; do
        screenshot "$WORK/shot.png" || return 2
        taken=$(trace_now "$trace")
        [ -n "$own" ] && colour=$(window_colour "$WORK/shot.png")
        panel_shows_a_paint "$WORK/shot.png" "$trace" "$taken" $colour && return 0
        [ $? = 1 ] || return 2
        sleep 0.5
    done
    return 1
}

# Logical pixels times the scale factor (QT_SCALE_FACTOR).
scaled() { awk -v v="$1" -v s="${QT_SCALE_FACTOR:-1}" 'BEGIN { printf "%d", v * s }'; }

# A control's centre in the window, scaled: "x y".
centre_of() {
    local x y w h
    read -r x y w h <<<"$(eval echo "\$PLACE_$1")"
    echo "$(scaled $((x + w / 2))) $(scaled $((y + h / 2)))"
}

# A rectangle ("x y width height", logical) as an ImageMagick crop of the
# device pixels wholly inside it at the scale, less an inset on each side.
crop() {
    local x y w h inset=${2:-0}
    read -r x y w h <<<"$1"
    awk -v x="$x" -v y="$y" -v w="$w" -v h="$h" -v s="${QT_SCALE_FACTOR:-1}" -v i="$inset" 'BEGIN {
        x0 = x * s; y0 = y * s; x1 = (x + w) * s; y1 = (y + h) * s
        x0 = int(x0) + (x0 > int(x0)) + i; y0 = int(y0) + (y0 > int(y0)) + i
        printf "%dx%d+%d+%d", int(x1) - i - x0, int(y1) - i - y0, x0, y0 }'
}

# The panel's inner area as a crop (inset optional).
inner_crop() { crop "$INNER_HAIKEI1" "${1:-0}"; }

# Presses a button by its caption: "clear", "time" or "end".
press() {
    local name
    name=$(eval echo "\${CAPTION_$1:-}")
    [ -n "$name" ] || { echo "press: no button \"$1\"" >&2; return 2; }
    # shellcheck disable=SC2046 # x and y
    xdotool mousemove --window "$WINDOW" $(centre_of "$name") click 1
}

# Chooses a scene from the list as a person would: open it, go to the top,
# step down to the entry, take it.
choose() {
    local steps=-1 i
    for ((i = 0; i < ${#ENTRIES_SelectBg[@]}; i++)); do
        [ "${ENTRIES_SelectBg[i]}" = "$1" ] && steps=$i
    done
    [ "$steps" -ge 0 ] || { echo "choose: no entry \"$1\"" >&2; return 2; }
    # shellcheck disable=SC2046 # x and y
    xdotool mousemove --window "$WINDOW" $(centre_of SelectBg) click 1
    sleep 0.3
    xdotool key Home
    for ((i = 0; i < steps; i++)); do xdotool key Down; done
    xdotool key Return
}

# A screenshot of the window's client area.
screenshot() {
    import -window "$WINDOW" "$1" 2>/dev/null
}
