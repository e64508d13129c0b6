#!/usr/bin/python3
"""The page's panel, pixel for pixel, against what the Linux build paints at
the same moment of the same run, in headless Chromium:

- at 100 % on a screen of one device pixel per CSS px, after each scene is
  chosen and after "clear", the clock hidden, the panel's inner area on the
  screen is trace_picture's picture of the moment one of the page's last
  traced paints showed; where the panel shows the window's own colour
  through, that colour is read off the page (its corner), and is the
  browser's ButtonFace;
- on a screen of two device pixels a CSS px, with ?zoom=2, every art pixel
  is a whole 4 x 4 block of device pixels, and the panel is that same
  picture with each pixel a block.

Each run's trace, from the page's console, holds under trace_check.

Usage: panel.py SITE NATIVE-BUILD
"""

import os
import time

import webpage
from webpage import Browser, Checks, Site, Trace, held, hex_colour, open_page

SITE, NATIVE = webpage.arguments("panel.py SITE NATIVE-BUILD")
PLACES = NATIVE.places
WORK = webpage.work_folder("web-panel")
checks = Checks("web panel", WORK)


def shows_a_paint(browser, name, zoom, ratio):
    """Screenshots, up to three half a second apart, until one's panel is
    trace_picture's picture of one of the last paints traced by the time it
    was taken, each pixel a zoom x ratio block; says which, or why not."""
    block = zoom * ratio
    x, y, width, height = PLACES.inner["HAIKEI1"]
    tried = ""
    for attempt in range(3):
        screen = browser.screenshot()
        snapshot = browser.snapshot()
        trace = Trace(snapshot["lines"], os.path.join(WORK, f"{name}.jsonl"))
        taken = trace.at(snapshot["now"])
        colour = hex_colour(screen.pixel(block, block))
        panel = screen.crop(x * block, y * block, width * block, height * block)
        paints = [p for p in trace.paints() if p["ms"] <= taken + webpage.PAINT_LINE_LAG]
        tried = ""
        for paint in reversed(paints[-webpage.PAINTS_BEFORE_SHOT:]):
            picture = NATIVE.picture(trace.path, paint["shows"], colour, os.path.join(WORK, f"{name}-paint.png"))
            differ = panel.differing(picture.scaled(block) if block > 1 else picture)
            if differ == 0:
                return True, f"the paint at {paint['ms']:.1f} ms, showing {paint['shows']:.1f} ms", colour, panel
            tried += f" {paint['shows']:.1f} ms: {differ} pixels differ;"
        panel.write(os.path.join(WORK, f"{name}-screen.png"))
        time.sleep(0.5)
    return False, f"taken by {taken:.1f} ms, the panel is none of the last paints:{tried or ' none traced'}", colour, panel


def blocks_whole(panel, block):
    """The aligned block x block squares that hold more than one colour."""
    broken = 0
    for top in range(0, panel.height - block + 1, block):
        for left in range(0, panel.width - block + 1, block):
            first = panel.pixel(left, top)
            if any(panel.pixel(left + i, top + j) != first for j in range(block) for i in range(block)):
                broken += 1
    return broken


def one_to_one():
    with Browser() as browser:
        browser.viewport(*PLACES.window)
        open_page(browser, webpage_site)
        face = browser.button_face()
        for step in ("The universe", "The deep sea", "clear", "Eternity"):
            if step == "clear":
                browser.click(PLACES.caption["clear"])
            else:
                browser.choose(step)
            time.sleep(1)
            matched, said, colour, _ = shows_a_paint(browser, "one-to-one", 1, 1)
            checks.check(matched, f"after \"{step}\", the panel is the Linux build's, pixel for pixel: {said}")
            checks.check(colour == face, f"the window's colour on the page, {colour}, is ButtonFace ({face})")
        held(checks, NATIVE, Trace(browser.lines(), os.path.join(WORK, "one-to-one.jsonl")), "at 100 %")


def zoomed():
    with Browser(scale=2) as browser:
        width, height = PLACES.window
        browser.viewport(width * 2, height * 2)
        open_page(browser, webpage_site, "trace&zoom=2")
        ratio = browser.js("return devicePixelRatio")
        checks.check(ratio == 2, f"the screen has {ratio} device pixels a CSS px")
        sizes = browser.js("const d = document.documentElement; return [d.scrollWidth, d.scrollHeight]")
        checks.check(tuple(sizes) == (width * 2, height * 2), f"?zoom=2 makes the page {sizes[0]}x{sizes[1]} CSS px")
        for step in ("The universe", "The deep sea", "Eternity"):
            browser.choose(step)
            time.sleep(1)
            matched, said, _, panel = shows_a_paint(browser, "zoom2", 2, 2)
            broken = blocks_whole(panel, 4)
            checks.check(broken == 0, f"\"{step}\" at zoom 2 on a screen of ratio 2: {broken} of the 4 x 4 blocks "
                                      "hold more than one colour")
            checks.check(matched, f"\"{step}\" at zoom 2, ratio 2, is the Linux build's picture in 4 x 4 blocks: {said}")
        held(checks, NATIVE, Trace(browser.lines(), os.path.join(WORK, "zoom2.jsonl")), "at zoom 2, ratio 2")


webpage_site = Site(SITE)
try:
    checks.case("at 100 %, one device pixel a CSS px", one_to_one)
    checks.case("at zoom 2 on a screen of ratio 2", zoomed)
finally:
    webpage_site.stop()
checks.finish()
