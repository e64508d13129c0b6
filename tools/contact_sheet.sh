#!/bin/bash
# Render every art/*.txt picture into one enlarged contact sheet PNG.
# Usage: tools/contact_sheet.sh OUT.png
# Each picture appears twice: 8x with transparency as a checkerboard, and
# (name@bg) over the colour it sits on in the program at its shown size, 4x.
set -euo pipefail
out=${1:?usage: $0 OUT.png}
here=$(cd "$(dirname "$0")/.." && pwd)
tmp=$(mktemp -d); trap 'rm -rf "$tmp"' EXIT

python3 - "$here/art" "$tmp" <<'PY'
import sys, glob, os
art, tmp = sys.argv[1:3]
pal = ["000000","800000","008000","808000","000080","800080","008080","c0c0c0",
       "808080","ff0000","00ff00","ffff00","0000ff","ff00ff","00ffff","ffffff"]
pal = [bytes.fromhex(h) for h in pal]
# background each picture sits on, and the size it is shown at
ctx = {"dosei": ("000000", "32x32"), "suisei": ("000000", "17x17"),
       "masic": ("80c000", "32x32"), "ancou": ("c0ff00", "32x32"),
       "kame": ("000080", "33x33"), "combu": ("000080", "32x32"),
       "eye": ("c0c0c0", "49x17"), "mouth": ("c0c0c0", "41x28")}
for f in sorted(glob.glob(os.path.join(art, "*.txt"))):
    name = os.path.basename(f)[:-4]
    rows = open(f).read().split("\n")[:32]
    if rows[0].startswith("#"):
        continue  # a list or notes file, not a picture
    if len(rows) != 32 or any(len(r) != 32 for r in rows):
        print("warning: %s is not 32x32" % name, file=sys.stderr)
    bad = set(c for r in rows for c in r) - set(".0123456789abcdef")
    if bad:
        print("warning: %s has bad chars %r" % (name, "".join(sorted(bad))), file=sys.stderr)
    grid = [(r + "." * 32)[:32] for r in rows + [""] * (32 - len(rows))]
    def px(x, y, bg):
        c = grid[y][x]
        if c in "0123456789abcdef":
            i = int(c, 16)
            return b"\x58\x74\x10" if (name == "masic" and i == 2) else pal[i]
        return bg(x, y) if c == "." else b"\xff\x00\x80"
    s = 8
    big = bytearray()
    for y in range(32 * s):
        for x in range(32 * s):
            big += px(x // s, y // s,
                      lambda X, Y: b"\x9a\x9a\x9a" if ((x // 4 + y // 4) & 1) else b"\x6a\x6a\x6a")
    open(os.path.join(tmp, name + ".ppm"), "wb").write(b"P6 %d %d 255\n" % (32 * s, 32 * s) + big)
    key = next((k for k in ctx if name.startswith(k)), None)
    if key:
        col, size = ctx[key]
        small = b"".join(px(x, y, lambda X, Y: bytes.fromhex(col)) for y in range(32) for x in range(32))
        open(os.path.join(tmp, name + "@bg.ppm"), "wb").write(b"P6 32 32 255\n" + small)
        open(os.path.join(tmp, name + "@bg.size"), "w").write(size)
PY

tiles=()
for p in "$tmp"/*.ppm; do
    n=$(basename "$p" .ppm)
    if [[ -f "$tmp/$n.size" ]]; then
        convert "$p" -sample "$(cat "$tmp/$n.size")!" -sample 400% "$tmp/$n.png"
    else
        convert "$p" "$tmp/$n.png"
    fi
    tiles+=("$tmp/$n.png")
done
montage -label '%t' "${tiles[@]}" -tile 8x -geometry +6+6 \
        -background '#303030' -fill white -pointsize 14 "$out"
echo "wrote $out (${#tiles[@]} tiles)"
