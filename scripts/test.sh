#!/usr/bin/env bash
# Builds Huvenor and runs every test: once in the normal build, then again
# in a build with AddressSanitizer and UndefinedBehaviorSanitizer. Last,
# the program alone as a packager builds it: plain CMake, Release, no tests,
# warnings not made errors.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
for preset in default sanitize; do
  echo "== $preset build"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  ctest --preset "$preset" -j2
done

echo "== packager's build (Release, BUILD_TESTING=OFF)"
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build build-release --target huvenor
echo "== all tests passed in $((SECONDS / 60)) min $((SECONDS % 60)) s"
