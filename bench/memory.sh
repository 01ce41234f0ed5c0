#!/usr/bin/env bash
# The program's peak resident memory on private displays of three sizes: once
# maximized with both pictures painted, and again after a request to stretch
# the window far past the screen. It prints figures and judges nothing.
#
#   bench/memory.sh [PROGRAM]    PROGRAM defaults to build/tuxing
set -euo pipefail
self=$(realpath "$0")
cd "$(dirname "$self")/.."

screens=(1280x1024 3840x2160 7680x4320)

# Figures in MiB from /proc/PID/status: peak resident, and now its anonymous,
# file and shared parts. The toolkit's backing store is shared memory where
# the X server offers it, and shared pages count as resident.
figures()
{
    awk '/^(VmHWM|RssAnon|RssFile|RssShmem):/ { printf " %8.1f", $2 / 1024 }' "/proc/$1/status"
}

# A picture runs on the program's only thread, so once the program has used
# no processor time for a second it has finished whatever it was given.
wait_until_idle()
{
    local before after
    after=$(awk '{ print $14 + $15 }' "/proc/$1/stat")
    while :; do
        sleep 1
        before=$after
        after=$(awk '{ print $14 + $15 }' "/proc/$1/stat")
        [ "$before" != "$after" ] || return 0
    done
}

if [ "${1:-}" = --measure ]; then
    program=$2 screen=$3
    "$program" >/dev/null 2>&1 &
    pid=$!
    trap 'kill $pid 2>/dev/null || true' EXIT
    window=$(timeout 30 xdotool search --sync --onlyvisible --pid "$pid" | head -n 1)
    size() { xdotool getwindowgeometry --shell "$window" | awk -F= '/WIDTH|HEIGHT/ { printf "%s ", $2 }'; }
    start=$(size)
    wmctrl -i -r "$window" -b add,maximized_vert,maximized_horz
    while [ "$(size)" = "$start" ]; do sleep 0.1; done
    wait_until_idle "$pid"
    # The focus starts on 金光大道, and Tab moves it on to 高山流水.
    xdotool windowactivate --sync "$window" key --delay 0 space
    wait_until_idle "$pid"
    xdotool key --delay 0 Tab space
    wait_until_idle "$pid"
    maximized=$(figures "$pid")
    wmctrl -i -r "$window" -b remove,maximized_vert,maximized_horz
    xdotool windowsize "$window" 32767 32767
    wait_until_idle "$pid"
    printf '%-10s %s  |%s  (%s)\n' "$screen" "$maximized" "$(figures "$pid")" "$(size)"
    exit 0
fi

program=$(realpath "${1:-build/tuxing}")
echo "MiB        maximized, both pictures        |  then stretched to 32767x32767   (window)"
echo "screen        peak    anon    file  shared  |     peak    anon    file  shared"
for screen in "${screens[@]}"; do
    scripts/private-desktop.sh --screen "$screen" "$self" --measure "$program" "$screen"
done
