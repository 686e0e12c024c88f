#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Every tracked source file opens with who holds its copyright and under which licence it may be
# shared (SPDX tags, https://spdx.dev). Run it to stamp the files that lack the tags, after a
# merge brings new ones; "--check" only names them and fails, as "make test" does.
#   scripts/spdx-headers.sh [--check] [FILE...]   (paths from the top folder; default: every
#                                                 file git tracks)
set -euo pipefail
cd "$(dirname "$0")/.."

copyright="SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers"
licence="GPL-3.0-or-later"

check=false
if [ "${1:-}" = "--check" ]; then
    check=true
    shift
fi

# What is not source: texts with a licence of their own or a format without comments, pictures,
# sample data. A file of a kind named nowhere here makes the check fail until it is.
exempt() {
    case $1 in
    LICENSE | *.md | *.png | samples/logs/*.log) return 0 ;;
    # Debian's machine-readable copyright file states every licence itself; a changelog's first
    # line must be its newest entry.
    packaging/debian/copyright | packaging/debian/changelog) return 0 ;;
    # The fuzzers' inputs are raw bytes: a line added to one would be another input.
    fuzz/corpus/* | fuzz/*.dict) return 0 ;;
    esac
    return 1
}

# The comment that carries a tag in a file of this kind.
style() {
    case $1 in
    *.cpp | *.h) echo "//" ;;
    *CMakeLists.txt | *.cmake | Makefile | *.sh | *.py | .ci/run | *.service | *.timer \
        | *.desktop | *.supp | .clang-format | .gitignore | *.lintian-overrides) echo "#" ;;
    *.lua) echo "--" ;;
    *.1) echo '.\"' ;;
    *.xml) echo "<!--" ;;
    *) return 1 ;;
    esac
}

has_tags() {
    head -n 5 "$1" | grep -q "SPDX-License-Identifier:"
}

stamp() {
    local file=$1 mark=$2 id=$licence tmp
    # AppStream metadata is shared under a licence of its own, which the file states itself.
    if [[ $file == *.metainfo.xml ]]; then
        id=$(sed -n 's|.*<metadata_license>\(.*\)</metadata_license>.*|\1|p' "$file")
    fi
    tmp=$(mktemp)
    {
        local first
        IFS= read -r first < "$file" || true
        # A script's "#!" line and an XML declaration must stay first.
        if [[ $first == "#!"* || $first == "<?xml"* ]]; then
            printf '%s\n' "$first"
            tail -n +2 "$file" > "$tmp.rest"
        else
            cat "$file" > "$tmp.rest"
        fi
        case $mark in
        "<!--") printf '<!-- %s -->\n<!-- SPDX-License-Identifier: %s -->\n' "$copyright" "$id" ;;
        '.\"') printf '.\\" %s\n.\\" SPDX-License-Identifier: %s\n' "$copyright" "$id" ;;
        *) printf '%s %s\n%s SPDX-License-Identifier: %s\n\n' "$mark" "$copyright" "$mark" "$id" ;;
        esac
        cat "$tmp.rest"
    } > "$tmp"
    rm -f "$tmp.rest"
    # Keep the file's mode (scripts stay executable).
    cat "$tmp" > "$file"
    rm -f "$tmp"
}

main() {
    if [ $# -eq 0 ]; then
        mapfile -t files < <(git ls-files)
    else
        files=("$@")
    fi

    local file mark missing=() unknown=() status=0
    for file in "${files[@]}"; do
        [ -f "$file" ] || continue
        exempt "$file" && continue
        has_tags "$file" && continue
        if ! mark=$(style "$file"); then
            unknown+=("$file")
            continue
        fi
        if $check; then
            missing+=("$file")
        else
            stamp "$file" "$mark"
            echo "stamped $file"
        fi
    done

    if [ ${#missing[@]} -gt 0 ]; then
        echo "without an SPDX-License-Identifier line in its first 5 lines (scripts/spdx-headers.sh" \
            "adds it):" >&2
        printf '  %s\n' "${missing[@]}" >&2
        status=1
    fi
    if [ ${#unknown[@]} -gt 0 ]; then
        echo "of a kind scripts/spdx-headers.sh cannot stamp (give it the comment style of the kind," \
            "or list it as exempt there):" >&2
        printf '  %s\n' "${unknown[@]}" >&2
        status=1
    fi
    return $status
}

# Read whole before it runs: the script may stamp a copy of itself.
main "$@"; exit $?
