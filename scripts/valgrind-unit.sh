#!/usr/bin/env bash
# Runs the plain native unit test binary (build/native, built first if needed)
# once under valgrind's memcheck. Exits non-zero on a failed test, on any
# memory error and on any definite or possible leak.
#   scripts/valgrind-unit.sh
#   scripts/valgrind-unit.sh --gtest_filter='IniFile*'   arguments go to the test binary
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${NATIVE_BUILD_DIR:-$root/build/native}

[ -f "$build/build.ninja" ] ||
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-Release}" >/dev/null
cmake --build "$build" --target scrimble_tests

status=0
valgrind --tool=memcheck --error-exitcode=1 --leak-check=full --errors-for-leak-kinds=definite,possible \
  --track-origins=yes --suppressions="$root/scripts/valgrind-unit.supp" --quiet "$build/scrimble_tests" --gtest_brief=1 "$@" || status=$?
[ "$status" -eq 0 ] && echo "valgrind-unit: unit tests clean under memcheck" ||
  echo "valgrind-unit: failed (exit $status)" >&2
exit "$status"
