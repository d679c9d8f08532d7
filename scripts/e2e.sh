#!/usr/bin/env bash
# Runs the end-to-end suite (pytest, tests/e2e) against Scrimble.exe under Wine.
#   scripts/e2e.sh 64 [pytest args]    the whole suite on the x86-64 build (wine64)
#   scripts/e2e.sh 32 [pytest args]    the whole suite on the i686 build
#   scripts/e2e.sh i386 [pytest args]  the i686 build: the whole suite where this
#                                      kernel runs 32-bit code itself, only the
#                                      smoke test where that goes through qemu
#   scripts/e2e.sh [pytest args]       64, then i386
# pytest args may name test files (tests/e2e/test_window.py) or -k, -m ...
set -euo pipefail
cd "$(dirname "$0")/.."

# Debian's pytest belongs to the system Python, whatever python3 is first on PATH.
# The whole suite unless the arguments name test files or folders.
pytest=(/usr/bin/python3 -m pytest)
named=0
for arg in "$@"; do
  [[ $arg != -* && -e ${arg%%::*} ]] && named=1
done
[ $named -eq 1 ] || pytest+=(tests/e2e)

# The rig decides, as it does for `make run`.
i386_native() {
  /usr/bin/python3 -c 'import sys; sys.path.insert(0, "tests/e2e"); import rig; sys.exit(not rig.i386_native())'
}

suite() {
  case "$1" in
    64) echo "e2e: Scrimble.exe for 64-bit Windows (wine64)"
        "${pytest[@]}" --arch 64 "${@:2}" ;;
    32) echo "e2e: Scrimble.exe for 32-bit Windows (wine)"
        "${pytest[@]}" --arch 32 "${@:2}" ;;
    i386)
      if i386_native; then
        echo "e2e: Scrimble.exe for 32-bit Windows (wine; this kernel runs 32-bit code natively)"
        "${pytest[@]}" --arch 32 "${@:2}"
      else
        echo "e2e: Scrimble.exe for 32-bit Windows (wine through qemu-i386: the smoke test only)"
        "${pytest[@]}" --arch 32 -m smoke "${@:2}"
      fi ;;
  esac
}

case "${1:-}" in
  32|64|i386) suite "$@" ;;
  *) status=0
     suite 64 "$@" || status=1
     suite i386 "$@" || status=1
     exit $status ;;
esac
