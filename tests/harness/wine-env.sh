#!/usr/bin/env bash
# The private Wine world of one build tree: a prefix, a persistent wineserver
# and an Xvfb display, all under <build>/wine. The prefix has the width of
# the tree's programs (<build>/wine-arch, written by CMake): win32, or win64
# started through Wine's 64-bit loader, which runs where 32-bit code cannot.
#   wine-env.sh setup <build>     create the prefix once, start Xvfb and the wineserver
#   wine-env.sh cleanup <build>   stop them
#   source wine-env.sh; varnoke_wine_env <build>   export the environment only
varnoke_wine_env() {
  local build
  build=$(cd "$1" && pwd)
  export VARNOKE_WINE_DIR="$build/wine"
  export WINEPREFIX="$VARNOKE_WINE_DIR/prefix"
  export WINEARCH=win32
  [ -f "$build/wine-arch" ] && WINEARCH=$(cat "$build/wine-arch")
  if [ "$WINEARCH" = win64 ]; then
    # Debian's wine and wine-stable prefer the 32-bit loader whenever it is
    # installed, even where it cannot run; wineboot, regedit and friends
    # call wine-stable. Both names lead to the 64-bit loader instead.
    export WINELOADER=/usr/lib/wine/wine64
    local bin="$VARNOKE_WINE_DIR/bin"
    mkdir -p "$bin"
    for name in wine wine-stable; do
      [ -x "$bin/$name" ] || printf '#!/bin/sh\nexec %s "$@"\n' "$WINELOADER" >"$bin/$name"
      chmod +x "$bin/$name"
    done
    case ":$PATH:" in *":$bin:"*) ;; *) export PATH="$bin:$PATH" ;; esac
  else
    unset WINELOADER
  fi
  export WINEDEBUG="${WINEDEBUG:--all}"
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
  # The trash lives under XDG_DATA_HOME: without the folder Wine deletes
  # permanently and still reports success.
  export HOME="$VARNOKE_WINE_DIR/home"
  export XDG_DATA_HOME="$HOME/.local/share"
  mkdir -p "$XDG_DATA_HOME" "$VARNOKE_WINE_DIR"
  if [ -z "${VARNOKE_USE_DISPLAY:-}" ] && [ -f "$VARNOKE_WINE_DIR/display" ]; then
    export DISPLAY
    DISPLAY=$(cat "$VARNOKE_WINE_DIR/display")
  fi
}

varnoke_start_xvfb() {
  local n pid
  if [ -f "$VARNOKE_WINE_DIR/display" ] && [ -f "$VARNOKE_WINE_DIR/xvfb.pid" ] \
     && kill -0 "$(cat "$VARNOKE_WINE_DIR/xvfb.pid")" 2>/dev/null; then
    return 0
  fi
  command -v Xvfb >/dev/null || { echo "Xvfb is missing" >&2; return 1; }
  for n in $(seq 91 140); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 9>&- &
    pid=$!
    for _ in $(seq 1 50); do
      [ -e "/tmp/.X11-unix/X$n" ] && break
      sleep 0.1
    done
    if kill -0 "$pid" 2>/dev/null && [ -e "/tmp/.X11-unix/X$n" ]; then
      echo "$pid" > "$VARNOKE_WINE_DIR/xvfb.pid"
      echo ":$n" > "$VARNOKE_WINE_DIR/display"
      return 0
    fi
  done
  echo "no free X display for Xvfb" >&2
  return 1
}

varnoke_wine_setup() {
  varnoke_wine_env "$1"
  exec 9>"$VARNOKE_WINE_DIR/lock"
  flock 9
  varnoke_start_xvfb || return 1
  export DISPLAY
  DISPLAY=$(cat "$VARNOKE_WINE_DIR/display")
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "creating the Wine prefix $WINEPREFIX"
    # Nothing started here may inherit the lock (fd 9), or it would be held
    # for as long as Wine's own processes live.
    wineboot -i >/dev/null 2>&1 9>&- || true
    wineserver -w 9>&-
    # Unmanaged windows: closing a window costs no window-manager round trip.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 9>&-
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d Y /f >/dev/null 2>&1 9>&-
    wineserver -w 9>&-
  fi
  [ -f "$WINEPREFIX/system.reg" ] || { echo "the Wine prefix could not be created" >&2; return 1; }
  # A persistent wineserver makes each program start in tens of milliseconds.
  (setsid wineserver -p >/dev/null 2>&1 </dev/null 9>&- &)
  # Start Wine's own services now, detached from the caller's output: a
  # test program that started them would leave them holding its stdout.
  wine cmd /c exit >/dev/null 2>&1 </dev/null 9>&-
  return 0
}

varnoke_wine_cleanup() {
  varnoke_wine_env "$1"
  wineserver -k >/dev/null 2>&1 || true
  if [ -f "$VARNOKE_WINE_DIR/xvfb.pid" ]; then
    kill "$(cat "$VARNOKE_WINE_DIR/xvfb.pid")" 2>/dev/null || true
    rm -f "$VARNOKE_WINE_DIR/xvfb.pid" "$VARNOKE_WINE_DIR/display"
  fi
  return 0
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  set -u
  case "${1:-}" in
    setup) varnoke_wine_setup "$2" ;;
    cleanup) varnoke_wine_cleanup "$2" ;;
    *) echo "usage: $0 setup|cleanup <build dir>" >&2; exit 2 ;;
  esac
fi
