#!/usr/bin/env bash
# What start-up does beyond the floor, in instructions, which unlike the
# wall-clock times of bench/startup.sh do not depend on what else the
# machine is doing. Huvenor and the floor (bench/floor.cpp) each run under
# callgrind, started as bench/startup.sh starts them, twice: to the request
# that maps the window (the profile taken as xcb_map_window returns), and to
# the first frame (taken as the window's backing store is first flushed to
# the screen, QBackingStore::flush). The program is then ended.
#
# Prints both totals; then, to the first frame, what huvenor's own functions
# cost with all they call (the font database, which the floor loads for its
# first line edit, is counted where huvenor first needs it), and the
# functions whose own instructions differ most, huvenor's count less the
# floor's.
#
# Usage: bench/startup_profile.sh [ROWS]   (BUILD_DIR defaults to build/)
set -euo pipefail
rows=${1:-40}
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}

work=$(mktemp -d "${TMPDIR:-/tmp}/huvenor-profile.XXXXXX")
runtime=$work
xvfb=""
running=""
cleanup() {
  [[ -n $running ]] && kill -KILL "$running" 2>/dev/null && wait "$running" 2>/dev/null
  [[ -n $xvfb ]] && kill "$xvfb" 2>/dev/null && wait "$xvfb" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

source "$(dirname "$0")/fresh_start.sh"
copy_programs
source "$(dirname "$0")/xvfb.sh"
start_xvfb

# Runs PROGRAM under callgrind until it has written the profile that TRIGGER
# (a callgrind option) takes, keeps it as OUT and ends the program.
profile() {
  local program=$1 trigger=$2 out=$3
  new_user
  "${fresh_env[@]}" valgrind --tool=callgrind "$trigger" --callgrind-out-file="$work/part" \
    "$program" >"$work/valgrind.log" 2>&1 &
  running=$!
  # The totals line closes a profile, so one that has it is whole.
  until grep -qs '^totals:' "$work/part.1"; do
    if ! kill -0 "$running" 2>/dev/null; then
      echo "$(basename "$program") ended before $trigger:" >&2
      cat "$work/valgrind.log" >&2
      exit 1
    fi
    sleep 0.2
  done
  kill -KILL "$running" 2>/dev/null || true
  wait "$running" 2>/dev/null || true
  running=""
  mv "$work/part.1" "$out"
  rm -rf "$work"/part* "${fresh_dirs[@]}"
}

total() { sed -n 's/^totals: //p' "$1"; }

# "COUNT<tab>NAME<tab>LIBRARY" for each function of a profile, inclusive
# (MODE yes) or its own instructions only (MODE no). A function can have
# rows of its own for code inlined from other files and for recursive calls;
# inclusive, each of those counts all of it, so the largest is taken.
functions() {
  callgrind_annotate --inclusive="$2" --auto=no --threshold=100 "$1" |
    sed -n 's/^ *\([0-9,]*\) ([ 0-9.]*%) *\(.*\)$/\1\t\2/p' |
    awk -F '\t' -v inclusive="$2" '$2 != "PROGRAM TOTALS" {
      gsub(/,/, "", $1)
      name = $2
      library = ""
      if (match(name, / \[[^]]*\]$/)) {
        library = substr(name, RSTART + 2, RLENGTH - 3)
        name = substr(name, 1, RSTART - 1)
      }
      sub(/^[^ :]*:/, "", name)    # the file
      sub(/'"'"'[0-9]+$/, "", name)   # the depth of recursion
      key = name "\t" library
      if (inclusive == "no") count[key] += $1
      else if ($1 + 0 > count[key] + 0) count[key] = $1 + 0
    }
    END { for (key in count) print count[key] "\t" key }'
}

for program in huvenor floor; do
  profile "$work/$program/$program" --dump-after=xcb_map_window "$work/$program.map"
  profile "$work/$program/$program" '--dump-before=QBackingStore::flush*' "$work/$program.frame"
done

printf "%-26s %14s %14s %8s\n" "instructions" huvenor floor ratio
for part in map frame; do
  [[ $part == map ]] && what="to the map request" || what="to the first frame"
  awk -v what="$what" -v h="$(total "$work/huvenor.$part")" -v f="$(total "$work/floor.$part")" \
    'BEGIN { printf "%-26s %14d %14d %8.3f\n", what, h, f, h / f }'
done

echo
echo "To the first frame, huvenor's own functions with all they call:"
functions "$work/huvenor.frame" yes |
  awk -F '\t' -v program="$work/huvenor/huvenor" '$3 == program' |
  sort -t "$(printf '\t')" -k1,1nr | head -n "$rows" |
  awk -F '\t' '{ printf "%12d  %s\n", $1, substr($2, 1, 110) }'

echo
echo "To the first frame, the functions' own instructions, huvenor less the floor:"
functions "$work/floor.frame" no | cut -f 1,2 >"$work/floor.self"
functions "$work/huvenor.frame" no | cut -f 1,2 >"$work/huvenor.self"
awk -F '\t' 'FNR == NR { floor[$2] += $1; next } { huvenor[$2] += $1 }
  END {
    for (name in floor) huvenor[name] += 0
    for (name in huvenor) printf "%d\t%d\t%d\t%s\n", huvenor[name] - floor[name], huvenor[name], floor[name], name
  }' "$work/floor.self" "$work/huvenor.self" |
  sort -t "$(printf '\t')" -k1,1nr | head -n "$rows" |
  awk -F '\t' 'BEGIN { printf "%12s %12s %12s  %s\n", "difference", "huvenor", "floor", "function" }
    { printf "%12d %12d %12d  %s\n", $1, $2, $3, substr($4, 1, 100) }'
