#!/bin/sh
# Runs a program of the Windows build under wine, quietly and without a display or input:
#   tools/wine-run.sh PREFIX PROGRAM.exe [ARGUMENTS...]
# PREFIX is wine's folder for this build (build-windows/wine); the first call makes it with
# `wineboot -i`. The program's exit status is this script's.
set -eu
mkdir -p "$1"
WINEPREFIX=$(cd "$1" && pwd)
export WINEPREFIX
shift
# No messages of wine itself, no window, no offer to install .NET or the HTML engine.
export WINEDEBUG=-all DISPLAY= WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  wineboot -i >/dev/null 2>&1 </dev/null
  wineserver -w
fi
exec wine "$@"
