# Scrimble: build, run and test.
#   make run         start Scrimble under Wine (ARCH=32|64; default: the build that runs natively)
#   make test        unit tests, fuzzing, then the end-to-end tests under Wine, one summary
#   make deps        install what the build and the tests need (run and test do it first)
#   make build       native tree (unit tests), Scrimble.exe for i686 and x86-64, test probes
#   make unit | e2e  parts of `make test` (e2e: ARCH=32|64 picks one architecture)
#   make fuzz        both fuzz targets, FUZZ_SECONDS each (scripts/fuzz.sh)
#   make sanitize    unit tests under ASan/UBSan, then under valgrind
#   make screenshot  refresh docs/screenshot.png and docs/screenshot-144dpi.png
#   make dist        release zips for x86 and x64 in dist/, with SHA256SUMS
#   make bench       Scrimble beside its floors: capture + save, start-up, idle delay, exe sizes

SHELL := /bin/bash
.SHELLFLAGS := -euo pipefail -c

NATIVE_DIR := build/native
WIN32_DIR := build/win32
WIN64_DIR := build/win64
PROBE_DIR := build/probe
PROBE32_DIR := build/probe32
BUILD_TYPE ?= Release
ARCH ?=
E2E_ARGS ?=
FUZZ_SECONDS ?= 60

.PHONY: all build deps native win32 win64 probe run test unit e2e fuzz sanitize screenshot dist bench clean

all: build

build: native win32 win64 probe

# The dependency check is quick; the install script runs only when it fails.
# Only run and test (the two commands of a fresh machine) and deps itself
# install; every other target takes the machine as it is.
deps:
	@scripts/install-deps.sh --check 2>/dev/null || scripts/install-deps.sh

native:
	@[ -f $(NATIVE_DIR)/build.ninja ] || cmake -S . -B $(NATIVE_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE)
	cmake --build $(NATIVE_DIR)

# $(call cross,build dir,toolchain file,source dir)
define cross
	@[ -f $(1)/build.ninja ] || cmake -S $(3) -B $(1) -G Ninja \
	  -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/$(2) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE)
	cmake --build $(1)
endef

win32:
	$(call cross,$(WIN32_DIR),toolchain-mingw32.cmake,.)

win64:
	$(call cross,$(WIN64_DIR),toolchain-mingw64.cmake,.)

# The probe inspects Scrimble from outside. The 64-bit one starts in a second
# under wine64; the 32-bit one reads a 32-bit program's clipboard bitmaps,
# which Wine does not hand across to 64-bit processes.
probe:
	$(call cross,$(PROBE_DIR),toolchain-mingw64.cmake,tests/e2e/probe)
	$(call cross,$(PROBE32_DIR),toolchain-mingw32.cmake,tests/e2e/probe)

run: deps
	$(MAKE) --no-print-directory build
	python3 scripts/run.py $(if $(ARCH),--arch $(ARCH))

test: deps
	$(MAKE) --no-print-directory build
	scripts/test-all.sh

sanitize:
	scripts/sanitize.sh
	scripts/valgrind-unit.sh

unit: native
	ctest --test-dir $(NATIVE_DIR) --output-on-failure

# One architecture with ARCH=32|64; without it the whole suite on x86-64, then
# on i686 where the kernel runs 32-bit code itself, else only its smoke test.
e2e: win32 win64 probe
	scripts/e2e.sh $(ARCH) $(E2E_ARGS)

fuzz:
	FUZZ_SECONDS=$(FUZZ_SECONDS) scripts/fuzz.sh

screenshot: win64 probe
	python3 scripts/run.py --arch 64 --headless --screenshot docs/screenshot.png
	python3 scripts/run.py --arch 64 --headless --dpi 144 --screenshot docs/screenshot-144dpi.png

dist:
	python3 scripts/dist.py

# Figures for bench/RESULTS.md; the 64-bit build under wine64 only.
bench: win32 win64 probe
	python3 bench/run_bench.py

# Keeps the Wine prefix template (build/wine-template-*): it is made once per machine.
clean:
	rm -rf $(NATIVE_DIR) $(WIN32_DIR) $(WIN64_DIR) $(PROBE_DIR) $(PROBE32_DIR) build/wine-run build/run \
	  build/e2e-artifacts build/test-logs build/dist build/native-asan build/fuzz dist
