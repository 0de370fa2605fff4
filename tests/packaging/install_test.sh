#!/usr/bin/env bash
# Installs the system-wide component into a staging folder and checks the
# tree a desktop expects: the program, its launcher entry and its icons.
# Usage: install_test.sh BUILD-DIR
set -euo pipefail
build=$1
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT

DESTDIR=$stage cmake --install "$build" --component system --prefix /usr >/dev/null

expected=(
  usr/bin/huvenor
  usr/share/applications/huvenor.desktop
  usr/share/icons/hicolor/16x16/apps/huvenor.png
  usr/share/icons/hicolor/32x32/apps/huvenor.png
  usr/share/icons/hicolor/48x48/apps/huvenor.png
  usr/share/icons/hicolor/scalable/apps/huvenor.svg
  usr/share/doc/huvenor/README.md
  usr/share/doc/huvenor/LICENSE
)
for file in "${expected[@]}"; do
  [[ -f $stage/$file ]] || { echo "FAIL: $file is not installed" >&2; exit 1; }
done
[[ -x $stage/usr/bin/huvenor ]] || { echo "FAIL: the program is not executable" >&2; exit 1; }
extra=$(cd "$stage" && find . -type f | sed 's|^\./||' | sort | comm -13 <(printf '%s\n' "${expected[@]}" | sort) -)
[[ -z $extra ]] || { echo "FAIL: unexpected files: $extra" >&2; exit 1; }

# Each icon is the size its folder says.
for size in 16 32 48; do
  got=$(identify -format '%wx%h' "$stage/usr/share/icons/hicolor/${size}x${size}/apps/huvenor.png")
  [[ $got == "${size}x${size}" ]] || { echo "FAIL: the ${size}px icon is $got" >&2; exit 1; }
done

desktop-file-validate "$stage/usr/share/applications/huvenor.desktop"
grep -qx 'StartupWMClass=huvenor' "$stage/usr/share/applications/huvenor.desktop"
echo "PASS: install tree"
