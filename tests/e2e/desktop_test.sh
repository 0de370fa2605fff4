#!/usr/bin/env bash
# A second start under a real window manager, which refuses the focus to a
# window that merely asks for it: mutter, run headless, as X11 window manager
# (on scripts/with-xvfb.sh) or as Wayland compositor, on a session bus of its
# own (dbus-run-session). The first copy runs; a launcher's window (xlaunch,
# wllaunch) has the focus and the user types into it. Then:
#   from a terminal, with neither token nor id: the second copy ends with
#   status 0 and writes nothing, and the first copy does not take the focus
#   (on X11 it asks for attention instead);
#   from the launcher, which hands the second copy a startup id (X11) or an
#   activation token (Wayland) for a key press in its window: the first copy's
#   window takes the keyboard focus (on X11 it is the active window and the
#   launcher's start is completed). The next key typed reaches it, and the
#   window manager's Alt+F4 (X11: a close request) closes it.
# The palette file tells how many of the keys typed reached the first copy.
# Usage: desktop_test.sh HUVENOR XLAUNCH WLLAUNCH XCLOSE x11|wayland
set -euo pipefail
huvenor=$1 xlaunch=$2 wllaunch=$3 xclose=$4 platform=$5

work=$(mktemp -d)
trap 'exec 3>&-; kill $(jobs -p) 2>/dev/null || true; wait; rm -rf "$work"' EXIT
mkdir -m 700 "$work/home" "$work/runtime"
cp "$huvenor" "$work/huvenor"
export HOME=$work/home XDG_RUNTIME_DIR=$work/runtime XDG_CONFIG_HOME=$work/home/.config
unset QT_QPA_PLATFORM WAYLAND_DISPLAY XDG_SESSION_TYPE XDG_ACTIVATION_TOKEN DESKTOP_STARTUP_ID

