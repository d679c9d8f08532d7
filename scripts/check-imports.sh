#!/usr/bin/env bash
# Lists the DLLs that each Windows program imports and fails when one of them
# is not on the allow-list below. A program is often run from a downloads
# folder: a DLL that Windows looks for beside the program first can be
# replaced by any file of that name lying there, and it runs with the user's
# rights before the program's first line.
#   scripts/check-imports.sh build/win32/Scrimble.exe build/win64/Scrimble.exe
# Each imported function must also be one that Windows Vista has
# (scripts/imports-vista.txt), so that the oldest system the README names
# still starts the program.
# Reads the imports with $OBJDUMP, or the first MinGW objdump found (either
# reads 32-bit and 64-bit programs). Exits 1 when a program imports a DLL off
# the list, a function Vista lacks, or delay-loads any; 2 when a program cannot
# be read.
set -euo pipefail

# Safe because the loader never searches the program's folder for them:
# the first eight are KnownDLLs (HKLM\SYSTEM\CurrentControlSet\Control\
# Session Manager\KnownDLLs, and its 32-bit twin for WOW64) on Windows 7, 8,
# 10 and 11, mapped from the system folder at boot.
allowed=(
  kernel32.dll
  user32.dll
  gdi32.dll
  imm32.dll
  msvcrt.dll
  ole32.dll
  oleaut32.dll
  shell32.dll
  # Not a KnownDLL: the manifest linked into the program asks for the common
  # controls 6.0, which the loader takes from the side-by-side store before any
  # folder; .local redirection is ignored for a program with a manifest.
  comctl32.dll
)

if [ $# -eq 0 ]; then
  echo "usage: $0 EXE..." >&2
  exit 2
fi

objdump=${OBJDUMP:-}
if [ -z "$objdump" ]; then
  for candidate in x86_64-w64-mingw32-objdump i686-w64-mingw32-objdump; do
    if command -v "$candidate" >/dev/null; then objdump=$candidate; break; fi
  done
fi
if [ -z "$objdump" ]; then
  echo "$0: no MinGW objdump found; set OBJDUMP" >&2
  exit 2
fi

vista_list="$(dirname "$0")/imports-vista.txt"
vista=$(grep -v '^#' "$vista_list")

status=0
for exe in "$@"; do
  if ! headers=$("$objdump" -p "$exe" 2>&1); then
    echo "$exe: cannot be read: $headers" >&2
    exit 2
  fi
  mapfile -t dlls < <(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers" | tr 'A-Z' 'a-z' | sort -u)
  if [ ${#dlls[@]} -eq 0 ]; then
    # Every Windows program imports kernel32 at least: none found means the
    # listing was not understood.
    echo "$exe: no imported DLLs found in the headers" >&2
    exit 2
  fi
  echo "$exe: ${dlls[*]}"
  for dll in "${dlls[@]}"; do
    found=0
    for ok in "${allowed[@]}"; do
      if [ "$dll" = "$ok" ]; then found=1; break; fi
    done
    if [ $found -eq 0 ]; then
      echo "$exe: imports $dll, which Windows may load from the program's folder" >&2
      status=1
    fi
  done
  newer=$(awk '/DLL Name:/ {dll = tolower($3); next}
              /^\t[0-9a-f]+\t +[0-9]+ +[A-Za-z_]/ {print dll, $3}' <<<"$headers" \
           | sort -u | grep -vxF -f <(echo "$vista") || true)
  if [ -n "$newer" ]; then
    echo "$exe: imports functions not known to be in Windows Vista (look them up at run time, or add" \
         "them to $vista_list once checked):" >&2
    sed 's/^/  /' <<<"$newer" >&2
    status=1
  fi
  # Delay-loaded DLLs, as lld and MSVC link them, are not in the listing
  # above; none are expected. (MinGW's dlltool delay libraries leave this
  # directory empty: adding one means adding that step to the build.)
  if grep -Eq '^Entry d [0-9a-fA-F]*[1-9a-fA-F][0-9a-fA-F]* ' <<<"$headers"; then
    echo "$exe: has delay-loaded imports, which this check does not cover" >&2
    status=1
  fi
done
exit $status
