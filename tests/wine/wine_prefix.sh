# Sourced by the scripts that run Miravel.exe under Wine in a prefix of their
# own: one whose settings they change (the display's DPI), which the other
# tests' windows, in the build's prefix beside them, must not take.
#
# A program run without an X display, such as --version or the test
# programs, starts the prefix's Wine desktop without one when it is the first
# of the prefix to run, and a window opened in the prefix while that desktop
# lasts never shows: in a prefix of their own, the checks' windows are safe
# from the build's other tests.
#
# own_wine_prefix LAUNCHER   copies the build's prefix (made first by the
#                            launcher if there is none yet) and exports
#                            WINEPREFIX; the copy's Wine server runs until
#                            own_wine_prefix_remove
# own_wine_prefix_remove     ends every Wine process of the copy, removes it

WINE=${WINE:-/usr/lib/wine/wine64}
OWN_WINE_PREFIX=

own_wine_prefix() {
    local launcher=$1 base entry part
    base=${WINEPREFIX:-$(cd "$(dirname "$launcher")" && pwd)/wine}
    # Only when there is none: run now, beside the other tests' windows in
    # the build's prefix, it could start the desktop there without a display.
    if [ ! -f "$base/system.reg" ]; then
        "$launcher" --version >/dev/null || { echo "Miravel.exe --version failed" >&2; return 1; }
        [ -f "$base/system.reg" ] || { echo "no Wine prefix at $base" >&2; return 1; }
    fi
    OWN_WINE_PREFIX=$(mktemp -d) || return 1
    # Wine writes nothing into its own windows folder once a prefix is made,
    # so linking it puts the build's at no risk and spares 700 MB; the
    # registry, the users' folders and the prefix's timestamp (without which
    # Wine would update the copy first) are copied. The wineserver entry
    # names the build prefix's own server.
    for entry in "$base"/* "$base"/.[!.]*; do
        case ${entry##*/} in
        wineserver) ;;
        drive_c)
            mkdir "$OWN_WINE_PREFIX/drive_c"
            for part in "$entry"/*; do
                if [ "${part##*/}" = windows ]; then
                    cp -al "$part" "$OWN_WINE_PREFIX/drive_c/" 2>/dev/null || cp -a "$part" "$OWN_WINE_PREFIX/drive_c/"
                else
                    cp -a "$part" "$OWN_WINE_PREFIX/drive_c/"
                fi
            done ;;
        *) cp -a "$entry" "$OWN_WINE_PREFIX/" ;;
        esac || { echo "could not copy $entry" >&2; return 1; }
    done
    export WINEPREFIX=$OWN_WINE_PREFIX
    # One server for the whole check, rather than one started and ended
    # around each program.
    "${WINE%/*}/wineserver" -p || { echo "the Wine server did not start" >&2; return 1; }
}

own_wine_prefix_remove() {
    [ -n "$OWN_WINE_PREFIX" ] || return 0
    WINEPREFIX=$OWN_WINE_PREFIX "${WINE%/*}/wineserver" -k 2>/dev/null
    WINEPREFIX=$OWN_WINE_PREFIX "${WINE%/*}/wineserver" -w 2>/dev/null
    # The launcher locks beside the prefix; wine_dpi.sh keeps what reg said there.
    rm -rf "$OWN_WINE_PREFIX" "$OWN_WINE_PREFIX.lock" "$OWN_WINE_PREFIX.reg"
    OWN_WINE_PREFIX=
}
