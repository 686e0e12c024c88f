# The two commands a newcomer needs: `make run` and `make test`.
BUILD_DIR ?= build
ASAN_DIR  ?= build-asan
FUZZ_DIR  ?= build-fuzz
FUZZ_SECONDS ?= 60
# FUZZ_TARGETS="logline httprequest": only those (every target when empty).
FUZZ_TARGETS ?=
JOBS      ?= $(shell nproc)
CMAKE_ARGS ?=
# Rebuilds of an unchanged file come from ccache where the machine has it.
CCACHE := $(shell command -v ccache 2>/dev/null)
ifneq ($(CCACHE),)
CMAKE_ARGS += -DCMAKE_CXX_COMPILER_LAUNCHER=$(CCACHE)
endif

.PHONY: all deps build run test test-release test-asan format-check bench screenshots format clean install package fuzz

all: build

deps:
	@bash scripts/install-deps.sh

build: deps
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_ARGS)
	cmake --build $(BUILD_DIR) -j$(JOBS)

run: build
	@bash scripts/run-sample.sh $(BUILD_DIR)

# The store's tests run on SQLite and on a throw-away PostgreSQL server: pg_virtualenv (from
# postgresql-common) starts one in a temporary folder, as root or as a user, gives its address
# to the tests through the PG* variables and removes it afterwards. Without it the PostgreSQL
# rows would be skipped, so its absence stops the run instead. The ASan build skips them.
# Looked for when the tests start, not when make reads this file: on a fresh machine the
# "deps" step has only just installed it.
test-release: build
	@command -v pg_virtualenv >/dev/null || { echo "pg_virtualenv is missing (Debian package" \
	    "postgresql-common, with postgresql): make deps installs them; the PostgreSQL tests" \
	    "cannot run without it" >&2; exit 1; }
	pg_virtualenv -t ctest --test-dir $(BUILD_DIR) --output-on-failure -j$(JOBS)

test-asan: deps
	cmake -S . -B $(ASAN_DIR) -DCMAKE_BUILD_TYPE=asan -DBUILD_BENCHMARKS=OFF $(CMAKE_ARGS)
	cmake --build $(ASAN_DIR) -j$(JOBS)
	env -u PGHOST -u PGPORT -u TOLVANE_TEST_POSTGRES \
	    ctest --test-dir $(ASAN_DIR) --output-on-failure -j$(JOBS)

# Every tracked source as the committed .clang-format lays it out.
format-check: deps
	git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror

test: format-check test-release test-asan

# The fuzz targets, built by clang with libFuzzer over the project's libraries instrumented for
# coverage, under AddressSanitizer and UBSan; each runs FUZZ_SECONDS from its committed corpus.
# (make test replays the committed corpora in the other two builds.) The compiler is named by
# its full path, as the cache keeps it: another spelling would reset the cache and its build type.
FUZZ_CXX ?= $(shell command -v clang++-14)
fuzz: deps
	cmake -S . -B $(FUZZ_DIR) -DCMAKE_BUILD_TYPE=fuzz -DCMAKE_CXX_COMPILER=$(FUZZ_CXX) \
	    -DBUILD_TESTING=OFF -DBUILD_BENCHMARKS=OFF $(CMAKE_ARGS)
	cmake --build $(FUZZ_DIR) -j$(JOBS) --target fuzz_targets
	bash scripts/run-fuzzers.sh $(FUZZ_DIR) $(FUZZ_SECONDS) $(FUZZ_TARGETS)

# make install [DESTDIR=/some/root] [CMAKE_INSTALL_PREFIX=/usr] (default prefix: /usr/local)
install: build
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD_DIR) $(if $(CMAKE_INSTALL_PREFIX),--prefix $(CMAKE_INSTALL_PREFIX))

# One Debian package of the three programs, in build/packages/.
package: build
	cd $(BUILD_DIR) && cpack -G DEB

bench: build
	$(BUILD_DIR)/bin/tolvane-bench $(BENCH_ARGS)

screenshots: build
	QT_QPA_PLATFORM=offscreen $(BUILD_DIR)/bin/screenshots $(BUILD_DIR)/screenshots

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD_DIR) $(ASAN_DIR) $(FUZZ_DIR)
