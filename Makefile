# SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
# SPDX-License-Identifier: GPL-3.0-or-later

# The two commands a newcomer needs: `make run` and `make test`.
BUILD_DIR ?= build
ASAN_DIR  ?= build-asan
FUZZ_DIR  ?= build-fuzz
WINDOWS_DIR ?= build-windows
FUZZ_SECONDS ?= 60
# FUZZ_TARGETS="logline httprequest": only those (every target when empty).
FUZZ_TARGETS ?=
JOBS      ?= $(shell nproc)
CMAKE_ARGS ?=
# Rebuilds of an unchanged file come from ccache where the machine has it ("deps-test" installs
# it). Looked for when a recipe runs: on a fresh machine it has only just been installed.
LAUNCHER = $$(command -v ccache >/dev/null && echo -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
# What `make run` builds, and what the package holds besides.
PROGRAMS := tolvane quorrel rondelay
PACKAGED := $(PROGRAMS) icons manuals changelog
# Debian's hardening flags, all of them (a stack protector, fortified functions, read-only
# relocations bound at start): the programs that are tested are the ones the package ships.
# Asked for when the recipe runs: on a fresh machine the "deps" step has only just installed
# dpkg-dev.
HARDENING := DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get

.PHONY: all deps deps-test configure programs build run test test-release test-asan \
	test-package format-check spdx-headers bench screenshots format clean install package fuzz \
	windows

all: build

# What building and running needs; `make test` adds what only the tests need (a PostgreSQL
# server, a browser, lintian...).
deps:
	@bash scripts/install-deps.sh run

deps-test:
	@bash scripts/install-deps.sh test

configure: deps
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_ARGS) $(LAUNCHER) \
	    -DCMAKE_CXX_FLAGS="$$($(HARDENING) CXXFLAGS) $$($(HARDENING) CPPFLAGS)" \
	    -DCMAKE_EXE_LINKER_FLAGS="$$($(HARDENING) LDFLAGS)" \
	    -DCMAKE_SHARED_LINKER_FLAGS="$$($(HARDENING) LDFLAGS)"

# Only the three programs and what they link: no tests, no benchmarks.
programs: configure
	cmake --build $(BUILD_DIR) -j$(JOBS) --target $(PROGRAMS)

build: configure
	cmake --build $(BUILD_DIR) -j$(JOBS)

run: programs
	@bash scripts/run-sample.sh $(BUILD_DIR)

# The store's tests run on SQLite and on a throw-away PostgreSQL server: pg_virtualenv (from
# postgresql-common) starts one in a temporary folder, as root or as a user, gives its address
# to the tests through the PG* variables and removes it afterwards. Without it the PostgreSQL
# rows would be skipped, so its absence stops the run instead. The ASan build skips them.
# Looked for when the tests start, not when make reads this file: on a fresh machine the
# "deps-test" step has only just installed it.
test-release: deps-test build
	@command -v pg_virtualenv >/dev/null || { echo "pg_virtualenv is missing (Debian package" \
	    "postgresql-common, with postgresql): make deps-test installs them; the PostgreSQL" \
	    "tests cannot run without it" >&2; exit 1; }
	pg_virtualenv -t ctest --test-dir $(BUILD_DIR) --output-on-failure -j$(JOBS)

test-asan: deps-test
	cmake -S . -B $(ASAN_DIR) -DCMAKE_BUILD_TYPE=asan -DBUILD_BENCHMARKS=OFF $(CMAKE_ARGS) $(LAUNCHER)
	cmake --build $(ASAN_DIR) -j$(JOBS)
	env -u PGHOST -u PGPORT -u TOLVANE_TEST_POSTGRES \
	    ctest --test-dir $(ASAN_DIR) --output-on-failure -j$(JOBS)

# The package as Debian's own checker sees it: no error, no warning, no missing hardening.
test-package: deps-test package
	bash scripts/check-package.sh $(BUILD_DIR)/packages/cstrike-tools_*.deb

# Every tracked source as the committed .clang-format lays it out, each with its licence.
format-check: deps-test
	git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror
	bash scripts/spdx-headers.sh --check

test: format-check test-release test-asan test-package

# Stamps the licence on the files that lack it: new files, those a merge brought.
spdx-headers:
	bash scripts/spdx-headers.sh

# The fuzz targets, built by clang with libFuzzer over the project's libraries instrumented for
# coverage, under AddressSanitizer and UBSan; each runs FUZZ_SECONDS from its committed corpus.
# (make test replays the committed corpora in the other two builds.) The compiler is named by
# its full path, as the cache keeps it: another spelling would reset the cache and its build type.
FUZZ_CXX ?= $(shell command -v clang++-14)
fuzz: deps-test
	cmake -S . -B $(FUZZ_DIR) -DCMAKE_BUILD_TYPE=fuzz -DCMAKE_CXX_COMPILER=$(FUZZ_CXX) \
	    -DBUILD_TESTING=OFF -DBUILD_BENCHMARKS=OFF $(CMAKE_ARGS) $(LAUNCHER)
	cmake --build $(FUZZ_DIR) -j$(JOBS) --target fuzz_targets
	bash scripts/run-fuzzers.sh $(FUZZ_DIR) $(FUZZ_SECONDS) $(FUZZ_TARGETS)

# make install [DESTDIR=/some/root] [CMAKE_INSTALL_PREFIX=/usr] (default prefix: /usr/local)
install: configure
	cmake --build $(BUILD_DIR) -j$(JOBS) --target $(PACKAGED)
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD_DIR) $(if $(CMAKE_INSTALL_PREFIX),--prefix $(CMAKE_INSTALL_PREFIX))

# One Debian package of the three programs, in build/packages/.
package: configure
	cmake --build $(BUILD_DIR) -j$(JOBS) --target $(PACKAGED)
	cd $(BUILD_DIR) && cpack -G DEB

# The programs for 64-bit Windows, cross-compiled with Debian's MinGW-w64 against a Qt for
# Windows that scripts/build-qt-windows.sh builds from Debian's sources the first time (tens of
# minutes) and keeps in ~/.cache (WINDOWS_QT_CACHE to put it elsewhere).
windows:
	@bash scripts/install-deps.sh windows
	qt=$$(bash scripts/build-qt-windows.sh) && \
	cmake -S . -B $(WINDOWS_DIR) -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
	    -DCMAKE_FIND_ROOT_PATH="$$qt" -DCMAKE_PREFIX_PATH="$$qt" -DQT_HOST_PATH=/usr \
	    -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake -DCMAKE_BUILD_TYPE=Release \
	    -DBUILD_TESTING=OFF -DBUILD_BENCHMARKS=OFF $(LAUNCHER)
	cmake --build $(WINDOWS_DIR) -j$(JOBS)

bench: deps-test build
	$(BUILD_DIR)/bin/tolvane-bench $(BENCH_ARGS)

screenshots: build
	QT_QPA_PLATFORM=offscreen $(BUILD_DIR)/bin/screenshots $(BUILD_DIR)/screenshots

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD_DIR) $(ASAN_DIR) $(FUZZ_DIR) $(WINDOWS_DIR)
