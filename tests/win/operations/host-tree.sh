#!/usr/bin/env bash
# Builds, from the host side of the build tree's Wine prefix, what a Windows
# program cannot make under Wine (directory symbolic links: CreateSymbolicLinkA
# is a stub there) or makes far too slowly (20,000 files in one folder: each
# new name costs Wine a scan of the folder), runs the HostTree tests of
# operations_tests.exe on it, and checks from the host that no file a link points
# to was touched. It also runs the double-byte code page tests under a
# Japanese locale, which a Windows program cannot switch to by itself; a
# machine that cannot make that locale fails the run. A drive letter of the
# prefix's own (never C:) points at a test folder, whose root Delete must
# refuse and Clean must clean.
#   host-tree.sh <build dir>
set -u
repo=$(cd "$(dirname "$0")/../../.." && pwd)
build=$(cd "$1" && pwd)
. "$repo/tests/harness/wine-env.sh"
varnoke_wine_env "$build"

name="vk_host_$$"
root="$WINEPREFIX/drive_c/$name"
drive=""
# rm -rf removes links without following them.
trap 'rm -rf "$root"; [ -n "$drive" ] && rm -f "$WINEPREFIX/dosdevices/$drive"' EXIT
for mode in delete erase clean; do
  base="$root/$mode"
  mkdir -p "$base/target/deep" "$base/sel/sub"
  printf 'keep me' > "$base/target/keep.txt"
  printf 'keep me too' > "$base/target/x.tmp"
  printf 'deep' > "$base/target/deep/keep.tmp"
  printf 'a' > "$base/sel/a.txt"
  printf 'b' > "$base/sel/b.tmp"
  printf 'c' > "$base/sel/sub/c.tmp"
  ln -s "$base/target" "$base/sel/link"
  ln -s "$base/target/deep" "$base/sel/sub/deeplink"
done
mkdir -p "$root/big/sub"
(cd "$root/big" && seq -f 'f%05g.dat' 0 19999 | xargs touch)

mkdir -p "$root/drive/sub"
printf 'keep' > "$root/drive/keep.txt"
printf 'a' > "$root/drive/a.tmp"
printf 'b' > "$root/drive/sub/b.tmp"
for letter in t u v w x y; do
  if [ ! -e "$WINEPREFIX/dosdevices/$letter:" ] && [ ! -L "$WINEPREFIX/dosdevices/$letter:" ]; then
    drive="$letter:"
    ln -s "../drive_c/$name/drive" "$WINEPREFIX/dosdevices/$drive"
    break
  fi
done
[ -n "$drive" ] || { echo "no free drive letter in $WINEPREFIX/dosdevices" >&2; exit 1; }

VARNOKE_HOST_TREE="C:\\$name" VARNOKE_ROOT_DRIVE="$drive" wine "$build/operations_tests.exe" \
  --gtest_also_run_disabled_tests --gtest_filter='DISABLED_HostTree.*:DISABLED_HostDrive.*' 2>&1
status=$?

# Japanese code page: second bytes that look like "|" and "\". Wine takes
# its code page from the host locale, and names reach the host in the
# locale's charset, so the locale must exist: it is compiled once into the
# build tree (LOCPATH), leaving the system's locales alone.
locales="$VARNOKE_WINE_DIR/locale"
if [ ! -d "$locales/ja_JP.UTF-8" ] && command -v localedef >/dev/null; then
  mkdir -p "$locales"
  localedef -i ja_JP -f UTF-8 "$locales/ja_JP.UTF-8" >/dev/null 2>&1 || rm -rf "$locales/ja_JP.UTF-8"
fi
if [ -d "$locales/ja_JP.UTF-8" ]; then
  LOCPATH="$locales" LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8 wine "$build/operations_tests.exe" \
    --gtest_also_run_disabled_tests --gtest_filter='DISABLED_Dbcs.*' 2>&1 || status=1
else
  echo "FAILED: the ja_JP locale cannot be compiled here (localedef), so the double-byte code page tests cannot run" >&2
  status=1
fi

for mode in delete erase clean; do
  base="$root/$mode"
  for check in "target/keep.txt:keep me" "target/x.tmp:keep me too" "target/deep/keep.tmp:deep"; do
    file=${check%%:*}
    want=${check#*:}
    if [ "$(cat "$base/$file" 2>/dev/null)" != "$want" ]; then
      echo "host check: $mode/$file was changed or removed" >&2
      status=1
    fi
  done
done
# Delete refused the root, Clean took the masks' files and nothing else.
if [ "$(cat "$root/drive/keep.txt" 2>/dev/null)" != keep ] || [ ! -d "$root/drive/sub" ] \
   || [ -e "$root/drive/a.tmp" ] || [ -e "$root/drive/sub/b.tmp" ]; then
  echo "host check: the test drive's root holds the wrong entries" >&2
  status=1
fi
exit $status
