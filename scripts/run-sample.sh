#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Starts Tolvane on a fresh copy of the bundled sample logs with its own database and settings,
# so that trying it never touches the logs, database or settings of the person running it, and
# then says what to try next.
set -euo pipefail
build=${1:-build}
top=$(cd "$(dirname "$0")/.." && pwd)
run="$top/$build/run"
rm -rf "$run"
mkdir -p "$run/logs" "$run/config" "$run/data"
cp "$top"/samples/logs/*.log "$run/logs/"
tolvane="$build/bin/tolvane"
db="$build/run/Stats.db"

next() {
    cat <<TEXT

To try next (the windows speak French):
  $1
  the web pages:         $tolvane --serve 8080 --db $db
                         then open http://127.0.0.1:8080/ (Ctrl+C stops it)
  the ranking as text:   $tolvane --print --db $db
  the other two tools:   $build/bin/quorrel cstrike    $build/bin/rondelay cstrike
Read more: README.md, then docs/using.md (the three programs) and docs/server.md (a game
server's statistics: the timer, the live feed, several servers, the web pages).
Every test: make test.
TEXT
}

cd "$top"
export XDG_CONFIG_HOME="$run/config" XDG_DATA_HOME="$run/data"
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    echo "Starting Tolvane on the sample logs in $build/run/logs (Fichier > Mettre a jour counts them)."
    "$tolvane" --logs "$run/logs" --db "$run/Stats.db"
    next "the window again:      make run"
    exit 0
fi

echo "No display: counting the sample logs without windows, then printing the ranking."
"$tolvane" --update --logs "$run/logs" --db "$run/Stats.db"
"$tolvane" --print --db "$run/Stats.db"
next "the window:            make run, on a desktop"
