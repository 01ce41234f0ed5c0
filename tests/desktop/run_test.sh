#!/usr/bin/env bash
# make run's two ways: with no display reachable it paints the scene on a
# private one and names the file; with a display it just starts the program.
#   run_test.sh PROGRAM WORK-DIRECTORY
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
scripts="$here/../../scripts"
program="$(realpath "$1")"
work="$2"
rm -rf "$work"
mkdir -p "$work"
scene="$work/scene.png"

output="$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$scripts/run.sh" "$program" "$scene")"
echo "$output"
first="$(head -n 1 <<<"$output")"
[[ "$first" == "No display is reachable"*"$scene." ]] ||
    { echo "run_test: the first line does not say in one sentence what happens and where: $first" >&2; exit 1; }
[ -s "$scene" ] || { echo "run_test: no scene saved at $scene" >&2; exit 1; }
/usr/bin/python3 "$here/scene_test.py" "$scene"

# With a display the program itself comes up, and no scene is written.
rm -f "$scene"
"$scripts/private-display.sh" -- /usr/bin/python3 "$here/run_with_display_test.py" "$scripts/run.sh" "$program" "$scene"
[ ! -e "$scene" ] || { echo "run_test: with a display, run.sh wrote $scene" >&2; exit 1; }
