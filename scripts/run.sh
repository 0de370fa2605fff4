#!/usr/bin/env bash
# Builds Huvenor and starts it. Without a display it runs the program on a
# virtual X server instead, saves a screenshot of its window and closes it.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default --target huvenor xclose

if [[ -n ${DISPLAY:-} || -n ${WAYLAND_DISPLAY:-} ]]; then
  exec build/huvenor
fi

shot=build/huvenor.png
scripts/with-xvfb.sh --screen 1024x768x24 scripts/screenshot.sh build/huvenor "$shot"
echo "No display is set, so Huvenor ran on a virtual X server."
echo "Screenshot of its window: $(realpath "$shot")"
echo "On a desktop session, run it with: build/huvenor (or this script again)."
