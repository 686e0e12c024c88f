#!/usr/bin/env bash
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
test -s "$usr/lib/systemd/user/tolvane-update.service"
test -s "$usr/lib/systemd/user/tolvane-update.timer"
test -s "$usr/lib/systemd/user/tolvane-listen.service"
test -s "$usr/lib/systemd/user/tolvane-serve.service"

"$usr/bin/tolvane" --version | grep -q '^tolvane '
"$usr/bin/quorrel" --version | grep -q '^quorrel '
mod="$root/cstrike"
mkdir -p "$mod/maps"
touch "$mod/maps/de_dust2.bsp" "$mod/maps/cs_office.bsp"
"$usr/bin/rondelay" --shuffle --folder "$mod" > /dev/null
test "$(wc -l < "$mod/mapcycle.txt")" -eq 2
echo "installed: every file in place, validated, and the programs run"
