#!/usr/bin/env bash
# Installs the Debian 12 packages the build and the tests need, and only those that are missing.
# Safe to run again and again; works as root and through sudo.
set -euo pipefail

packages=(
    build-essential cmake make
    qt6-base-dev libqt6sql6-sqlite libsqlite3-dev
    # Tolvane's ranking on the web is served by libmicrohttpd, found through pkg-config; its
    # time-outs, memory bound per connection and connection caps hold off greedy clients.
    libmicrohttpd-dev pkgconf
    qt6-speech-dev qt6-declarative-dev qt6-speech-flite-plugin
    # Qt's own texts in French (qtbase_fr.qm), for the buttons and reasons of the windows.
    qt6-translations-l10n
    libgl-dev
    mawk
    clang-format
    # make fuzz: the fuzz targets are built by clang with libFuzzer and its sanitizers.
    clang-14 libclang-rt-14-dev
    # The installed files are validated as part of the tests.
    desktop-file-utils appstream
    # dpkg-shlibdeps works out the package's dependencies.
    dpkg-dev
    # The window tests keep the database busy from a second process with these two.
    sqlite3 util-linux
    # The store's tests and the several-servers benchmark run against a throw-away PostgreSQL
    # server (pg_virtualenv, from postgresql-common), reached through Qt's own driver; the store
    # asks libpq itself why a server refuses a login.
    postgresql postgresql-common libqt6sql6-psql libpq-dev
    # The web tests look at the ranking page in a real headless browser.
    chromium
)

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
