#!/usr/bin/env bash
# The options a person starts the real window with, on private X servers:
# -geometry places it (without a manager and under openbox), -display opens
# it on the server it names and fails cleanly on one that does not answer,
# --zoom 3 draws the scale-1 panel with each pixel tripled and keeps no
# helper thread that zoom 1 has not, --on-top keeps it
# above under openbox until the menu's "Stay on top" is taken away; there,
# at --zoom 2, Ctrl+C puts the panel's picture on the clipboard pixel for
# pixel and Ctrl+S saves it, a file that cannot be written is said while the
# program runs on, and trace_check holds every timer of the run, dialogs
# open and all, to its own moment.
#
# Usage: tests/window/start_options.sh <path-to-miravel>
set -u

BIN=${1:?usage: start_options.sh <path-to-miravel>}
[ -x "$BIN" ] || { echo "start_options: not an executable: $BIN" >&2; exit 2; }

. "$(dirname "$0")/xsession.sh"
require_tools Xvfb xdotool xprop xclip openbox import convert compare || exit 2
. "$(dirname "$BIN")/window_places.sh"
read -r WINDOW_W WINDOW_H <<<"$WINDOW_SIZE"

# The window's place on the screen, without its frame: "x,y".
place() { xdotool getwindowgeometry "$1" | awk '/Position:/ { print $2 }'; }
# The one window of a program started by hand, by its process.
window_of() { find_window 100 --all --onlyvisible --pid "$1" --name '^Form1$'; }
stop() { kill "$1" 2>/dev/null; wait "$1" 2>/dev/null; }
# The panel's inner area (logical rectangle "x y w h" at a scale) in a shot of the window.
panel_of() { convert "$1" -crop "$(QT_SCALE_FACTOR=${3:-1} crop "$INNER_HAIKEI1")" +repage "$2"; }
same() { [ "$(compare -metric AE "$1" "$2" null: 2>&1)" = 0 ]; }

# --- -geometry, with no manager ---
start_xvfb 1024x768x24 || fail "no X server could be started"
start_miravel "$BIN" -geometry +300+200 || fail "no window with -geometry"
[ "$(place "$WINDOW")" = "300,200" ] || flag "-geometry +300+200 put the window at $(place "$WINDOW")"
[ "$WIDTH $HEIGHT" = "$WINDOW_SIZE" ] || flag "-geometry changed the window's size to ${WIDTH}x$HEIGHT"
say "-geometry +300+200: the window is at $(place "$WINDOW"), ${WIDTH}x$HEIGHT"
stop "$APP_PID"; APP_PID=

# --- -display: the server it names, and one that does not answer ---
: >"$WORK/other"
Xvfb -displayfd 3 -screen 0 640x480x24 -nolisten tcp -noreset 3>"$WORK/other" >/dev/null 2>&1 &
poll 100 test -s "$WORK/other" || fail "no second X server"
OTHER=:$(head -n 1 "$WORK/other")
"$BIN" -display "$OTHER" 2>"$WORK/other.log" &
PID=$!
DISPLAY=$OTHER find_window 100 --onlyvisible --name '^Form1$' >/dev/null ||
    flag "-display $OTHER: no window there"
[ -z "$(search_windows --name '^Form1$')" ] || flag "-display $OTHER: a window on $DISPLAY too"
stop "$PID"
say "-display $OTHER: the window opens there and not on $DISPLAY"
"$BIN" -display :999 >"$WORK/out" 2>"$WORK/err"
STATUS=$?
[ "$STATUS" = 1 ] || flag "-display :999 ended with status $STATUS, not 1"
grep -qx "miravel: cannot connect to the display ':999'" "$WORK/err" || flag "-display :999 said: $(cat "$WORK/err")"
say "-display :999: status $STATUS, \"$(cat "$WORK/err")\""

