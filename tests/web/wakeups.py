#!/usr/bin/python3
"""How often the page wakes, counted from outside: every callback of a
timer, an animation frame, an idle callback, a posted task or a posted
message that fires in the page is counted by the probe put in before the
page's own scripts (webpage.PROBE). In headless Chromium:

- with nothing shown, for SPAN seconds, not one callback fires;
- with the deep sea and the clock (?scene, ?time), at most 1.25 times the
  moments a second at which a pixel changes (8.25), and at least one a
  second;
- never a requestAnimationFrame or a setInterval, not even armed;
- hidden behind another tab, the page fires no callback, and its trace says
  it rests and, from then on, gains no line (read from outside once the
  page has said so, as tools/covered.sh reads the desktop's); shown again,
  it paints at once, and that paint shows the present;
- after "end" no callback ever fires, the page says the program ended, a
  click runs nothing, and a reload starts it again.

Every run's trace holds under trace_check.

Usage: wakeups.py SITE NATIVE-BUILD
"""

import json
import os
import time

import webpage
from webpage import Browser, Checks, Site, Trace, held, open_page, wait_for

SITE, NATIVE = webpage.arguments("wakeups.py SITE NATIVE-BUILD")
PLACES = NATIVE.places
WORK = webpage.work_folder("web-wakeups")
checks = Checks("web wakeups", WORK)
SPAN = 10           # seconds counted
SETTLE = 2          # seconds for the page to settle after a load or an action
FLOOR = 8.25        # the deep sea with the clock: moments a second at which a pixel changes
ALLOWANCE = 1.25
HIDDEN = 10         # seconds behind another tab
SHOWN_PAINT_MAX = 500  # ms from being shown again to the paint


def fired(probe, since, until=None):
    return [kind for kind, at in probe["firedAt"] if at > since and (until is None or at <= until)]


def trace(browser, name):
    return Trace(browser.lines(), os.path.join(WORK, f"{name}.jsonl"))


def never_framed_or_intervalled(browser, what):
    armed = browser.probe()["armed"]
    checks.check(armed["requestAnimationFrame"] == 0 and armed["setInterval"] == 0,
                 f"{what}: no requestAnimationFrame and no setInterval armed ({armed})")


def nothing_shown(browser, site):
    open_page(browser, site)
    time.sleep(SETTLE)
    start = browser.probe()["now"]
    time.sleep(SPAN)
    probe = browser.probe()
    woke = fired(probe, start)
    checks.check(not woke, f"nothing shown: {len(woke)} callbacks in {SPAN} s ({sorted(set(woke))})")
    never_framed_or_intervalled(browser, "nothing shown")
    held(checks, NATIVE, trace(browser, "nothing-shown"), "nothing shown")


def deep_sea_and_clock(browser, site):
    open_page(browser, site, "trace&time&scene=the%20deep%20sea")
    time.sleep(SETTLE)
    start = browser.probe()["now"]
    time.sleep(SPAN)
    probe = browser.probe()
    woke = fired(probe, start)
    per_second = len(woke) * 1000 / (probe["now"] - start)
    run = trace(browser, "deep-sea-clock")
    started = [(e["handler"], e.get("text")) for e in run.handlers() if e["handler"] in ("JIKOKU_Click", "SelectBg_Click")]
    checks.check(started == [("JIKOKU_Click", None), ("SelectBg_Click", "The deep sea")],
                 f"?time and ?scene press \"time\" and choose the deep sea, in that order ({started})")
    checks.check(1 <= per_second <= ALLOWANCE * FLOOR,
                 f"the deep sea and the clock: {per_second:.2f} callbacks a second, at most {ALLOWANCE} x {FLOOR} "
                 f"({ {kind: woke.count(kind) for kind in set(woke)} })")
    try:
        figures = NATIVE.check_trace(run.path, (run.at(start), run.at(probe["now"])))
        checks.check(float(figures["visible_per_s"]) > 0 and per_second <= ALLOWANCE * float(figures["visible_per_s"]),
                     f"against the moments a second a pixel changed in that span ({figures['visible_per_s']}), "
                     f"{per_second:.2f} callbacks and {figures['paints_per_s']} paints a second")
    except webpage.Failure as failure:
        checks.check(False, f"the deep sea and the clock: {failure}")
    never_framed_or_intervalled(browser, "the deep sea and the clock")
    held(checks, NATIVE, run, "the deep sea and the clock")


def written(browser, probe):
    """Each trace line with the wall-clock moment the page wrote it: a line
    carries the moment it stands for, and what was due while hidden is run,
    each at its own moment, once the page is shown again."""
    return [(at, json.loads(entry)) for entry, at in zip(browser.log(), probe["loggedAt"])
            if isinstance(entry, str) and entry.startswith("{")]


