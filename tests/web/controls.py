#!/usr/bin/python3
"""The page's window as a person and a screen reader meet it, in headless
Chromium:

- at 100 % the page is the window, 145 x 210 CSS px in the window's own
  colour (ButtonFace), and each control sits where the layout table puts it
  (window_places.sh of the native build), keeping its size in a larger view;
- real clicks: "time" shows the clock and hides it, "clear" empties the
  panel; the list chosen with the mouse and with the keyboard, the same
  entry chosen again runs SelectBg_Click again, the wheel over the list
  chooses nothing;
- Tab goes through the controls in the layout's tab order and marks the
  one it reaches; Space and Enter press a button;
- the address's options press "time" and choose each scene in turn, and
  only ?trace writes to the console, one JSON line a call;
- the accessibility tree names the buttons, holds the combobox, and the
  panel as an image named "Scene" whose description names the scenes shown
  and, while the clock shows, the time;

and every run's trace, one console.log a line, holds under trace_check.

Usage: controls.py SITE NATIVE-BUILD
"""

import datetime
import re
import time

from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.actions.wheel_input import ScrollOrigin
from selenium.webdriver.common.keys import Keys

import webpage
from webpage import SCENES, Browser, Checks, Site, held, open_page, trace_of, wait_for

SITE, NATIVE = webpage.arguments("controls.py SITE NATIVE-BUILD")
PLACES = NATIVE.places
WORK = webpage.work_folder("web-controls")
checks = Checks("web controls", WORK)
CONTROLS = ["HAIKEI1", "Command2", "Command3", "JIKOKU", "SelectBg"]
CLOCK_GREY = (0x80, 0x80, 0x80)


def same_rect(rect, want):
    return rect is not None and all(abs(a - b) < 0.01 for a, b in zip(rect, want))


def handlers(browser, name):
    return trace_of(browser, WORK, "so-far").handlers(name)


def panel_shot(browser):
    return browser.screenshot(clip=PLACES.inner["HAIKEI1"])


def clock_share(browser):
    """The share of the clock's box that is its grey, on the screen now."""
    return browser.screenshot(clip=PLACES.place["CLOCK"]).share_of(CLOCK_GREY)


def layout(browser, site):
    browser.viewport(*PLACES.window)
    open_page(browser, site, started=False)
    try:
        wait_for(lambda: webpage.program_started(browser), 20, "the first paint")
        checks.check(True, "the program starts, and its trace says it painted")
    except webpage.Failure as failure:
        checks.check(False, f"the program's trace: {failure}")
    sizes = browser.js("const d = document.documentElement;"
                       "return [d.scrollWidth, d.scrollHeight, d.clientWidth, d.clientHeight]")
    checks.check(tuple(sizes) == PLACES.window + PLACES.window,
                 f"in a {PLACES.window[0]}x{PLACES.window[1]} view the page fills it and scrolls nowhere "
                 f"(scroll {sizes[0]}x{sizes[1]}, client {sizes[2]}x{sizes[3]})")
    for name in CONTROLS:
        rect = browser.rect(name)
        want = [PLACES.place[name]] + ([PLACES.inner[name]] if name in PLACES.inner else [])
        checks.check(any(same_rect(rect, w) for w in want),
                     f"#{name} is at {rect}, the layout's {' or '.join(map(str, want))}")
    shot = browser.screenshot()
    face = browser.button_face()
    width, height = PLACES.window
    corners = {(x, y): webpage.hex_colour(shot.pixel(x, y)) for x in (1, width - 2) for y in (1, height - 2)}
    checks.check((shot.width, shot.height) == PLACES.window and set(corners.values()) == {face},
                 f"the window's corners are ButtonFace ({face}) on a {shot.width}x{shot.height} screen: {corners}")

    # A larger view: each control keeps its size and its place against the others.
    browser.viewport(width * 3, height * 2)
    origin = [a - b for a, b in zip(browser.rect("Command2"), PLACES.place["Command2"])]
    moved = {}
    for name in CONTROLS:
        rect = browser.rect(name)
        want = [PLACES.place[name]] + ([PLACES.inner[name]] if name in PLACES.inner else [])
        if not any(same_rect(rect, (w[0] + origin[0], w[1] + origin[1], w[2], w[3])) for w in want):
            moved[name] = rect
    checks.check(not moved, f"in a larger view the window keeps its size and shape (moved or resized: {moved})")
    browser.viewport(*PLACES.window)
    held(checks, NATIVE, trace_of(browser, WORK, "layout"), "layout")


