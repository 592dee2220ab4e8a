# Front door: make run, make test, make bench. Everything builds into build/ with CMake.
BUILD      ?= build
ASAN_BUILD ?= build-asan
TSAN_BUILD ?= build-tsan
JOBS       ?= $(shell nproc 2>/dev/null || echo 2)
GENERATOR  := $(shell command -v ninja >/dev/null 2>&1 && echo "-G Ninja")

.PHONY: run test bench configure build deps-build deps-test deps-bench test-asan test-tsan fuzz screenshot install package deps-package clean

run: deps-build configure
	cmake --build $(BUILD) -j $(JOBS) --target zarvex
	$(BUILD)/bin/zarvex

test: deps-test build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS) --timeout 300

bench: deps-bench build
	bench/run-all

configure:
	@[ -f $(BUILD)/CMakeCache.txt ] || cmake -S . -B $(BUILD) $(GENERATOR) -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: configure
	cmake --build $(BUILD) -j $(JOBS)

test-asan: deps-test
	@[ -f $(ASAN_BUILD)/CMakeCache.txt ] || cmake -S . -B $(ASAN_BUILD) $(GENERATOR) -DCMAKE_BUILD_TYPE=Debug -DZARVEX_SANITIZE=ON
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
		ctest --output-on-failure -j $(JOBS) --timeout 600

# The engine's tests (its reader threads among them) under ThreadSanitizer; the window and Qt
# are left out, as the system's Qt is not built for it.
test-tsan: deps-test
	@[ -f $(TSAN_BUILD)/CMakeCache.txt ] || cmake -S . -B $(TSAN_BUILD) $(GENERATOR) -DCMAKE_BUILD_TYPE=Debug -DZARVEX_SANITIZE_THREAD=ON
	cmake --build $(TSAN_BUILD) -j $(JOBS) --target engine_tests zarvex-find
	cd $(TSAN_BUILD) && TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 \
		ctest --output-on-failure -j $(JOBS) --timeout 600 -R '^engine\.'

fuzz: deps-ci
	tests/fuzz/run 60

screenshot: deps-test build
	scripts/screenshot

install: deps-build build
	cmake --install $(BUILD)

package: deps-package build
	cmake --build $(BUILD) --target package

deps-build:
	@scripts/ensure-deps build
deps-test:
	@scripts/ensure-deps test
deps-bench:
	@scripts/ensure-deps bench
deps-package:
	@scripts/ensure-deps package
deps-ci:
	@scripts/ensure-deps ci

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(TSAN_BUILD) build-fuzz
