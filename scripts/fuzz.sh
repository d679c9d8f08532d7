#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, address and undefined-behaviour
# sanitizers, undefined behaviour fatal) and runs each for FUZZ_SECONDS from the
# seed corpus in tests/fuzz/corpus/<target>. Exits non-zero on a crash, a hang,
# a leak, a sanitizer report or a failed check; the input that caused it is
# kept in build/fuzz/artifacts/<target>/.
#   scripts/fuzz.sh                         settings, then conversions, 60 s each
#   scripts/fuzz.sh conversions             one target
#   FUZZ_SECONDS=600 scripts/fuzz.sh settings
#   FUZZ_RUNS=10000000 scripts/fuzz.sh settings   a number of inputs instead of a time
# New inputs that reach new code collect in build/fuzz/corpus/<target>, so a
# later run goes on from there; remove that folder to start from the seeds.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${FUZZ_BUILD_DIR:-$root/build/fuzz}
seconds=${FUZZ_SECONDS:-60}
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(settings conversions)

binaries=()
for target in "${targets[@]}"; do
  case $target in
    settings) binaries+=(mdlIniFile_fuzz) ;;
    conversions) binaries+=(conversions_fuzz) ;;
    *) echo "fuzz: unknown target '$target' (settings, conversions)" >&2; exit 2 ;;
  esac
done

[ -f "$build/build.ninja" ] ||
  CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target "${binaries[@]}"

for i in "${!targets[@]}"; do
  target=${targets[$i]}
  options=(-timeout=5 -print_final_stats=1)
  case $target in
    settings) options+=(-max_len=4096 -dict="$root/tests/fuzz/settings.dict") ;;
    conversions) options+=(-max_len=1024) ;;
  esac
  if [ -n "${FUZZ_RUNS:-}" ]; then
    options+=(-runs="$FUZZ_RUNS") length="$FUZZ_RUNS inputs"
  else
    options+=(-max_total_time="$seconds") length="$seconds s"
  fi
  corpus=$build/corpus/$target
  artifacts=$build/artifacts/$target
  mkdir -p "$corpus" "$artifacts"
  echo "fuzz: $target ($length)"
  status=0
  "$build/${binaries[$i]}" "${options[@]}" -artifact_prefix="$artifacts/" "$corpus" "$root/tests/fuzz/corpus/$target" ||
    status=$?
  if [ "$status" -ne 0 ]; then
    input=$(ls -t "$artifacts" | head -n 1)
    echo "fuzz: $target failed (exit $status); the input is kept, replay it with" >&2
    echo "  $build/${binaries[$i]} $artifacts/$input" >&2
    exit "$status"
  fi
done
