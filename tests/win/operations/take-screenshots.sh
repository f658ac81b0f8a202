#!/usr/bin/env bash
# Pictures of the operation dialog in its states, taken while the dialog
# tests run under Xvfb:  take-screenshots.sh <build dir> <output folder>
set -eu
here=$(cd "$(dirname "$0")/../../.." && pwd)
build=$(cd "$1" && pwd)
out=$(mkdir -p "$2" && cd "$2" && pwd)
requests=$(mktemp -d)
export DISPLAY=$(cat "$build/wine/display")
VARNOKE_SHOT_DIR="Z:${requests//\//\\}" "$here/tools/wine-run.sh" "$build" "$build/operations_tests.exe" \
  --gtest_filter='OperationDialog.QuestionsOfEveryModeToTheByte:OperationDialog.YesWorksThenReportsUntilExit:OperationDialog.CancelDuringGutmann*:OperationDialog.TheQuestionAndTheProgressLineShowTheRealNames' \
  >"$requests/log.txt" 2>&1 &
tests=$!
while kill -0 "$tests" 2>/dev/null; do
  for request in "$requests"/*.req; do
    [ -e "$request" ] || continue
    read -r w h x y <"$request" || true
    name=$(basename "$request" .req)
    import -window root -crop "${w}x${h}+${x}+${y}" +repage "$out/$name.png"
    rm -f "$request"
  done
  sleep 0.05
done
wait "$tests" || { cat "$requests/log.txt"; exit 1; }
rm -rf "$requests"
ls "$out"
