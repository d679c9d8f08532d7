#!/usr/bin/env bash
# `make test`: every check of the project in turn, each phase's output kept in
# build/test-logs/, and one summary at the end. A failing phase does not stop
# the later ones; the exit status is non-zero when any failed.
set -uo pipefail
cd "$(dirname "$0")/.."

logs=build/test-logs
rm -rf "$logs"
mkdir -p "$logs"
started=$SECONDS
summary=()
failed=0

# phase NAME PATTERN COMMAND...: PATTERN picks the line of the output that says
# what the phase found (its last match goes into the summary).
phase() {
  local name=$1 pattern=$2
  shift 2
  local log="$logs/$(printf '%02d' $(( ${#summary[@]} + 1 )))-${name//[^A-Za-z0-9]/-}.log"
  local begin=$SECONDS status
  echo
  echo "==== $name"
  "$@" 2>&1 | tee "$log"
  status=${PIPESTATUS[0]}
  local result
  result=$(grep -E "$pattern" "$log" | tail -n1 | sed -E 's/^=+ //; s/ =+$//; s/^ +//' | cut -c1-60)
  local verdict=ok
  if [ "$status" -ne 0 ]; then verdict=FAIL; failed=$((failed + 1)); fi
  summary+=("$(printf '  %-5s %-34s %-60s %5d s' "$verdict" "$name" "${result:-(no result line)}" $((SECONDS - begin)))")
}

phase "install-deps detection" 'tests passed|tests failed' \
  ctest --test-dir build/native --output-on-failure -R InstallDeps
phase "unit tests" 'tests passed|tests failed' \
  ctest --test-dir build/native --output-on-failure -E InstallDeps
phase "unit tests under ASan+UBSan" 'PASSED|FAILED|tests? ran' scripts/sanitize.sh
phase "unit tests under valgrind" 'ERROR SUMMARY' scripts/valgrind-unit.sh
phase "imports: DLLs and Vista functions" 'imports|user32' \
  scripts/check-imports.sh build/win32/Scrimble.exe build/win64/Scrimble.exe
# Both fuzz targets, 30 s each here; `make fuzz FUZZ_SECONDS=...` goes longer.
phase "fuzz: settings reader" '^Done [0-9]+ runs|fuzz: ' env FUZZ_SECONDS="${FUZZ_SECONDS:-30}" scripts/fuzz.sh settings
phase "fuzz: number conversions" '^Done [0-9]+ runs|fuzz: ' \
  env FUZZ_SECONDS="${FUZZ_SECONDS:-30}" scripts/fuzz.sh conversions
phase "e2e x86-64 (wine64)" '(passed|failed|error).* in [0-9.]+s' scripts/e2e.sh 64
phase "e2e i686 (wine)" '(passed|failed|error).* in [0-9.]+s' scripts/e2e.sh i386
phase "release zips: reproducible, working" 'check-dist: (FAIL|both)|(passed|failed).* in [0-9.]+s' \
  scripts/check-dist.sh

echo
echo "==== make test summary"
printf '%s\n' "${summary[@]}"
elapsed=$((SECONDS - started))
if [ "$failed" -eq 0 ]; then
  printf 'make test: all %d phases passed in %d min %02d s (logs in %s)\n' "${#summary[@]}" $((elapsed / 60)) $((elapsed % 60)) "$logs"
else
  printf 'make test: %d of %d phases FAILED in %d min %02d s (logs in %s)\n' "$failed" "${#summary[@]}" $((elapsed / 60)) $((elapsed % 60)) "$logs"
  exit 1
fi
