#!/usr/bin/env sh
# Prints Scrimble's version. The number lives in VERSION alone; in a git
# checkout, `git describe` against its tag (v<number>) adds how far past the
# release the commit is: 1.1.0 on the tagged commit, 1.1.0-3-g1a2b3c4 after it.
# The version resource and the release zips take it from here.
root=$(cd "$(dirname "$0")/.." && pwd)
number=$(tr -d ' \r\n' <"$root/VERSION")
described=$(git -C "$root" describe --tags --match "v$number" 2>/dev/null) && number=${described#v}
printf '%s\n' "$number"
