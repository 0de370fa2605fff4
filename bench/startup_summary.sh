# Sourced by the start-up benchmarks: prints the table of huvenor against
# the floor from $work/huvenor.txt and $work/floor.txt (one run a line:
# time in ms, VmHWM in KiB) under the column heads TIME_HEAD and MEMORY_HEAD,
# with the targets' verdicts: at most RATIO times the floor's time and MIB
# more memory (1.10 and 3.00 unless given).
# Usage: startup_summary TIME_HEAD MEMORY_HEAD [RATIO MIB]

# Median, min and max of column COLUMN of FILE, scaled by SCALE.
stats() {
  cut -d' ' -f"$2" "$1" | sort -g | awk -v scale="$3" '
    { v[NR] = $1 / scale }
    END {
      median = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
      printf "%.2f %.2f %.2f\n", median, v[1], v[NR]
    }'
}

verdict() { awk -v value="$1" -v limit="$2" 'BEGIN { print value <= limit ? "met" : "MISSED" }'; }

startup_summary() {
  local ht ht_min ht_max ft ft_min ft_max hm hm_min hm_max fm fm_min fm_max ratio extra
  local ratio_limit=${3:-1.10} extra_limit=${4:-3.00}
  read -r ht ht_min ht_max < <(stats "$work/huvenor.txt" 1 1)
  read -r ft ft_min ft_max < <(stats "$work/floor.txt" 1 1)
  read -r hm hm_min hm_max < <(stats "$work/huvenor.txt" 2 1024)
  read -r fm fm_min fm_max < <(stats "$work/floor.txt" 2 1024)
  ratio=$(awk -v a="$ht" -v b="$ft" 'BEGIN { printf "%.2f", a / b }')
  extra=$(awk -v a="$hm" -v b="$fm" 'BEGIN { printf "%+.2f", a - b }')
  echo
  printf "%-16s %-24s %s\n" "" "$1" "$2"
  printf "%-16s %-24s %s\n" "" "median (min-max)" "median (min-max)"
  printf "%-16s %-24s %s\n" huvenor "$ht ($ht_min-$ht_max)" "$hm ($hm_min-$hm_max)"
  printf "%-16s %-24s %s\n" floor "$ft ($ft_min-$ft_max)" "$fm ($fm_min-$fm_max)"
  printf "%-16s %-24s %s\n" "huvenor/floor" "$ratio x" "$extra MiB"
  printf "%-16s %-24s %s\n" target "<= $ratio_limit x, $(verdict "$ratio" "$ratio_limit")" \
    "<= +$extra_limit MiB, $(verdict "$extra" "$extra_limit")"
}
