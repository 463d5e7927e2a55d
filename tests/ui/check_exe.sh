#!/usr/bin/env bash
# The shipped executable: a 32-bit GUI program that starts on a clean Windows,
# so it may import system DLLs only (no mingw runtime DLLs).
# Usage: check_exe.sh OBJDUMP EXE
set -u
objdump=$1
exe=$2
failed=0

fail() {
  echo "FAIL: $*"
  failed=1
}

header=$("$objdump" -f "$exe") || { echo "FAIL: $objdump -f $exe"; exit 1; }
private=$("$objdump" -p "$exe") || { echo "FAIL: $objdump -p $exe"; exit 1; }

grep -q 'file format pei-i386' <<<"$header" || fail "not a PE32 i386 image"
grep -Eq '^Subsystem[[:space:]]+00000002' <<<"$private" || fail "subsystem is not Windows GUI (2)"

system_dlls=' advapi32.dll comctl32.dll comdlg32.dll crypt32.dll gdi32.dll kernel32.dll msvcrt.dll ole32.dll shell32.dll shlwapi.dll user32.dll version.dll wininet.dll ws2_32.dll '
dlls=$(sed -n 's/^[[:space:]]*DLL Name:[[:space:]]*//p' <<<"$private" | tr 'A-Z' 'a-z')
[ -n "$dlls" ] || fail "no imports found"
for dll in $dlls; do
  case "$system_dlls" in
    *" $dll "*) ;;
    *) fail "imports $dll, which is not a Windows system DLL" ;;
  esac
done

if [ "$failed" -eq 0 ]; then
  echo "ok: $exe is a PE32 i386 GUI executable importing only:" $dlls
fi
exit "$failed"
