#!/usr/bin/env bash
# Start-up time and peak memory of Huvenor against the floor (bench/floor.cpp)
# on Wayland: mutter as a headless compositor on a session bus of its own,
# both programs native Wayland clients. Each run is timed from just before
# the program is started to its first frame, the first commit of a surface
# that has a buffer attached, as the program's own protocol log
# (WAYLAND_DEBUG=client) stamps it; VmHWM is read once that line is seen.
# The log and the shell's start cost both programs alike. As in startup.sh:
# RUNS starts of each, interleaved A B A B after one uncounted start each,
# each with a user of its own and a clean environment.
#
# Usage: bench/startup_wayland.sh [RUNS]   (BUILD_DIR defaults to build/)
set -euo pipefail
if [[ -z ${HUVENOR_BENCH_BUS:-} ]]; then
  HUVENOR_BENCH_BUS=1 exec dbus-run-session -- "$0" "$@"
fi
runs=${1:-20}
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}

work=$(mktemp -d "${TMPDIR:-/tmp}/huvenor-startup.XXXXXX")
compositor=""
cleanup() {
  [[ -n $compositor ]] && kill "$compositor" 2>/dev/null && wait "$compositor" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

mkdir -m 700 "$work/huvenor" "$work/floor" "$work/compositor"
cp "$build/huvenor" "$work/huvenor/huvenor"
cp "$build/bench/bench_floor" "$work/floor/floor"
head -c 200 /dev/zero >"$work/huvenor/kelvane.cfg"

XDG_RUNTIME_DIR=$work/compositor HOME=$work/compositor \
  mutter --headless --wayland --no-x11 --virtual-monitor 1280x800 --wayland-display bench \
  >"$work/mutter.log" 2>&1 &
compositor=$!
for _ in $(seq 200); do
  [[ -S $work/compositor/bench ]] && break
  sleep 0.05
done
[[ -S $work/compositor/bench ]] || { echo "mutter did not start:" >&2; cat "$work/mutter.log" >&2; exit 1; }

# Prints "milliseconds VmHWM-KiB" for one start of PROGRAM.
measure() {
  local user log start pid frame=""
  user=$(mktemp -d "$work/user.XXXXXX")
  log=$user/wayland.log
  mkdir -m 700 "$user/runtime"
  : >"$log"
  start=$(date +%s%6N)
  env -i PATH=/usr/bin:/bin LANG=C.UTF-8 HOME="$user" XDG_CONFIG_HOME="$user" \
    XDG_RUNTIME_DIR="$user/runtime" WAYLAND_DISPLAY="$work/compositor/bench" \
    XDG_SESSION_TYPE=wayland DBUS_SESSION_BUS_ADDRESS="unix:path=$work/no-such-bus" \
    WAYLAND_DEBUG=client "$1" 2>"$log" &
  pid=$!
  for _ in $(seq 400); do
    frame=$(awk '
      / -> wl_surface@[0-9]+\.attach\(wl_buffer@/ { match($0, /wl_surface@[0-9]+/); s[substr($0, RSTART, RLENGTH)] = 1 }
      / -> wl_surface@[0-9]+\.commit\(\)/ {
        match($0, /wl_surface@[0-9]+/)
        if (s[substr($0, RSTART, RLENGTH)]) { gsub(/[][]/, "", $1); print $1; exit }
      }' "$log")
    [[ -n $frame ]] && break
    sleep 0.01
  done
  [[ -n $frame ]] || { echo "$(basename "$1") showed no frame:" >&2; tail "$log" >&2; exit 1; }
  local hwm
  hwm=$(awk '/^VmHWM:/ { print $2 }' "/proc/$pid/status")
  kill "$pid"
  wait "$pid" 2>/dev/null || true
  # The log stamps the microseconds since the epoch modulo 2^32, in
  # milliseconds.
  awk -v frame="$frame" -v start="$start" -v hwm="$hwm" 'BEGIN {
    ms = frame - (start % 4294967296) / 1000
    if (ms < 0) ms += 4294967.296
    printf "%.3f %d\n", ms, hwm
  }'
  rm -rf "$user"
}

echo "Start-up on Wayland: $runs runs each of huvenor and the floor, interleaved, on headless mutter"
echo "Load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
measure "$work/huvenor/huvenor" >/dev/null
measure "$work/floor/floor" >/dev/null
for _ in $(seq "$runs"); do
  measure "$work/huvenor/huvenor" >>"$work/huvenor.txt"
  measure "$work/floor/floor" >>"$work/floor.txt"
done
echo "Load average after:  $(cut -d' ' -f1-3 /proc/loadavg)"

source "$(dirname "$0")/startup_summary.sh"
startup_summary "start to first frame, ms" "VmHWM at frame, MiB"
