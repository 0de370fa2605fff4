#!/usr/bin/env bash
# Runs COMMAND on a virtual X server of its own, with DISPLAY, XAUTHORITY and
# Qt's platform (xcb) set, and ends with COMMAND's status.
# Usage: with-xvfb.sh [--screen WxHxDEPTH] COMMAND [ARGS...]
#
# Why not xvfb-run: its server resets whenever its last client disconnects,
# and a program connecting during the reset is turned away ("could not
# connect to display"). The tests poll for windows with short-lived xdotool
# clients, so on a busy machine a program under test now and then met a
# reset. This server never resets (-noreset). It also picks its own display
# number as it binds it (-displayfd) and is waited for before this script
# ends, so no server still going away holds a number, lock or socket that
# the next run needs.
set -euo pipefail

screen=640x480x24
if [[ ${1:-} == --screen ]]; then
  screen=$2
  shift 2
fi
[[ $# -gt 0 ]] || {
  echo "usage: $0 [--screen WxHxDEPTH] COMMAND [ARGS...]" >&2
  exit 2
}

work=$(mktemp -d)
xvfb=""
cleanup() {
  if [[ -n $xvfb ]]; then
    kill "$xvfb" 2>/dev/null || true
    wait "$xvfb" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 143' TERM
trap 'exit 130' INT

# The server takes every cookie in its file whatever display the entry
# names; the client looks its cookie up by display, added once it is known.
cookie=$(mcookie)
touch "$work/xauthority"
xauth -q -f "$work/xauthority" add :0 . "$cookie"
Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp -noreset -auth "$work/xauthority" \
  3>"$work/display" 2>"$work/xvfb.log" &
xvfb=$!

# The number is written, ending in a newline, once the server accepts
# clients.
for _ in $(seq 200); do
  [[ $(wc -l <"$work/display") -ge 1 ]] && break
  kill -0 "$xvfb" 2>/dev/null || break
  sleep 0.05
done
display=$(head -n 1 "$work/display")
if [[ -z $display ]]; then
  echo "The virtual X server did not start:" >&2
  cat "$work/xvfb.log" >&2
  exit 1
fi
xauth -q -f "$work/xauthority" add ":$display" . "$cookie"

# Whatever platform the caller's shell names (offscreen, wayland), what runs
# here runs on this server.
status=0
env -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb DISPLAY=:$display XAUTHORITY=$work/xauthority "$@" ||
  status=$?
exit "$status"
