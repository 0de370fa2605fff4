#!/usr/bin/env bash
# Starts PROGRAM on the current X display, saves a screenshot of its window
# to OUT once it is shown, and closes it as a window manager's close button
# would. Usage: screenshot.sh PROGRAM OUT
set -euo pipefail
program=$1 out=$2
xclose=$(dirname "$program")/tools/xclose

"$program" &
pid=$!
window=""
for _ in $(seq 100); do
  window=$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null | head -n 1 || true)
  [[ -n $window ]] && break
  sleep 0.1
done
if [[ -z $window ]]; then
  kill "$pid" 2>/dev/null || true
  echo "The window did not appear." >&2
  exit 1
fi
sleep 0.5  # let the first frame be drawn
import -window "$window" "$out"
"$xclose" "$window"
wait "$pid"
