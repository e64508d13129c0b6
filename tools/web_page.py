#!/usr/bin/python3
"""The web build's page in headless Chromium, through its WebDriver.

  web_page.py SITE TRACE_PICTURE

SITE is the built site (build-web/site), TRACE_PICTURE the native build's
tool that draws the panel at a moment of a traced run. Each check serves
the site (or a copy of it, spoilt) on a port of its own, so that no service
worker of one check answers another's page:

- the panel, after each scene and after "clear", is trace_picture's picture
  of the page's own trace at its last paint, pixel for pixel, the window's
  colour read off the page;
- a wrong scene or zoom in the address is said with the desktop's line,
  and the program starts without it;
- a program that cannot be fetched, is damaged, or finds no WebAssembly
  in the browser is said in the window's place;
- once the service worker holds the site, the page opens with the server
  gone;
- after "end" the window closes, the page says so, and nothing runs.
"""

import base64
import contextlib
import functools
import http.server
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import threading
import time

from selenium import webdriver
from selenium.webdriver.chrome.options import Options
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.support.ui import WebDriverWait

SITE, TRACE_PICTURE = sys.argv[1], sys.argv[2]
WORK = tempfile.mkdtemp(prefix='web_page.')
failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
        print('FAIL:', what)


class QuietHandler(http.server.SimpleHTTPRequestHandler):
    def log_message(self, *args):
        pass


class QuietServer(http.server.ThreadingHTTPServer):
    # A page that goes mid-answer (a check done, a program refused) is no fault.
    def handle_error(self, request, client_address):
        pass


class Server:
    """The site's folder on 127.0.0.1, a secure origin for the service worker."""

    def __init__(self, folder):
        handler = functools.partial(QuietHandler, directory=folder)
        self.httpd = QuietServer(('127.0.0.1', 0), handler)
        threading.Thread(target=self.httpd.serve_forever, daemon=True).start()
        self.url = 'http://127.0.0.1:%d/' % self.httpd.server_address[1]

    def stop(self):
        self.httpd.shutdown()
        self.httpd.server_close()


def browser():
    options = Options()
    options.binary_location = '/usr/bin/chromium'
    for argument in ('--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
                     '--disable-background-networking', '--disable-component-update', '--disable-sync',
                     '--window-size=400,400', '--user-data-dir=' + tempfile.mkdtemp(dir=WORK)):
        options.add_argument(argument)
    options.set_capability('goog:loggingPrefs', {'browser': 'ALL'})
    return webdriver.Chrome(service=Service('/usr/bin/chromedriver'), options=options)


@contextlib.contextmanager
def served(folder):
    """A browser, and the folder served for it, until the check is done."""
    server, driver = Server(folder), browser()
    try:
        yield server, driver
    finally:
        driver.quit()
        server.stop()


def trace_lines(driver, lines):
    """The trace's lines the page has written since last asked, added to lines."""
    for entry in driver.get_log('browser'):
        quoted = re.search(r'("\{.*\}")$', entry['message'])
        if quoted and entry['level'] == 'INFO':
            lines.append(json.loads(json.loads(quoted.group(1))))
    return lines


def wait_for_panel(driver):
    """Until the program has made its panel and drawn it."""
    WebDriverWait(driver, 20).until(lambda d: d.execute_script(
        'const c = document.getElementById("HAIKEI1"); return c && c.width > 0'))


def choose(driver, item):
    driver.find_element('id', 'SelectBg').click()
    driver.find_element('id', 'SelectBg-%d' % item).click()


def panel_against_trace_picture(driver, lines, name):
    """The canvas now against trace_picture at the moment of the last paint before now."""
    now, data, colour = driver.execute_script(
        'return [performance.now(), document.getElementById("HAIKEI1").toDataURL(),'
        ' getComputedStyle(document.body).backgroundColor]')
    trace_lines(driver, lines)
    shows = [line['shows'] for line in lines if 'painted' in line and line['ms'] <= now][-1]
    trace = os.path.join(WORK, 'trace.jsonl')
    with open(trace, 'w') as out:
        out.writelines(json.dumps(line) + '\n' for line in lines)
    page_png, ideal_png = (os.path.join(WORK, '%s-%s.png' % (name, kind)) for kind in ('page', 'ideal'))
    with open(page_png, 'wb') as out:
        out.write(base64.b64decode(data.split(',', 1)[1]))
    window = '#%02x%02x%02x' % tuple(int(c) for c in re.findall(r'\d+', colour)[:3])
    subprocess.run([TRACE_PICTURE, '--window-colour', window, trace, '%.3f' % shows, ideal_png], check=True,
                   stderr=subprocess.DEVNULL)
    compared = subprocess.run(['compare', '-metric', 'AE', page_png, ideal_png, os.path.join(WORK, name + '-diff.png')],
                              capture_output=True, text=True)
    check(compared.stderr.strip() == '0', '%s: the panel differs from trace_picture in %s pixels (%s)'
          % (name, compared.stderr.strip(), WORK))


