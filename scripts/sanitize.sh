#!/usr/bin/env bash
# Builds the native unit tests with AddressSanitizer and UndefinedBehaviorSanitizer
# (build/native-asan, SCRIMBLE_SANITIZE=ON: undefined behaviour stops the run,
# leaks are reported at exit) and runs them once. Exits non-zero on a failed
# test or on any sanitizer report.
#   scripts/sanitize.sh
#   scripts/sanitize.sh --gtest_filter='IniFile*'     arguments go to the test binary
#   CXX=clang++ SANITIZE_BUILD_DIR=build/native-asan-clang scripts/sanitize.sh
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${SANITIZE_BUILD_DIR:-$root/build/native-asan}

[ -f "$build/build.ninja" ] ||
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSCRIMBLE_SANITIZE=ON >/dev/null
cmake --build "$build" --target scrimble_tests

log=$(mktemp /tmp/scrimble-sanitize.XXXXXX)
trap 'rm -f "$log"' EXIT
status=0
ASAN_OPTIONS=detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1 \
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  "$build/scrimble_tests" --gtest_brief=1 "$@" 2>&1 | tee "$log" || status=$?
# A report from a child process or a recovered check would not change the
# exit status; the text still counts.
if grep -qE 'ERROR: (Address|Leak|UndefinedBehavior)Sanitizer|runtime error:' "$log"; then
  [ "$status" -ne 0 ] || status=1
fi
[ "$status" -eq 0 ] && echo "sanitize: unit tests clean under ASan and UBSan" ||
  echo "sanitize: failed (exit $status)" >&2
exit "$status"
