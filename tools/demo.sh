#!/usr/bin/env bash
# Installs what is missing, builds Varnoke.dll and shows it working under Wine
# on a sample folder tree.
set -eu
cd "$(dirname "$0")/.."
tools/install-deps.sh
cmake --preset win32 >/dev/null
cmake --build --preset win32
build=build/win32
tools/wine-env.sh setup "$build" >/dev/null
. tools/wine-env.sh
varnoke_wine_env "$build"

# A sample tree inside the Wine prefix, with files for Clean to find.
sample_unix="$WINEPREFIX/drive_c/VarnokeSample"
rm -rf "$sample_unix"
mkdir -p "$sample_unix/Projects/build" "$sample_unix/Photos"
echo "notes" > "$sample_unix/Projects/readme.txt"
echo "scratch" > "$sample_unix/Projects/scratch.tmp"
echo "object" > "$sample_unix/Projects/build/main.tmp"
echo "jpeg" > "$sample_unix/Photos/holiday.jpg"
sample='C:\VarnokeSample'

echo "== The module loaded as the shell loads it"
wine "$build/inspect.exe" "$sample\\Projects" 2>/dev/null
