#!/usr/bin/env bash
# Cross-builds the static Qt that huvenor.exe links, from Debian 12's own
# qt6-base source package, with Debian's mingw-w64 and Debian's host Qt
# tools, and installs it into a cache outside the clone:
#   ${XDG_CACHE_HOME:-$HOME/.cache}/huvenor/qt-<version>-mingw-static-<hash>
# (the hash covers the options and the toolchain file), pointed at by
# .../huvenor/qt-windows. A complete build already there is reused.
# Prints the prefix on its last line.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)

sudo=()
[[ $(id -u) -eq 0 ]] || sudo=(sudo)
apt_install() {
  local missing=() package status
  for package in "$@"; do
    status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
    [[ $status == "install ok installed" ]] || missing+=("$package")
  done
  [[ ${#missing[@]} -eq 0 ]] && return
  echo "Installing: ${missing[*]}" >&2
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends \
    "${missing[@]}" >/dev/null
}

# Only what the program uses is built: no SQL, network, D-Bus, OpenGL,
# printing, concurrency framework, XML or tablets. Qt Test stays for the
# tests run under Wine.
options=(
  -release -optimize-size -static -static-runtime -platform linux-g++ -xplatform win32-g++
  -nomake examples -nomake tests -no-pch
  -no-opengl -no-dbus -no-feature-sql -no-feature-network -no-feature-printsupport
  -no-feature-concurrent -no-feature-xml -no-feature-tabletevent
  -qt-zlib -qt-libpng -no-libjpeg -qt-pcre -qt-harfbuzz -qt-freetype
  -no-feature-icu
)
cache=${XDG_CACHE_HOME:-$HOME/.cache}/huvenor
host_version=$(dpkg-query -W -f='${Version}' qt6-base-dev 2>/dev/null || true)
hash=$( (printf '%s\n' "${options[@]}" "$host_version"; cat "$here/cmake/mingw-w64-x86_64.cmake") |
  sha256sum | cut -c1-12)

apt_install qt6-base-dev qt6-base-dev-tools dpkg-dev cmake ninja-build perl \
  g++-mingw-w64-x86-64-posix
version=$(dpkg-query -W -f='${Version}' qt6-base-dev | sed 's/[+~-].*//')
prefix=$cache/qt-$version-mingw-static-$hash

if [[ -f $prefix/.complete ]]; then
  ln -sfn "$(basename "$prefix")" "$cache/qt-windows"
  echo "$prefix"
  exit 0
fi

# The source comes from the archive already configured: its deb lines are
# repeated as deb-src when there are none.
if ! grep -rqsE '^(deb-src|Types:.*deb-src)' /etc/apt/sources.list /etc/apt/sources.list.d/; then
  echo "Adding deb-src entries for the configured archive" >&2
  src=$(mktemp)
  for file in /etc/apt/sources.list.d/*.sources; do
    [[ -f $file ]] && sed 's/^Types:.*/Types: deb-src/' "$file"
    echo
  done >"$src"
  [[ -f /etc/apt/sources.list ]] && sed -n 's/^deb /deb-src /p' /etc/apt/sources.list >"$src.list"
  "${sudo[@]}" install -m 644 "$src" /etc/apt/sources.list.d/huvenor-deb-src.sources
  [[ -s ${src}.list ]] && "${sudo[@]}" install -m 644 "$src.list" /etc/apt/sources.list.d/huvenor-deb-src.list
  rm -f "$src" "$src.list"
  "${sudo[@]}" apt-get update -qq
fi

start=$SECONDS
work=$cache/qt-build-$hash
rm -rf "$work"
mkdir -p "$work"
trap 'rm -rf "$work"' EXIT
(cd "$work" && apt-get source -qq qt6-base >/dev/null 2>&1)
source_dir=$(find "$work" -maxdepth 1 -type d -name 'qt6-base-*' | head -n 1)
[[ -n $source_dir ]] || { echo "apt-get source qt6-base gave no source folder" >&2; exit 1; }

mkdir "$work/build"
cd "$work/build"
"$source_dir/configure" -prefix "$prefix" "${options[@]}" -qt-host-path /usr -- \
  -DCMAKE_TOOLCHAIN_FILE="$here/cmake/mingw-w64-x86_64.cmake" \
  -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake >configure.log 2>&1 ||
  { tail -n 60 configure.log >&2; exit 1; }
cmake --build . --parallel >build.log 2>&1 || { grep -m 20 -B 5 'error' build.log >&2; exit 1; }
cmake --install . >/dev/null
touch "$prefix/.complete"
ln -sfn "$(basename "$prefix")" "$cache/qt-windows"
echo "Static Qt for Windows built in $(((SECONDS - start) / 60)) min $(((SECONDS - start) % 60)) s" >&2
echo "$prefix"
