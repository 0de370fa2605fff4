# Sourced by the start-up benchmarks: starts a virtual X server for the runs
# in $work, setting $xvfb (its process) and $display (its number). -noreset:
# as on a desktop, the server is not rebuilt between programs.
start_xvfb() {
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$work/display" 2>"$work/xvfb.log" &
  xvfb=$!
  for _ in $(seq 100); do
    [[ -s $work/display ]] && break
    sleep 0.05
  done
  display=$(head -n 1 "$work/display")
  [[ -n $display ]] || { echo "Xvfb did not start:" >&2; cat "$work/xvfb.log" >&2; exit 1; }
}
