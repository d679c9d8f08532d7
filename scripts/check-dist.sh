#!/usr/bin/env bash
# The release zips are reproducible and work as downloaded: `make dist` in two
# fresh clones of this commit, in two different folders, must give the same
# SHA-256 sums; then each zip of the first clone is unpacked into an empty
# folder and the smoke test runs the exe there under Wine.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d /tmp/scrimble-dist-check.XXXXXX)
trap 'rm -rf "$work"' EXIT

if [ -n "$(git -C "$root" status --porcelain --untracked-files=no)" ]; then
  echo "check-dist: the working tree has uncommitted changes; checking the commit $(git -C "$root" rev-parse --short HEAD)"
fi
for clone in first second-clone; do
  git clone -q --no-local "$root" "$work/$clone"
  echo "check-dist: make dist in $work/$clone"
  make -C "$work/$clone" dist >"$work/$clone.log" 2>&1 || { cat "$work/$clone.log"; exit 1; }
  sed 's/^/  /' "$work/$clone/dist/SHA256SUMS"
done
if ! cmp -s "$work/first/dist/SHA256SUMS" "$work/second-clone/dist/SHA256SUMS"; then
  echo "check-dist: FAIL: the two builds differ"
  exit 1
fi
echo "check-dist: both clones built byte-identical zips"

# One version everywhere: the zip names, the exe's version resource, the README.
version=$(sh "$work/first/scripts/version.sh")
number=$(tr -d ' \r\n' <"$root/VERSION")
for arch in x86 x64; do
  zip="$work/first/dist/Scrimble-$version-$arch.zip"
  [ -f "$zip" ] || { echo "check-dist: FAIL: no $(basename "$zip")"; exit 1; }
  unzip -p "$zip" Scrimble.exe | strings -el | grep -qxF "$version" \
    || { echo "check-dist: FAIL: the $arch exe's version resource does not say $version"; exit 1; }
  grep -qF "Scrimble-$number-$arch.zip" "$root/README.md" \
    || { echo "check-dist: FAIL: README.md does not name Scrimble-$number-$arch.zip"; exit 1; }
done
echo "check-dist: version $version in the zip names, the version resources and the README"

status=0
for zip in "$work"/first/dist/Scrimble-*.zip; do
  name=$(basename "$zip" .zip)
  arch=${name##*-}
  folder="$work/unpacked/$name"
  mkdir -p "$folder"
  (cd "$folder" && unzip -q "$zip")
  echo "check-dist: $name unpacked: $(ls "$folder" | tr '\n' ' ')"
  /usr/bin/python3 -m pytest "$root/tests/e2e" -q -m smoke --exe "$folder/Scrimble.exe" || status=1
done
exit $status
