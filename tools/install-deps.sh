#!/usr/bin/env bash
# Installs what building and testing Varnoke needs on Debian 12, if missing:
# the i386 architecture, Wine (32- and 64-bit loaders), MinGW-w64 for i686
# and x86_64 (posix threads), widl, wixl for the MSI, Xvfb, CMake, Ninja,
# GoogleTest sources, clang with its fuzzing runtime, locales, and
# ImageMagick for screenshots.
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
[ ${#need[@]} -gt 0 ] || exit 0

echo "installing: ${need[*]}"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo_cmd dpkg --add-architecture i386
fi
if ! $sudo_cmd apt-get update -q; then
  echo "warning: apt-get update could not read every package index (a mirror in the middle of a sync?);" \
       "going on with the indexes it has" >&2
fi
install() { DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -q --no-install-recommends "$@"; }
if ! install "${need[@]}"; then
  echo "warning: the install could not be resolved; trying again from the base release (bookworm)," \
       "whose versions exist for both architectures" >&2
  install -t bookworm "${need[@]}"
fi
