#!/usr/bin/python3
"""The page as a site: offline, installed, framed and fetched, in headless
Chromium:

- once its service worker controls the page, the server stops and a
  reload still starts the program, and "time" still shows the clock;
- its manifest parses, is named "Miravel", and names icons of 192 and 512
  px that load at those sizes; Chromium finds nothing that keeps the page
  from being installed (Page.getInstallabilityErrors);
- in <iframe width=145 height=210> it shows the window alone: the frame's
  document scrolls nowhere, its controls sit at the layout's places from
  the frame's corner, and the frame's corners are ButtonFace;
- every file the page loads (the server's log, the service worker's own
  fetches included), gzipped, comes to at most 100 kB.

Usage: offline.py SITE NATIVE-BUILD
"""

import json
import os
import time
import urllib.parse
import urllib.request

from selenium.webdriver.common.by import By

import webpage
from webpage import Browser, Checks, Site, Trace, gzipped_size, held, open_page, wait_for

SITE, NATIVE = webpage.arguments("offline.py SITE NATIVE-BUILD")
PLACES = NATIVE.places
WORK = webpage.work_folder("web-offline")
checks = Checks("web offline", WORK)
CONTROLLED_WITHIN = 20  # seconds for the service worker to take the page
SIZE_MAX = 100_000      # bytes, gzipped, of all the page loads
CONTROLLER = "return navigator.serviceWorker && navigator.serviceWorker.controller" \
             " ? navigator.serviceWorker.controller.state : null"


def works(browser, what):
    """The program runs: it started, and "time" shows the clock."""
    wait_for(lambda: webpage.program_started(browser), 20, f"{what}: the program to start")
    browser.click(PLACES.caption["time"])
    grey = (0x80, 0x80, 0x80)
    try:
        wait_for(lambda: browser.screenshot(clip=PLACES.place["CLOCK"]).share_of(grey) >= 0.5, 5, "the clock")
        return True
    except webpage.Failure:
        return False


def offline():
    site = Site(SITE)
    try:
        with Browser() as browser:
            browser.viewport(*PLACES.window)
            open_page(browser, site)
            try:
                wait_for(lambda: browser.js(CONTROLLER) == "activated", CONTROLLED_WITHIN, "the service worker")
                checks.check(True, "a service worker controls the page")
            except webpage.Failure:
                checks.check(False, f"no service worker controls the page after {CONTROLLED_WITHIN} s "
                                    f"({browser.js(CONTROLLER)})")
            site.stop()
            browser.driver.refresh()
            try:
                checks.check(works(browser, "offline"), "with the server stopped, a reload starts the program "
                                                        "and \"time\" shows the clock")
            except webpage.Failure as failure:
                said = browser.js("const m = document.getElementById('message'); return m && m.textContent")
                checks.check(False, f"with the server stopped: {failure}; #message says {said!r}")
            held(checks, NATIVE, Trace(browser.lines(), os.path.join(WORK, "offline.jsonl")), "offline")
    finally:
        site.stop()


def fetch(url):
    with urllib.request.urlopen(url, timeout=10) as answer:
        return answer.read()


ICON_SIZE = """
const done = arguments[arguments.length - 1], image = new Image();
image.onload = () => done([image.naturalWidth, image.naturalHeight]);
image.onerror = () => done(null);
image.src = arguments[0];
"""


def install():
    site = Site(SITE)
    try:
        with Browser() as browser:
            open_page(browser, site)
            href = browser.js("const l = document.querySelector('link[rel=manifest]'); return l && l.href")
            if not checks.check(href, "the page links a manifest"):
                return
            try:
                manifest = json.loads(fetch(href))
            except ValueError as error:
                checks.check(False, f"the manifest {href} does not parse: {error}")
                return
            checks.check(manifest.get("name") == "Miravel", f"the manifest is named {manifest.get('name')!r}")
            icons = {icon.get("sizes"): urllib.parse.urljoin(href, icon.get("src", ""))
                     for icon in manifest.get("icons", [])}
            for size in ("192x192", "512x512"):
                if not checks.check(size in icons, f"the manifest names an icon of {size} ({sorted(icons)})"):
                    continue
                loaded = browser.driver.execute_async_script(ICON_SIZE, icons[size])
                checks.check(loaded and "x".join(map(str, loaded)) == size,
                             f"the icon {icons[size]} loads at {loaded}, {size}")
            wait_for(lambda: browser.js(CONTROLLER) == "activated", CONTROLLED_WITHIN, "the service worker")
            errors = browser.cdp("Page.getInstallabilityErrors").get("installabilityErrors")
            checks.check(errors == [], f"Chromium finds nothing against installing it ({errors})")
            held(checks, NATIVE, Trace(browser.lines(), os.path.join(WORK, "install.jsonl")), "installing")
    finally:
        site.stop()


