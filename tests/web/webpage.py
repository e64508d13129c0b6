"""What the web tests share: the site served on 127.0.0.1, a real headless
Chromium driven through chromedriver as a person would drive it, the page's
trace and timers read back, its pixels read off the screen, and the native
build's tools (trace_check, trace_picture, the window's places) that judge
them.

Every script is run as `python3 SCRIPT SITE NATIVE`: SITE is the built site
(index.html and what it loads), NATIVE a native build of the same tree,
where window_places.sh, trace_check, trace_picture and miravel are.
TRACE_CHECK and TRACE_PICTURE name those tools elsewhere.

A probe is put into every document before the page's own scripts run
(Page.addScriptToEvaluateOnNewDocument). It keeps each console.log call, so
that the trace lines are read in the same task as the screen and the clock;
it notes when each was made, since a line carries the moment it stands for,
not the moment it was written; it counts each callback of a timer, animation
frame, idle callback, posted task or posted message as it fires, the page's
wake-ups seen from outside; and it notes when the document is hidden or
shown again.
"""

import base64
import gzip
import http.server
import json
import os
import re
import shlex
import shutil
import struct
import subprocess
import sys
import tempfile
import threading
import time
import urllib.parse
import zlib

from selenium import webdriver
from selenium.common.exceptions import WebDriverException
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.by import By

CHROMIUM = "/usr/bin/chromium"
CHROMEDRIVER = "/usr/bin/chromedriver"
# Headless as root, and nothing of its own on the network or the disk beside the page.
CHROMIUM_FLAGS = ["--headless=new", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                  "--disable-background-networking", "--disable-component-update", "--disable-sync",
                  # The canvas's colours reach the screenshot as the page wrote them.
                  "--force-color-profile=srgb"]

SCENES = ("The universe", "The deep sea", "Eternity")

# A paint's line is written once the canvas holds it; a screenshot taken
# while the newest paint is on its way shows one of the paints before it.
# On a loaded machine the browser's compositor was seen to show a frame
# four paints old (the deep sea paints eight times a second), so the shot
# is held to any paint of the last two seconds: still exactly one of them.
PAINTS_BEFORE_SHOT = 16
PAINT_LINE_LAG = 300

PROBE = r"""
(() => {
  if (window.__miravelProbe) return;
  const kinds = ['setTimeout', 'setInterval', 'requestAnimationFrame', 'requestIdleCallback', 'postTask', 'message'];
  const probe = {log: [], loggedAt: [], armed: {}, fired: {}, firedAt: [], visibility: []};
  for (const kind of kinds) { probe.armed[kind] = 0; probe.fired[kind] = 0; }
  Object.defineProperty(window, '__miravelProbe', {value: probe});
  const fire = (kind) => { probe.fired[kind]++; probe.firedAt.push([kind, Date.now()]); };
  const log = console.log;
  console.log = function (...args) {
    probe.loggedAt.push(Date.now());
    probe.log.push(args.length === 1 && typeof args[0] === 'string'
      ? args[0] : {odd: args.map((arg) => typeof arg + ': ' + String(arg))});
    return log.apply(this, args);
  };
  const wrap = (owner, kind, name) => {
    const arm = owner[name];
    if (typeof arm !== 'function') return;
    owner[name] = function (callback, ...rest) {
      probe.armed[kind]++;
      if (typeof callback !== 'function') return arm.call(this, callback, ...rest);
      return arm.call(this, function (...args) { fire(kind); return callback.apply(this, args); }, ...rest);
    };
  };
  for (const name of ['setTimeout', 'setInterval', 'requestAnimationFrame', 'requestIdleCallback'])
    wrap(window, name, name);
  if (window.scheduler) wrap(window.scheduler, 'postTask', 'postTask');
  window.addEventListener('message', () => fire('message'), true);
  document.addEventListener('visibilitychange',
    () => probe.visibility.push([document.visibilityState, Date.now()]), true);
})();
"""


# --- Reporting ---------------------------------------------------------------

