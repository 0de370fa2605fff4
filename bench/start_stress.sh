#!/usr/bin/env bash
# The single-instance guard under load and odd timing, on the real program
# under a virtual X server: ROUNDS rounds (default 50) of two copies started
# at once, of ten at once, and of a second start while the first copy is
# stopped in its start-up (start_stress_rounds.sh, which fails a
# round with other than one window or with a start that waited past the
# guard's timeouts). Prints each kind's waits, from a copy's release to its
# end or to its window: median, 90th percentile and longest, in ms.
#
# Usage: bench/start_stress.sh [ROUNDS]   (BUILD_DIR defaults to build/; MODES,
# some of "pair ten sigstop", runs only those)
set -euo pipefail
rounds=${1:-50}
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}

out=$(mktemp)
trap 'rm -f "$out"' EXIT
status=0
echo "Start stress, $rounds rounds each, $(nproc) CPUs, load average $(cut -d ' ' -f 1-3 /proc/loadavg)"
for mode in ${MODES:-pair ten sigstop}; do
  started=$SECONDS
  if ! "$root/scripts/with-xvfb.sh" "$root/bench/start_stress_rounds.sh" \
    "$build/huvenor" "$build/tools/xclose" "$rounds" "$mode" >"$out" 2>&1; then
    cat "$out"
    status=1
    continue
  fi
  sed -n "s/^waits $mode: //p" "$out" | tr ' ' '\n' | sort -n | awk -v mode="$mode" \
    -v took=$((SECONDS - started)) '
    { wait[NR] = $1 }
    END {
      printf "%-8s %4d starts: median %6d ms, 90th percentile %6d ms, longest %6d ms (%d s in all)\n",
        mode, NR, wait[int((NR + 1) / 2)], wait[int(NR * 0.9 + 0.999)], wait[NR], took
    }'
  tail -n 1 "$out"
done
exit "$status"
