#!/usr/bin/env bash
# Erasure through the engine under Wine against the native tools, on the
# same disk in the same run: dd (bs=1M, oflag=dsync) from /dev/zero and from
# /dev/urandom, and shred -n 3, each over a 256 MiB file. The order of the
# measurements turns from round to round; medians and best runs are printed,
# the ratios last (throughput of the engine over that of the native tool).
# The small-file case erases 10,000 files of 1 KiB with one zero pass, as the
# Erase command's worker does, against shred -u -n 1 over the same files, in
# one folder and in 100 folders of 100: there the cost of each file's end
# (names, times, the deletion) shows, which a single large file hides. With
# -n, that many files instead (a multiple of 100: the spread tree has folders
# of 100).
# With -b, the small-file case also runs another build's erasebench.exe (an
# older tree's, say) in the same rounds, and prints the time it takes over
# that of each built one.
#   tools/erase-bench.sh [-r rounds] [-m MiB] [-k large|small|all] [-n files] [-b other/erasebench.exe] [preset ...]
#   (default: 3 rounds, 256 MiB, all cases, win32 and win64 if built)
set -u
here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/.." && pwd)
rounds=3
mib=256
cases=all
other=
files=10000
while getopts "r:m:k:n:b:" option; do
  case $option in
    r) rounds=$OPTARG ;;
    m) mib=$OPTARG ;;
    k) cases=$OPTARG ;;
    n) files=$OPTARG ;;
    b) other=$(cd "$(dirname "$OPTARG")" && pwd)/$(basename "$OPTARG") ;;
    *) exit 2 ;;
  esac
done
shift $((OPTIND - 1))
if [ $((files % 100)) -ne 0 ] || [ "$files" -lt 100 ] || [ "$files" -gt 10000 ]; then echo "-n takes a multiple of 100 up to 10000"; exit 2; fi
presets=("$@")
if [ ${#presets[@]} -eq 0 ]; then
  presets=(win32)
  grep -q '"name": "win64"' "$repo/CMakePresets.json" && [ -d "$repo/build/win64" ] && presets+=(win64)
fi

work="$repo/build/erasebench.tmp"
mkdir -p "$work"
# Each preset's runs get a Wine world of their own, so that a test run of the
# build tree, which stops its wineserver at the end, cannot stop them too.
world() { echo "$work/wine-$1"; }
for preset in "${presets[@]}"; do
  cmake --build --preset "$preset" --target erasebench >/dev/null || { echo "cannot build erasebench for $preset"; exit 1; }
  mkdir -p "$(world "$preset")"
  cp "$repo/build/$preset/wine-arch" "$(world "$preset")/"
  [ -f "$(world "$preset")/wine/prefix/system.reg" ] || "$repo/tests/harness/wine-env.sh" setup "$(world "$preset")" >/dev/null || exit 1
done

target="$work/target.bin"
tree="$work/tree"
cleanup() {
  rm -rf "$target" "$tree"
  for preset in "${presets[@]}"; do "$repo/tests/harness/wine-env.sh" cleanup "$(world "$preset")" >/dev/null 2>&1; done
}
trap cleanup EXIT
# The Wine drive Z: is the host's root.
windows_target="Z:$(echo "$target" | tr / '\\')"
windows_tree="Z:$(echo "$tree" | tr / '\\')"

fresh_file() {
  rm -f "$target"
  dd if=/dev/zero of="$target" bs=1M count="$mib" status=none && sync "$target"
}

# $files files of 1 KiB: "one" folder of them all, or "spread" over folders
# of 100.
fresh_tree() {
  rm -rf "$tree"
  mkdir -p "$tree"
  if [ "$1" = one ]; then
    head -c $((files * 1024)) /dev/urandom | (cd "$tree" && split -b 1024 -a 4 -d - f)
  else
    for d in $(seq -w 0 $((files / 100 - 1))); do
      mkdir "$tree/d$d"
      head -c $((100 * 1024)) /dev/urandom | (cd "$tree/d$d" && split -b 1024 -a 4 -d - f)
    done
  fi
  sync
}

declare -A times
# Each figure is printed as it comes, so that a run cut short still shows
# what it measured.
record() {
  times[$1]="${times[$1]:-} $2"
  echo "  $1 $2"
}

# Runs one measurement by name; prints nothing, records seconds.
measure() {
  local name=$1 start end seconds preset method output
  case $name in
    dd_zero|dd_urandom)
      rm -f "$target"; sync
      start=$EPOCHREALTIME
      dd if=/dev/${name#dd_} of="$target" bs=1M count="$mib" oflag=dsync status=none || exit 1
      end=$EPOCHREALTIME
      seconds=$(echo "$end - $start" | bc -l) ;;
    shred3)
      fresh_file
      start=$EPOCHREALTIME
      shred -n 3 "$target" || exit 1
      end=$EPOCHREALTIME
      seconds=$(echo "$end - $start" | bc -l) ;;
    small_shred_*)
      fresh_tree "${name##*_}"
      start=$EPOCHREALTIME
      find "$tree" -type f -exec shred -u -n 1 {} + || exit 1
      rm -r "$tree" || exit 1
      end=$EPOCHREALTIME
      seconds=$(echo "$end - $start" | bc -l) ;;
    small_engine_*|small_other_*)
      # small_engine_<layout>_<preset>, small_other_<layout> (in the first preset's prefix)
      layout=$(echo "$name" | cut -d_ -f3)
      if [ "${name#small_other_}" != "$name" ]; then
        preset=${presets[0]}
        program=$other
      else
        preset=${name##*_}
        program="$repo/build/$preset/erasebench.exe"
      fi
      fresh_tree "$layout"
      output=$("$repo/tests/harness/wine-run.sh" "$(world "$preset")" "$program" tree \
               "$windows_tree" 0 2>/dev/null) || { echo "$name: $output"; exit 1; }
      seconds=$(echo "$output" | tr -d '\r' | sed -n 's/^seconds //p') ;;
    *)
      # engine_<method>_<preset>
      method=$(echo "$name" | cut -d_ -f2)
      preset=$(echo "$name" | cut -d_ -f3)
      fresh_file
      output=$("$repo/tests/harness/wine-run.sh" "$(world "$preset")" "$repo/build/$preset/erasebench.exe" "$windows_target" \
               "$method" 2>/dev/null) || { echo "$name: $output"; exit 1; }
      seconds=$(echo "$output" | tr -d '\r' | sed -n 's/^seconds //p') ;;
  esac
  record "$name" "$seconds"
}

