#!/usr/bin/env bash
# Builds the release binaries and prints the benchmark table (also written to
# build/bench-table.md for the README's performance section).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
cmake --preset win32-release
cmake --build --preset win32-release --target tabbridge echo_host registry_bench cookie_bench \
  stand_in_engine stand_in_browser
bin=build/win32-release/bin
scripts/wine-env.sh build/win32-release env STAND_IN_BROWSER_EXE=$bin/stand_in_browser.exe \
  STAND_IN_ENGINE_DLL=$bin/stand_in_engine.dll python3 tools/bench/bench.py $bin
