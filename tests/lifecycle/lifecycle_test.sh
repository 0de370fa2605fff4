#!/usr/bin/env bash
# How a run of the real program ends, besides the user's close (which
# bench/linger.sh stresses).
# Usage: lifecycle_test.sh HUVENOR XCLOSE TOOL CASE
#   CASE session-end, TOOL our XSMP session manager (tools/xsmp), on a
#     virtual X server of the test's own: each request to save for the
#     session's end saves the palette, the preview's pair included; a
#     cancelled logout leaves the program running, taking input again; a
#     second copy started while the session ends does not come up; the
#     session's end (die) closes the window, saves, and ends the program
#     with status 0.
#   CASE display-lost, TOOL the Wayland launcher (tools/wllaunch): a store
#     into a swatch survives what the user did not do. Rows:
#     x11-killed:     the X server is killed as soon as a pair stored by a
#                     right click shows (Qt then ends the program through
#                     exit(1));
#     killed:         the program itself is killed (SIGKILL) 1 s after;
#     wayland-killed: mutter, the Wayland compositor, is killed 1 s after a
#                     store typed on the keyboard (Qt then ends the program
#                     at once, through _exit(1)).
#     In each the program ends and the palette file holds the stored pair.
# Ends 77, saying why, when the X server, mutter or the session bus is missing.
set -euo pipefail
huvenor=$1 xclose=$2 tool=$3 case=$4

skip() {
  echo "SKIP: $*"
  exit 77
}
command -v Xvfb >/dev/null || skip "Xvfb is not installed"
command -v xdotool >/dev/null || skip "xdotool is not installed"
command -v import >/dev/null || skip "ImageMagick's import is not installed"

