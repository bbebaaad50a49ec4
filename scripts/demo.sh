#!/usr/bin/env bash
# Sets up the machine, builds tabbridge.exe and plays a short scripted
# extension session against it under Wine, printing requests and replies.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
cmake --preset win32-release
cmake --build --preset win32-release --target tabbridge
scripts/wine-env.sh build/win32-release python3 tools/demo/demo.py build/win32-release/bin/tabbridge.exe
