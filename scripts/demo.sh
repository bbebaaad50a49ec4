#!/usr/bin/env bash
# Sets up the machine, builds tabbridge.exe and the test stand-ins, installs
# tabbridge.exe in the Wine prefix the way a user does (installer mode: its
# message box, registry values and manifest are printed), then plays a scripted
# extension session under Wine against the installed copy: a page from a
# loopback server shown in a frame laid over a stand-in browser tab, with a
# screenshot of the display.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
cmake --preset win32-release
cmake --build --preset win32-release --target tabbridge stand_in_engine stand_in_browser picture
bin=build/win32-release/bin
STAND_IN_ENGINE_DLL=$PWD/$bin/stand_in_engine.dll STAND_IN_BROWSER_EXE=$PWD/$bin/stand_in_browser.exe \
  scripts/wine-env.sh build/win32-release python3 tools/demo/demo.py "$bin/tabbridge.exe" \
  "$PWD/$bin/picture.exe" build/demo-picture.png
