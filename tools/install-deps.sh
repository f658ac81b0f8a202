#!/usr/bin/env bash
# Installs what building and testing Varnoke needs on Debian 12, if missing:
# the i386 architecture, Wine (32- and 64-bit loaders), MinGW-w64 for i686
# and x86_64 (posix threads), widl, wixl for the MSI, Xvfb, CMake, Ninja,
# GoogleTest sources, clang with its fuzzing runtime, locales,
# ImageMagick for screenshots, and openssl with osslsigncode for signing.
#
# osslsigncode signs MSIX packages from 2.7 on (Debian 12 has 2.5,
# bookworm-backports 2.9): an older one is replaced from bookworm-backports
# where that is configured; where it cannot be, the script says plainly
# that the sparse package will not be built (the build says so too).
#
# Mirrors are not always consistent: an index that fails to download (a
# mirror in the middle of a sync) is a warning, and an install the resolver
# cannot satisfy (security updates of multi-arch libraries published for
# amd64 but not yet for i386) is tried again from the base release alone.
set -eu
sudo_cmd=""
[ "$(id -u)" = 0 ] || sudo_cmd="sudo"
need=()
have() { command -v "$1" >/dev/null 2>&1; }
installed() { dpkg -s "$1" >/dev/null 2>&1; }
have wine || need+=(wine)
installed wine32:i386 || need+=(wine32:i386)
[ -x /usr/lib/wine/wine64 ] || need+=(wine64)
have i686-w64-mingw32-g++-posix || need+=(g++-mingw-w64-i686-posix mingw-w64-i686-dev binutils-mingw-w64-i686)
have x86_64-w64-mingw32-g++-posix || need+=(g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev binutils-mingw-w64-x86-64)
have i686-w64-mingw32-widl || need+=(mingw-w64-tools)
have wixl || need+=(wixl)
have Xvfb || need+=(xvfb)
have cmake || need+=(cmake)
have ninja || need+=(ninja-build)
have g++ || need+=(g++)
have clang || need+=(clang)
installed libclang-rt-14-dev || need+=(libclang-rt-14-dev)
installed locales || need+=(locales)
[ -f /usr/src/googletest/CMakeLists.txt ] || need+=(googletest)
have import || need+=(imagemagick)
have xdotool || need+=(xdotool)
have flock || need+=(util-linux)
have openssl || need+=(openssl)
have osslsigncode || need+=(osslsigncode)

install() { DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -q --no-install-recommends "$@"; }
updated=no
update() {
  [ "$updated" = no ] || return 0
  updated=yes
  if ! $sudo_cmd apt-get update -q; then
    echo "warning: apt-get update could not read every package index (a mirror in the middle of a sync?);" \
         "going on with the indexes it has" >&2
  fi
}

if [ ${#need[@]} -gt 0 ]; then
  echo "installing: ${need[*]}"
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $sudo_cmd dpkg --add-architecture i386
  fi
  update
  if ! install "${need[@]}"; then
    echo "warning: the install could not be resolved; trying again from the base release (bookworm)," \
         "whose versions exist for both architectures" >&2
    install -t bookworm "${need[@]}"
  fi
fi

# "2 9" for osslsigncode 2.9; nothing when it names no version.
osslsigncode_version() { osslsigncode --version 2>/dev/null | sed -n '1s/^osslsigncode \([0-9]*\)\.\([0-9]*\).*/\1 \2/p'; }
signs_msix() {
  local major minor
  read -r major minor <<<"$(osslsigncode_version)"
  [ -n "${major:-}" ] && { [ "$major" -gt 2 ] || { [ "$major" = 2 ] && [ "$minor" -ge 7 ]; }; }
}
if ! signs_msix; then
  echo "osslsigncode $(osslsigncode_version | tr ' ' .) cannot sign MSIX packages (2.7 or later is needed);" \
       "trying bookworm-backports" >&2
  update
  install -t bookworm-backports osslsigncode || true
  if ! signs_msix; then
    echo "warning: osslsigncode $(osslsigncode_version | tr ' ' .) cannot sign MSIX packages (2.7 or later is" \
         "needed): the modules and the MSI are signed, but the sparse package for Windows 11's context menu" \
         "will NOT be built" >&2
  fi
fi
