#!/usr/bin/env bash
# Sets up a Debian 12 machine to build and test Scrimble: the i686 and x86-64
# MinGW-w64 toolchains, Wine (64- and 32-bit), an X server with xdotool,
# Japanese fonts and locale, pytest, clang's fuzzer and sanitizer runtime,
# valgrind, and CUPS with a PDF printer that the printing tests start on a
# private socket (Wine's winspool loads libcups of its own bitness at run
# time; poppler-utils reads the PDFs back). Idempotent: what is present is
# left alone. Must run as root to change anything.
#   scripts/install-deps.sh            install what is missing
#   scripts/install-deps.sh --check    only tell (exit 1 when something is missing)
#   scripts/install-deps.sh --missing  list the packages that are not installed
# SCRIMBLE_DEPS_PKGS (space-separated) replaces the package list, so that the
# detection can be checked without root against names that do not exist.
set -euo pipefail

need_pkgs=(
  cmake make ninja-build g++ googletest libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev valgrind
  g++-mingw-w64-i686-posix binutils-mingw-w64-i686
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  wine wine64 wine32:i386
  xvfb xdotool x11-utils x11-apps x11-xserver-utils imagemagick
  fonts-wine fonts-ipafont-gothic locales python3 python3-pytest
  cups printer-driver-cups-pdf poppler-utils libcups2 libcups2:i386
)
if [ -n "${SCRIMBLE_DEPS_PKGS:-}" ]; then
  read -ra need_pkgs <<<"$SCRIMBLE_DEPS_PKGS"
fi

# One dpkg-query for all: it is slow to start, and the Makefile asks every
# build. It exits non-zero when any name is not installed, which is exactly
# what we are asking, so its status is not an error here.
missing_packages() {
  local installed p
  installed=$( { dpkg-query -W -f='${Package} ${Package}:${Architecture} ${Status}\n' \
                   "${need_pkgs[@]%%:*}" 2>/dev/null || true; } \
    | awk '/ install ok installed$/ {print $1; print $2}')
  for p in "${need_pkgs[@]}"; do
    grep -qxF -- "$p" <<<"$installed" || echo "$p"
  done
}

have_locale() { locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; }

# wine32's loader is an i386 ELF binary (it brings /lib/ld-linux.so.2). Most
# kernels run it natively; one built or booted without 32-bit emulation needs
# qemu-i386 registered in binfmt_misc, about ten times slower.
runs_i386() {
  [ -e /lib/ld-linux.so.2 ] && /lib/ld-linux.so.2 --version >/dev/null 2>&1
}

register_qemu_i386() {
  local dir=/proc/sys/fs/binfmt_misc
  [ -e "$dir/register" ] || mount -t binfmt_misc binfmt_misc "$dir"
  if [ -e "$dir/qemu-i386" ]; then
    echo 1 >"$dir/qemu-i386"
  else
    printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:F' \
      >"$dir/register"
  fi
  if [ -e "$dir/status" ] && [ "$(cat "$dir/status")" = disabled ]; then
    echo 1 >"$dir/status"
  fi
}

mapfile -t missing < <(missing_packages)

case "${1:-}" in
  --missing)
    [ ${#missing[@]} -eq 0 ] || printf '%s\n' "${missing[@]}"
    exit 0 ;;
  --check)
    problems=()
    [ ${#missing[@]} -eq 0 ] || problems+=("packages: ${missing[*]}")
    have_locale || problems+=("locale ja_JP.UTF-8")
    runs_i386 || problems+=("a way to run 32-bit binaries (native or qemu-i386 binfmt)")
    if [ ${#problems[@]} -gt 0 ]; then
      printf 'install-deps: missing %s\n' "${problems[@]}" >&2
      exit 1
    fi
    exit 0 ;;
  "") ;;
  *) echo "usage: $0 [--check|--missing]" >&2; exit 2 ;;
esac

if [ ${#missing[@]} -gt 0 ] || ! have_locale || ! runs_i386; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "install-deps: missing ${missing[*]:-the locale or 32-bit support}; run as root" >&2
    exit 1
  fi
fi

export DEBIAN_FRONTEND=noninteractive
if [ ${#missing[@]} -gt 0 ]; then
  dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
  echo "install-deps: installing ${missing[*]}"
  apt-get update -q
  apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

if ! have_locale; then
  sed -i 's/^# *\(ja_JP.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' >>/etc/locale.gen
  locale-gen
fi

# Only now is the 32-bit loader installed, so only now can we tell whether
# the kernel runs it by itself.
if ! runs_i386; then
  echo "install-deps: this kernel does not run 32-bit code; registering qemu-i386"
  dpkg-query -W -f='${Status}' qemu-user-static 2>/dev/null | grep -q 'ok installed' \
    || apt-get install -y -q --no-install-recommends qemu-user-static
  register_qemu_i386
  if ! runs_i386; then
    echo "install-deps: 32-bit binaries still do not run; Wine cannot start the 32-bit Scrimble.exe" >&2
    exit 1
  fi
fi