FRAME = b"""<!doctype html><title>Miravel in a frame</title>
<iframe id="miravel" src="/?trace" width="145" height="210"></iframe>
"""


def framed():
    site = Site(SITE, extra={"/framed.html": FRAME})
    try:
        with Browser() as browser:
            browser.open(site.url(page="/framed.html"))
            frame = browser.driver.find_element(By.ID, "miravel")
            outer = browser.js("const f = document.getElementById('miravel'), r = f.getBoundingClientRect();"
                               "return [r.x + f.clientLeft, r.y + f.clientTop]")
            browser.driver.switch_to.frame(frame)
            wait_for(lambda: webpage.program_started(browser), 20, "the program in the frame")
            sizes = browser.js("const d = document.documentElement, b = document.body;"
                               "return [d.scrollWidth, d.scrollHeight, d.clientWidth, d.clientHeight,"
                               " b.scrollWidth, b.scrollHeight]")
            checks.check(tuple(sizes[:4]) == PLACES.window + PLACES.window and sizes[4] <= PLACES.window[0]
                         and sizes[5] <= PLACES.window[1],
                         f"in a 145x210 frame nothing scrolls and no scroll bar takes room "
                         f"(scroll {sizes[0]}x{sizes[1]}, client {sizes[2]}x{sizes[3]}, body {sizes[4]}x{sizes[5]})")
            placed = {name: browser.rect(name) for name in ("HAIKEI1", "Command2", "Command3", "JIKOKU", "SelectBg")}
            wrong = {name: rect for name, rect in placed.items()
                     if rect is None or not any(all(abs(a - b) < 0.01 for a, b in zip(rect, want))
                                                for want in (PLACES.place[name], PLACES.inner.get(name)) if want)}
            checks.check(not wrong, f"in the frame each control is at the layout's place from its corner ({wrong})")
            face = browser.button_face()
            held(checks, NATIVE, Trace(browser.lines(), os.path.join(WORK, "framed.jsonl")), "in a frame")
            browser.driver.switch_to.default_content()
            width, height = PLACES.window
            shot = browser.screenshot(clip=(outer[0], outer[1], width, height))
            corners = {webpage.hex_colour(shot.pixel(x, y)) for x in (1, width - 2) for y in (1, height - 2)}
            checks.check(corners == {face}, f"the frame's corners are ButtonFace, {face} ({corners})")
    finally:
        site.stop()


def size():
    site = Site(SITE)
    try:
        with Browser() as browser:
            open_page(browser, site)
            try:
                wait_for(lambda: browser.js(CONTROLLER) == "activated", CONTROLLED_WITHIN, "the service worker")
            except webpage.Failure:
                pass  # said by the offline check; the files fetched so far still count
            time.sleep(2)
            # The page at "/" is index.html: one file, however many times fetched.
            loaded = sorted({path + "index.html" if path.endswith("/") else path
                             for path, status, _ in site.requests if status == 200})
            sizes = {path: gzipped_size(site.read(path)) for path in loaded}
            total = sum(sizes.values())
            listed = ", ".join(f"{path} {size / 1000:.1f}" for path, size in sizes.items())
            checks.check(loaded and total <= SIZE_MAX,
                         f"the page loads {len(loaded)} files, {total / 1000:.1f} kB gzipped in all, at most "
                         f"{SIZE_MAX / 1000:.0f} kB ({listed})")
            unloaded = [path for path in site.files() if path not in loaded]
            checks.say(f"files of the site it never loaded: {unloaded}")
            held(checks, NATIVE, Trace(browser.lines(), os.path.join(WORK, "size.jsonl")), "loading")
    finally:
        site.stop()


checks.case("offline", offline)
checks.case("installing", install)
checks.case("in a frame", framed)
checks.case("size", size)
checks.finish()
