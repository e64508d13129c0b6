#!/usr/bin/env bash
# The program file's icon, read back from the .exe with icoutils as Explorer
# finds it: the 32 x 32 picture in 16 colours, DOSEI's picture pixel for
# pixel, and the 48, 64 and 256 pixel images of Explorer's larger views, the
# desktop icons of those sizes (whole-pixel blocks of the same picture).
#
# Usage: tests/wine/windows_icon.sh PROGRAM.exe DOSEI.ico ICONS-DIR
set -euo pipefail

program=${1:?usage: windows_icon.sh PROGRAM.exe DOSEI.ico ICONS-DIR}
dosei=${2:?usage: windows_icon.sh PROGRAM.exe DOSEI.ico ICONS-DIR}
icons=${3:?usage: windows_icon.sh PROGRAM.exe DOSEI.ico ICONS-DIR}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "windows_icon: FAIL: $*" >&2; exit 1; }

wrestool --extract --type=group_icon --output="$work/program.ico" "$program" ||
    fail "$program carries no icon"
icotool --list "$work/program.ico"

# One image of the icon as a PNG: "extract FILE WIDTH [BIT-DEPTH]".
extract() {
    icotool --extract --width="$2" --height="$2" ${3:+--bit-depth="$3"} --output="$1" "$work/program.ico" &&
        [ -s "$1" ]
}
# Two pictures alike in every pixel, a transparent pixel whatever its colour.
alike() {
    local a b
    a=$(convert "$1" -background black -alpha background -depth 8 RGBA:- | sha256sum)
    b=$(convert "$2" -background black -alpha background -depth 8 RGBA:- | sha256sum)
    [ "$a" = "$b" ] && [ "$(identify -format %wx%h "$1")" = "$(identify -format %wx%h "$2")" ]
}

extract "$work/32.png" 32 4 || fail "no 32 x 32 image in 16 colours"
icotool --extract --output="$work/dosei.png" "$dosei"
alike "$work/32.png" "$work/dosei.png" || fail "the 32 x 32 image is not DOSEI's picture"
echo "windows_icon: 32 x 32 in 16 colours, DOSEI's picture pixel for pixel"

for size in 48 64 256; do
    depth=4
    [ "$size" = 256 ] && depth= # a PNG inside the icon, as Explorer takes its largest
    extract "$work/$size.png" "$size" $depth || fail "no $size x $size image${depth:+ of $depth bits}"
    alike "$work/$size.png" "$icons/${size}x${size}/apps/miravel.png" ||
        fail "the $size x $size image is not the desktop icon of that size"
    echo "windows_icon: $size x $size, the desktop icon of that size"
done
