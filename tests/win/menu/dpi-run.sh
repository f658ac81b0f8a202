#!/usr/bin/env bash
# Runs the menu's resolution tests in a Wine prefix of their own at 96, 144
# and 192 DPI. Wine 8 takes the resolution from HKCU\Control Panel\Desktop
# LogPixels (before HKLM\System\CurrentControlSet\Hardware Profiles\Current\
# Software\Fonts LogPixels) when its wineserver starts, so each resolution
# gets a fresh wineserver; the build tree's own prefix, which other tests
# share, is never touched.
#   dpi-run.sh <build dir> [picture folder]
# With a picture folder, the open menu is photographed at each resolution
# (menu-dpi-096.png, menu-dpi-144.png, menu-dpi-192.png, and all three side
# by side in menu-dpi-all.png).
set -u
repo=$(cd "$(dirname "$0")/../../.." && pwd)
build=$(cd "$1" && pwd)
pictures=${2:-}
world="$build/dpi-world"
mkdir -p "$world"
cp "$build/wine-arch" "$world/wine-arch"
. "$repo/tests/harness/wine-env.sh"
(varnoke_wine_setup "$world") >/dev/null || { echo "dpi-run: no Wine prefix" >&2; exit 1; }
trap '"$repo/tests/harness/wine-env.sh" cleanup "$world" >/dev/null 2>&1' EXIT
varnoke_wine_env "$world"
export DISPLAY
DISPLAY=$(cat "$VARNOKE_WINE_DIR/display")

at_dpi() {
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1 9>&-
  wineserver -k 9>&-
  wineserver -w 9>&-
  (setsid wineserver -p >/dev/null 2>&1 </dev/null 9>&- &)
  wine cmd /c exit >/dev/null 2>&1 </dev/null 9>&-
}

# Runs a test program; its output goes through a file (see wine-run.sh).
run_tests() {
  local output status
  output=$(mktemp "$VARNOKE_WINE_DIR/run.XXXXXX")
  VARNOKE_SCREEN_DPI=$1 wine "$2" "$3" >"$output" 2>&1 9>&-
  status=$?
  grep -E '^\[ *(OK|FAILED|SKIPPED|PASSED) *\]|Failure|Expected|Which is|actual|bitmap' "$output" | sed "s/^/$1 dpi: /"
  grep -q '\[  PASSED  \]' "$output" || status=1
  grep -q 'Running 0 tests' "$output" && status=1
  rm -f "$output"
  return $status
}

# The menu open at Varnoke/Delete, photographed once the host says it is.
photograph() {
  local dpi=$1 folders ready
  folders="$WINEPREFIX/drive_c/dpi_folders"
  mkdir -p "$folders/Projects" "$folders/Photos"
  ready="$VARNOKE_WINE_DIR/menu.ready"
  rm -f "$ready"
  wine "$build/host.exe" --dll "$(winepath -w "$build/Varnoke.dll" 2>/dev/null)" --ready "$(winepath -w "$ready" 2>/dev/null)" \
    --hold 20000 --at 40,40 shot Varnoke/Delete 'C:\dpi_folders\Projects' >/dev/null 2>&1 9>&- &
  local host=$! tries=0
  while [ ! -e "$ready" ] && kill -0 "$host" 2>/dev/null && [ $tries -lt 300 ]; do
    sleep 0.1
    tries=$((tries + 1))
  done
  local status=1
  if [ -e "$ready" ]; then
    sleep 0.3
    local w=$((460 * dpi / 96)) h=$((260 * dpi / 96))
    import -window root -crop "${w}x${h}+20+20" +repage "$pictures/menu-dpi-$(printf %03d "$dpi").png" && status=0
    rm -f "$ready"
  fi
  wait "$host"
  [ $status -eq 0 ] || echo "$dpi dpi: the menu could not be photographed" >&2
  return $status
}

failed=0
for dpi in 96 144 192; do
  at_dpi "$dpi"
  run_tests "$dpi" "$build/menu_tests.exe" --gtest_filter='MenuResolution.*' || failed=1
  run_tests "$dpi" "$build/operations_tests.exe" --gtest_filter='OperationDialogDpi.*' || failed=1
  if [ -n "$pictures" ]; then
    mkdir -p "$pictures"
    photograph "$dpi" || failed=1
  fi
done
at_dpi 96
if [ -n "$pictures" ] && [ $failed -eq 0 ]; then
  convert "$pictures"/menu-dpi-096.png "$pictures"/menu-dpi-144.png "$pictures"/menu-dpi-192.png \
    -background white -gravity north +append "$pictures/menu-dpi-all.png"
fi
exit $failed