# --- --zoom 3: the scale-1 panel, each pixel a 3 x 3 block ---
# The face between its blinks stands still; both windows are looked at in
# one shot until they show the same moment.
"$BIN" --scene Eternity -geometry +0+0 2>/dev/null &
ONE=$!
"$BIN" --scene Eternity --zoom 3 -geometry +$((WINDOW_W + 50))+0 2>/dev/null &
THREE=$!
W1=$(window_of "$ONE") W3=$(window_of "$THREE")
[ -n "$W1" ] && [ -n "$W3" ] || fail "--zoom: no windows"
eval "$(xdotool getwindowgeometry --shell "$W3")"
# The toolkit places the zoomed window to the nearest of its own pixels.
ZOOMED_X=$X
ZOOMED=$((WINDOW_W * 3))x$((WINDOW_H * 3))
[ "${WIDTH}x$HEIGHT" = "$ZOOMED" ] || flag "--zoom 3 gives a ${WIDTH}x$HEIGHT window, not $ZOOMED"
tripled() {
    import -window root "$WORK/root.png" 2>/dev/null
    convert "$WORK/root.png" -crop "${WINDOW_W}x$WINDOW_H+0+0" +repage "$WORK/one.png"
    convert "$WORK/root.png" -crop "$ZOOMED+$ZOOMED_X+0" +repage "$WORK/three.png"
    panel_of "$WORK/one.png" "$WORK/panel1.png"
    panel_of "$WORK/three.png" "$WORK/panel3.png" 3
    convert "$WORK/panel1.png" -filter point -resize 300% "$WORK/panel1x3.png"
    same "$WORK/panel1x3.png" "$WORK/panel3.png"
}
sleep 3 # awake
poll 100 tripled || flag "--zoom 3: the panel is not the scale-1 panel tripled"
say "--zoom 3: ${WIDTH}x$HEIGHT, the panel $(identify -format %wx%h "$WORK/panel3.png") is the scale-1 panel tripled"
# The style's frames, drawn large, may borrow Qt's pooled threads for a
# moment; none stays behind.
threads_of() { cat /proc/"$1"/task/*/comm 2>/dev/null | sort | paste -sd,; }
if poll 50 eval '[ "$(threads_of "$THREE")" = "$(threads_of "$ONE")" ]'; then
    say "--zoom 3: threads $(threads_of "$THREE"), as at zoom 1"
else
    flag "--zoom 3: threads $(threads_of "$THREE") where zoom 1 has $(threads_of "$ONE")"
fi
stop "$ONE"; stop "$THREE"

# --- Under openbox, at twice the size: -geometry, --on-top and the menu's entry ---
ZOOM=2
mkdir -p "$WORK/home"
HOME="$WORK/home" openbox --sm-disable >"$WORK/openbox.log" 2>&1 &
poll 50 eval 'xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"' || fail "openbox did not start"
TRACE=$WORK/trace.jsonl
start_miravel "$BIN" --on-top --zoom "$ZOOM" -geometry +300+200 --scene Eternity --trace "$TRACE" ||
    fail "no window under openbox"
# The frame goes at the place; the client sits inside it.
IFS=, read -r PX PY <<<"$(place "$WINDOW")"
[ "$PX" -ge 300 ] && [ "$PX" -le 310 ] && [ "$PY" -ge 200 ] && [ "$PY" -le 240 ] ||
    flag "openbox: -geometry +300+200 put the client at $PX,$PY"
say "openbox: -geometry +300+200: the client is at $PX,$PY"
above() { xprop -id "$WINDOW" _NET_WM_STATE | grep -q _NET_WM_STATE_ABOVE; }
poll 30 above || flag "openbox: --on-top: $(xprop -id "$WINDOW" _NET_WM_STATE)"
say "openbox: --on-top: $(xprop -id "$WINDOW" _NET_WM_STATE)"
# The menu from a right click on the panel; its last entry from the keyboard.
# shellcheck disable=SC2046 # x and y
xdotool mousemove --window "$WINDOW" $(QT_SCALE_FACTOR=$ZOOM centre_of HAIKEI1) click 3
sleep 0.5
xdotool key Up Return
poll 30 eval '! above' || flag "openbox: \"Stay on top\" left $(xprop -id "$WINDOW" _NET_WM_STATE)"
say "openbox: the menu's \"Stay on top\" took it away: $(xprop -id "$WINDOW" _NET_WM_STATE)"
SIZE=$(xdotool getwindowgeometry "$WINDOW" | awk '/Geometry:/ { print $2 }')
[ "$SIZE" = "$((WINDOW_W * ZOOM))x$((WINDOW_H * ZOOM))" ] || flag "openbox: the window is $SIZE after its state changed"

# --- Ctrl+C: the clipboard holds what the panel shows ---
# A moment at which the panel stood still: the same before and after the key.
panel_now() { screenshot "$WORK/window.png" && panel_of "$WORK/window.png" "$1" "$ZOOM"; }
copied() {
    panel_now "$WORK/before.png"
    xdotool key --window "$WINDOW" ctrl+c
    sleep 0.2
    panel_now "$WORK/after.png"
    same "$WORK/before.png" "$WORK/after.png" || return 1
    xclip -selection clipboard -t image/png -o >"$WORK/clip.png" 2>/dev/null && same "$WORK/clip.png" "$WORK/before.png"
}
xdotool windowactivate --sync "$WINDOW" 2>/dev/null
poll 100 copied || flag "Ctrl+C: the clipboard's image is not the panel ($(identify -format %wx%h "$WORK/clip.png" 2>&1))"
say "Ctrl+C: the clipboard holds the panel's $(identify -format %wx%h "$WORK/clip.png") picture"

# --- Ctrl+S: a typed path and Return ---
# Types a path into the save dialog and takes it; true once the dialog is gone.
save_as() {
    xdotool windowfocus --sync "$WINDOW" 2>/dev/null
    xdotool key ctrl+s
    DIALOG=$(find_window 100 --onlyvisible --name '^Save picture$')
    [ -n "$DIALOG" ] || return 1
    # Its time on screen, in trace ms, for the stalls below.
    printf '%s ' "$(trace_now "$TRACE")" >>"$WORK/dialogs"
    sleep 1 # the scenes go on meanwhile; trace_check holds them at the end
    xdotool windowfocus --sync "$DIALOG" 2>/dev/null
    xdotool key ctrl+a
    xdotool type "$1"
    sleep 0.3
    xdotool key Return
    poll 50 eval '[ -z "$(search_windows --onlyvisible --name "^Save picture$")" ]' || return 1
    trace_now "$TRACE" >>"$WORK/dialogs"
}
# Whether the program ran a handler or painted between two trace ms.
acted_between() {
    trace_so_far "$TRACE" "$WORK/so-far.jsonl"
    trace_lines "$WORK/so-far.jsonl" | awk -v from="$1" -v to="$2" '
        ($2 == "handler" || $2 == "painted") && $1 >= from && $1 <= to { acted = 1 } END { exit !acted }'
}
# The panel shot, then saved: 0 when the file is the shot; 1 when the scene
# moved meanwhile, which a busy machine makes likelier, and says nothing;
# 2 when the file differs from a panel that stood still.
saved() {
    local from to
    rm -f "$WORK/saved.png"
    # A change just before the shot may not have reached the screen yet.
    from=$(awk -v now="$(trace_now "$TRACE")" 'BEGIN { print now - 500 }')
    panel_now "$WORK/before.png"
    save_as "$WORK/saved.png" || return 2
    poll 50 test -s "$WORK/saved.png" || return 2
    to=$(trace_now "$TRACE")
    same "$WORK/saved.png" "$WORK/before.png" && return 0
    acted_between "$from" "$to" && return 1
    return 2
}
for _ in $(seq 10); do
    saved
    SAVED=$?
    [ "$SAVED" = 1 ] || break
done
if [ "$SAVED" = 0 ]; then
    say "Ctrl+S: the saved $(identify -format '%m %wx%h' "$WORK/saved.png" 2>&1) is the panel's picture"
else
    flag "Ctrl+S: $WORK/saved.png is not the panel the moment it was asked for"
fi

# A folder the dialog cannot know is full: the system's reason is said, the
# program runs on. Only root can make one here; the dialog itself refuses a
# folder that is read-only or missing before it closes.
mkdir "$WORK/full"
if mount -t tmpfs -o size=16k tmpfs "$WORK/full" 2>/dev/null; then
    dd if=/dev/zero of="$WORK/full/filler" bs=4k 2>/dev/null
    save_as "$WORK/full/picture.png" || flag "Ctrl+S: the dialog did not take a path on a full disk"
    MESSAGE=$(find_window 100 --onlyvisible --name '^Miravel$')
    [ -n "$MESSAGE" ] || flag "Ctrl+S: no message for a full disk"
    [ -e "$WORK/full/picture.png" ] && flag "Ctrl+S: a part of the picture was left on the full disk"
    xdotool windowfocus --sync "$MESSAGE" 2>/dev/null
    xdotool key Return
    poll 30 eval '[ -z "$(search_windows --onlyvisible --name "^Miravel$")" ]' || flag "the message stays"
    kill -0 "$APP_PID" 2>/dev/null || flag "the program ended after the failed save"
    [ "$FAILED" = 0 ] && say "Ctrl+S on a full disk: the message was shown, nothing was left there, the program runs on"
    umount "$WORK/full"
else
    say "Ctrl+S on a full disk: skipped, no file system can be mounted here"
fi

QT_SCALE_FACTOR=$ZOOM end_miravel || flag "\"end\" after the saves: $STATUS"
# The menu, the clipboard and the dialogs held no timer up.
"$TRACE_CHECK" "$TRACE" >"$WORK/figures" || flag "trace_check could not read the run"
say "the run with its menu and dialogs: $(cat "$WORK/figures")"
[ "$(figure "$WORK/figures" unmatched)" = 0 ] || flag "a timer ran otherwise than on its schedule"
# A dialog that held the program up while open would stall it from some
# moment it was on screen until it closed, for half a second and more.
# Making the dialog stalls the program too, and on a busy machine for as
# long, but that stall is over by the time the dialog shows.
trace_lines "$TRACE" | awk '$2 == "virtual_zero" { if (n++) print $1 - ($3 - zero), $1; zero = $3 }' >"$WORK/stalls"
HELD=$(awk 'NR == FNR { closed[FNR] = $2; dialogs = FNR; next }
    $2 - $1 >= 500 { for (d = 1; d <= dialogs; d++) if (closed[d] != "" && $1 < closed[d] && $2 >= closed[d])
        printf "%.0f ms to %.0f ms ", $1, $2 }' "$WORK/dialogs" "$WORK/stalls")
say "stalls: $(figure "$WORK/figures" stalled) ms in all, the longest" \
    "$(awk '{ if ($2 - $1 > most) most = $2 - $1 } END { printf "%.0f", most }' "$WORK/stalls") ms"
[ -z "$HELD" ] || flag "a dialog held the timers up while open: $HELD"
finish
