#!/usr/bin/env bash
# Installs what is missing, builds every preset and runs every test:
# native (sanitizers, fuzzers), win64 (the 64-bit module under 64-bit Wine,
# the MSI of both modules) and win32 (the 32-bit module under 32-bit Wine).
# A machine that cannot execute 32-bit x86 programs runs native and win64
# and says in one line that the 32-bit Windows tests were not run, and why.
set -eu
cd "$(dirname "$0")/.."
start=$(date +%s)
tools/install-deps.sh
cmake --preset native
cmake --build --preset native
ctest --preset native
cmake --preset win64
cmake --build --preset win64
ctest --preset win64
if reason=$(tests/harness/x86-unavailable.sh); then
  echo "32-bit Windows tests not run: this machine cannot execute 32-bit x86 programs ($reason)."
else
  cmake --preset win32
  cmake --build --preset win32
  ctest --preset win32
fi
echo "all tests passed in $(($(date +%s) - start)) s"