def clicks(browser, site):
    open_page(browser, site)
    checks.check(clock_share(browser) < 0.05, "no clock before \"time\"")
    browser.click(PLACES.caption["time"])
    wait_for(lambda: handlers(browser, "JIKOKU_Click"), 5, "JIKOKU_Click after a click on \"time\"")
    try:
        wait_for(lambda: 0.5 <= clock_share(browser) < 0.97, 5, "the clock's grey box with its text")
        checks.check(True, f"a click on \"time\" runs JIKOKU_Click and shows the clock (grey {clock_share(browser):.2f})")
    except webpage.Failure as failure:
        checks.check(False, f"a click on \"time\": {failure} (grey share {clock_share(browser):.2f})")
    browser.click(PLACES.caption["time"])
    try:
        wait_for(lambda: clock_share(browser) < 0.05, 5, "the clock to go")
        checks.check(len(handlers(browser, "JIKOKU_Click")) == 2, "a second click on \"time\" hides the clock")
    except webpage.Failure as failure:
        checks.check(False, f"a second click on \"time\": {failure}")

    face = tuple(int(browser.button_face()[i:i + 2], 16) for i in (1, 3, 5))
    browser.choose("The universe")
    wait_for(lambda: panel_shot(browser).share_of(face) < 0.5, 5, "the universe to show")
    browser.click(PLACES.caption["clear"])
    try:
        wait_for(lambda: panel_shot(browser).share_of(face) == 1, 5, "the panel to be empty")
        checks.check(len(handlers(browser, "Command2_Click")) == 1,
                     "a click on \"clear\" runs Command2_Click and empties the panel to ButtonFace")
    except webpage.Failure as failure:
        checks.check(False, f"\"clear\": {failure}; ButtonFace covers {panel_shot(browser).share_of(face):.2f} of it")
    held(checks, NATIVE, trace_of(browser, WORK, "clicks"), "clicks")


def chosen(browser):
    return [e.get("text") for e in handlers(browser, "SelectBg_Click")]


def scene_list(browser, site):
    open_page(browser, site)
    browser.choose("The deep sea")
    webpage.eventually(lambda: chosen(browser), 5)
    checks.check(chosen(browser) == ["The deep sea"] and browser.list_text() == "The deep sea"
                 and not browser.listbox_shown(),
                 f"the mouse chooses \"The deep sea\": {chosen(browser)}, the list reads {browser.list_text()!r}, closed")

    for _ in range(2):
        browser.choose("The universe")
    webpage.eventually(lambda: len(chosen(browser)) >= 3, 5)
    checks.check(chosen(browser) == ["The deep sea", "The universe", "The universe"],
                 f"choosing the universe again runs SelectBg_Click again: {chosen(browser)}")

    # The keyboard: to the list, open it, to the top, down to the entry, take it.
    earlier = len(chosen(browser))
    browser.js("document.activeElement && document.activeElement.blur()")
    for _ in range(len(CONTROLS) + 1):
        if browser.js("return document.activeElement.id") == "SelectBg":
            break
        browser.keys(Keys.TAB)
    browser.keys((Keys.ALT, Keys.ARROW_DOWN))
    try:
        wait_for(browser.listbox_shown, 5, "the list to open on Alt+Down")
        browser.keys(Keys.HOME, Keys.ARROW_DOWN, Keys.ARROW_DOWN, Keys.ENTER)
        webpage.eventually(lambda: len(chosen(browser)) > earlier, 5)
        time.sleep(0.3)
    except webpage.Failure as failure:
        checks.check(False, f"the keyboard: {failure}")
    checks.check(chosen(browser)[earlier:] == ["Eternity"] and browser.list_text() == "Eternity"
                 and not browser.listbox_shown(),
                 f"Tab, Alt+Down, Home, Down, Down, Enter choose \"Eternity\" once: {chosen(browser)[earlier:]}, "
                 f"the list reads {browser.list_text()!r}")

    before, choices = browser.list_text(), chosen(browser)
    element = browser.element("SelectBg")
    for delta in (120, 120, -120, -120, -120):
        ActionChains(browser.driver).scroll_from_origin(ScrollOrigin.from_element(element), 0, delta).perform()
        time.sleep(0.1)
    time.sleep(0.5)
    checks.check(chosen(browser) == choices and browser.list_text() == before and not browser.listbox_shown(),
                 f"the wheel over the list chooses nothing ({chosen(browser)[len(choices):]}, "
                 f"reads {browser.list_text()!r})")
    held(checks, NATIVE, trace_of(browser, WORK, "list"), "the list")