class Checks:
    """A script's findings: each check is said, a failed one goes on to the
    next, and the script's status says whether any failed."""

    def __init__(self, name, work):
        self.name = name
        self.work = work
        self.failed = []

    def say(self, text):
        print(f"{self.name}: {text}", flush=True)

    def check(self, condition, text):
        if condition:
            self.say(f"ok: {text}")
        else:
            self.failed.append(text)
            self.say(f"FAILED: {text}")
        return bool(condition)

    def finish(self):
        """Says the outcome and ends the script. The work folder is kept
        after a failure, or when MIRAVEL_WEB_WORK named it."""
        if self.failed:
            self.say(f"{len(self.failed)} checks failed:")
            for text in self.failed:
                print(f"  - {text}", flush=True)
            self.say(f"traces and pictures in {self.work}")
            sys.exit(1)
        self.say("all checks passed")
        remove_work_folder(self.work)
        sys.exit(0)

    def case(self, title, run):
        """Runs one group of checks; an error in it fails that group only."""
        self.say(f"--- {title}")
        try:
            run()
        except (Failure, WebDriverException, OSError, subprocess.SubprocessError, ValueError, KeyError) as error:
            self.check(False, f"{title}: {type(error).__name__}: {str(error).strip().splitlines()[0] if str(error).strip() else ''}")


class Failure(Exception):
    """A step that could not go on."""


def eventually(condition, seconds, interval=0.1):
    """Polls until condition() gives something true, for at most `seconds`;
    gives its last value."""
    deadline = time.monotonic() + seconds
    while True:
        value = condition()
        if value or time.monotonic() > deadline:
            return value
        time.sleep(interval)


def wait_for(condition, seconds, what, interval=0.1):
    """Polls until condition() gives something true; raises Failure with
    `what` after `seconds`."""
    deadline = time.monotonic() + seconds
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > deadline:
            raise Failure(f"waited {seconds} s for {what}")
        time.sleep(interval)


# --- The native build's view of the window ------------------------------------

class Places:
    """window_places.sh as written by the native build: each control's
    rectangle in the window in CSS px at zoom 1, the panel's inner area, the
    buttons by caption, the list's entries."""

    def __init__(self, path):
        self.place, self.inner, self.caption, self.entries, self.tab_index = {}, {}, {}, {}, {}
        with open(path) as text:
            for line in text:
                match = re.match(r"(\w+?)_(\w+)=(.*)$", line.strip())
                if match is None:
                    continue
                kind, name, value = match.groups()
                if kind in ("PLACE", "INNER"):
                    getattr(self, kind.lower())[name] = tuple(int(v) for v in shlex.split(value)[0].split())
                elif kind == "TABINDEX":
                    self.tab_index[name] = int(value)
                elif kind == "CAPTION":
                    self.caption[name] = value
                elif kind == "ENTRIES":
                    self.entries[name] = shlex.split(value.strip("()"))
                elif line.startswith("WINDOW_SIZE="):
                    self.window = tuple(int(v) for v in shlex.split(line.split("=", 1)[1])[0].split())

    def tab_order(self, names):
        """The named controls in the layout's tab order."""
        return sorted(names, key=lambda name: self.tab_index[name])


class Native:
    """The native build's tools."""

    def __init__(self, build):
        self.build = os.path.abspath(build)
        self.trace_check = os.environ.get("TRACE_CHECK") or os.path.join(self.build, "trace_check")
        self.trace_picture = os.environ.get("TRACE_PICTURE") or os.path.join(self.build, "trace_picture")
        self.miravel = os.path.join(self.build, "miravel")
        self.places = Places(os.path.join(self.build, "window_places.sh"))

    def check_trace(self, path, span=None):
        """trace_check's figures for a trace file, as a dict; raises Failure
        with what it said when it cannot hold the trace."""
        run = subprocess.run([self.trace_check, path, *(f"{v:.3f}" for v in span or ())],
                             capture_output=True, text=True, timeout=120)
        if run.returncode != 0:
            raise Failure(f"trace_check {path}: {run.stderr.strip() or run.stdout.strip()}")
        return dict(field.split("=", 1) for field in run.stdout.split())

    def picture(self, trace_path, ms, colour, out):
        """trace_picture's panel at a moment of a traced run, as an Image."""
        run = subprocess.run([self.trace_picture, "--window-colour", colour, trace_path, f"{ms:.3f}", out],
                             capture_output=True, text=True, timeout=60,
                             env=dict(os.environ, QT_QPA_PLATFORM="offscreen"))
        if run.returncode != 0:
            raise Failure(f"trace_picture {trace_path} {ms}: {run.stderr.strip()}")
        return Image.read(out)

    def error_line(self, *args):
        """The line the desktop program says on stderr for a wrong argument."""
        run = subprocess.run([self.miravel, *args], capture_output=True, text=True, timeout=60,
                             env=dict(os.environ, QT_QPA_PLATFORM="offscreen"))
        if run.returncode != 2:
            raise Failure(f"miravel {' '.join(args)} ended with status {run.returncode}, not 2")
        return run.stderr.strip().splitlines()[0]


