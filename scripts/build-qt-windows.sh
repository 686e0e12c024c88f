#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Builds Qt for 64-bit Windows with Debian's MinGW-w64, from Debian's own source packages of the
# Qt and SQLite this machine has, and keeps it in a cache folder: a later call with an unchanged
# script and toolchain finds it there at once. Prints the folder Qt is installed in.
#   scripts/build-qt-windows.sh
# WINDOWS_QT_CACHE puts the cache elsewhere (default ~/.cache/cstools-windows-qt); JOBS sets
# the build's parallelism (default: every core).
#
# One SQLite: the store calls SQLite's functions on the connection Qt's driver opened, so Qt's
# driver and the programs must use the same library. A sqlite3.dll is built first from the
# amalgamation, and Qt's driver is built against it.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
toolchain=$top/cmake/mingw-w64.cmake
key=$(cat "$0" "$toolchain" | sha256sum | cut -c1-16)
cache=${WINDOWS_QT_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/cstools-windows-qt}
prefix=$cache/qt-$key
jobs=${JOBS:-$(nproc)}
if [ -f "$prefix/.complete" ]; then
    echo "$prefix"
    exit 0
fi

for tool in x86_64-w64-mingw32-g++-posix x86_64-w64-mingw32-windres ninja tclsh dpkg-source; do
    if ! command -v "$tool" >/dev/null; then
        echo "error: $tool is missing; run: bash scripts/install-deps.sh windows" >&2
        exit 1
    fi
done

work=$cache/work-$key
rm -rf "$work" "$prefix"
mkdir -p "$work" "$prefix"/{bin,lib,include}
log=$work/build.log
echo "Building Qt for Windows into $prefix (once; the log: $log)" >&2
started=$(date +%s)
step() { echo "  $(($(date +%s) - started)) s: $*" >&2; }

# Debian's source packages through an apt configuration of our own: the system's is not touched.
apt_dir=$work/apt
mkdir -p "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial"
. /etc/os-release
mirror=${DEBIAN_MIRROR:-http://deb.debian.org/debian}
cat >"$apt_dir/sources.sources" <<SOURCES
Types: deb-src
URIs: $mirror
Suites: $VERSION_CODENAME $VERSION_CODENAME-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg

Types: deb-src
URIs: ${DEBIAN_SECURITY_MIRROR:-http://deb.debian.org/debian-security}
Suites: $VERSION_CODENAME-security
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SOURCES
apt_options=(-o Dir::Etc::SourceList=/dev/null -o "Dir::Etc::SourceParts=$apt_dir"
    -o "Dir::State::Lists=$apt_dir/lists" -o "Dir::Cache=$apt_dir/cache"
    -o APT::Sandbox::User=root -q)
step "fetching the source packages"
apt-get "${apt_options[@]}" update >>"$log" 2>&1
# The very versions of the host's Qt (its moc, rcc and uic build the Windows Qt) and SQLite.
qt_version=$(dpkg-query -W -f='${source:Version}' libqt6core6)
sqlite_version=$(dpkg-query -W -f='${source:Version}' libsqlite3-0)
(cd "$work" && apt-get "${apt_options[@]}" source "qt6-base=$qt_version" "sqlite3=$sqlite_version") \
    >>"$log" 2>&1
qtbase=$(find "$work" -maxdepth 1 -type d -name 'qt6-base-*' | head -1)
sqlite=$(find "$work" -maxdepth 1 -type d -name 'sqlite3-*' | head -1)

step "building sqlite3.dll"
mkdir -p "$work/sqlite-build"
(cd "$work/sqlite-build" && "$sqlite/configure" >>"$log" 2>&1 && make sqlite3.c >>"$log" 2>&1)
x86_64-w64-mingw32-gcc-posix -O2 -shared -DSQLITE_THREADSAFE=1 -DSQLITE_ENABLE_COLUMN_METADATA \
    -o "$prefix/bin/sqlite3.dll" "$work/sqlite-build/sqlite3.c" \
    -Wl,--out-implib,"$prefix/lib/libsqlite3.dll.a" >>"$log" 2>&1
cp "$work/sqlite-build/sqlite3.h" "$work/sqlite-build/sqlite3ext.h" "$prefix/include/"

step "configuring Qt $qt_version"
# Only what the programs use; the bundled third-party libraries, since Windows has none of
# Debian's. Without the desktop OpenGL the Windows platform plugin builds only when no dynamic
# OpenGL is asked for either; Direct2D is off, so DirectWrite 3 must be; Debian's tarball has
# no Wintab, so tablet events are off.
cmake -G Ninja -S "$qtbase" -B "$work/qt-build" \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_FIND_ROOT_PATH="$prefix" \
    -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF \
    -DINPUT_opengl=no -DFEATURE_opengl=OFF -DFEATURE_directwrite3=OFF -DFEATURE_tabletevent=OFF \
    -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_freetype=OFF \
    -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_png=OFF -DFEATURE_system_jpeg=OFF \
    -DFEATURE_icu=OFF -DFEATURE_openssl=OFF -DFEATURE_dbus=OFF \
    -DFEATURE_sql_sqlite=ON -DFEATURE_system_sqlite=ON -DFEATURE_sql_psql=OFF \
    -DFEATURE_sql_odbc=OFF -DFEATURE_sql_mysql=OFF \
    -DSQLite3_INCLUDE_DIR="$prefix/include" -DSQLite3_LIBRARY="$prefix/lib/libsqlite3.dll.a" \
    >>"$log" 2>&1

step "building Qt (about 1,200 steps)"
cmake --build "$work/qt-build" -j "$jobs" >>"$log" 2>&1
cmake --install "$work/qt-build" >>"$log" 2>&1
# Qt's own texts in French, from Debian's translations (plain data, the same on every system).
mkdir -p "$prefix/translations"
cp /usr/share/qt6/translations/qtbase_fr.qm "$prefix/translations/" 2>/dev/null || true

touch "$prefix/.complete"
rm -rf "$work/qt-build" "$qtbase" "$work/sqlite-build"
step "done"
echo "$prefix"
