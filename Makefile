# Scrimble: build, run and test.
#   make build       native tree (unit tests) + Windows tree (Scrimble.exe) + test probe
#   make run         start Scrimble under Wine (private X server and screenshot without $DISPLAY)
#   make test        unit tests, then the end-to-end tests under Wine
#   make unit | e2e  one half of `make test`
#   make fuzz        both fuzz targets, FUZZ_SECONDS each (scripts/fuzz.sh)
#   make sanitize    unit tests under ASan/UBSan, then under valgrind
#   make screenshot  refresh docs/screenshot.png

SHELL := /bin/bash
.SHELLFLAGS := -euo pipefail -c

NATIVE_DIR := build/native
WIN32_DIR := build/win32
PROBE_DIR := build/probe
PROBE32_DIR := build/probe32
EXE := $(WIN32_DIR)/Scrimble.exe
BUILD_TYPE ?= Release
E2E_ARGS ?=
FUZZ_SECONDS ?= 60

.PHONY: all build deps native win32 probe run test unit e2e fuzz sanitize screenshot clean

all: build

build: deps native win32 probe

# The dependency check is quick; the install script runs only when it fails.
deps:
	@scripts/install-deps.sh --check 2>/dev/null || scripts/install-deps.sh

native: deps
	@[ -f $(NATIVE_DIR)/build.ninja ] || cmake -S . -B $(NATIVE_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE)
	cmake --build $(NATIVE_DIR)

win32: deps
	@[ -f $(WIN32_DIR)/build.ninja ] || cmake -S . -B $(WIN32_DIR) -G Ninja \
	  -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/toolchain-mingw32.cmake -DCMAKE_BUILD_TYPE=$(BUILD_TYPE)
	cmake --build $(WIN32_DIR)

# The probe is 64-bit on purpose: it starts in a second under wine64, where a
# 32-bit helper needs a minute through the emulated loader. The 32-bit build
# is only for reading a 32-bit program's bitmaps on palette displays, which
# Wine does not hand across to 64-bit processes.
probe: deps
	@[ -f $(PROBE_DIR)/build.ninja ] || cmake -S tests/e2e/probe -B $(PROBE_DIR) -G Ninja \
	  -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/toolchain-mingw64.cmake -DCMAKE_BUILD_TYPE=$(BUILD_TYPE)
	cmake --build $(PROBE_DIR)
	@[ -f $(PROBE32_DIR)/build.ninja ] || cmake -S tests/e2e/probe -B $(PROBE32_DIR) -G Ninja \
	  -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/toolchain-mingw32.cmake -DCMAKE_BUILD_TYPE=$(BUILD_TYPE)
	cmake --build $(PROBE32_DIR)

run: build
	python3 scripts/run.py

test: build
	ctest --test-dir $(NATIVE_DIR) --output-on-failure
	FUZZ_SECONDS=$(FUZZ_SECONDS) scripts/fuzz-settings.sh
	python3 tests/e2e/run.py $(E2E_ARGS)

# The settings reader and the number conversions under libFuzzer, each for
# FUZZ_SECONDS.
fuzz: deps
	FUZZ_SECONDS=$(FUZZ_SECONDS) scripts/fuzz.sh

sanitize: deps
	scripts/sanitize.sh
	scripts/valgrind-unit.sh

unit: native
	ctest --test-dir $(NATIVE_DIR) --output-on-failure

e2e: win32 probe
	python3 tests/e2e/run.py $(E2E_ARGS)

screenshot: win32 probe
	python3 scripts/run.py --headless --screenshot docs/screenshot.png

# Keeps build/wine-template: making it again takes minutes.
clean:
	rm -rf $(NATIVE_DIR) $(WIN32_DIR) $(PROBE_DIR) $(PROBE32_DIR) build/wine-run build/run build/e2e-artifacts
