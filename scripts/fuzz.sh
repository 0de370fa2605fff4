#!/usr/bin/env bash
# Fuzzes the colour-text reader, the palette reader that Import Palette
# uses and the reader of what other local copies send, each for SECONDS (default 30) under AddressSanitizer and
# UndefinedBehaviorSanitizer, starting from the seeds in tests/fuzz/corpus.
# What the fuzzer finds on the way stays in a temporary folder; a crash is
# written to build-fuzz/ and fails the run. Usage: scripts/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}

cmake -S . -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_COMPILE_WARNING_AS_ERROR=ON -DHUVENOR_SANITIZE=ON -DHUVENOR_FUZZ=ON \
  -DBUILD_TESTING=OFF -DHUVENOR_BENCH=OFF >/dev/null
cmake --build build-fuzz --target fuzz_cssparse fuzz_palette fuzz_wire

found=$(mktemp -d)
trap 'rm -rf "$found"' EXIT
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
for target in cssparse palette wire; do
  mkdir -p "$found/$target"
  status=0
  build-fuzz/tests/fuzz/fuzz_$target -max_total_time="$seconds" -max_len=4200 \
    -artifact_prefix="build-fuzz/crash-$target-" -print_final_stats=1 \
    "$found/$target" "tests/fuzz/corpus/$target" >"$found/$target.log" 2>&1 || status=$?
  echo "fuzz_$target: $(grep -E '^stat::number_of_executed_units' "$found/$target.log")," \
    "exit status $status"
  if [[ $status -ne 0 ]]; then
    tail -n 40 "$found/$target.log"
    exit 1
  fi
done
