#!/usr/bin/env bash
# --on-top on Windows, under Wine with an X11 window manager (openbox): Wine
# makes a topmost window (WS_EX_TOPMOST) one the manager keeps above others
# (_NET_WM_STATE_ABOVE).
#   - Started without the option, Miravel.exe's window is in no such state,
#     and another window the user activates comes above it;
#   - started with --on-top, it is, and stays above the other window the
#     user activates;
#   - the panel's menu (a right click) entry "Stay on top" turns that off,
#     the other window then coming above it, and on again.
# The other window is the Linux build's, started beside it on the same server.
# Miravel.exe runs in a Wine prefix of the check's own (wine_prefix.sh).
#
# Usage: tests/wine/wine_on_top.sh <launcher> <linux miravel>
set -u

BIN=${1:?usage: wine_on_top.sh <launcher> <linux miravel>}
LINUX=${2:?usage: wine_on_top.sh <launcher> <linux miravel>}
[ -x "$BIN" ] || { echo "wine_on_top: not an executable: $BIN" >&2; exit 2; }

. "$(dirname "$0")/../window/xsession.sh"
require_tools Xvfb xdotool xprop xwininfo wmctrl openbox || exit 2
. "$(dirname "$0")/wine_prefix.sh"

WM_PID=
OTHER_PID=
OTHER=
stop_extras() {
    [ -n "$OTHER_PID" ] && kill "$OTHER_PID" 2>/dev/null && wait "$OTHER_PID" 2>/dev/null
    [ -n "$WM_PID" ] && kill "$WM_PID" 2>/dev/null && wait "$WM_PID" 2>/dev/null
    OTHER_PID= WM_PID=
    return 0
}
trap 'stop_extras; own_wine_prefix_remove; xsession_exit' EXIT
own_wine_prefix "$BIN" || fail "no Wine prefix of its own"

above() { xprop -id "$WINDOW" _NET_WM_STATE 2>/dev/null | grep -q _NET_WM_STATE_ABOVE; }
state() { xprop -id "$WINDOW" _NET_WM_STATE 2>/dev/null | cut -d= -f2; }

# Where a window is in the manager's stacking, bottom first.
stacked_at() {
    xprop -root _NET_CLIENT_LIST_STACKING | cut -d# -f2 | tr ',' '\n' |
        awk -v id="$(printf '0x%x' "$1")" '{ gsub(/ /, "") } $1 == id { print NR; found = 1 } END { exit !found }'
}
miravel_above_other() {
    local mine theirs
    mine=$(stacked_at "$WINDOW") && theirs=$(stacked_at "$OTHER") && [ "$mine" -gt "$theirs" ]
}
other_above_miravel() {
    local mine theirs
    mine=$(stacked_at "$WINDOW") && theirs=$(stacked_at "$OTHER") && [ "$theirs" -gt "$mine" ]
}
other_active() { xprop -root _NET_ACTIVE_WINDOW | grep -qi "$(printf '0x%x' "$OTHER")\$"; }

# The Linux build's window beside Miravel.exe's, over it where they meet.
start_other() {
    "$LINUX" >"$WORK/other.log" 2>&1 &
    OTHER_PID=$!
    local i id
    for ((i = 0; i < 300; i++)); do
        for id in $(search_windows --all --onlyvisible --pid "$OTHER_PID" --name '^Form1$'); do
            [ "$id" != "$WINDOW" ] && OTHER=$id
        done
        [ -n "$OTHER" ] && break
        sleep 0.1
    done
    [ -n "$OTHER" ] || fail "the Linux build's window did not appear: $(cat "$WORK/other.log")"
}

# The user brings the other window forward: the manager activates and raises it.
activate_other() {
    wmctrl -i -a "$OTHER"
    poll 100 other_active || flag "$1: the other window was not activated"
    sleep 0.5
}

# The panel's menu, and its last entry, "Stay on top", taken by keys.
toggle_by_menu() {
    local x y w h
    read -r x y w h <<<"$PLACE_HAIKEI1"
    # shellcheck disable=SC2046 # x and y
    xdotool mousemove --window "$WINDOW" $(scaled $((x + w / 2))) $(scaled $((y + h / 2))) click 3
    poll 100 eval 'search_windows --onlyvisible --name "^Miravel\$" | grep -q .' ||
        { flag "the panel's menu did not open"; return 1; }
    sleep 0.3
    xdotool key Up Return
    poll 100 eval '! search_windows --onlyvisible --name "^Miravel\$" | grep -q .' || flag "the panel's menu stayed open"
}

# One run: Miravel.exe with the given arguments, checked by the given steps.
one_run() {
    local what=$1 steps=$2; shift 2
    start_miravel "$BIN" "$@" || fail "$what: no window"
    poll 300 eval '! xwininfo -children -id "$WINDOW" | grep -q "Parent window id: .*(the root window)"' ||
        fail "$what: the window was never framed"
    start_other
    $steps "$what"
    end_miravel || flag "$what: \"end\": $STATUS"
    kill "$OTHER_PID" 2>/dev/null && wait "$OTHER_PID" 2>/dev/null
    OTHER_PID= OTHER=
}

plain() {
    # The state would be set as the window is mapped; given time to show if it were.
    sleep 1
    above && flag "$1: the window is kept above others: $(state)"
    activate_other "$1"
    poll 50 other_above_miravel || flag "$1: the other window did not come above it"
    say "$1: no _NET_WM_STATE_ABOVE (state:$(state)); the other window activated comes above it"
}

on_top() {
    poll 100 above || flag "$1: no _NET_WM_STATE_ABOVE, state:$(state)"
    activate_other "$1"
    # Given time for a manager that would restack it.
    sleep 1
    miravel_above_other || flag "$1: the other window, activated, came above it"
    say "$1: _NET_WM_STATE_ABOVE; the other window, activated, stays below it"

    toggle_by_menu
    poll 100 eval '! above' || flag "$1: \"Stay on top\" did not turn it off: state:$(state)"
    activate_other "$1"
    poll 50 other_above_miravel || flag "$1: turned off, the other window activated did not come above it"
    say "$1: \"Stay on top\" turns it off (state:$(state)); the other window comes above it"

    toggle_by_menu
    poll 100 above || flag "$1: \"Stay on top\" did not turn it on again: state:$(state)"
    poll 50 miravel_above_other || flag "$1: on again, it did not come above the other window"
    activate_other "$1"
    sleep 1
    miravel_above_other || flag "$1: on again, the other window activated came above it"
    say "$1: and on again (state:$(state)), above the other window"
}

# Both runs on one X server and manager: a session each would only wait
# twice for Wine's desktop to start on a new server.
start_xvfb 1024x768x24 || fail "no X server could be started"
mkdir -p "$WORK/home"
HOME="$WORK/home" openbox --sm-disable >"$WORK/openbox.log" 2>&1 &
WM_PID=$!
poll 100 eval 'xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"' ||
    fail "openbox did not start: $(cat "$WORK/openbox.log")"
one_run "without --on-top" plain
one_run "--on-top" on_top --on-top
finish
