#!/usr/bin/env bash
# The package detection of scripts/install-deps.sh, run against lists that mix
# installed packages with names no machine has: a fresh machine must be seen
# as missing exactly those, and --check must fail on them and pass without them.
set -uo pipefail
script="$(dirname "$0")/../../scripts/install-deps.sh"
fails=0
expect() {  # expect WHAT EXPECTED ACTUAL
  if [ "$2" != "$3" ]; then
    printf 'FAIL %s\n  expected: %q\n  got:      %q\n' "$1" "$2" "$3"
    fails=$((fails + 1))
  fi
}

present="dpkg coreutils bash:$(dpkg --print-architecture)"
absent="scrimble-no-such-package scrimble-nor-this:i386"

expect "--missing with absent names" $'scrimble-no-such-package\nscrimble-nor-this:i386' \
  "$(SCRIMBLE_DEPS_PKGS="$present $absent" "$script" --missing)"
expect "--missing, absent names first" $'scrimble-no-such-package\nscrimble-nor-this:i386' \
  "$(SCRIMBLE_DEPS_PKGS="$absent $present" "$script" --missing)"
expect "--missing with installed names only" "" "$(SCRIMBLE_DEPS_PKGS="$present" "$script" --missing)"

SCRIMBLE_DEPS_PKGS="$present $absent" "$script" --check 2>/tmp/install-deps-check.$$
expect "--check exit status with absent names" 1 $?
grep -q 'scrimble-no-such-package scrimble-nor-this:i386' /tmp/install-deps-check.$$
expect "--check names the absent packages" 0 $?
rm -f /tmp/install-deps-check.$$

# Without root, the installer must say what is missing and change nothing.
if [ "$(id -u)" -ne 0 ]; then
  SCRIMBLE_DEPS_PKGS="$absent" "$script" >/dev/null 2>&1
  expect "install without root" 1 $?
fi

[ "$fails" -eq 0 ] && echo "install-deps detection: all checks passed"
exit $((fails > 0))