def panel_is_the_traced_run():
    with served(SITE) as (server, driver):
        driver.get(server.url + '?trace')
        wait_for_panel(driver)
        lines = trace_lines(driver, [])
        check(lines and 'wall' in lines[0], 'the trace starts with the wall-clock line: %s' % lines[:1])
        for item, name in enumerate(('universe', 'deep sea', 'eternity')):
            choose(driver, item)
            time.sleep(2)
            panel_against_trace_picture(driver, lines, name)
        driver.find_element('id', 'Command2').click()
        time.sleep(0.5)
        panel_against_trace_picture(driver, lines, 'clear')


def wrong_options_are_said():
    with served(SITE) as (server, driver):
        driver.get(server.url + '?scene=moon&zoom=9&scene=ETERNITY')
        WebDriverWait(driver, 20).until(lambda d: d.find_element('id', 'message').is_displayed())
        said = driver.find_element('id', 'message').text.splitlines()
        check(said == ['miravel: there is no scene \'moon\': choose "The universe", "The deep sea" or "Eternity"',
                       "miravel: --zoom takes a whole number from 1 to 8, not '9'"], 'wrong options said: %s' % said)
        check(driver.find_element('id', 'SelectBg').text == 'Eternity', 'the right scene is chosen all the same')


def spoilt_program_is_said():
    def remove(site):
        os.remove(os.path.join(site, 'miravel.wasm'))

    def cut(site):
        with open(os.path.join(site, 'miravel.wasm'), 'r+b') as wasm:
            wasm.truncate(1000)

    # What spoils it, a script run before the page's own, and what the page says.
    for spoil, before, expected in ((remove, '', 'could not be fetched'),
                                    (cut, '', 'is damaged'),
                                    (None, 'delete window.WebAssembly', 'has no WebAssembly')):
        copy = shutil.copytree(SITE, tempfile.mkdtemp(dir=WORK), dirs_exist_ok=True)
        if spoil:
            spoil(copy)
        with served(copy) as (server, driver):
            if before:
                driver.execute_cdp_cmd('Page.addScriptToEvaluateOnNewDocument', {'source': before})
            driver.get(server.url)
            WebDriverWait(driver, 20).until(lambda d: d.find_element('id', 'message').is_displayed())
            said = driver.find_element('id', 'message').text
            check(expected in said and not driver.find_element('id', 'Form1').is_displayed(),
                  'a program that cannot run is said in the window\'s place: %r' % said)


def opens_offline():
    with served(SITE) as (server, driver):
        driver.get(server.url)
        WebDriverWait(driver, 20).until(lambda d: d.execute_script('return !!navigator.serviceWorker.controller'))
        server.stop()
        driver.refresh()
        wait_for_panel(driver)
        check(not driver.find_element('id', 'message').is_displayed(), 'offline, the page opens as it does online')


def end_closes_the_window():
    with served(SITE) as (server, driver):
        driver.get(server.url + '?trace&time')
        wait_for_panel(driver)
        driver.find_element('id', 'Command3').click()
        WebDriverWait(driver, 5).until(lambda d: d.find_element('id', 'message').is_displayed())
        check('ended' in driver.find_element('id', 'message').text, 'the page says the program has ended')
        lines = trace_lines(driver, [])
        time.sleep(1)
        check(not trace_lines(driver, []), 'nothing runs after the end')
        check(any(line.get('handler') == 'FIN_Timer' for line in lines), 'the end came by its timer')


for test in (panel_is_the_traced_run, wrong_options_are_said, spoilt_program_is_said, opens_offline,
             end_closes_the_window):
    print('---', test.__name__)
    test()
if failures:
    sys.exit('%d failed; pictures in %s' % (len(failures), WORK))
shutil.rmtree(WORK)