work=$(mktemp -d)
pids=()
# The Wayland row's session bus ends with its script, once its input closes.
cleanup() {
  exec 3>&- 4>&- 2>/dev/null || true
  ((${#pids[@]} == 0)) || kill -9 "${pids[@]}" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
mkdir -m 700 "$work/home" "$work/runtime"
cp "$huvenor" "$work/huvenor"
palette=$work/kelvane.cfg
export HOME=$work/home XDG_RUNTIME_DIR=$work/runtime XDG_CONFIG_HOME=$work/home/.config
unset XDG_ACTIVATION_TOKEN DESKTOP_STARTUP_ID SESSION_MANAGER

fail() {
  echo "FAIL${row:+ ($row)}: $*" >&2
  for log in "$work"/*.log "$work"/*.out; do
    [[ -s $log ]] && tail -n 20 "$log" | sed "s|^|  $(basename "$log"): |" >&2
  done
  exit 1
}
alive() { [[ $(cut -d ' ' -f 3 "/proc/$1/stat" 2>/dev/null) == [^Z] ]]; }
now_ms() { date +%s%3N; }
# Polls COMMAND every 20 ms for up to $1 s; false when it never held.
within() {
  local deadline=$(($(now_ms) + $1 * 1000))
  until "${@:2}"; do
    (($(now_ms) < deadline)) || return 1
    sleep 0.02
  done
}
record() { od -An -tx1 -v -j $((($1 - 1) * 8)) -N 8 "$palette" 2>/dev/null | tr -d ' \n'; }
holds() { [[ $(record "$1") == "$2" ]]; }
expect_record() { holds "$1" "$2" || fail "record $1 is '$(record "$1")', expected $2 ($3)"; }

# A virtual X server of this test's own, so that it can be killed: sets
# $xserver and DISPLAY.
start_x() {
  local cookie
  cookie=$(mcookie)
  : >"$work/xauthority" >"$work/display"
  xauth -q -f "$work/xauthority" add :0 . "$cookie"
  Xvfb -displayfd 3 -screen 0 640x480x24 -nolisten tcp -noreset -auth "$work/xauthority" \
    3>"$work/display" 2>"$work/xvfb.log" &
  xserver=$!
  pids+=("$xserver")
  within 10 grep -q . "$work/display" || fail "the virtual X server did not start"
  xauth -q -f "$work/xauthority" add ":$(head -n 1 "$work/display")" . "$cookie"
  export DISPLAY=:$(head -n 1 "$work/display") XAUTHORITY=$work/xauthority QT_QPA_PLATFORM=xcb
  unset WAYLAND_DISPLAY
}

# Starts a copy on the X server and sets $pid, $window and its client area's $X, $Y.
start_copy() {
  "$work/huvenor" 2>"$work/huvenor.log" &
  pid=$!
  pids+=("$pid")
  within 20 shown || fail "no window appeared"
  eval "$(xdotool getwindowgeometry --shell "$window")"
  sleep 0.3 # the first frame
}
shown() {
  alive "$pid" || fail "the program ended before showing its window"
  window=$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null | head -n 1) && [[ -n $window ]]
}
# Whether client-area pixel x,y is colour c, as ImageMagick writes it in 16 bits.
painted() { import -window root -crop "1x1+$((X + $1))+$((Y + $2))" txt:- 2>/dev/null | grep -qF "$3"; }
# Clicks at client-area pixel x,y with button b (1 left, 3 right).
click() { xdotool mousemove $((X + $1)) $((Y + $2)) click "$3"; }
# Waits up to $1 s for the copy to end and sets $status ("unknown" for a
# copy that is not this script's child).
ended() {
  within "$1" eval '! alive $pid' || return 1
  status=0
  wait "$pid" 2>/dev/null || status=$?
  ((status != 127)) || status=unknown
}

# The preview's pair on a first run: the reference text colour on 5, 0, 0.
stored=0800008005000000

case $case in
  session-end)
    start_x
    mkfifo "$work/sm.in"
    "$tool" <"$work/sm.in" >"$work/sm.out" 2>"$work/sm.log" &
    pids+=($!)
    exec 3>"$work/sm.in"
    within 10 grep -q '^SESSION_MANAGER=' "$work/sm.out" || fail "the session manager did not start"
    export "$(grep '^SESSION_MANAGER=' "$work/sm.out")"
    said() { (($(grep -c "^$1\$" "$work/sm.out") >= $2)); }
    # Asks the session to end; the copy answers once it has saved.
    end_session() {
      echo shutdown >&3
      within 10 said "done 1" "$1" || fail "the copy did not answer the request to save"
      ! said "done 0" 1 || fail "the copy cancelled the session's end"
    }

    start_copy
    within 10 said "registered .*" 1 || fail "the copy did not join the session"
    click 42 174 1 # swatch 7 into the preview: white on red; nothing stored
    sleep 0.5
    [[ ! -e $palette ]] || fail "a recall was saved"

    end_session 1
    expect_record 25 ffffff00ff000000 "the save for the session's end holds the preview"
    alive "$pid" || fail "the request to save ended the program"
    shown || fail "the request to save closed the window"

    echo cancel >&3
    sleep 0.5
    alive "$pid" || fail "the cancelled logout ended the program"
    click 42 162 1 # swatch 1 into the preview: white on 128, 64, 0
    sleep 0.5
    end_session 2
    expect_record 25 ffffff0080400000 "after a cancelled logout, input counts and the next save holds it"

    # While the session ends, a second start finds the first copy and ends.
    env -u SESSION_MANAGER "$work/huvenor" 2>"$work/second.log" &
    second=$!
    pids+=("$second")
    within 20 eval '! alive $second' || fail "the second copy is still running"
    wait "$second" || fail "the second copy ended with status $?"
    (($(xdotool search --onlyvisible --name "^Orlan's Huvenor$" | wc -l) == 1)) ||
      fail "a second window came up while the session ended"

    echo die >&3
    ended 5 || fail "the copy did not end when the session did"
    ((status == 0)) || fail "the copy ended with status $status"
    expect_record 25 ffffff0080400000 "the session's end keeps the saved palette"
    within 5 said closed 1 || fail "the copy did not leave the session"
    ;;
  display-lost)
    row=x11-killed
    start_x
    start_copy
    click 18 192 3 # store the preview's pair into swatch 12
    # The X server goes the moment the swatch shows the pair, well within
    # the quarter second the prompt save gathers: only the program's own
    # exit handler can have written it.
    within 5 painted 18 192 "(1285,0,0)" || fail "the swatch did not show the stored pair"
    kill -9 "$xserver"
    ended 10 || fail "the program did not end when its X server went away"
    echo "$row: the program ended with status $status"
    expect_record 13 "$stored" "the pair stored just before the X server went away"

    row=killed
    rm -f "$palette"
    start_x
    start_copy
    click 18 192 3
    sleep 1
    kill -9 "$pid"
    ended 5 || fail "the program did not end"
    expect_record 13 "$stored" "the pair stored a second before the kill"

    row=wayland-killed
    command -v mutter >/dev/null || skip "mutter is not installed (the X11 rows passed)"
    if [[ -z ${DBUS_SESSION_BUS_ADDRESS:-} ]]; then
      command -v dbus-run-session >/dev/null || skip "no session bus (the X11 rows passed)"
    fi
    rm -f "$palette"
    unset DISPLAY XAUTHORITY QT_QPA_PLATFORM
    export XDG_SESSION_TYPE=wayland XDG_CURRENT_DESKTOP=GNOME WAYLAND_DISPLAY=wayland-lost
    # mutter, the launcher and the copy on a session bus of their own; the
    # store is typed as in bench/linger.sh, which says why so.
    cat >"$work/wayland.sh" <<'EOF'
set -euo pipefail
work=$1 tool=$2
mkdir -p "$HOME/.config/glib-2.0/settings"
printf '[org/gnome/desktop/peripherals/keyboard]\nrepeat=false\n' \
  >"$HOME/.config/glib-2.0/settings/keyfile"
GSETTINGS_BACKEND=keyfile mutter --headless --wayland --no-x11 --virtual-monitor 1280x800 \
  --wayland-display "$WAYLAND_DISPLAY" >"$work/mutter.log" 2>&1 &
echo "mutter $!" >"$work/wayland.out"
for _ in $(seq 200); do [[ -S $XDG_RUNTIME_DIR/$WAYLAND_DISPLAY ]] && break; sleep 0.05; done
mkfifo "$work/launcher.in"
"$tool" <"$work/launcher.in" >"$work/launcher.out" 2>"$work/launcher.log" &
exec 3>"$work/launcher.in"
for _ in $(seq 200); do grep -q '^focused$' "$work/launcher.out" && break; sleep 0.05; done
echo token >&3
for _ in $(seq 200); do grep -q '^token ' "$work/launcher.out" && break; sleep 0.05; done
XDG_ACTIVATION_TOKEN=$(sed -n 's/^token //p' "$work/launcher.out") WAYLAND_DEBUG=client \
  "$work/huvenor" 2>"$work/huvenor.log" &
echo "copy $!" >>"$work/wayland.out"
# Until the next line on standard input: key codes to type.
while read -r keys; do echo "$keys" >&3; done
EOF
    mkfifo "$work/wayland.in"
    dbus-run-session -- bash "$work/wayland.sh" "$work" "$tool" <"$work/wayland.in" \
      2>"$work/session.log" &
    exec 4>"$work/wayland.in"
    within 20 grep -q '^copy ' "$work/wayland.out" 2>/dev/null || fail "the compositor did not start"
    compositor=$(sed -n 's/^mutter //p' "$work/wayland.out")
    pid=$(sed -n 's/^copy //p' "$work/wayland.out")
    pids+=("$compositor" "$pid")
    # As bench/linger.sh: the window is focused and Qt takes it for active.
    active() {
      awk '
        / -> xdg_activation_v1@[0-9]+\.activate\(/ { activated = 1 }
        !/ -> / && / wl_keyboard@[0-9]+\.enter\(/ { entered = 1; split("", asked); found = 0 }
        entered && / -> .*new id wl_callback@/ { match($0, /wl_callback@[0-9]+/); asked[substr($0, RSTART, RLENGTH)] = 1 }
        entered && !/ -> / && match($0, /wl_callback@[0-9]+\.done/) { if (asked[substr($0, RSTART, RLENGTH - 5)]) found = 1 }
        END { exit !(found && activated) }' "$work/huvenor.log" 2>/dev/null
    }
    within 20 active || fail "the window did not get the keyboard focus"
    sleep 0.2
    inserted() { grep -q '^\[.*\] wl_keyboard@[0-9]*\.key([0-9]*, [0-9]*, 110, 1)' "$work/huvenor.log"; }
    for _ in 1 2 3; do
      printf '42 15\n110\n' >&4 # Shift+Tab to the palette, Insert stores into swatch 0
      within 1 inserted && break
    done
    inserted || fail "the keys never reached the window"
    sleep 1
    kill -9 "$compositor"
    ended 10 || fail "the program did not end when its compositor went away"
    echo "$row: the program ended with status $status"
    expect_record 1 "$stored" "the pair stored a second before the compositor went away"
    ;;
  *)
    fail "unknown case $case"
    ;;
esac
echo "PASS: $case"
