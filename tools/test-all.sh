#!/usr/bin/env bash
# Installs what is missing, builds both presets and runs every test:
# native (ASan/UBSan, fuzzers) and Windows (under Wine and Xvfb).
set -eu
cd "$(dirname "$0")/.."
tools/install-deps.sh
cmake --preset native
cmake --build --preset native
ctest --preset native
cmake --preset win32
cmake --build --preset win32
ctest --preset win32
