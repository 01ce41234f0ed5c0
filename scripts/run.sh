#!/usr/bin/env bash
# Starts the program where a person can see it. Where no display answers, it
# runs the program on a private one instead, paints both pictures and saves
# the window, so that even a machine without a screen shows what it does:
#   scripts/run.sh PROGRAM SCENE.png
set -euo pipefail
[ $# -eq 2 ] || { echo "usage: scripts/run.sh PROGRAM SCENE.png" >&2; exit 2; }
here="$(cd "$(dirname "$0")" && pwd)"
program="$1"
scene="$2"

# The same judgement the program makes at start: a named platform or a
# Wayland display is trusted, an X display must answer.
display_reachable() {
    [ -n "${QT_QPA_PLATFORM:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ] && return 0
    [ -n "${DISPLAY:-}" ] || return 1
    timeout 10 xdpyinfo >/dev/null 2>&1
}

if display_reachable; then
    exec "$program"
fi

echo "No display is reachable, so tuxing runs on a private virtual one, paints both pictures and saves the window as $scene."
"$here/screenshot.sh" "$program" "$scene"
echo "Saved $scene."