def focus_look(browser, name):
    x, y, w, h = PLACES.place[name]
    return browser.screenshot(clip=(max(0, x - 2), max(0, y - 2), w + 4, h + 4))


def keyboard(browser, site):
    open_page(browser, site)
    browser.js("document.activeElement && document.activeElement.blur()")
    unfocused = {name: focus_look(browser, name) for name in CONTROLS}
    reached, unmarked = [], []
    for _ in range(len(CONTROLS) + 1):
        browser.keys(Keys.TAB)
        name = browser.js("return document.activeElement.id")
        if name in reached or name not in CONTROLS:
            break
        reached.append(name)
        if focus_look(browser, name).differing(unfocused[name]) == 0:
            unmarked.append(name)
    buttons_and_list = [n for n in PLACES.tab_order(CONTROLS) if n != "HAIKEI1"]
    checks.check(reached in (PLACES.tab_order(CONTROLS), buttons_and_list),
                 f"Tab goes {reached}, the layout's order {PLACES.tab_order(CONTROLS)}"
                 + ("" if "HAIKEI1" in reached else " (the panel takes no focus)"))
    checks.check(reached and not unmarked, f"the control Tab reaches is marked (unmarked: {unmarked})")

    browser.js("document.activeElement && document.activeElement.blur()")
    time_button = PLACES.caption["time"]
    for _ in range(len(CONTROLS) + 1):
        if browser.js("return document.activeElement.id") == time_button:
            break
        browser.keys(Keys.TAB)
    browser.keys(Keys.SPACE)
    shown = wait_for(lambda: len(handlers(browser, "JIKOKU_Click")) == 1 and clock_share(browser) >= 0.5, 5,
                     "the clock after Space on \"time\"")
    browser.keys(Keys.ENTER)
    hidden = wait_for(lambda: len(handlers(browser, "JIKOKU_Click")) == 2 and clock_share(browser) < 0.05, 5,
                      "the clock to go after Enter on \"time\"")
    checks.check(shown and hidden, "Space on \"time\" shows the clock, Enter hides it")
    held(checks, NATIVE, trace_of(browser, WORK, "keyboard"), "the keyboard")


def ax_nodes(browser):
    nodes = browser.cdp("Accessibility.getFullAXTree")["nodes"]
    found = []
    for node in nodes:
        if node.get("ignored"):
            continue
        found.append((node.get("role", {}).get("value"), node.get("name", {}).get("value", ""),
                      node.get("description", {}).get("value", "")))
    return found


def scene_image(browser):
    images = [n for n in ax_nodes(browser) if n[0] == "image" and n[1] == "Scene"]
    return images[0][2] if len(images) == 1 else None


def names_time(description, slack=3):
    """Whether a description holds the time of day now, as h:mm:ss in 12 or 24 hours."""
    now = datetime.datetime.now()
    for match in re.finditer(r"(\d{1,2})[:.](\d{2})[:.](\d{2})", description or ""):
        hour, minute, second = map(int, match.groups())
        for back in range(-1, slack + 1):
            moment = now - datetime.timedelta(seconds=back)
            if (minute, second) == (moment.minute, moment.second) and hour in (moment.hour, moment.hour % 12 or 12):
                return True
    return False


