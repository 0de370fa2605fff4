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

source "$(dirname "$0")/fresh_start.sh"
copy_programs
cp "$build/bench/bench_mapwatch" "$work/mapwatch"

source "$(dirname "$0")/xvfb.sh"
start_xvfb

# Prints "milliseconds VmHWM-KiB VmRSS-KiB" for one start of PROGRAM.
measure() {
  new_user
  "${fresh_env[@]}" "$work/mapwatch" "$1" 2>>"$work/programs.log" || {
    echo "$(basename "$1") could not be measured:" >&2
    cat "$work/programs.log" >&2
    exit 1
  }
  rm -rf "${fresh_dirs[@]}"
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
startup_summary "exec to map, ms" "VmHWM at map, MiB" 1.05 2.00
