#!/usr/bin/env bash
# Makes the README's gallery from the real program on a private X server, at
# twice the size so each picture pixel is a crisp 2x2 block: one screenshot of
# each scene running with the clock shown, and an animated GIF of the face
# waking. On the way it proves that each choice in the list paints its scene
# (the panel's most common colour is that scene's background) and that the
# face actually moves (the GIF's frames are not all the same).
#
# Usage: docs/gallery/gallery.sh <path-to-miravel> [outdir]   (outdir: docs/gallery)
set -u

BIN=${1:?usage: gallery.sh <path-to-miravel> [outdir]}
OUT=${2:-docs/gallery}
[ -x "$BIN" ] || { echo "gallery: not an executable: $BIN" >&2; exit 2; }
mkdir -p "$OUT" || exit 2

. "$(dirname "$0")/../../tests/window/xsession.sh"
require_tools Xvfb xdotool import convert identify || exit 2


export QT_SCALE_FACTOR=2
start_xvfb 640x480x24 || fail "no X server could be started"
start_miravel "$BIN" || fail "no window named Form1 appeared"

# The panel with its frame, and its inner area.
PANEL=$(crop "$PLACE_HAIKEI1")
INNER=$(inner_crop)

# The panel's most common colour, as #RRGGBB.
dominant() {
    convert "$1" -crop "$INNER" +repage -format %c histogram:info:- |
        sort -rn | awk 'NR == 1 { for (i = 1; i <= NF; i++) if ($i ~ /^#/) { print substr($i, 1, 7); exit } }'
}
# The window's own background, beside the panel.
window_colour() { convert "$1" -format "#%[hex:p{$(scaled 2),$(scaled 2)}]" info: | cut -c1-7; }

# Stores a screenshot small: no metadata, palette where that loses nothing.
store_png() {
    local colours
    colours=$(identify -format %k "$1")
    if [ "$colours" -le 256 ]; then
        convert "$1" -strip -define png:compression-level=9 "PNG8:$2"
    else
        convert "$1" -strip -define png:compression-level=9 "$2"
    fi
}

# Takes a still of a scene after it has run for a while, and checks its background.
still() {
    local entry=$1 wait=$2 want=$3 file=$4 got
    choose "$entry"
    sleep "$wait"
    screenshot "$WORK/shot.png" || fail "no screenshot of \"$entry\""
    [ "$want" = window ] && want=$(window_colour "$WORK/shot.png")
    got=$(dominant "$WORK/shot.png")
    [ "${got^^}" = "${want^^}" ] || fail "\"$entry\": the panel is mostly $got, not $want"
    store_png "$WORK/shot.png" "$OUT/$file"
    echo "gallery: $OUT/$file ($entry, panel mostly $got)"
}

press time
sleep 0.3
still "The universe" 2.5 "#000000" universe.png
# The turtle starts beyond the right edge and takes about 6.5 s to cross:
# after 3.5 s it is in the middle of the panel.
still "The deep sea" 3.5 "#000080" deep-sea.png
# Eyes open after 0.6 s, the mouth is wide open from 1.8 s on.
still "Eternity" 2.0 window eternity.png

# The face waking, without the clock: "clear" hides it and lets the face start
# again from closed eyes. A frame every 100 ms for 2.2 s; each frame's delay is
# the time to the next screenshot, so a slow screenshot does not speed it up.
press clear
sleep 0.5
now_ms() { echo $(($(date +%s%N) / 1000000)); }
choose "Eternity"
start=$(now_ms)
frames=()
stamps=()
for ((k = 0; k <= 22; k++)); do
    due=$((start + 100 * k))
    wait_ms=$((due - $(now_ms)))
    ((wait_ms > 0)) && sleep "$(awk -v m="$wait_ms" 'BEGIN { printf "%.3f", m / 1000 }')"
    stamps+=("$(now_ms)")
    f=$(printf '%s/frame%02d.png' "$WORK" "$k")
    screenshot "$f" || fail "no screenshot for frame $k"
    frames+=("$f")
done
# Only the panel: the buttons and the list do not change.
for f in "${frames[@]}"; do convert "$f" -crop "$PANEL" +repage "$f" || fail "cannot crop $f"; done
args=()
for ((k = 0; k < ${#frames[@]}; k++)); do
    if ((k + 1 < ${#frames[@]})); then
        delay=$(((stamps[k + 1] - stamps[k] + 5) / 10))
    else
        delay=150 # hold the laughing face before it starts again
    fi
    args+=(-delay "$delay" "${frames[k]}")
done
distinct=$(for f in "${frames[@]}"; do identify -format '%#\n' "$f"; done | sort -u | wc -l)
((distinct >= 5)) || fail "the face hardly moved: $distinct distinct frames of ${#frames[@]}"
convert "${args[@]}" -loop 0 -layers Optimize "$OUT/eternity-wakes.gif" || fail "no GIF"
echo "gallery: $OUT/eternity-wakes.gif (${#frames[@]} frames, $distinct distinct, $(stat -c %s "$OUT/eternity-wakes.gif") bytes)"

press end
poll 10 eval '! kill -0 "$APP_PID" 2>/dev/null' || fail "still running a second after \"end\""
APP_PID=
