#!/usr/bin/env bash
# Builds tabbridge.exe, the stand-ins and the picture tool, then writes
# pictures of a frame with its banner and page over a stand-in browser tab,
# and of the rating prompt, in English and Chinese, to build/pictures (see
# tools/pictures).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
cmake --preset win32-release
cmake --build --preset win32-release --target tabbridge stand_in_engine stand_in_browser picture
bin=$PWD/build/win32-release/bin
STAND_IN_ENGINE_DLL=$bin/stand_in_engine.dll STAND_IN_BROWSER_EXE=$bin/stand_in_browser.exe \
  scripts/wine-env.sh build/win32-release python3 tools/pictures/take_pictures.py \
  "$bin/tabbridge.exe" "$bin/picture.exe" build/pictures
