#!/usr/bin/env bash
# Runs a command on a desktop of its own: a virtual screen from xvfb-run on a
# free display, openbox managing it, and with --bus a session bus of its own,
# as assistive technology needs. Everything started here ends with the
# command, whose exit status this returns.
#
#   scripts/private-desktop.sh [--screen WIDTHxHEIGHT] [--dpi N] [--bus] COMMAND...
set -euo pipefail

screen=1024x768
dpi=96
bus=
while [ $# -gt 0 ]; do
    case "$1" in
    --screen) screen="$2"; shift 2 ;;
    --dpi) dpi="$2"; shift 2 ;;
    --bus) bus=1; shift ;;
    --inside) shift; break ;;
    *) break ;;
    esac
done
[ $# -gt 0 ] || { echo "private-desktop: no command given" >&2; exit 2; }

if [ -z "${TUXING_DESKTOP_DPI:-}" ]; then
    # Variables that would steer a program away from this display or scale
    # its pixels; the command may set its own again.
    unset WAYLAND_DISPLAY QT_QPA_PLATFORM QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS QT_AUTO_SCREEN_SCALE_FACTOR \
        QT_ENABLE_HIGHDPI_SCALING QT_FONT_DPI SESSION_MANAGER DBUS_SESSION_BUS_ADDRESS
    runtime="$(mktemp -d "${TMPDIR:-/tmp}/tuxing-desktop.XXXXXX")"
    trap 'rm -rf "$runtime"' EXIT
    export XDG_RUNTIME_DIR="$runtime" TUXING_DESKTOP_DPI="$dpi"
    command=(xvfb-run -a -e "$runtime/xvfb.log" -s "-screen 0 ${screen}x24 -dpi $dpi -nolisten tcp -noreset" "$0" --inside "$@")
    [ -z "$bus" ] || command=(dbus-run-session -- "${command[@]}")
    status=0
    "${command[@]}" || status=$?
    exit "$status"
fi

# On the new display, which -noreset keeps as set up here when a client
# leaves. Qt takes the screen's density from Xft.dpi, as desktops set it.
dpi="$TUXING_DESKTOP_DPI"
unset TUXING_DESKTOP_DPI
echo "Xft.dpi: $dpi" | xrdb -merge
# Openbox runs its start-up command once it manages windows; a window mapped
# before then might never be managed.
ready="$XDG_RUNTIME_DIR/openbox-ready"
# Openbox holds back every click on a window until it has focused and raised
# that window, while keys go straight on, so a key sent just after a click can
# overtake it whenever openbox is slow to answer. A window here is activated
# on purpose, never by a click, so this openbox leaves clicks alone and input
# reaches the window in the order it was sent. Nor does it animate a window
# being minimized or restored: while the frame grows back, the window's parts
# come into view one by one, each exposed at a time of openbox's choosing.
config="$XDG_RUNTIME_DIR/openbox-rc.xml"
sed -e '/<context name="Client">/,/<\/context>/d' -e 's|<animateIconify>yes</animateIconify>|<animateIconify>no</animateIconify>|' \
    /etc/xdg/openbox/rc.xml >"$config"
openbox --sm-disable --config-file "$config" --startup "touch $ready" >"$XDG_RUNTIME_DIR/openbox.log" 2>&1 &
openbox=$!
for _ in $(seq 400); do
    [ ! -e "$ready" ] && kill -0 "$openbox" 2>/dev/null || break
    sleep 0.05
done
if [ ! -e "$ready" ]; then
    echo "private-desktop: openbox did not start:" >&2
    cat "$XDG_RUNTIME_DIR/openbox.log" >&2
    exit 1
fi
status=0
"$@" || status=$?
kill "$openbox" 2>/dev/null || true
wait "$openbox" 2>/dev/null || true
exit "$status"
