#!/usr/bin/env bash
# Runs a Windows program of the build tree under its private Wine:
#   wine-run.sh <build dir> program.exe [args...]
set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine-env.sh"
build=$1; shift
if [ ! -f "$build/wine/prefix/system.reg" ] || [ ! -f "$build/wine/display" ]; then
  "$here/wine-env.sh" setup "$build" >&2 || exit 1
fi
varnoke_wine_env "$build"
# Tests of a 64-bit prefix that need 32-bit code skip (and say why) where
# the machine cannot run it.
if [ "$WINEARCH" = win64 ] && reason=$("$here/x86-unavailable.sh"); then
  export VARNOKE_X86_UNAVAILABLE="$reason"
fi
# The program's output goes through a file, not straight to the caller's
# pipe: the first program that opens a window starts Wine's desktop process,
# which inherits the program's output and keeps it open for as long as any
# program of the prefix has a window. A caller waiting for the end of a
# pipe (CTest) would wait for the whole run.
output=$(mktemp "$VARNOKE_WINE_DIR/run.XXXXXX")
trap 'rm -f "$output"' EXIT
wine "$@" >"$output" 2>&1
status=$?
cat "$output"
exit $status
