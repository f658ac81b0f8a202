#!/usr/bin/env bash
# Photographs the configuration sheet's pages under the build tree's Xvfb:
#   tools/config-screenshots.sh [build dir] [output dir]
# Runs the disabled screenshot test, which poses each page and waits; every
# pose is cut out of the screen around the sheet and written as PNG.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../build/win32}
out=${2:-$here/../docs/screenshots}
mkdir -p "$out"
. "$here/wine-env.sh"
# Started here, the Wine world is stopped here again (its processes hold
# the setup lock while they run).
if [ ! -f "$build/wine/prefix/system.reg" ] || [ ! -f "$build/wine/display" ]; then
  "$here/wine-env.sh" setup "$build" >/dev/null
  trap '"$here/wine-env.sh" cleanup "$build"' EXIT
fi
varnoke_wine_env "$build"
shots=$(mktemp -d)
winshots=$(winepath -w "$shots")
VARNOKE_SHOT_DIR=$winshots wine "$build/config_tests.exe" --gtest_also_run_disabled_tests \
  --gtest_filter='ConfigScreenshots.*' >"$shots/test.log" 2>&1 9>&- &
test_pid=$!
while kill -0 "$test_pid" 2>/dev/null; do
  for ready in "$shots"/*.ready; do
    [ -e "$ready" ] || continue
    name=$(basename "$ready" .ready)
    read -r x y w h < <(tr -d "\r" <"$ready")
    # A margin around the sheet; more below it for an open drop-down list.
    below=20
    case $name in *history*) below=100 ;; esac
    import -window root -crop "$((w + 40))x$((h + 20 + below))+$((x - 20))+$((y - 20))" +repage "$out/$name.png"
    rm -f "$ready"
    touch "$shots/$name.done"
  done
  sleep 0.1
done
wait "$test_pid" || { cat "$shots/test.log"; exit 1; }
rm -rf "$shots"
ls "$out"
