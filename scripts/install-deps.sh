#!/usr/bin/env bash
# Installs what building, running and testing Huvenor needs on Debian 12,
# and nothing when it is all there already. With "windows": what
# cross-building huvenor.exe and testing it under Wine needs as well.
# Usage: scripts/install-deps.sh [windows]
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config clang-format clang libclang-rt-14-dev
  qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins qt6-wayland libgl-dev libx11-dev
  libgtest-dev libgmock-dev libbenchmark-dev libx11-dev
  fonts-dejavu-core fonts-dejavu-extra
  libxcb1-dev libxcb-xtest0-dev
  xvfb xauth xdotool x11-utils imagemagick desktop-file-utils dpkg-dev valgrind
  dbus-daemon python3-dbusmock
  mutter libwayland-dev wayland-protocols
  libsm-dev gdb
  kwin-wayland kwin-x11 plasma-wayland-protocols
  debhelper lintian appstream man-db
)
if [[ ${1:-} == windows ]]; then
  packages+=(g++-mingw-w64-x86-64-posix wine wine64 zip)
fi

missing=()
for package in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
  [[ $status == "install ok installed" ]] || missing+=("$package")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing: ${missing[*]}"
sudo=()
[[ $(id -u) -eq 0 ]] || sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
