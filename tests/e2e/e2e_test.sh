#!/usr/bin/env bash
# The real program on a virtual X server, driven by real X input.
# Usage (under scripts/with-xvfb.sh): e2e_test.sh HUVENOR XCLOSE CASE
#   CASE session:     slider, typed channel, store and recall, close; the
#                     palette file's bytes
#   CASE second-copy: a second copy leaves one window and exits 0
#   CASE signals:     SIGTERM, SIGHUP and SIGINT each save the swatch just
#                     stored, and the program ends with status 0
#   CASE installed-as-root BIN: the program, built to count a copy in BIN as
#                     installed, run from there as root saves per-user only
# Copies started together, and a copy after a killed one, are the stress
# test's (tests/faults/instance_stress.sh).
# With HUVENOR_SHOTS set to a folder, the session case also saves
# screenshots there.
set -euo pipefail
huvenor=$1 xclose=$2 case=$3

work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT
# Its own copy in its own folder, and a user of its own: nothing of the
# machine's palette or running copies is touched or seen.
mkdir -m 700 "$work/home" "$work/runtime"
cp "$huvenor" "$work/huvenor"
program=$work/huvenor
palette=$work/kelvane.cfg
export HOME=$work/home XDG_RUNTIME_DIR=$work/runtime XDG_CONFIG_HOME=$work/home/.config

fail() {
  echo "FAIL: $*" >&2
  [[ -s $work/stderr ]] && sed 's/^/  program: /' "$work/stderr" >&2
  exit 1
}

# Starts the copy in $work and sets $pid and $window; the window's client
# area is at $wx,$wy.
start() {
  "${program[@]}" 2>"$work/stderr" &
  pid=$!
  window=""
  for _ in $(seq 200); do
    window=$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null | head -n 1 || true)
    [[ -n $window ]] && break
    kill -0 "$pid" 2>/dev/null || fail "the program ended before showing its window"
    sleep 0.05
  done
  [[ -n $window ]] || fail "no window appeared"
  eval "$(xdotool getwindowgeometry --shell "$window")"
  wx=$X wy=$Y
  sleep 0.3  # the first frame
}

# A copy that ended is a zombie until it is waited for, which kill -0 counts.
# Clicks at client-area pixel x,y with button b (1 left, 2 middle, 3 right).
click() { xdotool mousemove $((wx + $1)) $((wy + $2)) click "$3"; }

shot() { [[ -z ${HUVENOR_SHOTS:-} ]] || import -window "$window" "$HUVENOR_SHOTS/$1.png"; }

close_window() {
  "$xclose" "$window"
  wait "$pid" || fail "the program ended with status $?"
}

# Record n (1-based) of the palette file as 16 hex digits.
record() { od -An -tx1 -v -j $((($1 - 1) * 8)) -N 8 "$palette" | tr -d ' \n'; }

expect_record() {
  local got
  got=$(record "$1")
  [[ $got == "$2" ]] || fail "record $1 is $got, expected $2 ($3)"
}

case $case in
  session)
    start
    shot start
    # Red slider (its top arrow at 168,59): three clicks raise 5 to 8.
    for _ in 1 2 3; do click 168 59 1; done
    # Green channel box: select its text, type 40.
    click 192 35 1
    xdotool key --clearmodifiers ctrl+a
    xdotool type --delay 20 40
    # Store the preview into swatch 12 (row 2, column 0) with the right button.
    click 18 192 3
    # Recall swatch 7 (white on red) with the left button.
    click 42 174 1
    shot recall
    xdotool mousemove $((wx + 20)) $((wy + 232)) mousedown 1
    sleep 0.2
    shot version
    xdotool mouseup 1
    close_window
    size=$(stat -c %s "$work/kelvane.cfg")
    [[ $size == 200 ]] || fail "the palette file has $size bytes"
    expect_record 1 "00000000c0c0c000" "swatch 0 at its design colours"
    expect_record 8 "ffffff00ff000000" "swatch 7 untouched"
    expect_record 13 "0800008008400000" "swatch 12: the mixed background under the reference text colour"
    expect_record 25 "ffffff00ff000000" "the preview holds the recalled pair"
    ;;
  second-copy)
    start
    first=$pid first_window=$window
    "$work/huvenor" 2>/dev/null
    status=$?
    [[ $status == 0 ]] || fail "the second copy ended with status $status"
    count=$(xdotool search --onlyvisible --name "Orlan's Huvenor" | wc -l)
    [[ $count == 1 ]] || fail "$count windows are shown"
    [[ ! -e $work/kelvane.cfg ]] || fail "the second copy wrote the palette"
    kill -0 "$first" || fail "the first copy is gone"
    pid=$first window=$first_window
    close_window
    [[ -e $work/kelvane.cfg ]] || fail "the first copy did not save on closing"
    ;;
  signals)
    # A script's background job starts with SIGINT ignored, which the
    # program keeps; a terminal's job does not.
    program=(env --default-signal=INT "$work/huvenor")
    for signal in TERM HUP INT; do
      rm -f "$palette"
      start
      click 18 192 3 # store the preview into swatch 12
      sleep 0.5      # for the click to arrive before the signal
      kill -s "$signal" "$pid"
      wait "$pid" || fail "SIG$signal: the program ended with status $?"
      expect_record 13 "0800008005000000" "SIG$signal: swatch 12 holds the preview's pair"
    done
    ;;
  installed-as-root)
    [[ $(id -u) == 0 ]] || { echo "SKIP: needs root"; exit 77; }
    bin=$4
    trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$work" "$bin"' EXIT
    rm -rf "$bin"
    mkdir -p "$bin"
    cp "$huvenor" "$bin/huvenor"
    program=$bin/huvenor palette=$XDG_CONFIG_HOME/huvenor/kelvane.cfg
    start
    click 18 192 3
    close_window
    expect_record 13 "0800008005000000" "swatch 12 saved per-user"
    [[ $(ls -A "$bin") == huvenor ]] || fail "beside the installed program: $(ls -A "$bin")"
    ;;
  *)
    fail "unknown case $case"
    ;;
esac
echo "PASS: $case"
