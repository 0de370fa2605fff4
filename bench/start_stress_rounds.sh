#!/usr/bin/env bash
# The single-instance guard under stress, on the real program under a
# virtual X server. Each round must end with exactly one window, every other
# copy having ended cleanly, and no start may wait longer than the guard's
# own timeouts allow: the start-up lock's 10 s, one unanswered question's
# 2 s, and what a start takes on a busy machine (LIMIT_MS in all).
#   MODE pair:    two copies released at the same moment. Some rounds end
#                 with the survivor killed (SIGKILL), leaving its socket
#                 behind; some kill both copies in the middle of their
#                 start-up, leaving the start-up lock and half-made sockets.
#                 The next round must not be blocked or misled by any of it.
#   MODE ten:     ten copies released at the same moment, the same rounds.
#   MODE sigstop: a first copy is stopped (SIGSTOP) in its start-up, holding
#                 the start-up lock, its window mapped or not; a second copy
#                 started then shows its window once the lock's timeout has
#                 passed. The stopped copy's window, if any, is not counted,
#                 and the copy is killed at the round's end, as a user ends a
#                 hung program.
# Prints each start's wait, from its release to its end or to its window,
# as "waits MODE: <ms> ..." for bench/start_stress.sh.
# Usage (under scripts/with-xvfb.sh): start_stress_rounds.sh HUVENOR XCLOSE [ROUNDS [MODE]]
set -euo pipefail
huvenor=$1 xclose=$2 rounds=${3:-50} mode=${4:-pair}
limit_ms=${LIMIT_MS:-15000}
case $mode in
  pair) copies=2 ;;
  ten) copies=10 ;;
  sigstop) copies=1 ;;
  *) echo "unknown mode $mode" >&2 && exit 2 ;;
esac

work=$(mktemp -d)
pids=()
trap 'kill -9 "${pids[@]}" 2>/dev/null || true; rm -rf "$work"' EXIT
mkdir -m 700 "$work/home" "$work/runtime"
cp "$huvenor" "$work/huvenor"
export HOME=$work/home XDG_RUNTIME_DIR=$work/runtime XDG_CONFIG_HOME=$work/home/.config
lock=$work/runtime/huvenor/startup.lock

fail() {
  echo "FAIL ($mode, round $round): $*" >&2
  tail -n +1 "$work/stderr.$round".* >&2 2>/dev/null || true
  ls -la "$work/runtime/huvenor" >&2 2>/dev/null || true
  exit 1
}

windows() { xdotool search --all --onlyvisible "$@" --name "^Orlan's Huvenor$" 2>/dev/null || true; }
now_ms() { date +%s%3N; }
waits=()

# Whether process $1 holds the start-up lock (an flock on the lock file).
holds_lock() {
  [[ -e $lock ]] || return 1
  local inode
  inode=$(stat -c %i "$lock")
  grep -q " FLOCK .* WRITE $1 [0-9a-f]*:[0-9a-f]*:$inode " /proc/locks
}

# Copies wait on one pipe and are released by one write.
mkfifo "$work/gate"
exec 7<>"$work/gate"

# Starts $1 copies held at the gate, adding them to $pids.
hold_copies() {
  for copy in $(seq "$1"); do
    (
      read -r _ <"$work/gate"
      exec "$work/huvenor" 2>"$work/stderr.$round.$copy.${#pids[@]}"
    ) &
    pids+=($!)
  done
}
release() {
  printf '\n%.0s' $(seq "$1") >&7
  released=$(now_ms)
}

# Stops a first copy in its start-up; false when it got past it first. The
# copy is stopped before each look, in steps of a few milliseconds of its
# own, so a lock it holds only briefly is still seen, and where in its
# start-up it is caught varies from round to round.
stop_in_startup() {
  local first=$1
  for _ in $(seq 2000); do
    kill -0 "$first" 2>/dev/null || fail "the first copy ended"
    kill -STOP "$first"
    holds_lock "$first" && return 0
    # It takes the lock before it listens: listening without the lock, it is
    # past its start-up already.
    if [[ -S $work/runtime/huvenor/copy-$first ]]; then
      kill -CONT "$first"
      return 1
    fi
    kill -CONT "$first"
    sleep "0.00$((RANDOM % 5))"
  done
  fail "the first copy neither took the start-up lock nor got past it"
}

for round in $(seq "$rounds"); do
  pids=()
  stopped=""
  if [[ $mode == sigstop ]]; then
    # A try whose first copy got past its start-up before it was stopped is
    # ended and made again.
    for _ in $(seq 20); do
      hold_copies 1
      release 1
      stop_in_startup "${pids[0]}" && break
      kill -9 "${pids[0]}"
      wait "${pids[0]}" 2>/dev/null || true
      pids=()
    done
    ((${#pids[@]} == 1)) || fail "no first copy could be stopped in its start-up"
    stopped=${pids[0]}
    pids=()
  fi
  hold_copies "$copies"
  release "$copies"

  if [[ $mode != sigstop ]] && ((round % 10 == 5)); then
    # Killed while starting: somewhere between the lock and the window.
    sleep "0.0$((RANDOM % 10))"
    kill -9 "${pids[@]}" 2>/dev/null || true
    wait "${pids[@]}" 2>/dev/null || true
    continue
  fi

  # Each copy's wait ends when it ends or when its window is shown.
  declare -A ended=()
  survivors=() shown=0
  while (($(now_ms) - released < 60000)); do
    survivors=() shown=$(windows | wc -l)
    [[ -n $stopped ]] && shown=$((shown - $(windows --pid "$stopped" | wc -l)))
    for pid in "${pids[@]}"; do
      if kill -0 "$pid" 2>/dev/null; then
        survivors+=("$pid")
      elif [[ -z ${ended[$pid]:-} ]]; then
        ended[$pid]=$(now_ms)
      fi
    done
    ((shown >= 2)) && fail "$shown windows are shown"
    ((${#survivors[@]} == 0)) && fail "every copy ended"
    ((${#survivors[@]} == 1 && shown == 1)) && break
    sleep 0.05
  done
  shown_at=$(now_ms)
  ((${#survivors[@]} == 1 && shown == 1)) || fail "$shown windows, ${#survivors[@]} copies running"
  survivor=${survivors[0]}
  window=$(windows --pid "$survivor" | head -n 1)
  [[ -n $window ]] || fail "the window shown is not the surviving copy's"
  for pid in "${pids[@]}"; do
    [[ $pid == "$survivor" ]] && continue
    wait "$pid" || fail "a copy that found another ended with status $?"
    waits+=($((ended[$pid] - released)))
  done
  waits+=($((shown_at - released)))
  unset ended
  for wait_ms in "${waits[@]: -$copies}"; do
    ((wait_ms <= limit_ms)) || fail "a start waited $wait_ms ms (limit $limit_ms ms)"
  done

  if [[ -n $stopped ]]; then
    kill -9 "$stopped"
    wait "$stopped" 2>/dev/null || true
  fi
  if [[ $mode != sigstop ]] && ((round % 10 == 0)); then
    kill -9 "$survivor"
    wait "$survivor" 2>/dev/null || true
  else
    "$xclose" "$window"
    wait "$survivor" || fail "the surviving copy ended with status $?"
  fi
done
echo "waits $mode: ${waits[*]}"
echo "PASS: $rounds rounds of $mode, one window each"
