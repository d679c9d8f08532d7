#!/usr/bin/env bash
# Builds the settings-file fuzz target with clang (libFuzzer, address and
# undefined-behaviour sanitizers) and runs it for a bounded time from a small
# seed corpus. Exits non-zero on a crash, a hang, a sanitizer report or a failed
# check of the target.
#   scripts/fuzz-settings.sh              build in build/fuzz, run 60 seconds
#   FUZZ_SECONDS=300 scripts/fuzz-settings.sh
#   FUZZ_BUILD_DIR=/tmp/fuzz scripts/fuzz-settings.sh
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${FUZZ_BUILD_DIR:-$root/build/fuzz}
seconds=${FUZZ_SECONDS:-60}

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target mdlIniFile_fuzz

work=$(mktemp -d /tmp/scrimble-fuzz-settings.XXXXXX)
# The target rewrites its settings file on every input; keep that on tmpfs.
scratch=$(mktemp -d "$( [ -w /dev/shm ] && echo /dev/shm || echo /tmp )/scrimble-fuzz-ini.XXXXXX")
trap 'rm -rf "$work" "$scratch"' EXIT
mkdir "$work/corpus" "$work/artifacts"

crlf() { printf '%s\r\n' "$@"; }
crlf "FormTop   :10" "FormLeft  :10" "TimerKind :1" "TimerTime :5" "Clip      :1" "AutoSave  :1" \
     'Path      :C:\' "File      :Screen" "No        :01" "Up        :10" >"$work/corpus/default"
# Hand-edited: Japanese folder in code page 932, greyed Clip, a seven-digit
# number, a repeated key and a line in another case.
{
  crlf "FormTop   :1234.5" "FormLeft  :-60" "TimerKind :3" "TimerTime :9" "Clip      :2" "AutoSave  :0"
  printf 'Path      :D:\\\x89\xe6\x91\x9c\\\x95\x5c\x8e\xa6\r\n'
  crlf "File      : Shot" "No        :1234567" "Up        :5" "Up        :25" "clip      :7"
} >"$work/corpus/edited"
printf 'FormTop   :abc\nFormLeft  :10\n' >"$work/corpus/lf-only"
printf 'TimerKind :2.5\rTimerTime :10\r' >"$work/corpus/cr-only"
: >"$work/corpus/empty"

# The key fields and line ends, so that mutations keep hitting real keys.
cat >"$work/settings.dict" <<'DICT'
"FormTop   :"
"FormLeft  :"
"TimerKind :"
"TimerTime :"
"Clip      :"
"AutoSave  :"
"Path      :"
"File      :"
"No        :"
"Up        :"
"\x0d\x0a"
"\x0d"
"E+"
DICT

TMPDIR=$scratch "$build/mdlIniFile_fuzz" "$work/corpus" -max_total_time="$seconds" -timeout=5 -max_len=4096 -dict="$work/settings.dict" \
  -artifact_prefix="$work/artifacts/" -print_final_stats=1 || {
  status=$?
  mkdir -p "$build/artifacts"
  cp "$work"/artifacts/* "$build/artifacts/" 2>/dev/null || true
  echo "fuzz-settings: failure; the input that caused it is in $build/artifacts" >&2
  exit "$status"
}
