"""What a screen reader sees of the real program, through AT-SPI.

Run inside a private session bus and X display (tests/window/atspi.sh sets both up):
starts the accessibility bus, then the program with accessibility on, and
checks the names and roles of its controls, the panel's description as the
clock and the scene change, and that actions work as a user's presses and
choices do: "time" and "Eternity" run their handlers once each (seen in the
trace), "end" ends the program with status 0. A second run writes its trace
to a full device: it must say so once and end with status 1.

Usage: atspi_walk.py <path-to-miravel> <scratch-directory>
"""

import json
import os
import re
import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib


class Failure(Exception):
    pass


def check(condition, what):
    if not condition:
        raise Failure(what)
    print(f"atspi: ok: {what}")


def wait_for(predicate, seconds, what):
    """Polls, serving AT-SPI events meanwhile, until predicate() is true."""
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        serve_events(0.05)
        value = predicate()
        if value:
            return value
    raise Failure(f"{what}: not within {seconds} s")


def serve_events(seconds):
    end = time.monotonic() + seconds
    context = GLib.MainContext.default()
    while time.monotonic() < end:
        if not context.iteration(False):
            time.sleep(0.01)


def start_bus():
    """The accessibility bus and its registry, as a desktop session starts them."""
    launcher = subprocess.Popen(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"],
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    # Asked whether the name is taken, not for the address: asking for the
    # address would have the session bus start a second launcher meanwhile.
    owned = ["dbus-send", "--session", "--print-reply=literal", "--dest=org.freedesktop.DBus", "/org/freedesktop/DBus",
             "org.freedesktop.DBus.NameHasOwner", "string:org.a11y.Bus"]
    end = time.monotonic() + 10
    while time.monotonic() < end and launcher.poll() is None:
        if "true" in subprocess.run(owned, capture_output=True, text=True).stdout:
            return launcher
        time.sleep(0.1)
    launcher.kill()
    raise Failure("the accessibility bus did not start within 10 s")


def start_program(binary, trace, stderr_path):
    env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
    with open(stderr_path, "w") as stderr:
        return subprocess.Popen([binary, "--trace", trace], env=env, stdout=subprocess.DEVNULL, stderr=stderr)


def application(program):
    """The program's application object on the AT-SPI desktop, once it is there."""

    def find():
        for app in pyatspi.Registry.getDesktop(0):
            try:
                if app is not None and app.get_process_id() == program.pid and app.childCount > 0:
                    return app
            except GLib.GError:
                pass  # an application that went away meanwhile
        return None

    return wait_for(find, 15, "the program's window on the accessibility bus")


def children(accessible):
    return [accessible.getChildAtIndex(i) for i in range(accessible.childCount)]


def do_action(accessible, name):
    actions = accessible.queryAction()
    names = [actions.getName(i) for i in range(actions.nActions)]
    if name not in names:
        raise Failure(f"{accessible.getRoleName()} '{accessible.name}' has no action {name}, only {names}")
    actions.doAction(names.index(name))


def handlers(trace):
    with open(trace) as lines:
        return [(entry["handler"], entry.get("text")) for entry in map(json.loads, lines) if "handler" in entry]


def stop(program):
    if program.poll() is None:
        program.kill()
        program.wait()


def walk(binary, work):
    trace = os.path.join(work, "trace.jsonl")
    program = start_program(binary, trace, os.path.join(work, "err1.log"))
    try:
        app = application(program)
        check(app.name == "Miravel", f"the application is named Miravel ({app.name!r})")
        window = app.getChildAtIndex(0)
        check((window.getRoleName(), window.name) == ("frame", "Form1"),
              f"the window is a frame named Form1 ({window.getRoleName()!r}, {window.name!r})")

        controls = {(child.getRoleName(), child.name): child for child in children(window)}
        expected = [("image", "Scene"), ("push button", "clear"), ("push button", "time"), ("push button", "end"),
                    ("combo box", "Scenes")]
        check(sorted(controls) == sorted(expected), f"the window's controls are {expected} ({sorted(controls)})")
        panel = controls[("image", "Scene")]
        check(panel.description == "Empty.", f"the panel is described as empty ({panel.description!r})")
        entries = [child for grandchild in children(controls[("combo box", "Scenes")]) for child in children(grandchild)]
        names = [(entry.getRoleName(), entry.name) for entry in entries]
        check(names == [("list item", "The universe"), ("list item", "The deep sea"), ("list item", "Eternity")],
              f"the list's entries are the three scenes ({names})")

        # The description changes as the clock's text does, once a second, not on every refresh.
        told = []

        def listen(event):
            if event.source == panel:
                told.append((time.monotonic(), event.source.description))

        pyatspi.Registry.registerEventListener(listen, "object:property-change:accessible-description")
        do_action(controls[("push button", "time")], "Press")
        started = time.monotonic()
        serve_events(2.5)
        during = [text for moment, text in told if moment - started <= 2.5]
        # The description is read when its event comes: on a busy machine an
        # event may come late, and two then read the same text, or the second
        # text comes after the 2.5 s. Told at every refresh, it would come 25 times.
        waited = 2.5
        while len({text for _, text in told}) < 2 and waited < 10:
            serve_events(0.5)
            waited += 0.5
        texts = {text for _, text in told}
        check(all(re.fullmatch(r"Empty\. The time is .+\.", text) for text in texts),
              f"the panel is described with the time once \"time\" is pressed ({sorted(texts)})")
        check(len(during) <= 4 and len(texts) >= 2,
              f"it was told {len(during)} times in 2.5 s, with {len(texts)} texts in {waited} s")

        do_action(entries[2], "Toggle")
        wait_for(lambda: panel.description.startswith("Eternity. The time is "), 5,
                 "the panel described as Eternity with the time")
        print(f"atspi: ok: after choosing Eternity the panel reads {panel.description!r}")
        check(controls[("combo box", "Scenes")].name == "Eternity", "the list shows the choice")
        pyatspi.Registry.deregisterEventListener(listen, "object:property-change:accessible-description")

        ran = [entry for entry in handlers(trace) if entry[0] in ("JIKOKU_Click", "SelectBg_Click")]
        check(ran == [("JIKOKU_Click", None), ("SelectBg_Click", "Eternity")],
              f"the actions ran JIKOKU_Click, then SelectBg_Click with Eternity, once each ({ran})")

        # The panel's menu, from a right click on it. A popup is no window of
        # the application's: a screen reader meets it as its entries take the focus.
        focused = []

        def on_focus(event):
            if event.detail1 == 1 and event.source.getRoleName() == "menu item":
                focused.append(event.source)

        pyatspi.Registry.registerEventListener(on_focus, "object:state-changed:focused")
        subprocess.run(["xdotool", "search", "--name", "^Form1$", "mousemove", "--window", "%1", "60", "60", "click", "3",
                        "sleep", "0.5", "key", "Down"], check=False, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        entry = wait_for(lambda: focused[-1] if focused else None, 5, "an entry of the panel's menu with the focus")
        picture = entry.parent
        items = [item.name for item in children(picture) if item.name]
        check((picture.name, entry.name, items) == ("Picture", "Copy picture",
                                                    ["Copy picture", "Save picture...", "Stay on top"]),
              f"the menu {picture.name!r} and its entries are found by name ({entry.name!r} of {items})")
        subprocess.run(["xdotool", "key", "Escape"], check=False)
        pyatspi.Registry.deregisterEventListener(on_focus, "object:state-changed:focused")

        do_action(controls[("push button", "end")], "Press")
        try:
            status = program.wait(timeout=5)
        except subprocess.TimeoutExpired:
            raise Failure("still running 5 s after \"end\" was pressed")
        check(status == 0, f"\"end\" ended the program with status 0 ({status})")
    finally:
        stop(program)


def unwritable_trace(binary, work):
    stderr_path = os.path.join(work, "err2.log")
    program = start_program(binary, "/dev/full", stderr_path)
    try:
        app = application(program)
        end = [child for child in children(app.getChildAtIndex(0)) if child.name == "end"]
        check(len(end) == 1, "the program runs on with its trace on a full device")
        do_action(end[0], "Press")
        status = program.wait(timeout=5)
    finally:
        stop(program)
    with open(stderr_path) as stderr:
        said = [line for line in stderr if "trace" in line]
    check(said == ["miravel: cannot write the trace file '/dev/full': No space left on device\n"],
          f"the trace's write error is said once ({said})")
    check(status == 1, f"and the program ends with status 1 ({status})")


def main():
    binary, work = sys.argv[1], sys.argv[2]
    launcher = start_bus()
    try:
        walk(binary, work)
        unwritable_trace(binary, work)
    except Failure as failure:
        print(f"atspi: FAIL: {failure}", file=sys.stderr)
        return 1
    finally:
        launcher.terminate()
        launcher.wait()
    print("atspi: all checks passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
