#!/usr/bin/env bash
# The single-instance guard under stress, on the real program under a
# virtual X server: round after round, two copies are released at the same
# moment, and each round must end with exactly one window, the other copy
# having ended cleanly. Some rounds end with the survivor killed (SIGKILL),
# leaving its socket behind; some kill both copies in the middle of their
# start-up, leaving the start-up lock and half-made sockets. The next round
# must not be blocked or misled by any of it.
# Usage (under scripts/with-xvfb.sh): instance_stress.sh HUVENOR XCLOSE [ROUNDS]
set -euo pipefail
huvenor=$1 xclose=$2 rounds=${3:-50}

work=$(mktemp -d)
pids=()
trap 'kill -9 "${pids[@]}" 2>/dev/null || true; rm -rf "$work"' EXIT
mkdir -m 700 "$work/home" "$work/runtime"
cp "$huvenor" "$work/huvenor"
export HOME=$work/home XDG_RUNTIME_DIR=$work/runtime XDG_CONFIG_HOME=$work/home/.config

fail() {
  echo "FAIL (round $round): $*" >&2
  tail -n +1 "$work/stderr.$round".* >&2 2>/dev/null || true
  ls -la "$work/runtime/huvenor" >&2 2>/dev/null || true
  exit 1
}

windows() { xdotool search --all --onlyvisible "$@" --name "^Orlan's Huvenor$" 2>/dev/null || true; }

# Both copies wait on one pipe and are released by one write.
mkfifo "$work/gate"
exec 7<>"$work/gate"

for round in $(seq "$rounds"); do
  pids=()
  for copy in 1 2; do
    (
      read -r _ <"$work/gate"
      exec "$work/huvenor" 2>"$work/stderr.$round.$copy"
    ) &
    pids+=($!)
  done
  printf '\n\n' >&7

  if ((round % 10 == 5)); then
    # Killed while starting: somewhere between the lock and the window.
    sleep "0.0$((RANDOM % 10))"
    kill -9 "${pids[@]}" 2>/dev/null || true
    wait "${pids[@]}" 2>/dev/null || true
    continue
  fi

  # Long enough for a sanitized build on a busy machine; only reached when
  # the round fails.
  for _ in $(seq 600); do
    survivors=() shown=$(windows | wc -l)
    for pid in "${pids[@]}"; do kill -0 "$pid" 2>/dev/null && survivors+=("$pid"); done
    ((shown >= 2)) && fail "$shown windows are shown"
    ((${#survivors[@]} == 0)) && fail "both copies ended"
    ((${#survivors[@]} == 1 && shown == 1)) && break
    sleep 0.05
  done
  ((${#survivors[@]} == 1 && shown == 1)) || fail "$shown windows, ${#survivors[@]} copies running"
  survivor=${survivors[0]} other=${pids[0]}
  [[ $other == "$survivor" ]] && other=${pids[1]}
  wait "$other" || fail "the second copy ended with status $?"
  window=$(windows --pid "$survivor" | head -n 1)
  [[ -n $window ]] || fail "the window shown is not the surviving copy's"

  if ((round % 10 == 0)); then
    kill -9 "$survivor"
    wait "$survivor" 2>/dev/null || true
  else
    "$xclose" "$window"
    wait "$survivor" || fail "the surviving copy ended with status $?"
  fi
done
echo "PASS: $rounds rounds, one window each"
