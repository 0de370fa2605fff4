#!/usr/bin/env bash
# One case of the palette's fault matrix, run on the real program under a
# virtual X server: what the user is told at start and at close, and that no
# palette is lost. The words come from message_tap, preloaded into the
# program; the message boxes themselves are shown and answered with Enter.
# Usage (under scripts/with-xvfb.sh):
#   fault_matrix.sh HUVENOR XCLOSE MESSAGE_TAP GOLDEN_PALETTE CASE
# Root runs the program as nobody, for whom permissions hold. The full-disk
# cases mount a small tmpfs in a mount namespace of their own; where no such
# namespace can be had the case is skipped (status 77).
set -euo pipefail
huvenor=$1 xclose=$2 tap=$3 golden=$4 case=$5

if [[ $case == full-disk-* && -z ${FAULT_MATRIX_NAMESPACE:-} ]]; then
  export FAULT_MATRIX_NAMESPACE=1
  own_user=()
  [[ $(id -u) -eq 0 ]] || own_user=(--user --map-root-user)
  unshare "${own_user[@]}" --mount --propagation private true 2>/dev/null || {
    echo "SKIP: no mount namespace for a tmpfs"
    exit 77
  }
  exec unshare "${own_user[@]}" --mount --propagation private "$0" "$@"
fi

work=$(mktemp -d)
pid=""
trap '[[ -z $pid ]] || kill -9 "$pid" 2>/dev/null || true
  umount "$work/disk" 2>/dev/null || true
  rm -rf "$work"' EXIT
chmod 755 "$work"
disk=$work
if [[ -n ${FAULT_MATRIX_NAMESPACE:-} ]]; then
  disk=$work/disk
  mkdir "$disk"
  # Room for the program and a few pages more, which the filler then takes.
  mount -t tmpfs -o "size=$(($(stat -c %s "$huvenor") / 1024 + 256))k,mode=755" tmpfs "$disk"
fi
program=$disk/program
beside=$program/kelvane.cfg
per_user=$disk/home/.config/huvenor/kelvane.cfg
messages=$work/messages
mkdir -p "$program" "$disk/home" "$work/runtime"
cp "$huvenor" "$program/huvenor"
chmod 700 "$work/runtime"
touch "$messages"
chmod 666 "$messages"
# The server's cookie is kept where only its own user can read it.
cp "${XAUTHORITY:?run this under scripts/with-xvfb.sh}" "$work/xauthority"
chmod 644 "$work/xauthority"
export XAUTHORITY=$work/xauthority

as_user=()
if [[ $(id -u) -eq 0 && -z ${FAULT_MATRIX_NAMESPACE:-} ]]; then
  chown -R 65534:65534 "$program" "$disk/home" "$work/runtime"
  as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups)
fi

fail() {
  echo "FAIL ($case): $*" >&2
  [[ -s $messages ]] && sed 's/^/  told: /' "$messages" >&2
  [[ -s $work/stderr ]] && sed 's/^/  program: /' "$work/stderr" >&2
  exit 1
}

# A window of the program whose name matches the pattern, or nothing.
window_named() {
  xdotool search --all --onlyvisible --pid "$pid" --name "$1" 2>/dev/null | head -n 1 || true
}

start() {
  "${as_user[@]}" env HOME="$disk/home" XDG_CONFIG_HOME="$disk/home/.config" \
    XDG_RUNTIME_DIR="$work/runtime" HUVENOR_MESSAGES="$messages" LD_PRELOAD="$tap" \
    ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}verify_asan_link_order=0" \
    "$program/huvenor" 2>"$work/stderr" &
  pid=$!
}

# Runs the command every 50 ms until it succeeds, for up to 30 s.
poll() { for _ in $(seq 600); do "$@" && return; sleep 0.05; done; false; }

box_shown() {
  box=$(window_named '^Huvenor$')
  [[ -n $box ]] && return
  kill -0 "$pid" 2>/dev/null || fail "the program ended instead of telling: $expected"
  false
}

# Waits for the message box that tells the user something and checks its
# words: each argument must be part of them. The box is then answered.
expect_told() {
  local told part expected="$*"
  poll box_shown || fail "the user was not told: $*"
  told=$(tail -n 1 "$messages")
  for part in "$@"; do [[ $told == *"$part"* ]] || fail "the message lacks \"$part\""; done
  echo "told: $told"
  # A key that comes before the box has taken the focus is lost; Enter is
  # pressed again until the box is gone.
  for _ in $(seq 60); do
    xdotool windowfocus --sync "$box" 2>/dev/null && xdotool key Return || true
    for _ in $(seq 10); do [[ -z $(window_named '^Huvenor$') ]] && return; sleep 0.05; done
  done
  fail "the message box did not close"
}

# The main window, once shown; a message box shown instead is a failure.
window_shown() {
  window=$(window_named "^Orlan's Huvenor$")
  [[ -n $window ]] && return
  [[ -z $(window_named '^Huvenor$') ]] || fail "unexpected message at start"
  kill -0 "$pid" 2>/dev/null || fail "the program ended before showing its window"
  false
}
expect_window() { poll window_shown || fail "no window appeared"; }

