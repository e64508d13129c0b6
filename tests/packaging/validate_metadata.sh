#!/usr/bin/env bash
# The desktop entry and the AppStream metainfo as desktop tools read them:
# both validators must accept them without a remark, pedantic ones included.
#
# Usage: tests/packaging/validate_metadata.sh
set -u
cd "$(dirname "$0")/../../packaging" || exit 2
for tool in desktop-file-validate appstreamcli; do
    command -v "$tool" >/dev/null || { echo "$tool is missing (the Makefile's setup installs it)" >&2; exit 2; }
done
status=0
desktop-file-validate miravel.desktop || status=1
# appstreamcli succeeds with pedantic remarks and infos; any remark fails here.
report=$(appstreamcli validate --pedantic --no-net io.miravel.miravel.metainfo.xml) || status=1
echo "$report"
if grep -q '^ *[EWIP]: ' <<<"$report"; then status=1; fi
exit $status
