#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Installs the Debian 12 packages the build needs ("run", the default: enough to build and run
# the programs) or the build and the tests need ("test"), or what the Windows build and its tests
# under Wine need ("windows"), and only those that are missing. Safe to run again and again;
# works as root and through sudo.
#   scripts/install-deps.sh [run|test|windows]
set -euo pipefail

run=(
    build-essential cmake make
    qt6-base-dev libqt6sql6-sqlite libsqlite3-dev
    # Tolvane's ranking on the web is served by libmicrohttpd, found through pkg-config; its
    # time-outs, memory bound per connection and connection caps hold off greedy clients.
    libmicrohttpd-dev pkgconf
    qt6-speech-dev qt6-declarative-dev qt6-speech-flite-plugin
    # Qt's own texts in French (qtbase_fr.qm), for the buttons and reasons of the windows.
    qt6-translations-l10n
    libgl-dev
    # The store asks libpq itself why a PostgreSQL server refuses a login.
    libpq-dev
    # The ranking's pages go out gzip-compressed to the browsers that accept it, through zlib.
    zlib1g-dev
    # dpkg-buildflags gives the build Debian's hardening flags; dpkg-shlibdeps works out the
    # package's dependencies.
    dpkg-dev
)

test=(
    clang-format
    # The installed files are validated as part of the tests: desktop entries, AppStream
    # metadata, the user services (systemd-analyze, which looks up their manual page) and the
    # Debian package (lintian).
    desktop-file-utils appstream systemd man-db lintian
    # The window tests keep the database busy from a second process with these two.
    sqlite3 util-linux
    # The store's tests and the several-servers benchmark run against a throw-away PostgreSQL
    # server (pg_virtualenv, from postgresql-common), reached through Qt's own driver.
    postgresql postgresql-common libqt6sql6-psql
    # The web tests look at the ranking page in a real headless browser.
    chromium
    # The benchmarks compare the log reading with a kill count in mawk.
    mawk
    # The web benchmark loads the ranking server with many connections at once.
    wrk
    # A file compiled once with the same flags comes from its cache in every later build.
    ccache
    # make fuzz: the fuzz targets are built by clang with libFuzzer and its sanitizers.
    clang-14 libclang-rt-14-dev
)

windows=(
    # The "posix" compilers: Qt 6 needs std::thread. zlib for Windows, as the gzip of the web
    # pages uses it on Linux.
    g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix mingw-w64-tools libz-mingw-w64-dev
    # Qt for Windows is built once from Debian's source packages (scripts/build-qt-windows.sh):
    # Ninja, the host Qt's tools, tclsh to make SQLite's amalgamation, dpkg-source to unpack.
    ninja-build cmake qt6-base-dev qt6-base-dev-tools tcl8.6 dpkg-dev debian-archive-keyring
    # The installer, and Wine with an X server to run and look at the programs.
    nsis wine wine64 xvfb xauth fonts-wine
)

case ${1:-run} in
run) packages=("${run[@]}") ;;
test) packages=("${run[@]}" "${test[@]}") ;;
windows) packages=("${run[@]}" "${windows[@]}") ;;
*)
    echo "usage: $0 [run|test|windows]" >&2
    exit 2
    ;;
esac

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

echo "Installing missing packages: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
    sudo=()
elif command -v sudo >/dev/null 2>&1; then
    sudo=(sudo)
else
    echo "error: packages missing (${missing[*]}) and neither root nor sudo is available" >&2
    exit 1
fi
# Another installation running at the same time is waited for, not failed on.
wait_for_lock=(-o DPkg::Lock::Timeout=600)
"${sudo[@]}" apt-get "${wait_for_lock[@]}" update -qq
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get "${wait_for_lock[@]}" install -y -qq "${missing[@]}"
