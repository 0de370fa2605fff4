# Sourced by bench/startup.sh and bench/startup_profile.sh: the two programs
# as every start of theirs meets them, in $work (with $build, $runtime and
# $display set by the caller).

# Copies of the programs, so that a build running meanwhile cannot replace
# them between runs. Huvenor's folder holds a 200-byte palette file, as a
# user's does after the first close; it is never written, since each run
# ends by a signal, not by closing the window.
copy_programs() {
  mkdir "$work/huvenor" "$work/floor"
  cp "$build/huvenor" "$work/huvenor/huvenor"
  cp "$build/bench/bench_floor" "$work/floor/floor"
  local word value
  for word in $(seq 0 49); do
    value=$(((word * 0x051B3D + 0x203040) & 0xFFFFFF))
    printf "\\x$(printf %02x $((value & 255)))\\x$(printf %02x $((value >> 8 & 255)))"
    printf "\\x$(printf %02x $((value >> 16)))\\x00"
  done >"$work/huvenor/kelvane.cfg"
}

# A user of its own for one start: fresh HOME, XDG folders and runtime
# directory (so the single-instance guard never sees another run; in
# memory, as a session's is), a clean environment and a session bus address
# that leads nowhere, the same for both programs. Sets fresh_env to the
# command that runs a program so, and fresh_dirs to the folders to remove
# after it.
new_user() {
  local user session
  user=$(mktemp -d "$work/user.XXXXXX")
  session=$(mktemp -d "$runtime/session.XXXXXX")
  mkdir -p "$user/config" "$user/data" "$user/cache" "$user/state"
  fresh_env=(env -i PATH=/usr/bin:/bin LANG=C.UTF-8 DISPLAY=":$display" HOME="$user"
    XDG_CONFIG_HOME="$user/config" XDG_DATA_HOME="$user/data" XDG_CACHE_HOME="$user/cache"
    XDG_STATE_HOME="$user/state" XDG_RUNTIME_DIR="$session"
    DBUS_SESSION_BUS_ADDRESS="unix:path=$work/no-such-bus")
  fresh_dirs=("$user" "$session")
}
