#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
# SPDX-License-Identifier: GPL-3.0-or-later

# The Debian package as Debian's own checker sees it. Fails on any error or warning, and on any
# missing hardening of the programs (a network listener and a web server among them), which
# lintian reports only as information. Tags wrong for this package are overridden, each with its
# reason, in packaging/debian/cstrike-tools.lintian-overrides.
#   scripts/check-package.sh PACKAGE.deb
set -euo pipefail
deb=$1
status=0
report=$(lintian --display-info --pedantic --fail-on error,warning "$deb") || status=$?
[ -n "$report" ] && echo "$report"
if grep -q ': hardening-no-' <<< "$report"; then
    echo "$deb: built without some of Debian's hardening (hardening-no-* above)" >&2
    status=1
fi
if [ $status -ne 0 ]; then
    echo "$deb: lintian finds fault with the package" >&2
    exit 1
fi
echo "lintian: $(basename "$deb") has no error, no warning and no missing hardening"
