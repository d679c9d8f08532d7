#!/usr/bin/env bash
# Sets up a Debian 12 machine to build and test Scrimble: the i686 MinGW-w64
# toolchain for the program, the x86-64 one for the test probe, Wine (32- and
# 64-bit), an X server with xdotool, Japanese fonts and locale.
# Idempotent: what is present is left alone. Must run as root to change
# anything.
#   scripts/install-deps.sh           install what is missing
#   scripts/install-deps.sh --check   only tell (exit 1 when something is missing)
set -euo pipefail

need_pkgs=(
  cmake make ninja-build g++ googletest libgtest-dev libgmock-dev libbenchmark-dev clang libclang-rt-14-dev
  g++-mingw-w64-i686-posix binutils-mingw-w64-i686
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  wine wine64 wine32:i386 qemu-user-static binfmt-support
  xvfb xdotool x11-utils x11-apps x11-xserver-utils imagemagick
  fonts-wine fonts-ipafont-gothic locales python3
)

# One dpkg-query for all: it is slow to start, and the Makefile asks every build.
missing_packages() {
  local installed
  installed=$(dpkg-query -W -f='${Package} ${Package}:${Architecture} ${Status}\n' "${need_pkgs[@]%%:*}" 2>/dev/null \
    | awk '/ install ok installed$/ {print $1; print $2}')
  local p
  for p in "${need_pkgs[@]}"; do
    grep -qxF -- "$p" <<<"$installed" || echo "$p"
  done
}

have_locale() { locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; }

# wine32's loader is an i386 ELF binary. Kernels built without 32-bit
# emulation (or booted with it off) cannot run it; qemu-i386 registered in
# binfmt_misc can, about ten times slower.
runs_i386() {
  [ -e /lib/ld-linux.so.2 ] && /lib/ld-linux.so.2 --version >/dev/null 2>&1
}

register_qemu_i386() {
  local dir=/proc/sys/fs/binfmt_misc
  if [ ! -e "$dir/register" ]; then
    mount -t binfmt_misc binfmt_misc "$dir"
  fi
  if [ -e "$dir/qemu-i386" ]; then
    echo 1 > "$dir/qemu-i386"
  else
    printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:F' \
      > "$dir/register"
  fi
  if [ -e "$dir/status" ] && [ "$(cat "$dir/status")" = disabled ]; then
    echo 1 > "$dir/status"
  fi
}

mapfile -t missing < <(missing_packages)

if [ "${1:-}" = --check ]; then
  problems=()
  [ ${#missing[@]} -eq 0 ] || problems+=("packages: ${missing[*]}")
  have_locale || problems+=("locale ja_JP.UTF-8")
  runs_i386 || problems+=("32-bit binaries do not run (qemu-i386 binfmt)")
  if [ ${#problems[@]} -gt 0 ]; then
    printf 'install-deps: missing %s\n' "${problems[@]}" >&2
    exit 1
  fi
  exit 0
fi

if [ ${#missing[@]} -gt 0 ] || ! have_locale || ! runs_i386; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "install-deps: something is missing (${missing[*]:-locale or qemu binfmt}); run as root" >&2
    exit 1
  fi
fi

export DEBIAN_FRONTEND=noninteractive
if [ ${#missing[@]} -gt 0 ]; then
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
  fi
  apt-get update -q
  apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

if ! have_locale; then
  sed -i 's/^# *\(ja_JP.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' >> /etc/locale.gen
  locale-gen
fi

if ! runs_i386; then
  register_qemu_i386
  if ! runs_i386; then
    echo "install-deps: 32-bit binaries still do not run; Wine cannot start Scrimble.exe" >&2
    exit 1
  fi
fi