def hidden_tab(browser, site):
    open_page(browser, site, "trace&time&scene=the%20deep%20sea")
    time.sleep(SETTLE)
    before = len(browser.lines())
    cover = browser.cover()
    # As covered.sh does on the desktop: once the page has said it rests, and
    # the task that said so is over, not a line more while hidden.
    if not webpage.eventually(lambda: any('"resting": true' in line for line in browser.lines()[before:]), 10):
        checks.check(False, f"hidden, the page never said it rests ({browser.lines()[before:before + 5]})")
    resting = len(browser.lines())
    time.sleep(HIDDEN)
    still = browser.lines()[resting:]
    browser.uncover(cover)
    checks.check(not still, f"once resting, for {HIDDEN} s hidden the trace gained {len(still)} lines ({still[:3]})")
    time.sleep(SETTLE)
    probe = browser.probe()
    run = trace(browser, "hidden")
    lines = written(browser, probe)
    changes = probe["visibility"]
    if [state for state, _ in changes] != ["hidden", "visible"]:
        checks.check(False, f"behind another tab the page was hidden, then shown again: {changes}")
        return
    hidden_at, shown_at = changes[0][1], changes[1][1]
    woke = fired(probe, hidden_at, shown_at)
    checks.check(not woke, f"hidden for {(shown_at - hidden_at) / 1000:.1f} s: {len(woke)} callbacks fired "
                           f"({sorted(set(woke))})")

    rested = [i for i, (at, e) in enumerate(lines) if hidden_at <= at < shown_at and e.get("resting") is True]
    if checks.check(rested and lines[rested[0]][0] - hidden_at < 1000,
                    f"the trace says the page rests once hidden "
                    f"({lines[rested[0]][0] - hidden_at if rested else '-'} ms after)"):
        same_task = [e for at, e in lines[rested[0] + 1:] if at < shown_at]
        checks.say(f"written after the resting line, before it was read from outside: {same_task}")
    shown_ms = run.at(shown_at)
    paints = [(at, e) for at, e in lines if at >= shown_at and "painted" in e]
    if checks.check(paints, "it paints once shown again"):
        at, first = paints[0]
        # Both clocks here are read in whole ms.
        checks.check(at - shown_at <= SHOWN_PAINT_MAX and first["shows"] >= shown_ms - 2,
                     f"shown again at {shown_ms:.1f} ms, it painted {at - shown_at} ms later, showing "
                     f"{first['shows'] - shown_ms:.1f} ms after the showing")
    awake = [e for at, e in lines if at >= shown_at and "resting" in e]
    checks.check(awake and awake[0]["resting"] is False, f"the trace says it woke once shown ({awake[:1]})")
    never_framed_or_intervalled(browser, "hidden and shown")
    held(checks, NATIVE, run, "hidden and shown again")


def the_end(browser, site):
    open_page(browser, site, "trace&time&scene=the%20deep%20sea")
    time.sleep(SETTLE)
    browser.click(PLACES.caption["end"])
    try:
        wait_for(lambda: any('"FIN_Timer"' in line for line in browser.lines()), 5, "the end's timer to run")
    except webpage.Failure as failure:
        checks.check(False, f"\"end\": {failure}")
        return
    time.sleep(1)
    run = trace(browser, "end")
    ended_at = run.entries[-1]["ms"]
    lines = len(run.lines)
    clickable = [c for c in ("time", "clear") if browser.element(PLACES.caption[c]).is_displayed()]
    for caption in clickable:
        browser.click(PLACES.caption[caption])
    checks.say(f"after the end, clicked {clickable or 'nothing: the window is gone'}")
    time.sleep(SPAN / 2)
    probe = browser.probe()
    after = [(kind, run.at(at)) for kind, at in probe["firedAt"] if run.at(at) > ended_at + 1]
    checks.check(not after, f"after the end's last line ({ended_at:.1f} ms) no callback fires, clicks or not "
                            f"({after[:5]})")
    checks.check(len(browser.lines()) == lines,
                 f"after the end, {'clicks on ' + ' and '.join(clickable) if clickable else 'its window gone,'} "
                 f"the trace gained {len(browser.lines()) - lines} lines")
    message = browser.js("const m = document.getElementById('message'); if (!m) return null;"
                         "const r = m.getBoundingClientRect();"
                         "return r.width > 0 && r.height > 0 ? m.textContent.trim() : ''")
    checks.check(message and "end" in message.lower(), f"the page says the program ended: {message!r}")
    held(checks, NATIVE, run, "until the end")

    browser.driver.refresh()
    try:
        wait_for(lambda: webpage.program_started(browser), 20, "the program to start again")
        checks.check(True, "a reload starts it again")
        held(checks, NATIVE, trace(browser, "after-end"), "after the reload")
    except webpage.Failure as failure:
        checks.check(False, f"a reload: {failure}")


site = Site(SITE)
try:
    for title, run in [("nothing shown", nothing_shown), ("the deep sea and the clock", deep_sea_and_clock),
                       ("behind another tab", hidden_tab), ("the end", the_end)]:
        with Browser() as browser:
            checks.case(title, lambda: run(browser, site))
finally:
    site.stop()
checks.finish()
