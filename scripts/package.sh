#!/usr/bin/env bash
# Builds the Debian package from this tree and leaves it in OUTPUT-DIRECTORY:
#   scripts/package.sh OUTPUT-DIRECTORY
#
# dpkg-buildpackage writes its results beside the tree it builds, and leaves
# its own files inside it, so it builds a copy of the tree's files (those git
# tracks or would track, as they are on disk) in OUTPUT-DIRECTORY/src. The
# tests are left out: make test runs them on the developer's own build.
set -euo pipefail
source_dir="$(cd "$(dirname "$0")/.." && pwd)"
output="${1:-}"
[ -n "$output" ] || { echo "package: no output directory given" >&2; exit 2; }
git -C "$source_dir" rev-parse --git-dir >/dev/null 2>&1 ||
    { echo "package: $source_dir is not a git checkout; run dpkg-buildpackage -us -uc -b there instead" >&2; exit 1; }

rm -rf "$output"
mkdir -p "$output/src"
output="$(cd "$output" && pwd)"
git -C "$source_dir" ls-files -z --cached --others --exclude-standard |
    while IFS= read -r -d '' file; do
        # A file deleted but not yet committed is listed and absent.
        [ -e "$source_dir/$file" ] && printf '%s\0' "$file"
    done |
    tar -C "$source_dir" --null --files-from=- -cf - | tar -C "$output/src" -xf -

log="$output/build.log"
if ! (cd "$output/src" && DEB_BUILD_OPTIONS="nocheck parallel=$(nproc) ${DEB_BUILD_OPTIONS:-}" \
    dpkg-buildpackage -us -uc -b -Pnocheck) >"$log" 2>&1; then
    tail -n 40 "$log" >&2
    echo "package: dpkg-buildpackage failed; its whole output is in $log" >&2
    exit 1
fi
packages=("$output"/tuxing_*.deb)
echo "package: built ${packages[0]}"