ended() {
  kill -0 "$pid" 2>/dev/null || return 0
  [[ -z $(window_named '^Huvenor$') ]] || fail "unexpected message at close"
  false
}

# Closes the window as the user does; with arguments, expects to be told
# those words on the way out, otherwise nothing.
close_window() {
  "$xclose" "$window"
  if [[ $# -gt 0 ]]; then expect_told "$@"; else poll ended || fail "the program did not end"; fi
  local status=0
  wait "$pid" || status=$?
  pid=""
  [[ $status -eq 0 ]] || fail "the program ended with status $status"
}

# The 24 swatches' records of a palette file, as hex.
swatches() { od -An -tx1 -v -N 192 "$1" | tr -d ' \n'; }

expect_swatches_of_golden() {
  [[ -f $1 && $(swatches "$1") == $(swatches "$golden") ]] ||
    fail "$1 does not hold the palette's swatches"
}

expect_only() {
  [[ $(ls -A "$1" | tr '\n' ' ') == "$2" ]] || fail "$1 holds: $(ls -A "$1" | tr '\n' ' '), expected: $2"
}

fill_disk() { dd if=/dev/zero of="$disk/filler" bs=4k 2>/dev/null || true; }

give_away() { [[ ${#as_user[@]} -eq 0 ]] || chown 65534:65534 "$@"; }

case $case in
  unreadable-file)
    cp "$golden" "$beside"
    give_away "$beside"
    chmod 000 "$beside"
    start
    expect_told "$beside could not be read (Permission denied)" "left as it is"
    expect_window
    close_window
    chmod 644 "$beside"
    cmp -s "$beside" "$golden" || fail "the unreadable palette was written over"
    [[ $(stat -c %s "$per_user" 2>/dev/null) == 200 ]] || fail "$per_user is not a whole palette"
    ;;
  unreadable-file-second-start)
    # The message waits for the window and the end of the start-up, so a
    # second start meanwhile neither waits out the start-up lock nor is told
    # the first copy came forward when it could not.
    cp "$golden" "$beside"
    give_away "$beside"
    chmod 000 "$beside"
    start
    poll box_shown || fail "the user was not told"
    window=$(window_named "^Orlan's Huvenor$")
    [[ -n $window ]] || fail "the message was shown before the window"
    under_box() {
      eval "$(xdotool getwindowgeometry --shell "$box")"
      xdotool mousemove --sync $((X + WIDTH / 2)) $((Y + HEIGHT / 2))
      eval "$(xdotool getmouselocation --shell)"
      echo "$WINDOW"
    }
    [[ $(under_box) == "$box" ]] || fail "the message is not over the window"
    started=$(date +%s%3N)
    "${as_user[@]}" env HOME="$disk/home" XDG_CONFIG_HOME="$disk/home/.config" \
      XDG_RUNTIME_DIR="$work/runtime" "$program/huvenor" 2>"$work/stderr.second" ||
      fail "the second copy ended with status $?"
    took=$(($(date +%s%3N) - started))
    # The start-up lock would have held it 10 s.
    ((took < 5000)) || fail "the second start waited $took ms"
    poll bash -c "[[ \$(xdotool getmouselocation --shell | sed -n 's/^WINDOW=//p') == $window ]]" ||
      fail "the first copy's window was not raised"
    expect_told "$beside could not be read (Permission denied)" "left as it is"
    close_window
    ;;
  read-only-program-folder)
    cp "$golden" "$beside"
    give_away "$beside"
    chmod 444 "$beside"
    chmod 555 "$program"
    start
    expect_window
    close_window
    chmod 755 "$program"
    cmp -s "$beside" "$golden" || fail "the read-only palette changed"
    expect_swatches_of_golden "$per_user"
    # From now on the per-user file is this copy's home, which it reads.
    perl -0777 -pe '$_ = ~$_' "$golden" >"$work/theirs"
    cp "$work/theirs" "$per_user"
    chmod 555 "$program"
    start
    expect_window
    close_window
    chmod 755 "$program"
    [[ $(swatches "$per_user") == $(swatches "$work/theirs") ]] || fail "the per-user palette was not read"
    ;;
  full-disk-with-a-palette)
    cp "$golden" "$beside"
    fill_disk
    start
    expect_window
    close_window
    expect_swatches_of_golden "$beside"
    expect_only "$program" "huvenor kelvane.cfg "
    [[ ! -e $per_user ]] || fail "a per-user file appeared"
    ;;
  full-disk-first-run)
    fill_disk
    start
    expect_window
    close_window "could not be saved to $beside (No space left on device)" \
      "$per_user (No space left on device)"
    expect_only "$program" "huvenor "
    [[ ! -e $per_user ]] || fail "a per-user file appeared"
    ;;
  *)
    fail "unknown case"
    ;;
esac
echo "PASS: $case"
