#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need, and
# only those that are missing, so that a second run does nothing.
set -euo pipefail

packages=(
    cmake ninja-build g++ make pkg-config
    qt6-base-dev libgl-dev libxcb1-dev
    libgtest-dev libbenchmark-dev
    clang libclang-rt-14-dev
    xvfb xauth openbox xdotool wmctrl x11-xserver-utils
    fonts-arphic-gkai00mp fonts-arphic-ukai fonts-wqy-zenhei fontconfig
    qt6-svg-dev desktop-file-utils appstream dpkg-dev file
    dbus at-spi2-core python3-pyatspi
    qt6-wayland weston
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'ok installed'; then
        missing+=("$package")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
    echo "install-deps: these packages are missing and installing them needs root: ${missing[*]}" >&2
    exit 1
fi

echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}"
