#!/usr/bin/env bash
# Takes the pictures in docs/screenshots under a build tree's Xvfb:
#   tools/screenshots.sh [-b build dir] [-o output dir] [config] [operations] [demo] [dpi]
# (default: build/win32, docs/screenshots, config and operations)
#   config       the configuration sheet's pages: the disabled ConfigScreenshots
#                test poses each page and waits until it is photographed
#   operations   the operation dialog in its states, photographed while the
#                dialog tests that reach them run
#   demo         runs tools/demo.sh without a display and keeps its pictures
#                of the menu, the sheet and a Clean run as demo-*.png
#   dpi          the open menu at 96, 144 and 192 DPI, each in a Wine prefix
#                of its own (tests/win/menu/dpi-run.sh): menu-dpi-096.png,
#                menu-dpi-144.png, menu-dpi-192.png and menu-dpi-all.png
# A test asks for a picture by writing <name>.ready ("x y width height") or
# <name>.req ("width height x y") into a folder shared with this script;
# the picture is cut out of the screen and the request removed.
set -eu
repo=$(cd "$(dirname "$0")/.." && pwd)
build=$repo/build/win32
out=$repo/docs/screenshots
while getopts b:o: option; do
  case $option in
    b) build=$(cd "$OPTARG" && pwd) ;;
    o) out=$OPTARG ;;
    *) sed -n '2,13p' "$0" >&2; exit 1 ;;
  esac
done
shift $((OPTIND - 1))
kinds=("$@")
[ ${#kinds[@]} -gt 0 ] || kinds=(config operations)
mkdir -p "$out"
out=$(cd "$out" && pwd)

. "$repo/tests/harness/wine-env.sh"
# Started here, the Wine world is stopped here again (its processes hold
# the setup lock while they run).
start_wine() {
  if [ ! -f "$build/wine/prefix/system.reg" ] || [ ! -f "$build/wine/display" ]; then
    "$repo/tests/harness/wine-env.sh" setup "$build" >/dev/null
    trap '"$repo/tests/harness/wine-env.sh" cleanup "$build"' EXIT
  fi
  varnoke_wine_env "$build"
}

# Runs a test program with VARNOKE_SHOT_DIR set and answers its requests
# until it ends.
photograph() {
  local requests
  requests=$(mktemp -d)
  VARNOKE_SHOT_DIR=$(winepath -w "$requests") wine "$@" >"$requests/test.log" 2>&1 9>&- &
  local test_pid=$!
  while kill -0 "$test_pid" 2>/dev/null; do
    for request in "$requests"/*.ready "$requests"/*.req; do
      [ -e "$request" ] || continue
      local name=${request##*/} x y w h
      name=${name%.*}
      if [ "${request##*.}" = ready ]; then
        read -r x y w h < <(tr -d "\r" <"$request")
        # A margin around the sheet; more below it for an open drop-down list.
        local below=20
        case $name in *history*) below=100 ;; esac
        import -window root -crop "$((w + 40))x$((h + 20 + below))+$((x - 20))+$((y - 20))" +repage "$out/$name.png"
        touch "$requests/$name.done"
      else
        read -r w h x y < <(tr -d "\r" <"$request") || true
        import -window root -crop "${w}x${h}+${x}+${y}" +repage "$out/$name.png"
      fi
      rm -f "$request"
    done
    sleep 0.05
  done
  wait "$test_pid" || { cat "$requests/test.log"; rm -rf "$requests"; exit 1; }
  rm -rf "$requests"
}

for kind in "${kinds[@]}"; do
  case $kind in
    config)
      start_wine
      photograph "$build/config_tests.exe" --gtest_also_run_disabled_tests --gtest_filter='ConfigScreenshots.*'
      ;;
    operations)
      start_wine
      photograph "$build/operations_tests.exe" \
        --gtest_filter='OperationDialog.QuestionsOfEveryModeToTheByte:OperationDialog.OnASolidStateDrive*:OperationDialog.YesWorksThenReportsUntilExit:OperationDialog.CancelDuringGutmann*:OperationDialog.TheQuestionAndTheProgressLineShowTheRealNames:Progress.AnEraseHalfWay*:Progress.PauseStopsTheWorkerUntilResume'
      ;;
    demo)
      env -u DISPLAY "$repo/tools/demo.sh"
      for picture in "$repo"/build/demo/*.png; do
        cp "$picture" "$out/demo-${picture##*/}"
      done
      ;;
    dpi)
      "$repo/tests/win/menu/dpi-run.sh" "$build" "$out"
      ;;
    *)
      echo "screenshots.sh: unknown kind '$kind' (config, operations, demo or dpi)" >&2
      exit 1
      ;;
  esac
done
ls "$out"
