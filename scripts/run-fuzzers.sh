#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Runs each fuzz target of a "fuzz" build (make fuzz) for a number of seconds, from its committed
# corpus, and reports per target the inputs run, the executions per second, the coverage reached
# and whether anything was found.
#
# usage: scripts/run-fuzzers.sh BUILD_DIR [SECONDS] [TARGET...]
#
# The committed corpora are only read: what the runs add goes to BUILD_DIR/fuzz/corpus/<target>,
# and an input that breaks a target to BUILD_DIR/fuzz/findings/<target>/. Such an input belongs
# in fuzz/corpus/<target>/ once the fault is mended, so that every test run tries it again.
# Exits 1 when a target found something.
set -euo pipefail

build=${1:?usage: $0 BUILD_DIR [SECONDS] [TARGET...]}
seconds=${2:-60}
shift $(( $# >= 2 ? 2 : 1 ))
wanted=("$@")
list=$build/fuzz/targets.txt
if [ ! -f "$list" ]; then
    echo "error: $list is missing: configure $build with -DCMAKE_BUILD_TYPE=fuzz first" >&2
    exit 1
fi

build=$(cd "$build" && pwd)
grown=$build/fuzz/corpus
findings=$build/fuzz/findings
logs=$build/fuzz/logs
# Never the user's own settings or files; several targets write files, some of them synced to
# the disk at every input, which a memory-backed folder makes cheap.
home=$build/fuzz/home
mkdir -p "$grown" "$findings" "$logs" "$home/config" "$home/data" "$home/cache" "$home/runtime"
chmod 700 "$home/runtime"
scratch=$home
if [ -d /dev/shm ] && [ -w /dev/shm ]; then
    scratch=$(mktemp -d /dev/shm/fuzz.XXXXXX)
    trap 'rm -rf "$scratch"' EXIT
fi
source_dir=$(cd "$(dirname "$0")/.." && pwd)
export HOME=$home XDG_CONFIG_HOME=$home/config XDG_DATA_HOME=$home/data
export XDG_CACHE_HOME=$home/cache XDG_RUNTIME_DIR=$home/runtime TMPDIR=$scratch
export QT_QPA_PLATFORM=offscreen SPEECH_SILENT=1
export LSAN_OPTIONS=suppressions=$source_dir/cmake/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1

printf '%-16s %10s %8s %8s %8s %7s  %s\n' target executions exec/s coverage features corpus result
failed=0
while IFS=$'\t' read -r name program corpus dictionary; do
    if [ ${#wanted[@]} -gt 0 ] && [[ ! " ${wanted[*]} " == *" $name "* ]]; then
        continue
    fi
    mkdir -p "$grown/$name" "$findings/$name"
    options=(-max_total_time="$seconds" -print_final_stats=1 -timeout=60
             -artifact_prefix="$findings/$name/")
    if [ -n "$dictionary" ]; then
        options+=(-dict="$dictionary")
    fi
    log=$logs/$name.log
    status=0
    "$program" "${options[@]}" "$grown/$name" "$corpus" >"$log" 2>&1 || status=$?
    figure() { sed -n "s/^stat::$1: *//p" "$log" | tail -n 1; }
    # The last status line: "#N DONE cov: C ft: F corp: K/..."
    last=$(grep -E '^#[0-9]+.*cov: ' "$log" | tail -n 1 || true)
    coverage=$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<<"$last")
    features=$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<<"$last")
    corpus_size=$(sed -n 's/.* corp: \([0-9]*\).*/\1/p' <<<"$last")
    result=ok
    if [ "$status" -ne 0 ] || compgen -G "$findings/$name/*" >/dev/null; then
        result="FOUND: see $findings/$name and $log"
        failed=1
    fi
    printf '%-16s %10s %8s %8s %8s %7s  %s\n' "$name" "$(figure number_of_executed_units)" \
        "$(figure average_exec_per_sec)" "${coverage:--}" "${features:--}" "${corpus_size:--}" \
        "$result"
    if [ "$status" -ne 0 ]; then
        grep -E '^\*\*\* |SUMMARY|ERROR' "$log" | head -n 8 >&2 || true
    fi
done <"$list"
exit $failed
