#!/usr/bin/env bash
# HiDPI: proves that the real program's pictures stay crisp when Qt scales
# the window. At scale 2 the window is 290 x 420 and, in each of the three
# scenes, every aligned 2 x 2 block of the panel's inner area is one colour:
# each picture pixel became a whole block. At scale 1.5, where a pixel cannot
# become whole device pixels, the inner area still holds only colours that
# the scene's pictures and backgrounds use: the 16 base colours, the moon's
# own olive, the empty panel's colour and the two pulsing colours; a blurred
# or smoothed picture would bring blends of its neighbours. The clock stays
# hidden throughout, since its text is smoothed on purpose. At 1.25 too,
# where a logical pixel is one device pixel or two.
#
# The panel's sunken frame is two rings of one logical pixel each, drawn as
# whole blocks like the pictures: across each side, device pixel by device
# pixel, it reads the window's face, one ring colour, the other, the panel's
# face, each run as long as the device pixels its logical pixel covers; the
# top matches the left and the bottom the right; and the frame holds its four
# colours only, so nothing unpainted (black) shows between the rings.
#
# Each scale is given to the program as QT_SCALE_FACTOR, unless a command is
# named to set it as the desktop's own user would (tests/wine/wine_dpi.sh, the
# display's DPI of Windows under Wine): that command is run with the scale
# before each start, and the program sees no QT_SCALE_FACTOR, so the
# toolkit's own reading of the desktop is what is checked.
#
# Usage: tests/window/hidpi.sh [--scale-by COMMAND] <path-to-miravel>
set -u

SCALE_BY=
if [ "${1:-}" = --scale-by ]; then
    SCALE_BY=${2:?usage: hidpi.sh [--scale-by COMMAND] <path-to-miravel>}
    shift 2
fi
BIN=${1:?usage: hidpi.sh [--scale-by COMMAND] <path-to-miravel>}
[ -x "$BIN" ] || { echo "hidpi: not an executable: $BIN" >&2; exit 2; }

. "$(dirname "$0")/xsession.sh"
require_tools Xvfb xdotool import convert compare || exit 2
. "$(dirname "$BIN")/window_places.sh"
# The panel with its frame, and its inner area, in logical pixels.
read -r PX PY PW PH <<<"$PLACE_HAIKEI1"
read -r IX IY IW IH <<<"$INNER_HAIKEI1"
read -r WINDOW_W WINDOW_H <<<"$WINDOW_SIZE"

# The colours of an image as RRGGBB, one a line.
colours() { convert "$1" -format %c histogram:info:- | grep -o '#[0-9A-Fa-f]\{6\}' | tr -d '#' | tr a-f A-F | sort -u; }

# Colours outside what the scenes paint with; the empty panel's colour is $2.
foreign_colours() {
    colours "$1" | awk -v face="$2" '
        BEGIN {
            n = split("000000 800000 008000 808000 000080 800080 008080 C0C0C0 808080 FF0000 00FF00 FFFF00 0000FF FF00FF 00FFFF FFFFFF 587410", base, " ")
            for (i = 1; i <= n; i++) ok[base[i]] = 1
            ok[toupper(face)] = 1
        }
        ok[$1] { next }
        $1 ~ /^..FF00$/ { next }        # the moon: red runs, green full
        $1 ~ /^..0[01]FF$/ { next }      # the lure: red runs, blue full
        { print }'
}

# Device pixels a run of logical pixels covers: those whose centres lie in it.
device_run() { awk -v a="$1" -v b="$2" -v s="$3" 'BEGIN { printf "%d", int(b * s + 0.5) - int(a * s + 0.5) }'; }
device_at() { awk -v v="$1" -v s="$2" 'BEGIN { printf "%d", int(v * s + 0.5) }'; }

# A line of device pixels as runs, "RRGGBBxN" each, from x,y (w x h: 1 high or 1 wide).
runs() {
    convert "$1" -crop "$2" +repage -depth 8 txt:- | tail -n +2 | grep -o '#[0-9A-Fa-f]\{6\}' | tr -d '#' | tr a-f A-F |
        awk 'NR > 1 && $1 != c { printf "%sx%d ", c, n; n = 0 } { c = $1; n++ } END { printf "%sx%d", c, n }'
}

