#!/usr/bin/env bash
# Installs the Debian packages given as arguments that are not installed yet.
# As root it uses apt-get, otherwise sudo; with neither it names the packages
# and stops.
set -euo pipefail

missing=()
for package in "$@"; do
    status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
    [[ "$status" == "install ok installed" ]] || missing+=("$package")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing missing Debian packages: ${missing[*]}"
if [[ $(id -u) -eq 0 ]]; then
    run=()
elif command -v sudo >/dev/null && sudo -n true 2>/dev/null; then
    run=(sudo)
else
    echo "Cannot install them: not root and no sudo. Please run:" >&2
    echo "  sudo apt-get install ${missing[*]}" >&2
    exit 1
fi
export DEBIAN_FRONTEND=noninteractive
"${run[@]}" apt-get update -q
"${run[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
