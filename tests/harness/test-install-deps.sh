#!/usr/bin/env bash
# Runs tools/install-deps.sh against a stand-in apt-get that behaves like a
# mirror in the middle of a sync, and checks what the script makes of it.
# Nothing is installed: apt-get, dpkg and sudo are replaced in PATH.
set -u
here=$(cd "$(dirname "$0")" && pwd)
fake=$(mktemp -d)
trap 'rm -rf "$fake"' EXIT
failures=0

# dpkg reports `locales` missing, so there is always something to install.
cat >"$fake/dpkg" <<'SH'
#!/bin/sh
if [ "$1" = -s ] && [ "$2" = locales ] && [ -z "${FAKE_NOTHING_MISSING:-}" ]; then exit 1; fi
[ "$1" = --print-foreign-architectures ] && { echo i386; exit 0; }
exec /usr/bin/dpkg "$@"
SH
# apt-get: FAKE_UPDATE, FAKE_INSTALL and FAKE_BASE give the exit status of
# `update`, of a plain install and of an install with -t bookworm.
cat >"$fake/apt-get" <<'SH'
#!/bin/sh
case "$*" in
  *update*) echo update >>"$FAKE_LOG"; exit "${FAKE_UPDATE:-0}" ;;
  *"-t bookworm"*) echo "install -t bookworm" >>"$FAKE_LOG"; exit "${FAKE_BASE:-0}" ;;
  *) echo install >>"$FAKE_LOG"; exit "${FAKE_INSTALL:-0}" ;;
esac
SH
printf '#!/bin/sh\nexec "$@"\n' >"$fake/sudo"
chmod +x "$fake/dpkg" "$fake/apt-get" "$fake/sudo"

# expect <name> <wanted exit status> <wanted apt-get calls, one per line:
#   update | install | install -t bookworm> [VAR=value...]
expect() {
  local name=$1 status=$2 calls=$3 got
  shift 3
  : >"$fake/log"
  env "$@" FAKE_LOG="$fake/log" PATH="$fake:$PATH" "$here/../../tools/install-deps.sh" >"$fake/out" 2>&1
  got=$?
  local seen
  seen=$(cat "$fake/log")
  if [ "$got" != "$status" ] || [ "$seen" != "$calls" ]; then
    echo "FAIL $name: exit $got (wanted $status), calls:"; echo "$seen"; echo "wanted:"; echo "$calls"
    cat "$fake/out"
    failures=$((failures + 1))
  else
    echo "ok   $name"
  fi
}

expect "a failed index is a warning" 0 "update
install" FAKE_UPDATE=100
grep -q "warning: apt-get update could not read every package index" "$fake/out" || {
  echo "FAIL no warning for the failed index"; failures=$((failures + 1)); }
expect "an unresolvable install is retried from the base release" 0 "update
install
install -t bookworm" FAKE_INSTALL=100
expect "both failing is a failure" 100 "update
install
install -t bookworm" FAKE_UPDATE=100 FAKE_INSTALL=100 FAKE_BASE=100
expect "nothing missing, nothing run" 0 "" FAKE_NOTHING_MISSING=1
exit $((failures > 0))
