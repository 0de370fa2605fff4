#!/usr/bin/env bash
# Builds Huvenor and runs every test: once in the normal build, then again
# in a build with AddressSanitizer and UndefinedBehaviorSanitizer, then the
# program alone as a packager builds it: plain CMake, Release, no tests,
# warnings not made errors; then the Debian package, built from a clean
# copy, checked by lintian, installed, run and purged (as root or through
# sudo). Last, huvenor.exe for Windows, cross-built
# against a static Qt (built once into a cache outside the clone) and
# tested under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh windows
for preset in default sanitize; do
  echo "== $preset build"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  ctest --preset "$preset" -j2
done

echo "== fuzzing (libFuzzer, ASan+UBSan): colour text, palette files and the copies' wire, 30 s each"
scripts/fuzz.sh 30

echo "== packager's build (Release, BUILD_TESTING=OFF)"
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build build-release --target huvenor

# ---- Debian package -------------------------------------------------------
echo "== Debian package (dpkg-buildpackage in a clean copy, lintian, apt-get install, run, purge)"
started=$SECONDS
tests/packaging/deb_test.sh build/tools/xclose
echo "== Debian package stage: $((SECONDS - started)) s"
# ---------------------------------------------------------------------------

echo "== Windows build (mingw-w64, static Qt), tested under Wine"
scripts/build-qt-windows.sh >/dev/null
cmake --preset windows >/dev/null
cmake --build --preset windows
ctest --preset windows
echo "== all tests passed in $((SECONDS / 60)) min $((SECONDS % 60)) s"