# The frame across each side of the empty panel, from one logical pixel
# outside it to one inside its inner area: two rings of one logical pixel each.
check_frame() {
    local scale=$1 shot=$2
    local right_in=$((IX + IW - 1)) bottom_in=$((IY + IH - 1))
    local across=$(device_run $((PX - 1)) $((IX + 1)) "$scale") from_l=$(device_at $((PX - 1)) "$scale")
    local from_r=$(device_at $right_in "$scale") from_b=$(device_at $bottom_in "$scale")
    local mid_y=$(device_at "$(awk -v y="$PY" -v h="$PH" 'BEGIN { print y + h / 2 }')" "$scale")
    local mid_x=$(device_at "$(awk -v x="$PX" -v w="$PW" 'BEGIN { print x + w / 2 }')" "$scale")
    local left top right bottom
    left=$(runs "$shot" "${across}x1+${from_l}+${mid_y}")
    top=$(runs "$shot" "1x${across}+${mid_x}+${from_l}")
    right=$(runs "$shot" "${across}x1+${from_r}+${mid_y}")
    bottom=$(runs "$shot" "1x${across}+${mid_x}+${from_b}")
    # The runs' lengths each side must show, outside in for the left and top.
    local near="" far="" i
    for ((i = 0; i < 4; i++)); do
        near+="$(device_run $((PX - 1 + i)) $((PX + i)) "$scale") "
        far+="$(device_run $((right_in + i)) $((right_in + i + 1)) "$scale") "
    done
    local side lengths
    for side in "left:$left:$near" "top:$top:$near" "right:$right:$far" "bottom:$bottom:$far"; do
        IFS=: read -r name got lengths <<<"$side"
        echo "$got" | awk -v want="$lengths" '{
            n = split(want, w, " "); if (NF != n) exit 1
            for (i = 1; i <= NF; i++) { split($i, r, "x"); c[i] = r[1]; if (r[2] != w[i]) exit 1 }
            exit !(c[1] == c[4] && c[1] != c[2] && c[2] != c[3] && c[3] != c[1]) }' ||
            flag "scale $scale: the frame's $name side reads \"$got\", not face, two rings of $lengths device pixels, face"
    done
    local ring_colours
    [ "$(echo "$left" | cut -d' ' -f2-3)" = "$(echo "$top" | cut -d' ' -f2-3)" ] || flag "scale $scale: the frame's top ($top) differs from its left ($left)"
    [ "$(echo "$right" | cut -d' ' -f2-3)" = "$(echo "$bottom" | cut -d' ' -f2-3)" ] || flag "scale $scale: the frame's bottom ($bottom) differs from its right ($right)"
    # The whole frame: the panel's outer rectangle less its inner area.
    convert "$shot" -crop "$(device_run $PX $((PX + PW)) "$scale")x$(device_run $PY $((PY + PH)) "$scale")+$(device_at $PX "$scale")+$(device_at $PY "$scale")" +repage \
        -fill magenta -draw "rectangle $(device_run $PX $IX "$scale"),$(device_run $PY $IY "$scale") $(($(device_run $PX $((IX + IW)) "$scale") - 1)),$(($(device_run $PY $((IY + IH)) "$scale") - 1))" \
        "$WORK/frame.png"
    ring_colours=$(colours "$WORK/frame.png" | grep -vx FF00FF | tr '\n' ' ')
    [ "$(echo $ring_colours | wc -w)" = 4 ] || flag "scale $scale: the frame holds colours $ring_colours, not four"
    say "scale $scale: frame left $left, bottom $bottom"
}

# One run at a scale: the window's size, the empty panel and its frame, then each scene.
check_scale() {
    local scale=$1 want_w want_h
    # The session's helpers place clicks and crops by QT_SCALE_FACTOR.
    if [ -n "$SCALE_BY" ]; then
        export -n QT_SCALE_FACTOR
        QT_SCALE_FACTOR=$scale
        $SCALE_BY "$scale" || { flag "scale $scale: could not be set by $SCALE_BY"; return; }
    else
        export QT_SCALE_FACTOR=$scale
    fi
    want_w=$(device_at "$WINDOW_W" "$scale") want_h=$(device_at "$WINDOW_H" "$scale")
    start_miravel "$BIN" || { flag "scale $scale: no window"; return; }
    if [ "$WIDTH" = "$want_w" ] && [ "$HEIGHT" = "$want_h" ]; then
        say "scale $scale: window ${WIDTH}x${HEIGHT}"
    else
        flag "scale $scale: window ${WIDTH}x${HEIGHT}, not ${want_w}x${want_h}"
    fi
    local exact inset
    exact=$(inner_crop 0)
    inset=$(inner_crop 1)

    screenshot "$WORK/empty.png"
    check_frame "$scale" "$WORK/empty.png"
    convert "$WORK/empty.png" -crop "$exact" +repage "$WORK/inner.png"
    local face
    face=$(colours "$WORK/inner.png")
    [ "$(echo "$face" | wc -l)" = 1 ] || flag "scale $scale: the empty panel is not one colour"

    local scene background also
    for scene in "The universe" "The deep sea" "Eternity"; do
        case $scene in
        "The universe") background=000000 also=587410 ;;
        "The deep sea") background=000080 also=00FFFF ;; # the turtle swims in from beyond the edge
        *) background=$face also=000000 ;;
        esac
        choose "$scene"
        # Painted once the inner area's corner shows the scene's background
        # and a colour of its pictures is in.
        poll 50 eval 'screenshot "$WORK/shot.png" && convert "$WORK/shot.png" -crop "$exact" +repage "$WORK/inner.png" &&
            [ "$(convert "$WORK/inner.png" -format "%[hex:u.p{0,0}]" info:)" = "$background" ] &&
            colours "$WORK/inner.png" | grep -qx "$also"' ||
            flag "scale $scale, $scene: never painted (#$background behind, #$also in it)"
        local count foreign blocks=""
        count=$(colours "$WORK/inner.png" | wc -l)
        [ "$count" -ge 3 ] || flag "scale $scale, $scene: only $count colours in the panel, the scene is missing"
        # A block that is not one colour differs from its own corner pixel spread over it.
        if [ "$scale" = 2 ]; then
            convert "$WORK/inner.png" -sample 50% -sample 200% "$WORK/blocks.png"
            blocks=$(compare -metric AE "$WORK/inner.png" "$WORK/blocks.png" null: 2>&1)
            [ "$blocks" = 0 ] || flag "scale $scale, $scene: $blocks device pixels in 2x2 blocks that are not one colour"
            blocks=", $blocks pixels off their 2x2 block"
        fi
        convert "$WORK/shot.png" -crop "$inset" +repage "$WORK/inset.png"
        foreign=$(foreign_colours "$WORK/inset.png" "$face" | head -n 5 | tr '\n' ' ')
        [ -z "$foreign" ] || flag "scale $scale, $scene: blended colours in the panel: $foreign"
        say "scale $scale, $scene: $count colours, none foreign$blocks"
    done
    end_miravel || flag "scale $scale: \"end\": $STATUS"
}

start_xvfb 1024x768x24 || fail "no X server could be started"
check_scale 2
check_scale 1.5
check_scale 1.25
finish
