#!/usr/bin/env bash
# `make test`: every check of the project, each phase's output kept in
# build/test-logs/, and one summary at the end. A failing phase does not stop
# the later ones; the exit status is non-zero when any failed. The two
# end-to-end suites run side by side: each spends most of its time waiting on
# Wine and the X server, not on the processor.
set -uo pipefail
cd "$(dirname "$0")/.."

logs=build/test-logs
rm -rf "$logs"
mkdir -p "$logs"
started=$SECONDS
summary=()
failed=0
count=0
declare -A name_of pattern_of begin_of pid_of

# start NAME PATTERN COMMAND...: runs a phase in the background; its log is
# then $last. PATTERN picks the line of its output that says what it found
# (the last match goes into the summary).
start() {
  local name=$1 pattern=$2
  shift 2
  count=$((count + 1))
  local log
  log="$logs/$(printf '%02d' $count)-${name//[^A-Za-z0-9]/-}.log"
  name_of[$log]=$name
  pattern_of[$log]=$pattern
  begin_of[$log]=$SECONDS
  # The phase notes its own end, so that one that ends while another is
  # awaited is not charged the wait.
  { "$@"; echo "$? $SECONDS" >"$log.end"; } >"$log" 2>&1 &
  pid_of[$log]=$!
  last=$log
}

# finish LOG: waits for the phase, shows its output and notes its outcome.
finish() {
  local log=$1 status ended result verdict=ok
  wait "${pid_of[$log]}"
  read -r status ended <"$log.end" || { status=1; ended=$SECONDS; }
  rm -f "$log.end"
  echo
  echo "==== ${name_of[$log]}"
  cat "$log"
  result=$(grep -E "${pattern_of[$log]}" "$log" | tail -n1 | sed -E 's/^=+ //; s/ =+$//; s/^ +//' | cut -c1-60)
  if [ "$status" -ne 0 ]; then verdict=FAIL; failed=$((failed + 1)); fi
  summary+=("$(printf '  %-5s %-38s %-60s %4d s' "$verdict" "${name_of[$log]}" "${result:-(no result line)}" \
               $((ended - begin_of[$log])))")
}

phase() {
  start "$@"
  finish "$last"
}

phase "install-deps detection" 'tests passed|tests failed' \
  ctest --test-dir build/native --output-on-failure -R InstallDeps
phase "unit tests" 'tests passed|tests failed' \
  ctest --test-dir build/native --output-on-failure -E InstallDeps
phase "unit tests under ASan+UBSan" 'PASSED|FAILED|tests? ran' scripts/sanitize.sh
phase "unit tests under valgrind" 'valgrind-unit: |PASSED' scripts/valgrind-unit.sh
phase "imports: DLLs and Vista functions" 'imports|user32' \
  scripts/check-imports.sh build/win32/Scrimble.exe build/win64/Scrimble.exe
# Both fuzz targets, 30 s each here; `make fuzz FUZZ_SECONDS=...` goes longer.
phase "fuzz: settings reader" '^Done [0-9]+ runs|fuzz: ' \
  env FUZZ_SECONDS="${FUZZ_SECONDS:-30}" scripts/fuzz.sh settings
phase "fuzz: number conversions" '^Done [0-9]+ runs|fuzz: ' \
  env FUZZ_SECONDS="${FUZZ_SECONDS:-30}" scripts/fuzz.sh conversions
start "e2e x86-64 (wine64)" '(passed|failed|error).* in [0-9.]+s' scripts/e2e.sh 64
e2e64=$last
start "e2e i686 (wine)" '(passed|failed|error).* in [0-9.]+s' scripts/e2e.sh i386
finish "$e2e64"
finish "$last"
phase "release zips: reproducible, working" 'check-dist: (FAIL|both)' \
  scripts/check-dist.sh

echo
echo "==== make test summary"
printf '%s\n' "${summary[@]}"
elapsed=$((SECONDS - started))
if [ "$failed" -eq 0 ]; then
  printf 'make test: all %d phases passed in %d min %02d s (logs in %s)\n' "${#summary[@]}" \
    $((elapsed / 60)) $((elapsed % 60)) "$logs"
else
  printf 'make test: %d of %d phases FAILED in %d min %02d s (logs in %s)\n' "$failed" "${#summary[@]}" \
    $((elapsed / 60)) $((elapsed % 60)) "$logs"
  exit 1
fi