# --- Pictures ------------------------------------------------------------------

class Image:
    """RGB pixels, read from a PNG by hand: the tests need nothing beyond the
    standard library to read a screenshot."""

    def __init__(self, width, height, rgb):
        self.width, self.height, self.rgb = width, height, bytes(rgb)

    @staticmethod
    def read(path):
        with open(path, "rb") as file:
            return Image.decode(file.read())

    @staticmethod
    def decode(png):
        if png[:8] != b"\x89PNG\r\n\x1a\n":
            raise ValueError("not a PNG")
        chunks, palette, at = [], None, 8
        while at < len(png):
            length, kind = struct.unpack(">I4s", png[at:at + 8])
            body = png[at + 8:at + 8 + length]
            if kind == b"IHDR":
                width, height, depth, colour, _, _, interlace = struct.unpack(">IIBBBBB", body)
            elif kind == b"PLTE":
                palette = body
            elif kind == b"IDAT":
                chunks.append(body)
            at += 12 + length
        if depth != 8 or interlace != 0:
            raise ValueError(f"PNG of depth {depth}, interlace {interlace}")
        channels = {0: 1, 2: 3, 3: 1, 4: 2, 6: 4}[colour]
        raw = zlib.decompress(b"".join(chunks))
        stride = width * channels
        rows, previous, at = [], bytearray(stride), 0
        for _ in range(height):
            kind, line = raw[at], bytearray(raw[at + 1:at + 1 + stride])
            at += 1 + stride
            unfilter(kind, line, previous, channels)
            rows.append(line)
            previous = line
        rgb = bytearray()
        for line in rows:
            if colour == 2:
                rgb += line
            elif colour == 6:
                rgb += b"".join(line[i:i + 3] for i in range(0, stride, 4))
            elif colour == 3:
                rgb += b"".join(palette[3 * v:3 * v + 3] for v in line)
            else:
                rgb += b"".join(bytes((v, v, v)) for v in line[::channels])
        return Image(width, height, rgb)

    def pixel(self, x, y):
        at = 3 * (y * self.width + x)
        return tuple(self.rgb[at:at + 3])

    def crop(self, x, y, width, height):
        if x < 0 or y < 0 or x + width > self.width or y + height > self.height:
            raise Failure(f"{width}x{height}+{x}+{y} is outside a {self.width}x{self.height} picture")
        rows = [self.rgb[3 * ((y + row) * self.width + x):3 * ((y + row) * self.width + x + width)]
                for row in range(height)]
        return Image(width, height, b"".join(rows))

    def scaled(self, block):
        """Each pixel a block x block square."""
        rgb = bytearray()
        for row in range(self.height):
            line = b"".join(bytes(self.pixel(column, row)) * block for column in range(self.width))
            rgb += line * block
        return Image(self.width * block, self.height * block, rgb)

    def differing(self, other):
        """How many pixels differ; every pixel when the sizes differ."""
        if (self.width, self.height) != (other.width, other.height):
            return max(self.width * self.height, other.width * other.height)
        return sum(self.rgb[i:i + 3] != other.rgb[i:i + 3] for i in range(0, len(self.rgb), 3))

    def share_of(self, colour):
        wanted = bytes(colour)
        return sum(self.rgb[i:i + 3] == wanted for i in range(0, len(self.rgb), 3)) / (self.width * self.height)

    def write(self, path):
        """As a PNG, for a person to look at after a failure."""
        raw = b"".join(b"\0" + self.rgb[3 * self.width * row:3 * self.width * (row + 1)] for row in range(self.height))

        def chunk(kind, body):
            return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))

        with open(path, "wb") as file:
            file.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", self.width, self.height, 8, 2, 0, 0, 0))
                       + chunk(b"IDAT", zlib.compress(raw)) + chunk(b"IEND", b""))


