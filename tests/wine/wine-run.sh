#!/usr/bin/env bash
# Runs a Windows program under Wine, in the prefix WINEPREFIX names (made on
# first use), on the display the caller set, and returns its status once
# every Wine process of the prefix has ended, so that nothing of one run is
# left for the next. Runs of one prefix wait for each other.
# A COMMAND that is no .exe is run as it is, with the prefix ready, to start
# Windows programs itself.
# Usage: WINEPREFIX=DIR wine-run.sh PROGRAM.exe|COMMAND [ARGS...]
set -euo pipefail
: "${WINEPREFIX:?set WINEPREFIX}"
# No installer for .NET or HTML support is offered, nothing is logged, and
# the program picks its own Qt platform, whatever the caller's shell names.
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEPREFIX
unset QT_QPA_PLATFORM QT_SCALE_FACTOR WAYLAND_DISPLAY

mkdir -p "$(dirname "$WINEPREFIX")"
exec 9>"$WINEPREFIX.lock"
flock 9
if [[ ! -f $WINEPREFIX/system.reg ]]; then
  wineboot --init >/dev/null 2>&1
  wineserver -w
fi
status=0
if [[ $1 == *.exe ]]; then
  wine "$@" || status=$?
else
  "$@" || status=$?
fi
wineserver -k 2>/dev/null || true
exit "$status"
