#!/usr/bin/env bash
# Runs one fuzz target for a bounded time from its seeds and reports how many
# inputs it executed, also in WORK/summary. Usage:
#   run_fuzz.sh TARGET WORK SEEDS SECONDS MAX_LEN
# New inputs go to WORK/corpus; a crash leaves its input in WORK as crash-*,
# which `TARGET WORK/crash-...` replays.
set -euo pipefail
target=$1 work=$2 seeds=$3 seconds=$4 max_len=$5

mkdir -p "$work/corpus"
rm -f "$work/summary"
log=$work/last.log
status=0
"$target" -max_total_time="$seconds" -max_len="$max_len" -timeout=10 -rss_limit_mb=4096 -len_control=0 \
  -print_final_stats=1 -artifact_prefix="$work/" "$work/corpus" "$seeds" >"$log" 2>&1 || status=$?
if [[ $status -ne 0 ]]; then
  tail -n 60 "$log"
  echo "FAIL: $(basename "$target") found a failing input (exit $status); see $work"
  exit 1
fi
runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
echo "PASS: $(basename "$target"): $runs executions in $seconds s ($speed per second)" |
  tee "$work/summary"
