#!/usr/bin/env bash
# Runs a command on a private X display of its own: a fresh Xvfb with openbox
# managing it, inside a session bus of its own so that assistive technology
# can reach the programs on it. Everything it started goes when the command
# ends, however it ends.
#
#   scripts/private-display.sh [--dpi N] [--screen WIDTHxHEIGHT] -- COMMAND...
#
# COMMAND runs with DISPLAY set and a private session bus.
set -euo pipefail

dpi=96
screen=1280x1024
while [ $# -gt 0 ]; do
    case "$1" in
    --dpi) dpi="$2"; shift 2 ;;
    --screen) screen="$2"; shift 2 ;;
    --) shift; break ;;
    *) echo "private-display: unknown option $1" >&2; exit 2 ;;
    esac
done
[ $# -gt 0 ] || { echo "private-display: no command given" >&2; exit 2; }

# The session bus comes first so that the whole display lives and dies inside
# it; the second pass does the rest. The bus and the services it starts talk
# to a log of their own, the command to our stdout and stderr.
if [ -z "${TUXING_PRIVATE_DISPLAY_DIR:-}" ]; then
    TUXING_PRIVATE_DISPLAY_DIR="$(mktemp -d "${TMPDIR:-/tmp}/tuxing-display.XXXXXX")"
    export TUXING_PRIVATE_DISPLAY_DIR
    status=0
    dbus-run-session -- "$0" --dpi "$dpi" --screen "$screen" -- "$@" \
        4>&2 5>&1 >"$TUXING_PRIVATE_DISPLAY_DIR/bus.log" 2>&1 || status=$?
    rm -rf "$TUXING_PRIVATE_DISPLAY_DIR"
    exit "$status"
fi
exec 1>&5 2>&4 4>&- 5>&-
workdir="$TUXING_PRIVATE_DISPLAY_DIR"
unset TUXING_PRIVATE_DISPLAY_DIR
mkdir -m 700 "$workdir/runtime"
export XDG_RUNTIME_DIR="$workdir/runtime"
xvfb_pid=
wm_pid=
cleanup() {
    [ -n "$wm_pid" ] && kill "$wm_pid" 2>/dev/null || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    [ -n "$wm_pid" ] && wait "$wm_pid" 2>/dev/null || true
    [ -n "$xvfb_pid" ] && wait "$xvfb_pid" 2>/dev/null || true
    rm -rf "$workdir"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# Xvfb picks a free display itself and writes its number once it accepts
# connections, which spares both guessing a number and waiting for a socket.
mkfifo "$workdir/displayfd"
Xvfb -displayfd 3 -screen 0 "${screen}x24" -dpi "$dpi" -nolisten tcp -noreset \
    3>"$workdir/displayfd" 2>"$workdir/xvfb.log" &
xvfb_pid=$!
if ! read -r -t 30 number <"$workdir/displayfd"; then
    echo "private-display: Xvfb did not start:" >&2
    cat "$workdir/xvfb.log" >&2
    exit 1
fi
export DISPLAY=":$number"
unset WAYLAND_DISPLAY QT_QPA_PLATFORM QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS QT_AUTO_SCREEN_SCALE_FACTOR \
    QT_ENABLE_HIGHDPI_SCALING QT_FONT_DPI

# Qt takes the screen's density from the Xft.dpi resource, as desktops set it.
echo "Xft.dpi: $dpi" | xrdb -merge

openbox --sm-disable >"$workdir/openbox.log" 2>&1 &
wm_pid=$!
for _ in $(seq 300); do
    wmctrl -m >/dev/null 2>&1 && break
    kill -0 "$wm_pid" 2>/dev/null || break
    sleep 0.1
done
if ! wmctrl -m >/dev/null 2>&1; then
    echo "private-display: openbox did not start:" >&2
    cat "$workdir/openbox.log" >&2
    exit 1
fi

status=0
"$@" || status=$?
exit "$status"