def options(browser, site):
    open_page(browser, site, "trace&time&scene=ETERNITY&scene=the%20deep%20sea")
    run = trace_of(browser, WORK, "options")
    actions = [(e["handler"], e.get("text")) for e in run.handlers() if e["handler"] != "Form_Load"
               and not e["handler"].endswith("_Timer")]
    checks.check(actions == [("JIKOKU_Click", None), ("SelectBg_Click", "Eternity"), ("SelectBg_Click", "The deep sea")],
                 f"?time&scene=ETERNITY&scene=the deep sea press \"time\", then choose each scene in turn ({actions})")
    try:
        wait_for(lambda: {s for s in SCENES if s.lower() in (scene_image(browser) or "").lower()}
                 == {"The deep sea", "Eternity"}, 5, "the face over the deep sea")
        checks.check(browser.list_text() == "The deep sea",
                     f"the face goes on over the deep sea, and the list reads {browser.list_text()!r}")
    except webpage.Failure as failure:
        checks.check(False, f"{failure}: the panel is described as {scene_image(browser)!r}")
    # One reading of the log: the page goes on writing between two.
    log = browser.log()
    odd = [entry for entry in log if not (isinstance(entry, str) and entry.startswith("{"))]
    checks.check(log and not odd, f"with ?trace the console gets one JSON line a call and nothing else ({odd[:3]})")
    held(checks, NATIVE, trace_of(browser, WORK, "options"), "the address's options")

    open_page(browser, site, "", started=False)
    time.sleep(2)
    checks.check(browser.log() == [], f"without ?trace the console gets nothing ({browser.log()[:3]})")


def accessibility(browser, site):
    open_page(browser, site)
    nodes = ax_nodes(browser)
    buttons = sorted(name for role, name, _ in nodes if role == "button")
    checks.check(buttons == ["clear", "end", "time"], f"the tree's buttons are named clear, end, time ({buttons})")
    lists = [(name, description) for role, name, description in nodes if role == "combobox"]
    checks.check(len(lists) == 1 and lists[0][0], f"the tree holds one named combobox ({lists})")
    described = scene_image(browser)
    checks.check(described is not None and not any(s.lower() in described.lower() for s in SCENES)
                 and not names_time(described),
                 f"an image named \"Scene\", its description naming no scene or time at first ({described!r})")

    def described_as(scenes, with_time):
        def now():
            text = scene_image(browser) or ""
            named = {s for s in SCENES if s.lower() in text.lower()}
            return named == set(scenes) and names_time(text) == with_time
        return now

    # Chosen last, the face shows alone; another scene chosen after it goes on under it.
    steps = [("The deep sea", ["The deep sea"], False), ("time", ["The deep sea"], True),
             ("Eternity", ["Eternity"], True), ("The universe", ["The universe", "Eternity"], True),
             ("time", ["The universe", "Eternity"], False), ("clear", [], False)]
    for step, scenes, with_time in steps:
        if step in SCENES:
            browser.choose(step)
        else:
            browser.click(PLACES.caption[step])
        try:
            wait_for(described_as(scenes, with_time), 5, "the description")
            checks.check(True, f"after \"{step}\" the panel is described as {scene_image(browser)!r}")
        except webpage.Failure:
            checks.check(False, f"after \"{step}\" the description {scene_image(browser)!r} should name "
                                f"{scenes or 'no scene'} and {'the time' if with_time else 'no time'}")
    held(checks, NATIVE, trace_of(browser, WORK, "accessibility"), "accessibility")


site = Site(SITE)
try:
    with Browser() as browser:
        browser.viewport(*PLACES.window)
        for title, run in [("layout", layout), ("clicks", clicks), ("the scene list", scene_list),
                           ("the keyboard", keyboard), ("the address's options", options),
                           ("accessibility", accessibility)]:
            checks.case(title, lambda: run(browser, site))
finally:
    site.stop()
checks.finish()
