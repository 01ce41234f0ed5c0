#!/usr/bin/env bash
# Runs the program on a private display, maximizes it, paints both pictures
# and saves the window's client area:
#   scripts/screenshot.sh PROGRAM OUTPUT.png
set -euo pipefail
[ $# -eq 2 ] || { echo "usage: scripts/screenshot.sh PROGRAM OUTPUT.png" >&2; exit 2; }
here="$(cd "$(dirname "$0")" && pwd)"
program="$(realpath "$1")"
mkdir -p "$(dirname "$2")"
output="$(realpath "$2")"
# A screen a little larger than the layout, so that the maximized window shows
# the whole panel with little margin to spare.
"$here/private-display.sh" --dpi 96 --screen 840x620 -- /usr/bin/python3 "$here/scene.py" "$program" "$output"
