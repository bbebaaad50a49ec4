#!/usr/bin/env bash
# Sets up the machine, builds both targets and runs every test: the portable
# unit tests natively (ASan+UBSan) and the fuzz harnesses briefly, then the
# Windows unit tests and the end-to-end tests of tabbridge.exe under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh

cmake --preset native
cmake --build --preset native
ctest --preset native

# Each fuzz harness runs a few seconds on its seeds, so that none rots.
cmake --preset fuzz
cmake --build --preset fuzz
ctest --preset fuzz

cmake --preset win32-debug
cmake --build --preset win32-debug
scripts/wine-env.sh build/win32-debug ctest --preset win32-debug
