#!/usr/bin/env bash
# Inspects the Debian package that scripts/package.sh built:
#   package_test.sh PACKAGE-DIRECTORY VERSION SOURCE-DIRECTORY
# VERSION is the program's own, as the build states it.
set -euo pipefail
shopt -s nullglob
directory="$1"
version="$2"
source_dir="$3"
packages=("$directory"/tuxing_*.deb)
if [ ${#packages[@]} -ne 1 ]; then
    echo "package_test: expected one tuxing package in $directory, found ${#packages[@]}" >&2
    exit 1
fi
package="${packages[0]}"
faults=0
fault() { echo "package_test: $*" >&2; faults=$((faults + 1)); }

field() { dpkg-deb -f "$package" "$1"; }
[ "$(field Package)" = tuxing ] || fault "Package is '$(field Package)'"
[ "$(field Version)" = "$version" ] || fault "Version is '$(field Version)' (debian/changelog), the program's is $version"
[ "$(field Architecture)" = "$(dpkg --print-architecture)" ] || fault "Architecture is '$(field Architecture)'"

# apt must read the description back as it was written.
description() { sed -n '/^Description:/,/^[^ ]/p' | sed '$!b; /^ /!d'; }
shown="$(apt-cache show "$(realpath "$package")" | description)"
written="$(description <"$source_dir/debian/control")"
[ -n "$written" ] && [ "$shown" = "$written" ] ||
    fault "apt shows the description differently from debian/control:"$'\n'"$shown"

# Each dependency by name, whatever version constraint goes with it.
depends=",$(field Depends | tr -d ' '),"
for needed in libqt6core6 libqt6gui6 libqt6widgets6 libc6 libstdc++6 qt6-qpa-plugins \
    fonts-arphic-gkai00mp fonts-arphic-ukai fonts-wqy-zenhei; do
    [[ "$depends" == *",$needed,"* || "$depends" == *",$needed("* ]] || fault "Depends lacks $needed: $(field Depends)"
done

# On a Wayland desktop the program runs natively with this, through XWayland without.
recommends=",$(field Recommends | tr -d ' '),"
[[ "$recommends" == *",qt6-wayland,"* || "$recommends" == *",qt6-wayland("* ]] ||
    fault "Recommends lacks qt6-wayland: $(field Recommends)"

root="$directory/root"
rm -rf "$root"
dpkg-deb -x "$package" "$root"
for path in \
    usr/bin/tuxing \
    usr/share/applications/org.tuxing.Tuxing.desktop \
    usr/share/metainfo/org.tuxing.Tuxing.metainfo.xml \
    usr/share/icons/hicolor/16x16/apps/org.tuxing.Tuxing.png \
    usr/share/icons/hicolor/32x32/apps/org.tuxing.Tuxing.png \
    usr/share/icons/hicolor/scalable/apps/org.tuxing.Tuxing.svg \
    usr/share/man/man1/tuxing.1.gz \
    usr/share/doc/tuxing/copyright \
    usr/share/doc/tuxing/changelog.gz; do
    [ -f "$root/$path" ] || fault "the package holds no /$path"
done
[ -x "$root/usr/bin/tuxing" ] || fault "/usr/bin/tuxing is not executable"

# The licence is stated twice, at the root for readers of the source and in the
# package's copyright file; the two must not drift apart.
copyright="$root/usr/share/doc/tuxing/copyright"
holder="$(sed -n 's/^Copyright (c) //p' "$source_dir/LICENSE")"
grep -qxF "Copyright: $holder" "$copyright" || fault "the copyright file does not name '$holder'"
licence="$(sed -n '/^License: Expat$/,/^[^ ]/{/^ /p}' "$copyright" | sed 's/^ //; s/^\.$//')"
[ "$licence" = "$(sed -n '/^Permission/,$p' "$source_dir/LICENSE")" ] ||
    fault "the Expat licence in the copyright file differs from LICENSE"

# The tests' own build dependencies are left out of the package build, so it
# must not have configured them.
obj=("$directory"/src/obj-*)
[ ${#obj[@]} -eq 1 ] && [ -d "${obj[0]}/surface" ] && [ ! -e "${obj[0]}/tests" ] && [ ! -e "${obj[0]}/bench" ] ||
    fault "the package build configured the tests or benchmarks, or left no build directory in $directory/src"

# Every dependency must name a package apt knows; the simulation resolves
# them against what is installed and available without touching the system.
if ! simulation="$(apt-get -s -o Debug::NoLocking=1 install "$(realpath "$package")" 2>&1)"; then
    fault "apt-get could not resolve the package's dependencies:"
    echo "$simulation" >&2
fi

changes=("$directory"/tuxing_*.changes)
if ! report="$(lintian --fail-on error,warning "${changes[@]}" 2>&1)"; then
    fault "lintian finds errors or warnings:"
    echo "$report" >&2
fi

[ "$faults" -eq 0 ] || exit 1
echo "package_test: $(basename "$package") passes lintian, declares its dependencies and holds the program, its desktop files and its documents"
