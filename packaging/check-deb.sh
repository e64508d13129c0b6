#!/usr/bin/env bash
# The Debian package as a user gets it: built by dpkg-buildpackage from a fresh
# clone of this checkout's commit, held to lintian with every tag shown, then
# unpacked into a scratch root (dpkg -x) and checked there: the program starts,
# the manual page renders without a warning, every icon size is present and
# the icon cache, the desktop entry and AppStream validators accept the tree.
# The build and its output live in a scratch directory, removed on exit.
#
# Usage: packaging/check-deb.sh
set -euo pipefail
source=$(cd "$(dirname "$0")/.." && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

fail() {
    echo "check-deb: $*" >&2
    exit 1
}

git clone --quiet "$source" "$scratch/miravel"
(cd "$scratch/miravel" && dpkg-buildpackage -us -uc -b)
version=$(dpkg-parsechangelog -l "$scratch/miravel/debian/changelog" -S Version)
deb="$scratch/miravel_${version}_$(dpkg --print-architecture).deb"
[[ -f "$deb" ]] || fail "no $deb"

echo "== lintian --pedantic --display-info $(basename "$deb")"
tags=$(lintian --pedantic --display-info "$deb")
[[ -z "$tags" ]] || fail "lintian reports:"$'\n'"$tags"

root="$scratch/root"
dpkg -x "$deb" "$root"
echo "== installed tree"
want="Miravel ${version%-*}"
got=$("$root/usr/games/miravel" --version)
[[ "$got" == "$want" ]] || fail "--version prints '$got', expected '$want'"

manual="$root/usr/share/man/man6/miravel.6.gz"
warnings=$(MANWIDTH=80 man --warnings -l "$manual" 2>&1 >/dev/null)
[[ -z "$warnings" ]] || fail "man warns about $manual:"$'\n'"$warnings"
MANWIDTH=80 man -l "$manual" | grep -q "EXIT STATUS" || fail "$manual does not render"

icons="$root/usr/share/icons/hicolor"
for size in 32 48 64 128 256; do
    png="$icons/${size}x${size}/apps/miravel.png"
    [[ -f "$png" ]] || fail "no $png"
    [[ $(identify -format '%wx%h' "$png") == "${size}x${size}" ]] || fail "$png is not ${size}x${size}"
done
[[ -f "$icons/scalable/apps/miravel.svg" ]] || fail "no scalable icon"
gtk-update-icon-cache --force --ignore-theme-index "$icons"
desktop-file-validate "$root/usr/share/applications/miravel.desktop"
report=$(appstreamcli validate-tree --pedantic --no-net "$root")
echo "$report"
! grep -q '^ *[EWIP]: ' <<<"$report" || fail "appstreamcli remarks on the installed metainfo"
echo "check-deb: $(basename "$deb") is clean"
