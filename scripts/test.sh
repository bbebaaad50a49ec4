#!/usr/bin/env bash
# Sets up the machine, builds both targets and runs every test: the portable
# unit tests natively (ASan+UBSan), then the Windows unit tests and the
# end-to-end tests of tabbridge.exe under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh

cmake --preset native
cmake --build --preset native
ctest --preset native

cmake --preset win32-debug
cmake --build --preset win32-debug
scripts/wine-env.sh build/win32-debug ctest --preset win32-debug
