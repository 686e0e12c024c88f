#!/usr/bin/env bash
# Starts Tolvane on a fresh copy of the bundled sample logs with its own database and settings,
# so that trying it never touches the logs, database or settings of the person running it.
set -euo pipefail
build=${1:-build}
top=$(cd "$(dirname "$0")/.." && pwd)
run="$top/$build/run"
rm -rf "$run"
mkdir -p "$run/logs" "$run/config" "$run/data"
cp "$top"/samples/logs/*.log "$run/logs/"
export XDG_CONFIG_HOME="$run/config" XDG_DATA_HOME="$run/data"
tolvane="$top/$build/bin/tolvane"

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    echo "Starting Tolvane on the sample logs in $run/logs (Fichier > Mettre a jour counts them)."
    exec "$tolvane" --logs "$run/logs" --db "$run/Stats.db"
fi

echo "No display: counting the sample logs without windows, then printing the ranking."
"$tolvane" --update --logs "$run/logs" --db "$run/Stats.db"
"$tolvane" --print --db "$run/Stats.db"
