#!/usr/bin/env bash
# Runs the Windows program's click benchmark under Wine, in a prefix of its
# own that it makes the first time:
#   bench/win_bench.sh WINDOWS-BUILD-DIRECTORY
set -euo pipefail
build="$(realpath "$1")"
export WINEPREFIX="$build/bench/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
[ -d "$WINEPREFIX" ] || wineboot --init
wine "$build/bench/tuxing_win_bench.exe"
wineserver --wait
