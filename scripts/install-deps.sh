#!/usr/bin/env bash
# Installs the Debian packages that building, running, testing and packaging
# need, and only those that are missing, so that a second run does nothing and
# needs no network. The build and test dependencies are the ones
# debian/control names; only what neither the build nor its tests use is
# listed here.
set -euo pipefail
cd "$(dirname "$0")/.."

# The web page's compiler, the three browser engines its test drives (WebKit
# through its WebDriver, which starts its MiniBrowser), the tool that cuts its
# font down to the characters it shows and the one that renders its icons;
# the Windows program's cross-compiler, the tools that make and read its icon
# and resources, Wine, which its test runs it in, and xprop, which reads the
# window's icon there; and the load the benchmarks can be run under.
others=(emscripten chromium firefox-esr webkit2gtk-driver python3-fonttools librsvg2-bin
    g++-mingw-w64-x86-64-posix icoutils wine wine64 x11-utils stress-ng)

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'ok installed'; }

# dpkg-checkbuilddeps comes with dpkg-dev, which is itself a build dependency.
missing=()
for package in dpkg-dev "${others[@]}"; do
    installed "$package" || missing+=("$package")
done
unmet=
if installed dpkg-dev; then
    if ! report="$(dpkg-checkbuilddeps 2>&1)"; then
        unmet="$(sed -n 's/.*Unmet build dependencies: //p' <<<"$report")"
        [ -n "$unmet" ] || { echo "install-deps: $report" >&2; exit 1; }
    fi
else
    unmet="those debian/control names"
fi

if [ ${#missing[@]} -eq 0 ] && [ -z "$unmet" ]; then
    exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
    echo "install-deps: installing what is missing needs root; run make as root, or install these yourself:" >&2
    [ ${#missing[@]} -eq 0 ] || echo "  packages: ${missing[*]}" >&2
    [ -z "$unmet" ] || echo "  build dependencies: $unmet" >&2
    exit 1
fi

export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
if [ ${#missing[@]} -ne 0 ]; then
    echo "install-deps: installing ${missing[*]}"
    apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
if [ -n "$unmet" ]; then
    echo "install-deps: installing the build dependencies in debian/control"
    apt-get build-dep -y -qq --no-install-recommends ./
fi
