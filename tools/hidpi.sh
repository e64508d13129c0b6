#!/usr/bin/env bash
# HiDPI: proves that the real program's pictures stay crisp when Qt scales
# the window. At scale 2 the window is 290 x 420 and, in each of the three
# scenes, every aligned 2 x 2 block of the panel's inner area is one colour:
# each picture pixel became a whole block. At scale 1.5, where a pixel cannot
# become whole device pixels, the inner area still holds only colours that
# the scene's pictures and backgrounds use: the 16 base colours, the moon's
# own olive, the empty panel's colour and the two pulsing colours; a blurred
# or smoothed picture would bring blends of its neighbours. The clock stays
# hidden throughout, since its text is smoothed on purpose.
#
# Usage: tools/hidpi.sh <path-to-miravel>
set -u

BIN=${1:?usage: hidpi.sh <path-to-miravel>}
[ -x "$BIN" ] || { echo "hidpi: not an executable: $BIN" >&2; exit 2; }

. "$(dirname "$0")/xsession.sh"
require_tools Xvfb xdotool import convert compare || exit 2

FAILED=0
fail() { echo "hidpi: FAIL: $*" >&2; FAILED=1; }
say() { echo "hidpi: $*"; }

# The panel's inner area in logical pixels: 125 x 141 at 10,10 (the panel at
# 8,8 with a 2-pixel sunken frame).
inner_crop() {
    local s=$1 inset=$2
    awk -v s="$s" -v i="$inset" 'BEGIN {
        x = 10 * s; y = 10 * s; w = 125 * s; h = 141 * s
        x0 = int(x) + (x > int(x)) + i; y0 = int(y) + (y > int(y)) + i
        printf "%dx%d+%d+%d", int(x + w) - i - x0, int(y + h) - i - y0, x0, y0 }'
}

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

# One run at a scale: the window's size, the empty panel, then each scene.
check_scale() {
    local scale=$1 want_w=$2 want_h=$3
    export QT_SCALE_FACTOR=$scale
    start_miravel "$BIN" || { fail "scale $scale: no window"; return; }
    if [ "$WIDTH" = "$want_w" ] && [ "$HEIGHT" = "$want_h" ]; then
        say "scale $scale: window ${WIDTH}x${HEIGHT}"
    else
        fail "scale $scale: window ${WIDTH}x${HEIGHT}, not ${want_w}x${want_h}"
    fi
    local exact inset
    exact=$(inner_crop "$scale" 0)
    inset=$(inner_crop "$scale" 1)

    screenshot "$WORK/empty.png"
    convert "$WORK/empty.png" -crop "$exact" +repage "$WORK/inner.png"
    local face
    face=$(colours "$WORK/inner.png")
    [ "$(echo "$face" | wc -l)" = 1 ] || fail "scale $scale: the empty panel is not one colour"

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
            fail "scale $scale, $scene: never painted (#$background behind, #$also in it)"
        local count foreign blocks=""
        count=$(colours "$WORK/inner.png" | wc -l)
        [ "$count" -ge 3 ] || fail "scale $scale, $scene: only $count colours in the panel, the scene is missing"
        # A block that is not one colour differs from its own corner pixel spread over it.
        if [ "$scale" = 2 ]; then
            convert "$WORK/inner.png" -sample 50% -sample 200% "$WORK/blocks.png"
            blocks=$(compare -metric AE "$WORK/inner.png" "$WORK/blocks.png" null: 2>&1)
            [ "$blocks" = 0 ] || fail "scale $scale, $scene: $blocks device pixels in 2x2 blocks that are not one colour"
            blocks=", $blocks pixels off their 2x2 block"
        fi
        convert "$WORK/shot.png" -crop "$inset" +repage "$WORK/inset.png"
        foreign=$(foreign_colours "$WORK/inset.png" "$face" | head -n 5 | tr '\n' ' ')
        [ -z "$foreign" ] || fail "scale $scale, $scene: blended colours in the panel: $foreign"
        say "scale $scale, $scene: $count colours, none foreign$blocks"
    done
    press end
    poll 20 eval '! kill -0 "$APP_PID" 2>/dev/null' || fail "scale $scale: still running after \"end\""
    wait "$APP_PID" || fail "scale $scale: exit status $? after \"end\""
    APP_PID=
}

start_xvfb 1024x768x24 || { echo "hidpi: FAIL: no X server could be started" >&2; exit 1; }
check_scale 2 290 420
check_scale 1.5 218 315
[ "$FAILED" = 0 ] || exit 1
say "all checks passed"
