#!/usr/bin/env bash
# Runs the program on a private desktop, maximizes it, paints both pictures,
# checks them and saves the window's client area:
#   scripts/screenshot.sh PROGRAM OUTPUT.png
# The end-to-end tests built beside PROGRAM do the driving.
set -euo pipefail
[ $# -eq 2 ] || { echo "usage: scripts/screenshot.sh PROGRAM OUTPUT.png" >&2; exit 2; }
here="$(cd "$(dirname "$0")" && pwd)"
program="$(realpath "$1")"
mkdir -p "$(dirname "$2")"
output="$(realpath "$2")"
log="$(mktemp)"
trap 'rm -f "$log"' EXIT
# A screen a little larger than the layout, so that the maximized window shows
# the whole panel with little margin to spare.
if ! TUXING_SCENE="$output" "$here/private-desktop.sh" --screen 840x620 "$(dirname "$program")/tests/e2e/tuxing_e2e" \
    --program="$program" --gtest_filter=Pictures.bothComposeOneScene >"$log" 2>&1; then
    cat "$log" >&2
    exit 1
fi