names=()
if [ "$cases" != small ]; then
  names+=(dd_zero dd_urandom shred3)
  for preset in "${presets[@]}"; do names+=("engine_0_$preset" "engine_1_$preset" "engine_2_$preset"); done
fi
if [ "$cases" != large ]; then
  names+=(small_shred_one small_shred_spread)
  for preset in "${presets[@]}"; do names+=("small_engine_one_$preset" "small_engine_spread_$preset"); done
  [ -n "$other" ] && names+=(small_other_one small_other_spread)
fi

for round in $(seq 1 "$rounds"); do
  # Rotate, and reverse every other round, so that no measurement always
  # follows the same one.
  count=${#names[@]}
  order=()
  for i in $(seq 0 $((count - 1))); do order+=("${names[$(( (i + round) % count ))]}"); done
  if [ $((round % 2)) -eq 0 ]; then
    reversed=()
    for ((i = count - 1; i >= 0; i--)); do reversed+=("${order[$i]}"); done
    order=("${reversed[@]}")
  fi
  echo "round $round: ${order[*]}"
  for name in "${order[@]}"; do measure "$name"; done
done

median() { tr ' ' '\n' | grep . | sort -g | awk '{v[NR]=$1} END {print v[int((NR+1)/2)]}'; }
best() { tr ' ' '\n' | grep . | sort -g | head -1; }

label() {
  case $1 in
    dd_zero) echo "dd bs=1M oflag=dsync from /dev/zero" ;;
    dd_urandom) echo "dd bs=1M oflag=dsync from /dev/urandom" ;;
    shred3) echo "shred -n 3" ;;
    engine_0_*) echo "engine ${1##*_}, zero pass" ;;
    engine_1_*) echo "engine ${1##*_}, random pass" ;;
    engine_2_*) echo "engine ${1##*_}, DoD 3 passes" ;;
    small_shred_one) echo "shred -u -n 1, $files x 1 KiB, one folder" ;;
    small_shred_spread) echo "shred -u -n 1, $((files / 100)) folders of 100" ;;
    small_engine_one_*) echo "engine ${1##*_}, 1 KiB files, one folder" ;;
    small_engine_spread_*) echo "engine ${1##*_}, $((files / 100)) folders of 100" ;;
    small_other_one) echo "other engine, 1 KiB files, one folder" ;;
    small_other_spread) echo "other engine, $((files / 100)) folders of 100" ;;
  esac
}

echo
printf "%-42s %10s %10s %12s   %s\n" "($mib MiB, $rounds rounds)" "median s" "best s" "median MB/s" "every run, s"
declare -A med bst
for name in "${names[@]}"; do
  med[$name]=$(echo "${times[$name]}" | median)
  bst[$name]=$(echo "${times[$name]}" | best)
  passes=1
  case $name in shred3|engine_2_*) passes=3 ;; esac
  # The small-file cases give files per second instead.
  rate="$passes * $mib * 1.048576 / ${med[$name]}"
  case $name in small_*) rate="$files / ${med[$name]}" ;; esac
  printf "%-42s %10.3f %10.3f %12.0f  %s\n" "$(label "$name")" "${med[$name]}" "${bst[$name]}" \
    "$(echo "$rate" | bc -l)" "$(for t in ${times[$name]}; do printf " %.2f" "$t"; done)"
done

echo
echo "ratios (the native tool's time over the engine's; medians, best runs):"
ratio() { printf "%.2f, %.2f" "$(echo "${med[$1]} / ${med[$2]}" | bc -l)" "$(echo "${bst[$1]} / ${bst[$2]}" | bc -l)"; }
for preset in "${presets[@]}"; do
  if [ "$cases" != small ]; then
    echo "  $preset zero pass / dd zero:        $(ratio dd_zero "engine_0_$preset")   (target >= 0.6)"
    echo "  $preset random pass / dd urandom:   $(ratio dd_urandom "engine_1_$preset")   (target >= 0.6)"
    echo "  $preset DoD 3-pass vs shred -n 3:   $(ratio shred3 "engine_2_$preset")   (target >= 1.0)"
  fi
  if [ "$cases" != large ]; then
    echo "  $preset 1 KiB files, one folder vs shred -u -n 1:    $(ratio small_shred_one "small_engine_one_$preset")"
    echo "  $preset 1 KiB files, folders of 100 vs shred -u -n 1:   $(ratio small_shred_spread "small_engine_spread_$preset")"
    if [ -n "$other" ]; then
      echo "  other engine, one folder vs shred -u -n 1:          $(ratio small_shred_one small_other_one)"
      echo "  other engine, folders of 100 vs shred -u -n 1:         $(ratio small_shred_spread small_other_spread)"
      echo "  $preset time over the other's, one folder:           $(ratio "small_engine_one_$preset" small_other_one)"
      echo "  $preset time over the other's, folders of 100:          $(ratio "small_engine_spread_$preset" small_other_spread)"
    fi
  fi
done
