#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Installs the build into a folder of its own, as a package would, validates the desktop entries
# and the AppStream metadata, checks that every file is in place, and runs the programs installed.
set -euo pipefail
build=$1
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
export HOME="$root/home" XDG_CONFIG_HOME="$root/home/config" XDG_DATA_HOME="$root/home/data"
mkdir -p "$HOME"

DESTDIR="$root/install" cmake --install "$build" --prefix /usr > /dev/null
usr="$root/install/usr"

for id in io.github.cstools.Tolvane io.github.cstools.Quorrel io.github.cstools.Rondelay; do
    desktop-file-validate "$usr/share/applications/$id.desktop"
    appstreamcli validate --no-net "$usr/share/metainfo/$id.metainfo.xml" > /dev/null
    for size in 16 32 48 64 128 256; do
        test -s "$usr/share/icons/hicolor/${size}x$size/apps/$id.png"
    done
done
for page in tolvane quorrel rondelay; do
    gzip -t "$usr/share/man/man1/$page.1.gz"
done
test -s "$usr/share/doc/cstrike-tools/copyright"
gzip -t "$usr/share/doc/cstrike-tools/changelog.gz"
test -s "$usr/share/lintian/overrides/cstrike-tools"

# The user services: systemd reads them without a warning, with the drop-ins "tolvane --store"
# writes (for a folder whose name needs quoting), and rates each one's sandbox "OK" or better
# (an exposure of at most 4.9). Checked on copies that name the program by its path here, since
# systemd looks for a bare name only in the system's folders.
units="$root/units"
mkdir -p "$units" "$root/run"
chmod 700 "$root/run"
export XDG_RUNTIME_DIR="$root/run"
for unit in tolvane-update.service tolvane-update.timer tolvane-listen.service \
    tolvane-serve.service; do
    sed "s|^ExecStart=tolvane |ExecStart=$usr/bin/tolvane |" "$usr/lib/systemd/user/$unit" \
        > "$units/$unit"
done
logs="$root/hlds logs/100% \"a\" \\b"
mkdir -p "$logs"
"$usr/bin/tolvane" --store --logs "$logs" --db "$root/db/Stats.db" > /dev/null
test -s "$XDG_CONFIG_HOME/systemd/user/tolvane-update.service.d/tolvane-store.conf"
verified=$(cd "$units" && MANPATH="$usr/share/man" systemd-analyze verify --user ./* 2>&1) || {
    echo "$verified" >&2
    exit 1
}
if [ -n "$verified" ]; then
    echo "systemd-analyze verify warns:" >&2
    echo "$verified" >&2
    exit 1
fi
# A stop signals the listener alone, which ends its counts itself: signalled too, as systemd does
# by default, a count at work is killed and a plain stop can end as failed.
grep -qx 'KillMode=mixed' "$units/tolvane-listen.service"
for unit in "$units"/*.service; do
    if ! rated=$(systemd-analyze security --offline=true --user --threshold=49 "$unit" 2>&1); then
        echo "$rated" | grep -E '✗|Overall' >&2
        echo "$(basename "$unit"): exposed beyond OK" >&2
        exit 1
    fi
    echo "$rated" | grep 'Overall exposure level'
done

"$usr/bin/tolvane" --version | grep -q '^tolvane '
"$usr/bin/quorrel" --version | grep -q '^quorrel '
mod="$root/cstrike"
mkdir -p "$mod/maps"
touch "$mod/maps/de_dust2.bsp" "$mod/maps/cs_office.bsp"
"$usr/bin/rondelay" --shuffle --folder "$mod" > /dev/null
test "$(wc -l < "$mod/mapcycle.txt")" -eq 2
echo "installed: every file in place, validated, and the programs run"
