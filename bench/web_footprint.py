#!/usr/bin/python3
"""What the page costs in headless Chromium, beside a bare page
(bench/bare_page.html, which writes the time once a second):

- the first painted panel after a load: the moment of the trace's first
  "painted" line (on the wall clock, by the trace's first line) against the
  navigation's start and the load event (performance timing); the median
  of LOADS first visits, each in a fresh profile, then of LOADS reloads,
  the service worker's cache warm;
- for each configuration, over SECONDS: the page's wake-ups a second (the
  callbacks of timers, animation frames, idle callbacks, posted tasks and
  messages that fire, counted by the tests' probe), its main thread's busy
  time a minute (CDP Performance.getMetrics: TaskDuration, less DevTools'
  own commands, ScriptDuration of it, and ThreadTime, the processor time,
  which a busy machine does not stretch), and for the program its paints
  a second and the floor: the moments a second at which a pixel changed,
  replayed from its trace by trace_check.

A benchmark, not a test: it prints the figures as a table and judges
nothing. Each configuration is loaded afresh in the same browser; a hidden
one is behind another tab.

Usage: bench/web_footprint.py SITE NATIVE-BUILD [SECONDS] [LOADS]
"""

import os
import statistics
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "web"))
sys.dont_write_bytecode = True

import webpage  # noqa: E402
from webpage import Browser, Site, Trace, wait_for  # noqa: E402

if len(sys.argv) not in (3, 4, 5):
    print("usage: bench/web_footprint.py SITE NATIVE-BUILD [SECONDS] [LOADS]", file=sys.stderr)
    sys.exit(2)
SITE, NATIVE = sys.argv[1], webpage.Native(sys.argv[2])
SECONDS = float(sys.argv[3]) if len(sys.argv) > 3 else 30
LOADS = int(sys.argv[4]) if len(sys.argv) > 4 else 9
SETTLE = 2
WORK = webpage.work_folder("web-footprint")

TIMING = ("const t = performance.getEntriesByType('navigation')[0];"
          "return {origin: performance.timeOrigin, loaded: performance.timeOrigin + t.loadEventStart,"
          " interactive: performance.timeOrigin + t.domContentLoadedEventEnd}")


def first_paint(browser, url):
    """ms from the navigation's start, and from the load event, to the first painted panel."""
    browser.open(url)
    wait_for(lambda: webpage.program_started(browser), 30, "the first paint")
    wait_for(lambda: browser.js("return document.readyState") == "complete", 30, "the load event")
    trace = Trace(browser.lines(), os.path.join(WORK, "start.jsonl"))
    ms, wall = trace.wall()
    painted = wall + trace.paints()[0]["ms"] - ms
    timing = browser.js(TIMING)
    return painted - timing["origin"], painted - timing["loaded"]


def measure(browser, url, hidden=False, program=True):
    browser.open(url)
    if program:
        wait_for(lambda: webpage.program_started(browser), 30, "the program")
    time.sleep(SETTLE)
    cover = browser.cover() if hidden else None
    # The probe is read outside the span the busy time is taken over: its
    # own script would count.
    start = browser.probe()
    busy0 = browser.busy()
    time.sleep(SECONDS)
    busy1 = browser.busy()
    end = browser.probe()
    if cover:
        browser.uncover(cover)
    span = (end["now"] - start["now"]) / 1000
    woke = sum(end["fired"].values()) - sum(start["fired"].values())
    row = {"wake-ups / s": woke / span}
    for name, key in (("busy ms / min", "tasks"), ("script ms / min", "scripts"), ("CPU ms / min", "cpu")):
        row[name] = (busy1[key] - busy0[key]) * 1000 * 60 / span
    if program:
        trace = Trace(browser.lines(), os.path.join(WORK, "measured.jsonl"))
        figures = NATIVE.check_trace(trace.path, (trace.at(start["now"]), trace.at(end["now"])))
        row["paints / s"] = float(figures["paints_per_s"])
        row["floor / s"] = float(figures["visible_per_s"])
    return row


def say_first_paints(what, paints):
    print(f"first painted panel, median of {len(paints)} {what}: "
          f"{statistics.median(p[0] for p in paints):.1f} ms after the navigation's start "
          f"(min {min(p[0] for p in paints):.1f}, max {max(p[0] for p in paints):.1f}), "
          f"{statistics.median(p[1] for p in paints):+.1f} ms from the load event "
          f"(min {min(p[1] for p in paints):+.1f}, max {max(p[1] for p in paints):+.1f})", flush=True)


def main():
    site = Site(SITE)
    bare = Site(HERE)
    try:
        cold = []
        for _ in range(LOADS):
            with Browser() as fresh:
                fresh.viewport(*NATIVE.places.window)
                cold.append(first_paint(fresh, site.url("trace")))
        say_first_paints("first visits, each in a fresh profile", cold)
        with Browser() as browser:
            browser.viewport(*NATIVE.places.window)
            first_paint(browser, site.url("trace"))
            say_first_paints("reloads", [first_paint(browser, site.url("trace")) for _ in range(LOADS)])

            rows = [
                ("nothing shown", site.url("trace"), False, True),
                ("clock shown", site.url("trace&time"), False, True),
                ("deep sea + clock", site.url("trace&time&scene=the%20deep%20sea"), False, True),
                ("deep sea + clock, tab hidden", site.url("trace&time&scene=the%20deep%20sea"), True, True),
                ("bare page", bare.url(page="/bare_page.html"), False, False),
                ("bare page, tab hidden", bare.url(page="/bare_page.html"), True, False),
            ]
            columns = ["wake-ups / s", "busy ms / min", "script ms / min", "CPU ms / min", "paints / s", "floor / s"]
            print(f"\nover {SECONDS:g} s each:\n")
            print("| | " + " | ".join(columns) + " |")
            print("|---" * (len(columns) + 1) + "|")
            for name, url, hidden, program in rows:
                row = measure(browser, url, hidden, program)
                print(f"| {name} | " + " | ".join(f"{row[c]:.2f}" if c in row else "" for c in columns) + " |",
                      flush=True)
    finally:
        site.stop()
        bare.stop()
        webpage.remove_work_folder(WORK)


main()
