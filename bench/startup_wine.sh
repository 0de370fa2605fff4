#!/usr/bin/env bash
# Start-up time and peak memory of huvenor.exe against the floor built by the
# same toolchain against the same static Qt (bench_floor.exe), both under
# Wine on one virtual X server: from exec to the MapNotify of the program's
# window (mapwatch, which Wine's windows answer as any X client's do), and
# VmHWM at that moment. Wine's own start is in both figures; its server is
# kept running between starts, as on a desktop where Wine has run before.
#
# Usage: bench/startup_wine.sh [RUNS]   (RUNS default 20; needs build/ and build-windows/)
set -euo pipefail
runs=${1:-20}
root=$(cd "$(dirname "$0")/.." && pwd)

work=$(mktemp -d "${TMPDIR:-/tmp}/huvenor-startup-wine.XXXXXX")
xvfb=""
cleanup() {
  WINEPREFIX=$work/prefix wineserver -k 2>/dev/null || true
  [[ -n $xvfb ]] && kill "$xvfb" 2>/dev/null && wait "$xvfb" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

mkdir "$work/huvenor" "$work/floor"
cp "$root/build-windows/huvenor.exe" "$work/huvenor/huvenor.exe"
cp "$root/build-windows/bench/bench_floor.exe" "$work/floor/floor.exe"
cp "$root/build/bench/bench_mapwatch" "$work/mapwatch"
head -c 200 /dev/zero | tr '\0' '\100' >"$work/huvenor/kelvane.cfg"

source "$(dirname "$0")/xvfb.sh"
start_xvfb

export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" DISPLAY=:$display
unset QT_QPA_PLATFORM WAYLAND_DISPLAY
wineboot --init >/dev/null 2>&1
wineserver -w
wineserver -p

# Prints "milliseconds VmHWM-KiB VmRSS-KiB" for one start of PROGRAM.EXE.
measure() {
  (cd "$(dirname "$1")" && "$work/mapwatch" --timeout 60 /usr/bin/wine "$1") \
    2>>"$work/programs.log" || {
    echo "$(basename "$1") could not be measured:" >&2
    cat "$work/programs.log" >&2
    exit 1
  }
  # The next start finds no copy of the program still going.
  sleep 0.3
}

echo "Start-up under Wine: $runs runs each of huvenor.exe and the floor, interleaved"
echo "$(wine --version); load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
measure "$work/huvenor/huvenor.exe" >/dev/null
measure "$work/floor/floor.exe" >/dev/null
for _ in $(seq "$runs"); do
  measure "$work/huvenor/huvenor.exe" >>"$work/huvenor.txt"
  measure "$work/floor/floor.exe" >>"$work/floor.txt"
done
echo "Load average after:  $(cut -d' ' -f1-3 /proc/loadavg)"

source "$(dirname "$0")/startup_summary.sh"
startup_summary "exec to map, ms" "VmHWM at map, MiB"