def unfilter(kind, line, previous, step):
    """A PNG row's filter undone in place."""
    if kind == 0:
        return
    for i in range(len(line)):
        left = line[i - step] if i >= step else 0
        up = previous[i]
        if kind == 1:
            line[i] = (line[i] + left) & 255
        elif kind == 2:
            line[i] = (line[i] + up) & 255
        elif kind == 3:
            line[i] = (line[i] + (left + up) // 2) & 255
        elif kind == 4:
            corner = previous[i - step] if i >= step else 0
            guess = left + up - corner
            a, b, c = abs(guess - left), abs(guess - up), abs(guess - corner)
            line[i] = (line[i] + (left if a <= b and a <= c else up if b <= c else corner)) & 255
        else:
            raise ValueError(f"PNG filter {kind}")


def hex_colour(rgb):
    return "#%02x%02x%02x" % tuple(rgb)


# --- The site -------------------------------------------------------------------

class Site:
    """The built site served on 127.0.0.1 at an ephemeral port, as `make
    web-run` serves it: every request is noted with its size. `replaced`
    maps a path ("/x.wasm") to bytes served instead, or None for a 404;
    `extra` adds pages of the test's own; `types` maps a file name's
    ending (".wasm") to the Content-Type said for it instead."""

    def __init__(self, root, replaced=None, extra=None, types=None):
        self.root = os.path.abspath(root)
        self.replaced = dict(replaced or {})
        self.replaced.update(extra or {})
        self.requests = []
        site = self

        class Handler(http.server.SimpleHTTPRequestHandler):
            extensions_map = {**http.server.SimpleHTTPRequestHandler.extensions_map,
                              ".wasm": "application/wasm", ".webmanifest": "application/manifest+json",
                              ".js": "text/javascript", ".json": "application/json", **(types or {})}

            def __init__(self, *args, **kwargs):
                super().__init__(*args, directory=site.root, **kwargs)

            def do_GET(self):
                path = urllib.parse.urlsplit(self.path).path
                if path in site.replaced:
                    body = site.replaced[path]
                    if body is None:
                        site.requests.append((path, 404, 0))
                        self.send_error(404)
                        return
                    self.send_response(200)
                    self.send_header("Content-Type", self.guess_type(path))
                    self.send_header("Content-Length", str(len(body)))
                    self.end_headers()
                    self.wfile.write(body)
                    site.requests.append((path, 200, len(body)))
                    return
                super().do_GET()

            def log_request(self, code="-", size="-"):
                if urllib.parse.urlsplit(self.path).path not in site.replaced:
                    site.requests.append((urllib.parse.urlsplit(self.path).path, int(code), size))

            def log_message(self, *args):
                pass

        self.server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
        self.server.daemon_threads = True
        self.thread = threading.Thread(target=self.server.serve_forever, daemon=True)
        self.thread.start()
        self.origin = f"http://127.0.0.1:{self.server.server_address[1]}"

    def url(self, query="", page="/"):
        return self.origin + page + (f"?{query}" if query else "")

    def stop(self):
        if self.server is not None:
            self.server.shutdown()
            self.server.server_close()
            self.server = None

    def files(self):
        """Every file of the site, by its path on the server."""
        found = []
        for folder, _, names in os.walk(self.root):
            for name in names:
                found.append("/" + os.path.relpath(os.path.join(folder, name), self.root))
        return sorted(found)

    def wasm(self):
        """The path of the site's one WebAssembly program."""
        found = [path for path in self.files() if path.endswith(".wasm")]
        if len(found) != 1:
            raise Failure(f"the site holds {len(found)} .wasm files, not one: {found}")
        return found[0]

    def read(self, path):
        with open(self.root + path, "rb") as file:
            return file.read()


def gzipped_size(data):
    """The bytes a file takes on the wire, gzip at its default level."""
    return len(gzip.compress(data, compresslevel=6))


# --- The browser -----------------------------------------------------------------

class Browser:
    """Headless Chromium in a fresh profile, driven through chromedriver. The
    probe is put into every document of the first tab."""

    def __init__(self, scale=None, flags=()):
        self.profile = tempfile.mkdtemp(prefix="miravel-web-")
        options = webdriver.ChromeOptions()
        options.binary_location = CHROMIUM
        for flag in CHROMIUM_FLAGS + list(flags) + [f"--user-data-dir={self.profile}"]:
            options.add_argument(flag)
        if scale is not None:
            options.add_argument(f"--force-device-scale-factor={scale}")
        self.driver = webdriver.Chrome(service=Service(CHROMEDRIVER), options=options)
        self.driver.set_script_timeout(30)
        self.cdp("Page.addScriptToEvaluateOnNewDocument", source=PROBE)

    def cdp(self, command, **params):
        return self.driver.execute_cdp_cmd(command, params)

    def js(self, script, *args):
        return self.driver.execute_script(script, *args)

    def viewport(self, width, height):
        """The page's viewport in CSS px, the device's scale kept."""
        self.cdp("Emulation.setDeviceMetricsOverride", width=width, height=height, deviceScaleFactor=0, mobile=False)

    def open(self, url):
        self.driver.get(url)

    def quit(self):
        try:
            self.driver.quit()
        finally:
            shutil.rmtree(self.profile, ignore_errors=True)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.quit()

    # The probe.

    def log(self):
        """Every console.log call of the document: a text, or {'odd': [...]}
        for a call of other arguments."""
        return self.js("return window.__miravelProbe.log")

    def lines(self):
        """The trace's lines so far: the console.log calls of one text that
        is a JSON object."""
        return [entry for entry in self.log() if isinstance(entry, str) and entry.startswith("{")]

    def probe(self):
        """The probe's counts; loggedAt is the wall-clock moment each
        console.log call was made, in the order of log()."""
        return self.js("const p = window.__miravelProbe;"
                       "return {armed: p.armed, fired: p.fired, firedAt: p.firedAt, visibility: p.visibility,"
                       " loggedAt: p.loggedAt, now: Date.now()}")

    def snapshot(self):
        """In one task of the page: the trace so far and the wall clock."""
        return self.js("const p = window.__miravelProbe;"
                       "return {lines: p.log.filter((e) => typeof e === 'string' && e.startsWith('{')),"
                       " now: Date.now()}")

    def cover(self):
        """Opens another tab in front: the page's own is hidden, and still
        the one driven. Gives the other tab's id for uncover()."""
        cover = self.cdp("Target.createTarget", url="about:blank")["targetId"]
        wait_for(lambda: self.js("return document.visibilityState") == "hidden", 10, "the page to be hidden")
        return cover

    def uncover(self, cover):
        """Closes the tab in front: the page is shown again."""
        self.cdp("Target.closeTarget", targetId=cover)
        wait_for(lambda: self.js("return document.visibilityState") == "visible", 10, "the page to be shown again")

    def busy(self):
        """The seconds the page's main thread has spent so far on tasks,
        less those DevTools' own commands took, on scripts, and on the
        processor (Performance.getMetrics)."""
        self.cdp("Performance.enable")
        metrics = {m["name"]: m["value"] for m in self.cdp("Performance.getMetrics")["metrics"]}
        return {"tasks": metrics["TaskDuration"] - metrics.get("DevToolsCommandDuration", 0),
                "scripts": metrics["ScriptDuration"], "cpu": metrics["ThreadTime"]}

    # The screen.

    def screenshot(self, clip=None):
        """What the page shows now in device pixels; clip in CSS px."""
        params = {"format": "png", "fromSurface": True}
        if clip is not None:
            x, y, width, height = clip
            params["clip"] = {"x": x, "y": y, "width": width, "height": height, "scale": 1}
        return Image.decode(base64.b64decode(self.cdp("Page.captureScreenshot", **params)["data"]))

    def rect(self, element_id):
        """An element's border box in CSS px of the viewport, or None."""
        return self.js("const e = document.getElementById(arguments[0]); if (!e) return null;"
                       "const r = e.getBoundingClientRect(); return [r.x, r.y, r.width, r.height]", element_id)

    def button_face(self):
        """The system's ButtonFace as this browser gives it, #rrggbb."""
        rgb = self.js("const d = document.createElement('div'); d.style.backgroundColor = 'ButtonFace';"
                      "document.documentElement.appendChild(d);"
                      "const c = getComputedStyle(d).backgroundColor; d.remove(); return c")
        return hex_colour(int(v) for v in re.findall(r"\d+", rgb)[:3])

    # A person's hands.

    def element(self, element_id):
        return self.driver.find_element(By.ID, element_id)

    def click(self, element_id):
        ActionChains(self.driver).move_to_element(self.element(element_id)).click().perform()

    def keys(self, *keys):
        chain = ActionChains(self.driver)
        for key in keys:
            if isinstance(key, tuple):  # a chord: (modifier, key)
                chain.key_down(key[0]).send_keys(key[1]).key_up(key[0])
            else:
                chain.send_keys(key)
        chain.perform()

    def listbox_shown(self):
        return self.js("const c = document.getElementById('SelectBg');"
                       "const id = c && (c.getAttribute('aria-controls') || c.getAttribute('aria-owns'));"
                       "const box = (id && document.getElementById(id)) || document.querySelector('[role=listbox]');"
                       "if (!box) return false; const r = box.getBoundingClientRect();"
                       "return r.width > 0 && r.height > 0 && getComputedStyle(box).visibility !== 'hidden'"
                       " && (c.getAttribute('aria-expanded') === 'true')")

    def choose(self, scene):
        """Chooses a scene with the mouse: the list opened, its entry clicked."""
        self.click("SelectBg")
        wait_for(self.listbox_shown, 5, "the list to open")
        self.click(f"SelectBg-{SCENES.index(scene)}")

    def list_text(self):
        """What the closed list shows."""
        return self.js("const c = document.getElementById('SelectBg');"
                       "return (c.value !== undefined && c.tagName === 'INPUT') ? c.value : c.textContent.trim()")



# --- The page's trace --------------------------------------------------------------

class Trace:
    """A run's trace as the page wrote it, kept in a file for trace_check
    and trace_picture."""

    def __init__(self, lines, path):
        self.lines = list(lines)
        self.entries = [json.loads(line) for line in self.lines]
        self.path = path
        with open(path, "w") as file:
            file.write("".join(line + "\n" for line in self.lines))

    def wall(self):
        """(trace ms, wall ms) of the first line."""
        first = self.entries[0]
        return first["ms"], first["wall"]

    def at(self, wall_ms):
        """The trace's ms at a wall-clock moment (ms since the epoch)."""
        ms, wall = self.wall()
        return wall_ms - wall + ms

    def handlers(self, name=None):
        return [e for e in self.entries if "handler" in e and (name is None or e["handler"] == name)]

    def paints(self):
        return [e for e in self.entries if "painted" in e]


def trace_of(browser, folder, name):
    """The browser's trace so far, written to folder/name.jsonl."""
    return Trace(browser.lines(), os.path.join(folder, f"{name}.jsonl"))


def held(checks, native, trace, what):
    """trace_check holds the trace: every line is one the program writes,
    every timer ran as often as on the ideal schedule."""
    try:
        figures = native.check_trace(trace.path)
    except Failure as failure:
        return checks.check(False, f"{what}: {failure}")
    return checks.check(figures.get("unmatched") == "0",
                        f"{what}: trace_check holds the trace ({' '.join(f'{k}={v}' for k, v in figures.items() if k in ('timer_events', 'unmatched', 'miscounted', 'visible_changes', 'median', 'max'))})")


def work_folder(name):
    """Where a script keeps its traces and pictures (see Checks.finish)."""
    folder = os.environ.get("MIRAVEL_WEB_WORK") or tempfile.mkdtemp(prefix=f"miravel-{name}-")
    os.makedirs(folder, exist_ok=True)
    return folder


def remove_work_folder(folder):
    """Removes a work folder made here; one MIRAVEL_WEB_WORK named stays."""
    if not os.environ.get("MIRAVEL_WEB_WORK"):
        shutil.rmtree(folder, ignore_errors=True)


def arguments(usage):
    if len(sys.argv) != 3:
        print(f"usage: {usage}", file=sys.stderr)
        sys.exit(2)
    site, native = sys.argv[1], sys.argv[2]
    if not os.path.isfile(os.path.join(site, "index.html")):
        print(f"{usage}: no index.html in {site}: build the site first (make web)", file=sys.stderr)
        sys.exit(2)
    return site, Native(native)


def program_started(browser):
    """Whether the page's program has loaded and painted its panel."""
    lines = browser.lines()
    return any('"Form_Load"' in line for line in lines) and any('"painted"' in line for line in lines)


WINDOW_IDS = ("HAIKEI1", "JIKOKU", "Command2", "Command3", "SelectBg", "SelectBg-0", "SelectBg-1", "SelectBg-2")


def open_page(browser, site, query="trace", started=True):
    """Opens the page with options; waits for the program's first paint,
    or with started=False for the window's controls only."""
    browser.open(site.url(query))
    if started:
        wait_for(lambda: program_started(browser), 20, f"the program to start and paint (?{query})")
    else:
        wait_for(lambda: browser.js("return arguments[0].every((id) => document.getElementById(id))",
                                    list(WINDOW_IDS)), 20, f"the window's controls (?{query})")
