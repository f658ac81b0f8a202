#!/usr/bin/env bash
# Checks the module file: a 32-bit PE DLL that exports exactly the five
# entry points, undecorated, and imports system DLLs only.
set -u
dll=$1
objdump=${OBJDUMP:-i686-w64-mingw32-objdump}
fail=0
dump=$("$objdump" -p "$dll") || { echo "cannot read $dll"; exit 1; }
echo "$dump" | grep -q 'file format pei-i386' || { echo "not a 32-bit PE file"; fail=1; }
exports=$(echo "$dump" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' | sed -n 's/^\s*\[ *[0-9]*\] \([A-Za-z_@0-9]*\)$/\1/p' | sort | tr '\n' ' ')
want="DllCanUnloadNow DllGetClassObject DllMain DllRegisterServer DllUnregisterServer "
if [ "$exports" != "$want" ]; then echo "exports are '$exports', expected '$want'"; fail=1; fi
imports=$(echo "$dump" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u)
allowed=" kernel32.dll user32.dll gdi32.dll advapi32.dll shell32.dll shlwapi.dll ole32.dll oleaut32.dll comctl32.dll comdlg32.dll msvcrt.dll "
for d in $imports; do
  case "$allowed" in *" $d "*) ;; *) echo "imports non-system DLL $d"; fail=1 ;; esac
done
echo "exports: $exports"
echo "imports: $(echo $imports)"
exit $fail
