#!/usr/bin/env bash
# Start-up time and peak memory of Huvenor against the floor, a bare Qt
# window of the same size and controls (bench/floor.cpp).
#
# Both programs are started RUNS times each (default 20), interleaved
# A B A B, under one virtual X server. Each run is timed from exec to the
# MapNotify of its window and its VmHWM read at that moment (mapwatch.cpp),
# with a user of its own: fresh HOME, XDG folders and runtime directory (so
# the single-instance guard never sees another run; in memory, as a
# session's is), a clean environment and a session bus address that leads
# nowhere, the same for both programs.
#
# Usage: bench/startup.sh [RUNS]   (BUILD_DIR defaults to build/)
set -euo pipefail
runs=${1:-20}
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}

work=$(mktemp -d "${TMPDIR:-/tmp}/huvenor-startup.XXXXXX")
# A session's runtime directory is in memory (/run/user/UID); the lock file
# the single-instance guard syncs there costs a disk write anywhere else.
runtime=$work
if [[ $(stat -f -c %T /dev/shm 2>/dev/null) == tmpfs && -w /dev/shm ]]; then
  runtime=$(mktemp -d /dev/shm/huvenor-startup.XXXXXX)
fi
xvfb=""
cleanup() {
  [[ -n $xvfb ]] && kill "$xvfb" 2>/dev/null && wait "$xvfb" 2>/dev/null
  rm -rf "$work" "$runtime"
}
trap cleanup EXIT

# Copies of the programs, so that a build running meanwhile cannot replace
# them between runs. Huvenor's folder holds a 200-byte palette file, as a
# user's does after the first close; it is never written, since each run
# ends by a signal, not by closing the window.
mkdir "$work/huvenor" "$work/floor"
cp "$build/huvenor" "$work/huvenor/huvenor"
cp "$build/bench/bench_floor" "$work/floor/floor"
cp "$build/bench/bench_mapwatch" "$work/mapwatch"
for word in $(seq 0 49); do
  value=$(((word * 0x051B3D + 0x203040) & 0xFFFFFF))
  printf "\\x$(printf %02x $((value & 255)))\\x$(printf %02x $((value >> 8 & 255)))"
  printf "\\x$(printf %02x $((value >> 16)))\\x00"
done >"$work/huvenor/kelvane.cfg"

source "$(dirname "$0")/xvfb.sh"
start_xvfb

# Prints "milliseconds VmHWM-KiB VmRSS-KiB" for one start of PROGRAM.
measure() {
  local user session
  user=$(mktemp -d "$work/user.XXXXXX")
  session=$(mktemp -d "$runtime/session.XXXXXX")
  mkdir -p "$user/config" "$user/data" "$user/cache" "$user/state"
  env -i PATH=/usr/bin:/bin LANG=C.UTF-8 DISPLAY=":$display" HOME="$user" \
    XDG_CONFIG_HOME="$user/config" XDG_DATA_HOME="$user/data" XDG_CACHE_HOME="$user/cache" \
    XDG_STATE_HOME="$user/state" XDG_RUNTIME_DIR="$session" \
    DBUS_SESSION_BUS_ADDRESS="unix:path=$work/no-such-bus" \
    "$work/mapwatch" "$1" 2>>"$work/programs.log" || {
    echo "$(basename "$1") could not be measured:" >&2
    cat "$work/programs.log" >&2
    exit 1
  }
  rm -rf "$user" "$session"
}

echo "Start-up: $runs runs each of huvenor and the floor, interleaved, on Xvfb :$display"
echo "Load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
# One start of each first, not counted: it loads the libraries into the cache.
measure "$work/huvenor/huvenor" >/dev/null
measure "$work/floor/floor" >/dev/null
for _ in $(seq "$runs"); do
  measure "$work/huvenor/huvenor" >>"$work/huvenor.txt"
  measure "$work/floor/floor" >>"$work/floor.txt"
done
echo "Load average after:  $(cut -d' ' -f1-3 /proc/loadavg)"
if [[ -s $work/programs.log ]]; then
  echo "The programs wrote to their error output:"
  sort "$work/programs.log" | uniq -c | sed 's/^/  /'
fi

source "$(dirname "$0")/startup_summary.sh"
startup_summary "exec to map, ms" "VmHWM at map, MiB"
