#!/usr/bin/env bash
# Builds Huvenor and runs every test: once in the normal build, then again
# in a build with AddressSanitizer and UndefinedBehaviorSanitizer, then the
# fuzz targets for a bounded time each (where clang's libFuzzer is present).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
for preset in default sanitize; do
  echo "== $preset build"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  ctest --preset "$preset" -j2
done

if echo 'extern "C" int LLVMFuzzerTestOneInput(const char*, unsigned long) { return 0; }' |
  clang++ -x c++ -fsanitize=fuzzer -o /dev/null - 2>/dev/null; then
  echo "== fuzz build"
  cmake --preset fuzz >/dev/null
  cmake --build --preset fuzz
  ctest --preset fuzz -j2
  cat build-fuzz/tests/fuzz/*.work/summary
else
  echo "== fuzz build skipped: clang++ with libFuzzer is not installed"
fi
echo "== all tests passed in $((SECONDS / 60)) min $((SECONDS % 60)) s"
