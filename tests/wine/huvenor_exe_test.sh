#!/usr/bin/env bash
# The real huvenor.exe under Wine, driven as a person at a Windows desktop
# would drive it, and watched through user32 by winprobe.exe. One case a run.
# Usage (under scripts/with-xvfb.sh and wine-run.sh):
#   huvenor_exe_test.sh HUVENOR.EXE WINPROBE.EXE CASE
set -euo pipefail
huvenor=$1 probe=$2 case=$3

# A read-only folder is a read-only mount, which holds for root too: the
# whole case, Wine's server included, runs in a mount namespace of its own.
if [[ $case == read-only-folder && -z ${HUVENOR_READ_ONLY_NAMESPACE:-} ]]; then
  export HUVENOR_READ_ONLY_NAMESPACE=1
  own_user=()
  [[ $(id -u) -eq 0 ]] || own_user=(--user --map-root-user)
  unshare "${own_user[@]}" --mount --propagation private true 2>/dev/null || {
    echo "SKIP: no mount namespace for a read-only folder"
    exit 77
  }
  exec unshare "${own_user[@]}" --mount --propagation private "$0" "$@"
fi

# The window's caption, and the middle of its first swatch: the palette panel
# at 60, 2175 twips, the swatch 30, 30 into it and 330 by 240, 15 twips a pixel.
title="Orlan's Huvenor"
swatch=(16 154)
# The preview's design pair: the system's window text on its window colour.
design_preview=$((0x80000008 - 0x100000000)),$((0x80000005 - 0x100000000))

work=$(mktemp -d)
trap 'wineserver -k 2>/dev/null || true; umount "$folder" 2>/dev/null || true; rm -rf "$work"' EXIT
# A folder name that needs every byte of Windows' wide paths.
folder="$work/Paletten ü 色"
mkdir -p "$folder"
cp "$huvenor" "$folder/huvenor.exe"
palette=$folder/kelvane.cfg
per_user=$WINEPREFIX/drive_c/users/$(id -un)/AppData/Roaming/Huvenor/kelvane.cfg
rm -f "$per_user"

fail() {
  echo "FAIL ($case): $*" >&2
  exit 1
}
# Its answers in Unix lines: Windows' C library ends them with CR LF.
probe() { wine "$probe" "$@" | tr -d '\r'; }
# The 32-bit words of record N (1-based) of a palette file, as signed numbers.
record() { od -An -t d4 -j $((($2 - 1) * 8)) -N 8 "$1" | xargs | tr ' ' ,; }

start() {
  (cd "$folder" && exec wine "$folder/huvenor.exe") &
  pid=$!
  probe wait "$title" 30 || fail "no window titled $title"
}
close() {
  probe close "$title"
  wait "$pid" || fail "huvenor.exe ended with status $?"
}

case $case in
  store)
    # The first start shows the window at its design size; a right click
    # stores the preview's pair in the swatch and the close writes it.
    start
    state=$(probe state "$title")
    [[ $state == client=234x243* ]] || fail "window: $state"
    probe keys up up up
    probe click "$title" "${swatch[@]}" right
    close
    [[ $(stat -c %s "$palette") == 200 ]] || fail "palette file: $(stat -c %s "$palette" 2>&1)"
    stored=$(record "$palette" 1)
    [[ $stored == "$(record "$palette" 25)" ]] || fail "swatch $stored, preview $(record "$palette" 25)"
    [[ $stored != "$design_preview" ]] || fail "the preview kept its design colours"
    ;;
  second-start)
    # A second copy brings the first forward, restored, and ends at once
    # without a window of its own or a palette written.
    start
    probe minimize "$title"
    [[ $(probe state "$title") == *iconic=1* ]] || fail "not minimised: $(probe state "$title")"
    before=$(ls -la --time-style=full-iso "$folder")
    SECONDS=0
    timeout 5 wine "$folder/huvenor.exe" || fail "the second copy ended with status $?"
    [[ $(probe count "$title") == 1 ]] || fail "$(probe count "$title") windows"
    state=$(probe state "$title")
    [[ $state == *"iconic=0 foreground=1"* ]] || fail "first copy after the second start: $state"
    [[ $(ls -la --time-style=full-iso "$folder") == "$before" ]] || fail "the second copy wrote"
    close
    ;;
  together)
    # Twenty copies started at once: one window, and every other copy ends.
    pids=()
    for _ in $(seq 20); do
      (cd "$folder" && exec wine "$folder/huvenor.exe") &
      pids+=($!)
    done
    probe wait "$title" 60 || fail "no window"
    for pid in "${pids[@]:1}"; do
      [[ $(probe count "$title") == 1 ]] || fail "$(probe count "$title") windows"
      timeout 60 tail --pid="$pid" -f /dev/null || true
    done
    sleep 1
    [[ $(probe count "$title") == 1 ]] || fail "$(probe count "$title") windows at the end"
    probe close "$title"
    for pid in "${pids[@]}"; do wait "$pid" || fail "a copy ended with status $?"; done
    ;;
  session-end)
    # Logging off asks every program whether it may end: the palette is
    # saved as by a close, and the program ends.
    start
    probe click "$title" "${swatch[@]}" right
    wineboot --end-session
    timeout 10 tail --pid="$pid" -f /dev/null || fail "the program outlived the session"
    [[ $(stat -c %s "$palette" 2>/dev/null) == 200 ]] || fail "nothing saved at the session's end"
    [[ $(record "$palette" 1) == "$(record "$palette" 25)" ]] || fail "the stored swatch was not saved"
    ;;
  read-only-folder)
    # A folder that takes no file: this run's palette goes to the user's
    # application data, and nothing beside the program.
    mount --bind "$folder" "$folder"
    mount -o remount,bind,ro "$folder"
    start
    probe click "$title" "${swatch[@]}" right
    close
    [[ ! -e $palette ]] || fail "a palette was written beside the program"
    [[ $(stat -c %s "$per_user" 2>/dev/null) == 200 ]] || fail "no per-user palette at $per_user"
    ;;
  pick)
    # Ctrl+Shift+P, then a click on a painted part of the screen (at 500,
    # 50, 60 by 60, clear of the window in the middle of the screen): the
    # background, which the sliders edit at first, takes its colour.
    wine "$probe" paint 500 50 60 60 123456 >"$work/paint" &
    painter=$!
    until grep -q painted "$work/paint"; do sleep 0.1; done
    start
    probe keys ctrl+shift+p
    sleep 1
    # The pointer as the X server moves it: the overlay takes what the
    # screen's own mouse does, wherever it is.
    xdotool mousemove 530 80 sleep 0.3 click 1
    sleep 0.5
    close
    kill "$painter" 2>/dev/null || true
    back=$(record "$palette" 25 | cut -d, -f2)
    [[ $back == $((0x563412)) ]] || fail "preview background $back after the pick"
    ;;
  *)
    fail "no such case"
    ;;
esac
echo "PASS ($case)"
