#!/usr/bin/python3
"""What the page says when something is wrong, in headless Chromium:

- a wrong option in the address, ?scene=nonsense or ?zoom=9, shows in
  #message the very line the desktop program says on stderr for the same
  option (--scene nonsense, --zoom 9), and the program starts without it;
  beside a scene that exists, each wrong one has its line and the right
  one is shown all the same;
- a damaged WebAssembly program (cut in half), a missing one (404), and a
  browser without WebAssembly each leave a message in #message, in view,
  not a blank page;
- a server that does not call the program WebAssembly (Content-Type
  application/octet-stream), as some static hosts do, still runs it.

Usage: failures.py SITE NATIVE-BUILD
"""

import os

import webpage
from webpage import Browser, Checks, Site, Trace, held, open_page, wait_for

SITE, NATIVE = webpage.arguments("failures.py SITE NATIVE-BUILD")
PLACES = NATIVE.places
WORK = webpage.work_folder("web-failures")
checks = Checks("web failures", WORK)
SAID_WITHIN = 20  # seconds for the page to say what went wrong
# A browser window of an ordinary size: a message may sit beside or under the window.
VIEW = (800, 600)

MESSAGE = ("const m = document.getElementById('message'); if (!m) return null;"
           "const r = m.getBoundingClientRect(), s = getComputedStyle(m);"
           "const seen = r.width > 0 && r.height > 0 && r.right > 0 && r.bottom > 0 && r.left < innerWidth"
           " && r.top < innerHeight && s.visibility !== 'hidden' && s.display !== 'none' && s.opacity !== '0';"
           "return seen ? m.textContent.trim() : ''")


def message(browser):
    return browser.js(MESSAGE)


def wrong_options(query, wrongs, what, chosen=()):
    """?query holds the wrong options `wrongs`, each as the desktop's own
    arguments, and the scenes that exist, `chosen`, which run as ever."""
    expected = [NATIVE.error_line(*args) for args in wrongs]

    def run():
        with Browser() as browser:
            browser.viewport(*VIEW)
            open_page(browser, site, f"trace&{query}")
            said = message(browser)
            checks.check(said is not None and said.splitlines() == expected,
                         f"?{query} shows the desktop's lines {expected!r} ({said!r})")
            trace = Trace(browser.lines(), os.path.join(WORK, f"{what}.jsonl"))
            picked = [entry.get("text") for entry in trace.handlers("SelectBg_Click")]
            checks.check(picked == list(chosen), f"?{query}: the program started, choosing "
                                                 f"{list(chosen) or 'nothing'} ({picked})")
            size = browser.rect(PLACES.caption["time"])
            checks.check(size is not None and size[2:] == list(PLACES.place[PLACES.caption["time"]][2:]),
                         f"?{query}: the window is at zoom 1 (\"time\" is {size})")
            held(checks, NATIVE, trace, f"?{query}")
    return run


def no_program(what, replaced=None, flags=()):
    def run():
        served = Site(SITE, replaced=replaced)
        try:
            with Browser(flags=flags) as browser:
                browser.viewport(*VIEW)
                browser.open(served.url("trace"))
                if flags:
                    kind = browser.js("return typeof WebAssembly")
                    checks.check(kind == "undefined", f"{what}: the page finds no WebAssembly ({kind})")
                try:
                    said = wait_for(lambda: message(browser), SAID_WITHIN, "a message")
                    checks.check(True, f"{what}: the page says {said!r}")
                except webpage.Failure:
                    checks.check(False, f"{what}: no message in view after {SAID_WITHIN} s "
                                        f"(#message {'is missing' if message(browser) is None else 'is empty or hidden'})")
                checks.check(not webpage.program_started(browser), f"{what}: no program ran")
        finally:
            served.stop()
    return run


def untyped_program():
    served = Site(SITE, types={".wasm": "application/octet-stream"})
    try:
        with Browser() as browser:
            browser.viewport(*VIEW)
            open_page(browser, served, "trace&scene=eternity")
            checks.check(not message(browser), f"the program served as bytes: no message ({message(browser)!r})")
            held(checks, NATIVE, Trace(browser.lines(), os.path.join(WORK, "untyped.jsonl")),
                 "the program served as bytes")
    finally:
        served.stop()


site = Site(SITE)
wasm = site.wasm()
try:
    checks.case("?scene=nonsense", wrong_options("scene=nonsense", [("--scene", "nonsense")], "scene"))
    checks.case("?zoom=9", wrong_options("zoom=9", [("--zoom", "9")], "zoom"))
    checks.case("both beside a scene", wrong_options("scene=moon&zoom=9&scene=ETERNITY",
                                                     [("--scene", "moon"), ("--zoom", "9")], "both", ["Eternity"]))
    checks.case("a damaged program", no_program(f"{wasm} cut in half",
                                                replaced={wasm: site.read(wasm)[:len(site.read(wasm)) // 2]}))
    checks.case("a missing program", no_program(f"{wasm} missing", replaced={wasm: None}))
    # V8 without its compilers has no WebAssembly, as in a browser whose
    # security settings turn them off; this Chromium ignores --noexpose_wasm.
    checks.case("no WebAssembly", no_program("a browser without WebAssembly", flags=["--js-flags=--jitless"]))
    checks.case("a server that does not say WebAssembly", untyped_program)
finally:
    site.stop()
checks.finish()
