#!/usr/bin/env bash
# Checks a module file: a PE DLL of the given machine (i686 or x86_64) that
# exports exactly the five entry points, undecorated, imports system DLLs
# only, and stays under 512 KiB once stripped.
#   check-module.sh <Varnoke.dll> <i686|x86_64>
set -u
dll=$1
machine=${2:-i686}
case $machine in
  i686) format=pei-i386 ;;
  x86_64) format=pei-x86-64 ;;
  *) echo "unknown machine '$machine'"; exit 2 ;;
esac
objdump=$machine-w64-mingw32-objdump
strip=$machine-w64-mingw32-strip
max_stripped=$((512 * 1024))
fail=0
dump=$("$objdump" -p "$dll") || { echo "cannot read $dll"; exit 1; }
echo "$dump" | grep -q "file format $format\$" || { echo "not a $machine PE file ($format)"; fail=1; }
exports=$(echo "$dump" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' | sed -n 's/^\s*\[ *[0-9]*\] \([A-Za-z_@0-9]*\)$/\1/p' | sort | tr '\n' ' ')
want="DllCanUnloadNow DllGetClassObject DllMain DllRegisterServer DllUnregisterServer "
if [ "$exports" != "$want" ]; then echo "exports are '$exports', expected '$want'"; fail=1; fi
imports=$(echo "$dump" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u)
allowed=" kernel32.dll user32.dll gdi32.dll advapi32.dll shell32.dll shlwapi.dll ole32.dll oleaut32.dll comctl32.dll comdlg32.dll msvcrt.dll "
for d in $imports; do
  case "$allowed" in *" $d "*) ;; *) echo "imports non-system DLL $d"; fail=1 ;; esac
done
stripped=$(mktemp)
trap 'rm -f "$stripped"' EXIT
"$strip" -o "$stripped" "$dll" || { echo "cannot strip $dll"; exit 1; }
size=$(stat -c %s "$stripped")
[ "$size" -lt "$max_stripped" ] || { echo "stripped size $size bytes is not under $max_stripped"; fail=1; }
echo "machine: $machine ($format)"
echo "exports: $exports"
echo "imports: $(echo $imports)"
echo "stripped size: $size bytes ($((size / 1024)) KiB)"
exit $fail
