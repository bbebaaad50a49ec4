#!/usr/bin/env bash
# Builds the release binaries and runs the channel benchmark under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
cmake --preset win32-release
cmake --build --preset win32-release --target tabbridge echo_host
scripts/wine-env.sh build/win32-release python3 tools/bench/bench.py \
  build/win32-release/bin/tabbridge.exe build/win32-release/bin/echo_host.exe
cmake --build --preset win32-release --target registry_bench cookie_bench
scripts/wine-env.sh build/win32-release wine build/win32-release/bin/registry_bench.exe
scripts/wine-env.sh build/win32-release wine build/win32-release/bin/cookie_bench.exe
cmake --build --preset win32-release --target tabbridge stand_in_engine
scripts/wine-env.sh build/win32-release env \
  TABBRIDGE_EXE=build/win32-release/bin/tabbridge.exe \
  STAND_IN_ENGINE_DLL=build/win32-release/bin/stand_in_engine.dll \
  python3 tools/bench/frames_bench.py
