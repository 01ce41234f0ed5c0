#!/usr/bin/env bash
# Inspects the Debian package that CPack made:
#   package_test.sh DIRECTORY-HOLDING-THE-PACKAGE
set -euo pipefail
shopt -s nullglob
packages=("$1"/tuxing_*.deb)
if [ ${#packages[@]} -ne 1 ]; then
    echo "package_test: expected one tuxing package in $1, found ${#packages[@]}" >&2
    exit 1
fi
package="${packages[0]}"
faults=0
fault() { echo "package_test: $*" >&2; faults=$((faults + 1)); }

field() { dpkg-deb -f "$package" "$1"; }
[ "$(field Package)" = tuxing ] || fault "Package is '$(field Package)'"
[ "$(field Version)" = 1.00 ] || fault "Version is '$(field Version)', the program's is 1.00"
[ "$(field Architecture)" = "$(dpkg --print-architecture)" ] || fault "Architecture is '$(field Architecture)'"
info="$(dpkg-deb -I "$package")"
grep -q '^ Description: ' <<<"$info" || fault "no Description"

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

listing="$(dpkg-deb -c "$package")"
contents="$(awk '{ print $NF }' <<<"$listing")"
for path in \
    ./usr/bin/tuxing \
    ./usr/share/applications/org.tuxing.Tuxing.desktop \
    ./usr/share/metainfo/org.tuxing.Tuxing.metainfo.xml \
    ./usr/share/icons/hicolor/16x16/apps/org.tuxing.Tuxing.png \
    ./usr/share/icons/hicolor/32x32/apps/org.tuxing.Tuxing.png \
    ./usr/share/icons/hicolor/scalable/apps/org.tuxing.Tuxing.svg; do
    grep -qxF "$path" <<<"$contents" || fault "the package holds no $path"
done
grep -q '^-rwxr-xr-x .* ./usr/bin/tuxing$' <<<"$listing" || fault "./usr/bin/tuxing is not executable"

# Every dependency must name a package apt knows; the simulation resolves
# them against what is installed and available without touching the system.
if ! simulation="$(apt-get -s -o Debug::NoLocking=1 install "$(realpath "$package")" 2>&1)"; then
    fault "apt-get could not resolve the package's dependencies:"
    echo "$simulation" >&2
fi

[ "$faults" -eq 0 ] || exit 1
echo "package_test: $(basename "$package") declares its dependencies and holds the program and its desktop files"
