#!/usr/bin/env bash
# Builds what the benchmarks need and runs them: start-up time and memory
# against the floor on a virtual X server (bench/startup.sh), its cost in
# instructions there (bench/startup_profile.sh), and on headless mutter as
# Wayland compositor (bench/startup_wayland.sh), then the event
# paths of the real window on the offscreen platform (build/bench/bench_events),
# then undo and redo of each kind of step (build/bench/bench_undo), then
# picking from the screen on a virtual X server (build/bench/bench_picker),
# then reading and writing CSS colour texts (build/bench/bench_css). Where
# the static Qt for Windows has been built (scripts/build-qt-windows.sh),
# also huvenor.exe's start-up under Wine (bench/startup_wine.sh).
#
# Usage: scripts/bench.sh [RUNS]
#   RUNS: starts of each program in the start-up benchmark, default 20.
# Figures are medians; run it on a quiet machine (the load average is shown).
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-20}

scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default --target huvenor bench_floor bench_mapwatch bench_events bench_undo \
  bench_css bench_picker

echo "$(date -u '+%Y-%m-%d %H:%M UTC'), $(nproc) CPUs:" \
  "$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n 1)"
echo
bench/startup.sh "$runs"
echo
bench/startup_profile.sh 20
echo
bench/startup_wayland.sh "$runs"
echo
if [[ -e ${XDG_CACHE_HOME:-$HOME/.cache}/huvenor/qt-windows ]]; then
  cmake --preset windows >/dev/null
  cmake --build --preset windows --target huvenor bench_floor
  bench/startup_wine.sh "$runs"
  echo
fi

results=$(mktemp)
runtime=$(mktemp -d)
trap 'rm -rf "$results" "$results.undo" "$results.x11" "$results.css" "$runtime"' EXIT
XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$runtime} QT_QPA_PLATFORM=offscreen \
  build/bench/bench_events --benchmark_repetitions=5 \
  --benchmark_display_aggregates_only=true \
  --benchmark_out="$results" --benchmark_out_format=csv
XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$runtime} QT_QPA_PLATFORM=offscreen \
  build/bench/bench_undo --benchmark_repetitions=5 \
  --benchmark_display_aggregates_only=true \
  --benchmark_out="$results.undo" --benchmark_out_format=csv
tail -n +2 "$results.undo" | grep -v '^name,' >>"$results"
# Picking from the screen goes through an X server: a virtual one of its own.
XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$runtime} scripts/with-xvfb.sh env QT_QPA_PLATFORM=xcb \
  build/bench/bench_picker --benchmark_repetitions=5 \
  --benchmark_display_aggregates_only=true \
  --benchmark_out="$results.x11" --benchmark_out_format=csv
tail -n +2 "$results.x11" | grep -v '^name,' >>"$results"
# The colour texts web authors paste and copy: the colour core alone.
build/bench/bench_css --benchmark_repetitions=5 --benchmark_display_aggregates_only=true \
  --benchmark_out="$results.css" --benchmark_out_format=csv
tail -n +2 "$results.css" | grep -v '^name,' >>"$results"

# The medians against their targets, in microseconds.
echo
awk -F, '
  BEGIN {
    target["SliderChange"] = 20; target["TypedDigit"] = 20; target["SwatchRecall"] = 60
    target["PaletteSave"] = 1000; target["PaletteLoad"] = 100
    target["MakeReadable"] = 1000; target["PaletteExport"] = 5000
    target["MakeAllReadable"] = 1000; target["CheckPaletteOpen"] = 30000
    target["PickedColour/0"] = 100; target["LoupeMove"] = 4000
    target["ReadLongest"] = 2; target["ReadMappedOklch"] = 20
    target["WriteHsl/0"] = 5; target["WriteHsl/1"] = 5
    target["WriteOklch/0"] = 5; target["WriteOklch/1"] = 5
    printf "%-22s %14s %12s\n", "event path", "median, us", "target, us"
  }
  $1 ~ /_median"$/ {
    name = $1; gsub(/"/, "", name); sub(/_median$/, "", name); sub(/\/manual_time$/, "", name)
    # Undo and redo of every kind of step alike.
    if (name ~ /^(Undo|Redo)\//) target[name] = 100
    scale = $5 == "ns" ? 0.001 : $5 == "ms" ? 1000 : $5 == "s" ? 1e6 : 1
    median = $3 * scale
    verdict = !(name in target) ? "" : median <= target[name] ? "met" : "MISSED"
    printf "%-22s %14.1f %12s  %s\n", name, median, name in target ? "<= " target[name] : "-", verdict
  }
  $9 == "true" { failed = 1; print "FAILED: " $1 " " $10 }
  END { exit failed }' "$results"
