#!/usr/bin/env bash
# make run with no display reachable paints the scene on a private one and
# says in one sentence what happened and where:
#   run_test.sh PROGRAM WORK-DIRECTORY
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
program="$(realpath "$1")"
work="$2"
rm -rf "$work"
mkdir -p "$work"
scene="$work/scene.png"

# The program alone, with nowhere to run, says so in one sentence.
status=0
alone="$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$program" 2>&1)" || status=$?
[ "$status" -eq 1 ] && [ "$(wc -l <<<"$alone")" -eq 1 ] && [[ "$alone" == "tuxing: no display"* ]] ||
    { echo "run_test: with no display the program ended with $status, saying: $alone" >&2; exit 1; }

output="$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$here/../../scripts/run.sh" "$program" "$scene")"
echo "$output"
first="$(head -n 1 <<<"$output")"
[[ "$first" == "No display is reachable"*"$scene." ]] ||
    { echo "run_test: the first line does not say in one sentence what happens and where: $first" >&2; exit 1; }
[ "$(file -b --mime-type "$scene")" = image/png ] || { echo "run_test: no scene saved at $scene" >&2; exit 1; }
