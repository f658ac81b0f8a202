#!/usr/bin/env bash
# Installs what building and testing Varnoke needs on Debian 12, if missing:
# the i386 architecture, Wine (32-bit), MinGW-w64 (posix threads), widl,
# Xvfb, CMake, Ninja, GoogleTest sources and ImageMagick for screenshots.
set -eu
sudo_cmd=""
[ "$(id -u)" = 0 ] || sudo_cmd="sudo"
need=()
have() { command -v "$1" >/dev/null 2>&1; }
have wine || need+=(wine)
dpkg -s wine32:i386 >/dev/null 2>&1 || need+=(wine32:i386)
have i686-w64-mingw32-g++-posix || need+=(g++-mingw-w64-i686-posix mingw-w64-i686-dev binutils-mingw-w64-i686)
have i686-w64-mingw32-widl || need+=(mingw-w64-tools)
have Xvfb || need+=(xvfb)
have cmake || need+=(cmake)
have ninja || need+=(ninja-build)
have g++ || need+=(g++)
[ -f /usr/src/googletest/CMakeLists.txt ] || need+=(googletest)
have import || need+=(imagemagick)
have xdotool || need+=(xdotool)
have flock || need+=(util-linux)
if [ ${#need[@]} -gt 0 ]; then
  echo "installing: ${need[*]}"
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $sudo_cmd dpkg --add-architecture i386
  fi
  $sudo_cmd apt-get update -q
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -q --no-install-recommends "${need[@]}"
fi
