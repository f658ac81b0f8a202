#!/usr/bin/env bash
# Installs what is missing, builds Varnoke.dll, registers it with Wine's
# regsvr32 in the build tree's private prefix, makes a sample folder tree and
# starts the shell-like host on it. The 32-bit module is shown where this
# machine can execute 32-bit x86 programs, the 64-bit one where it cannot. With a display: the host's window (a
# right-click opens the menu). Without one, under Xvfb: the menu is printed
# and screenshots of the menu, the configuration sheet and a Clean run's
# question and report are saved to build/demo/.
set -eu
cd "$(dirname "$0")/.."
user_display=${DISPLAY:-}
tools/install-deps.sh
preset=win32
if reason=$(tests/harness/x86-unavailable.sh); then
  echo "== Showing the 64-bit module: this machine cannot execute 32-bit x86 programs ($reason)."
  preset=win64
fi
cmake --preset $preset >/dev/null
cmake --build --preset $preset
build=$(pwd)/build/$preset
if [ -n "$user_display" ]; then export VARNOKE_USE_DISPLAY=1; fi
tests/harness/wine-env.sh setup "$build" >/dev/null
. tests/harness/wine-env.sh
varnoke_wine_env "$build"
if [ -n "$user_display" ]; then export DISPLAY="$user_display"; fi
host="$build/host.exe"
press="$build/press.exe"

echo "== Registering $(wine winepath -w "$build/Varnoke.dll" 2>/dev/null)"
wine regsvr32 /s "$build/Varnoke.dll"

# A sample tree inside the prefix, with files for Clean to find.
sample_unix="$WINEPREFIX/drive_c/VarnokeSample"
rm -rf "$sample_unix"
mkdir -p "$sample_unix/Projects/build" "$sample_unix/Photos"
echo "notes" > "$sample_unix/Projects/readme.txt"
echo "scratch" > "$sample_unix/Projects/scratch.tmp"
echo "object" > "$sample_unix/Projects/build/main.tmp"
echo "jpeg" > "$sample_unix/Photos/holiday.jpg"
echo "thumbnails" > "$sample_unix/Photos/thumbs.tmp"
projects='C:\VarnokeSample\Projects'
photos='C:\VarnokeSample\Photos'

echo "== The module loaded as the shell loads it"
wine "$build/inspect.exe" "$projects" 2>/dev/null

echo "== The context menu of the two sample folders, as the host builds it"
wine "$host" list "$photos" "$projects" 2>/dev/null

echo "== The Explorer command of Windows 11's top-level menu, for the same folders and for one"
wine "$host" commands "$photos" "$projects" 2>/dev/null
wine "$host" commands "$projects" 2>/dev/null

if [ -n "$user_display" ]; then
  echo "== The host's window is open: right-click in it for the context menu"
  wine "$host" show "$photos" "$projects" 2>/dev/null
  exit 0
fi

out=$(pwd)/build/demo
mkdir -p "$out"
shoot() {  # shoot <file> <window title>
  local rect x y w h
  rect=$(wine "$press" rect "$2" 2>/dev/null | tr -d '\r') || return 1
  read -r x y w h <<<"$rect"
  import -window root -crop "$((w + 8))x$((h + 8))+$((x > 4 ? x - 4 : 0))+$((y > 4 ? y - 4 : 0))" +repage "$1"
}

echo "== Screenshots (under Xvfb, display $DISPLAY)"
ready="$out/menu.ready"
rm -f "$ready"
wine "$host" --ready "$(wine winepath -w "$ready" 2>/dev/null)" --hold 15000 shot Varnoke/Delete "$photos" "$projects" \
  >/dev/null 2>&1 &
for _ in $(seq 1 200); do [ -f "$ready" ] && break; sleep 0.1; done
import -window root -crop 560x360+20+20 +repage "$out/menu.png"
rm -f "$ready"
wait
echo "  $out/menu.png"

wine "$host" invoke "Configure..." "$projects" >/dev/null 2>&1 &
wine "$press" wait "Configure Varnoke" >/dev/null 2>&1
sleep 0.5
shoot "$out/configure.png" "Configure Varnoke"
wine "$press" click "Configure Varnoke" 2 >/dev/null 2>&1   # Cancel
wait
echo "  $out/configure.png"

wine "$host" invoke Clean "$photos" "$projects" >/dev/null 2>&1 &
wine "$press" wait Clean >/dev/null 2>&1
sleep 0.3
shoot "$out/clean-question.png" Clean
wine "$press" click Clean 1 >/dev/null 2>&1                 # Yes
wine "$press" wait Clean 2 "E&xit" >/dev/null 2>&1
sleep 0.3
shoot "$out/clean-report.png" Clean
wine "$press" click Clean 2 >/dev/null 2>&1                 # Exit
wait
echo "  $out/clean-question.png"
echo "  $out/clean-report.png"
echo "== The sample tree after the Clean run (*.tmp gone from the selected folders, subfolders kept)"
(cd "$sample_unix" && find . -type f | sort)
