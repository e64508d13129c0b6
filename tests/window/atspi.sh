#!/usr/bin/env bash
# What a screen reader sees of the real program, the panel's menu among it:
# on a private X server and a private session bus, with the accessibility bus
# started as a desktop session starts it, tests/window/atspi_walk.py reads the
# window's controls through AT-SPI and acts on them. Accessibility is forced on for this run only.
#
# Usage: tests/window/atspi.sh <path-to-miravel>
set -u

BIN=${1:?usage: atspi.sh <path-to-miravel>}
[ -x "$BIN" ] || { echo "atspi: not an executable: $BIN" >&2; exit 2; }

. "$(dirname "$0")/xsession.sh"
require_tools Xvfb dbus-run-session dbus-send || exit 2
# Debian's own Python, where python3-pyatspi installs, whatever else is first on PATH.
PYTHON=/usr/bin/python3
[ -x /usr/libexec/at-spi-bus-launcher ] || { echo "atspi: at-spi2-core is missing (the Makefile's setup installs it)" >&2; exit 2; }
"$PYTHON" -c 'import pyatspi' 2>/dev/null || { echo "atspi: python3-pyatspi is missing (the Makefile's setup installs it)" >&2; exit 2; }

start_xvfb || { echo "atspi: FAIL: no X server could be started" >&2; exit 1; }
# The session bus, the accessibility bus and everything on them end with the walk.
timeout -k 5 50 dbus-run-session -- "$PYTHON" "$(dirname "$0")/atspi_walk.py" "$BIN" "$WORK"