fail() {
  echo "FAIL ($platform): $*" >&2
  for log in "$work"/*.log; do
    [[ -s $log ]] && tail -n 30 "$log" | sed "s|^|  $(basename "$log" .log): |" >&2
  done
  exit 1
}

# Polls for up to 10 s until COMMAND succeeds.
until_true() {
  local what=$1
  shift
  for _ in $(seq 200); do "$@" && return 0; sleep 0.05; done
  fail "$what"
}

said() { grep -q "^$1\$" "$work/launcher.out"; }
alive() { [[ -r /proc/$1/stat && $(cut -d ' ' -f 3 "/proc/$1/stat") != Z ]]; }

second_copy() {
  env "$@" "$work/huvenor" 2>>"$work/second.log" || fail "a second copy ended with status $?"
  [[ ! -e $work/kelvane.cfg ]] || fail "a second copy wrote the palette"
}

mkfifo "$work/launcher.in"
case $platform in
  x11)
    export QT_QPA_PLATFORM=xcb
    # The X server tells every program the time of a key press that comes
    # from another keyboard than the last one; one key now, so that, as with
    # one real keyboard, only the launcher learns when the user typed.
    xdotool key shift
    mutter --x11 --replace --sm-disable >"$work/mutter.log" 2>&1 &
    until_true "no window manager" bash -c 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"'
    "$work/huvenor" 2>"$work/first.log" &
    first=$!
    until_true "no window appeared" eval 'window=$(xdotool search --onlyvisible --pid $first | head -n 1)'
    "$xlaunch" <"$work/launcher.in" >"$work/launcher.out" 2>"$work/launcher.log" &
    type() { xdotool key "$1"; }
    startup_env() {
      xdotool key shift
      until_true "the launcher announced no start" said "id .*"
      echo "DESKTOP_STARTUP_ID=$(sed -n 's/^id //p' "$work/launcher.out" | tail -n 1)"
    }
    active() { [[ $(xdotool getactivewindow) == "$window" && $(xdotool getwindowfocus) == "$window" ]]; }
    close() { "$xclose" "$window"; }
    ;;
  wayland)
    unset DISPLAY XAUTHORITY
    mutter --headless --wayland --no-x11 --virtual-monitor 1280x800 --wayland-display wayland-test \
      >"$work/mutter.log" 2>&1 &
    until_true "no compositor" test -S "$XDG_RUNTIME_DIR/wayland-test"
    # As a GNOME session tells its programs; Qt picks its platform from it.
    export WAYLAND_DISPLAY=wayland-test XDG_SESSION_TYPE=wayland XDG_CURRENT_DESKTOP=GNOME
    # A Wayland client cannot see another's window; the first copy's own
    # protocol log shows when it commits its first frame.
    WAYLAND_DEBUG=client "$work/huvenor" 2>"$work/first.log" &
    first=$!
    until_true "no window appeared" grep -q ' -> wl_surface@[0-9]*\.attach(wl_buffer@' "$work/first.log"
    "$wllaunch" <"$work/launcher.in" >"$work/launcher.out" 2>"$work/launcher.log" &
    type() { case $1 in Up) echo 103 ;; alt+F4) echo 56 62 ;; esac >&3; }
    startup_env() {
      echo token >&3
      until_true "the compositor gave no token" said "token .*"
      echo "XDG_ACTIVATION_TOKEN=$(sed -n 's/^token //p' "$work/launcher.out")"
    }
    # The launcher's window lost the keyboard focus, and the first copy's got
    # it: Qt takes a window for active only once the compositor has answered
    # a sync sent after the keyboard entered the window, and drops keys that
    # come sooner (no one types that fast). The keys typed next tell whether
    # the focus went to the first copy's window.
    active() {
      said unfocused && awk '
        !/ -> / && / wl_keyboard@[0-9]+\.enter\(/ { entered = 1; sync = ""; found = 0 }
        !/ -> / && / wl_keyboard@[0-9]+\.leave\(/ { entered = 0; found = 0 }
        entered && sync == "" && / -> wl_display@1\.sync\(/ {
          match($0, /wl_callback@[0-9]+/)
          sync = substr($0, RSTART, RLENGTH) ".done("
        }
        sync != "" && !/ -> / && index($0, sync) { found = 1 }
        END { exit !found }' "$work/first.log"
    }
    # The compositor's close would overtake a key still in the first copy's
    # queue; the copy has handled the key once it has drawn since the press.
    close() {
      until_true "the first copy did not draw after the key" awk '
        !/ -> / && / wl_keyboard@[0-9]+\.key\([0-9]+, [0-9]+, [0-9]+, 1\)/ { pressed = 1; drawn = 0 }
        pressed && / -> wl_surface@[0-9]+\.commit\(/ { drawn = 1 }
        END { exit !drawn }' "$work/first.log"
      type alt+F4
    }
    ;;
  *) fail "unknown platform" ;;
esac
exec 3>"$work/launcher.in"
until_true "the launcher's window did not get the focus" said focused
alive "$first" || fail "the first copy ended"

type Up
second_copy
if [[ $platform == x11 ]]; then
  until_true "the first copy did not ask for attention" \
    bash -c "xprop -id $window _NET_WM_STATE | grep -q _NET_WM_STATE_DEMANDS_ATTENTION"
else
  sleep 0.5  # the refusal shows only as nothing happening
fi
! active || fail "a start from a terminal took the focus"

second_copy "$(startup_env)"
until_true "the first copy's window did not take the focus" active
[[ $platform == wayland ]] || until_true "the launcher's start was not completed" said "removed $window"
type Up
close
until_true "the first copy did not close" eval '! alive $first'
wait "$first" || fail "the first copy ended with status $?"
! said closed || fail "the launcher's window was closed instead"
record=$(od -An -tx1 -v -j 192 -N 8 "$work/kelvane.cfg" | tr -d ' \n')
[[ $record == 0800008006000000 ]] ||
  fail "the preview is $record: expected only the key typed after the launcher's start to reach the first copy (0800008006000000)"
echo "PASS: $platform"
