#!/usr/bin/python3
"""Whether a window shows a picture as its icon, pixel for pixel.

Usage: icon_pixels.py NET_WM_ICON PICTURE

NET_WM_ICON is what `xprop -notype 32c _NET_WM_ICON` printed for the window:
one or more images, each its width, its height and then its pixels as ARGB
numbers. PICTURE is any file ImageMagick reads (an .ico, a .png). The image
of the picture's size must be the picture: every opaque pixel of the same
colour, every transparent one transparent. Exits 1 saying how it differs.
"""
import subprocess
import sys


def window_icons(text):
    numbers = [int(n) for n in text.split("=", 1)[1].replace(",", " ").split()]
    icons = {}
    while len(numbers) >= 2:
        width, height = numbers[0], numbers[1]
        icons[(width, height)] = numbers[2:2 + width * height]
        numbers = numbers[2 + width * height:]
    return icons


def picture_pixels(path):
    """The picture as ARGB numbers, row by row, and its size."""
    size = subprocess.run(["identify", "-format", "%w %h\n", path], check=True,
                          capture_output=True, text=True).stdout.split("\n")[0].split()
    width, height = int(size[0]), int(size[1])
    raw = subprocess.run(["convert", f"{path}[0]", "-depth", "8", "RGBA:-"], check=True,
                         capture_output=True).stdout
    pixels = []
    for at in range(0, len(raw), 4):
        red, green, blue, alpha = raw[at:at + 4]
        pixels.append(alpha << 24 | red << 16 | green << 8 | blue)
    return (width, height), pixels


def seen(argb):
    """A transparent pixel is transparent whatever colour it keeps."""
    return argb if argb >> 24 else 0


def main(icon_file, picture):
    with open(icon_file) as text:
        icons = window_icons(text.read())
    size, expected = picture_pixels(picture)
    print(f"the window's icons: {sorted(icons)}; the picture: {size[0]}x{size[1]}")
    if size not in icons:
        print(f"icon_pixels: the window has no {size[0]}x{size[1]} icon", file=sys.stderr)
        return 1
    shown = icons[size]
    differing = [i for i, (a, b) in enumerate(zip(shown, expected)) if seen(a) != seen(b)]
    if differing:
        first = differing[0]
        print(f"icon_pixels: {len(differing)} pixels differ, the first at "
              f"({first % size[0]}, {first // size[0]}): {seen(shown[first]):08x} "
              f"where the picture has {seen(expected[first]):08x}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    sys.exit(main(sys.argv[1], sys.argv[2]))
