#!/usr/bin/env bash
# Makes the Wine prefix that the Windows program's test copies for each run:
#   wine_prefix.sh DIRECTORY
# Wine draws Chinese as boxes until faces that hold it are mapped in its
# registry: the labels' face to the regular-script face Debian has, and the
# default face of the buttons and message boxes linked to a face with every
# GB2312 character, as Chinese editions of Windows link theirs.
set -euo pipefail
prefix="$1"
rm -rf "$prefix"
mkdir -p "$prefix"
# No installers for .NET and the HTML engine, and no menu entries.
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
# It says that a 64-bit Wine has no 32-bit part, which nothing here needs.
wineboot --init 2>"$prefix/wineboot.log" || { cat "$prefix/wineboot.log" >&2; exit 1; }
# regedit reads UTF-16; a list of strings is the hexadecimal bytes of its
# UTF-16, each string and the list ending in a NUL.
link="$(printf 'wqy-zenhei.ttc,WenQuanYi Zen Hei\0\0' | iconv -f UTF-8 -t UTF-16LE | od -An -v -tx1 |
    tr -s ' \n' ',' | sed 's/^,//; s/,$//')"
sed 's/$/\r/' <<EOF_REGISTRY | iconv -f UTF-8 -t UTF-16 >"$prefix/fonts.reg"
Windows Registry Editor Version 5.00

[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes]
"楷体_GB2312"="AR PL KaitiM GB"

[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink]
"Tahoma"=hex(7):$link
EOF_REGISTRY
wine regedit /S "$prefix/fonts.reg"
# The server saves the registry as it ends.
wineserver --kill
wineserver --wait
