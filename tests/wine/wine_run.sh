#!/usr/bin/env bash
# Runs a program of the Windows build under Wine: the test programs through
# ctest (the build's CMAKE_CROSSCOMPILING_EMULATOR) and the scripts that
# drive the real window.
#
# Usage: tests/wine/wine_run.sh PROGRAM.exe [ARGUMENTS...]
#
# Each build folder has a Wine prefix of its own, <build>/wine, made once by
# the first program run from it (about 9 s) and kept, and another for the
# programs run without DISPLAY (the offscreen tests), <build>/wine-offscreen;
# WINEPREFIX, when set, names another. Wine's own chatter is off; the
# program's stdout, stderr and exit status are its own.
set -euo pipefail

program=${1:?usage: wine_run.sh PROGRAM.exe [ARGUMENTS...]}
shift
WINE=${WINE:-/usr/lib/wine/wine64}

build=$(cd "$(dirname "$program")" && pwd)
while [[ "$build" != / && ! -f "$build/CMakeCache.txt" ]]; do build=$(dirname "$build"); done
[[ -f "$build/CMakeCache.txt" ]] || build=$(cd "$(dirname "$program")" && pwd)
# A program run without a display starts the prefix's Wine desktop without
# one when it is the first of the prefix to run, and a window opened in the
# prefix while that desktop lasts never shows: the test programs, which run
# without a display, keep to a prefix of their own beside the windows'.
if [[ -n "${DISPLAY:-}" ]]; then
    export WINEPREFIX=${WINEPREFIX:-$build/wine}
else
    export WINEPREFIX=${WINEPREFIX:-$build/wine-offscreen}
fi
export WINEDEBUG=${WINEDEBUG:--all}
# No browser engine or .NET to offer to install into a prefix made for tests,
# and no entries of the Start menu copied into the desktop's own menus.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=;winemenubuilder.exe=d}

# Wine gives a Windows program none of the Unix environment's QT_ variables:
# a Linux desktop's own would mislead Qt for Windows. It passes WINEQT_X on
# as QT_X, though, so the scale a script asks of Qt reaches Miravel.exe as it
# reaches the Linux build; the platform's other settings stay behind.
for name in QT_SCALE_FACTOR QT_SCALE_FACTOR_ROUNDING_POLICY QT_ENABLE_HIGHDPI_SCALING QT_FONT_DPI QT_LOGGING_RULES; do
    [[ -n "${!name+set}" ]] && export "WINE$name=${!name}"
done

# Tests run side by side: one of them makes the prefix, the others wait.
# The Wine server Wine starts by itself is Debian's wineserver, which stays
# 0 s after the prefix's last program, and a program that starts while the
# server is on its way out is cut off ("wine client error:0: recvmsg:
# Connection reset by peer") and never runs. The test programs, run without
# a display, come one after another: their prefix's server is started here
# to stay a minute (status 2: one runs already), with Wine's own services
# as long, which the first program of a server starts: started here, they
# inherit neither the lock nor a test's output, or the next program, and
# ctest reading that output, would wait a minute for them to leave. A
# window's prefix keeps Wine's way, so that its Wine desktop goes with its
# program and the next window's comes up on the next test's display.
(
    flock 9
    if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
        "$WINE" wineboot --init >/dev/null 2>&1 9>&-
        "${WINE%/*}/wineserver" --wait
    fi
    if [[ -z "${DISPLAY:-}" ]]; then
        if "${WINE%/*}/wineserver" -p60 9>&- >/dev/null 2>&1; then
            "$WINE" wineboot >/dev/null 2>&1 9>&-
        else
            (( $? == 2 ))
        fi
    fi
) 9>"$WINEPREFIX.lock"

arguments=()
for argument in "$@"; do
    [[ "$argument" == /* ]] && argument="Z:$argument"
    arguments+=("$argument")
done
exec "$WINE" "$program" "${arguments[@]}"
