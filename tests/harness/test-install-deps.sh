#!/usr/bin/env bash
# Runs tools/install-deps.sh against a stand-in apt-get that behaves like a
# mirror in the middle of a sync, and against an osslsigncode too old to
# sign MSIX packages, and checks what the script makes of it. Nothing is
# installed: apt-get, dpkg, sudo and osslsigncode are replaced in PATH.
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
# apt-get: FAKE_UPDATE, FAKE_INSTALL, FAKE_BASE and FAKE_BACKPORTS give the
# exit status of `update`, of a plain install, of an install with -t
# bookworm and of one with -t bookworm-backports (which, when it succeeds,
# brings osslsigncode 2.9).
cat >"$fake/apt-get" <<'SH'
#!/bin/sh
case "$*" in
  *update*) echo update >>"$FAKE_LOG"; exit "${FAKE_UPDATE:-0}" ;;
  *"-t bookworm-backports"*) echo "install -t bookworm-backports" >>"$FAKE_LOG"
    [ "${FAKE_BACKPORTS:-100}" = 0 ] && echo 2.9 >"$FAKE_OSSL_FILE"
    exit "${FAKE_BACKPORTS:-100}" ;;
  *"-t bookworm"*) echo "install -t bookworm" >>"$FAKE_LOG"; exit "${FAKE_BASE:-0}" ;;
  *) echo install >>"$FAKE_LOG"; exit "${FAKE_INSTALL:-0}" ;;
esac
SH
# osslsigncode: the version in $FAKE_OSSL_FILE once "installed", else
# FAKE_OSSL_VERSION (default 2.9, which signs MSIX packages).
cat >"$fake/osslsigncode" <<'SH'
#!/bin/sh
version=${FAKE_OSSL_VERSION:-2.9}
[ -f "$FAKE_OSSL_FILE" ] && version=$(cat "$FAKE_OSSL_FILE")
echo "osslsigncode $version, using:"
SH
printf '#!/bin/sh\nexec "$@"\n' >"$fake/sudo"
chmod +x "$fake/dpkg" "$fake/apt-get" "$fake/sudo" "$fake/osslsigncode"

# expect <name> <wanted exit status> <wanted apt-get calls, one per line:
#   update | install | install -t bookworm> [VAR=value...]
expect() {
  local name=$1 status=$2 calls=$3 got
  shift 3
  : >"$fake/log"
  rm -f "$fake/ossl-version"
  env "$@" FAKE_LOG="$fake/log" FAKE_OSSL_FILE="$fake/ossl-version" PATH="$fake:$PATH" "$here/../../tools/install-deps.sh" >"$fake/out" 2>&1
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
grep -q "cannot sign MSIX" "$fake/out" && { echo "FAIL a new osslsigncode reported as old"; failures=$((failures + 1)); }
expect "an osslsigncode too old for MSIX is replaced from backports" 0 "update
install -t bookworm-backports" FAKE_NOTHING_MISSING=1 FAKE_OSSL_VERSION=2.5 FAKE_BACKPORTS=0
grep -q "will NOT be built" "$fake/out" && { echo "FAIL the replaced osslsigncode still reported"; failures=$((failures + 1)); }
expect "an osslsigncode that stays too old is said plainly" 0 "update
install
install -t bookworm-backports" FAKE_OSSL_VERSION=2.5
grep -q "warning: osslsigncode 2.5 cannot sign MSIX packages (2.7 or later is needed): the modules and the MSI are signed, but the sparse package for Windows 11's context menu will NOT be built" "$fake/out" || {
  echo "FAIL no plain word that the package will not be built"; cat "$fake/out"; failures=$((failures + 1)); }
exit $((failures > 0))
