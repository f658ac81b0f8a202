#!/usr/bin/env bash
# Tells whether this machine can execute 32-bit x86 programs, by starting
# Wine's 32-bit loader. Prints nothing and exits 1 where it can; prints the
# reason and exits 0 where it cannot. VARNOKE_WINE32_LOADER names another
# loader to try (the check of a machine without 32-bit support can be run
# anywhere by pointing it at a file the kernel refuses to execute).
loader=${VARNOKE_WINE32_LOADER:-/usr/lib/wine/wine}
if [ ! -e "$loader" ]; then
  echo "Wine's 32-bit loader $loader is not installed"
  exit 0
fi
if ! output=$("$loader" --version 2>&1 </dev/null); then
  output=$(echo "$output" | tail -n 1)
  echo "$loader does not start (${output#*"$loader": })"
  exit 0
fi
exit 1
