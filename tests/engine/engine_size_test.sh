#!/usr/bin/env bash
# The shipped engine, dist/VexaInstall.exe: the size it records is its own file size, it
# is the file the build made, and it needs only Windows' own DLLs at run time.
set -eu
. "$VEXA_SOURCE_DIR/scripts/test-lib.sh"
engine=$VEXA_SOURCE_DIR/dist/VexaInstall.exe
built=$VEXA_BINARY_DIR/engine/VexaInstall.exe
[ -f "$engine" ] || { echo "no $engine: run scripts/assemble-dist" >&2; exit 1; }

records=$(grep -aoE 'VEXA-ENGINE-SIZE:[0-9]{20}' "$engine" || true)
expect_eq "one size record in the engine" "1" "$(printf '%s\n' "$records" | grep -c .)"
recorded=$((10#${records#VEXA-ENGINE-SIZE:}))
expect_eq "recorded size equals the file size" "$(stat -c %s "$engine")" "$recorded"
expect_true "dist/VexaInstall.exe is the engine the build made" cmp -s "$engine" "$built"

imports=$(x86_64-w64-mingw32-objdump -p "$engine" | sed -nE 's/^\s*DLL Name: (.*)$/\1/p' | tr 'a-z' 'A-Z' | sort -u)
expect_true "the engine imports KERNEL32.DLL" grep -qx KERNEL32.DLL <<<"$imports"
for dll in $imports; do
  case $dll in
    KERNEL32.DLL|USER32.DLL|GDI32.DLL|ADVAPI32.DLL|SHELL32.DLL|OLE32.DLL|OLEAUT32.DLL|COMDLG32.DLL|MSVCRT.DLL|API-MS-WIN-*) ;;
    *) expect_eq "imported DLL is a Windows system DLL" "a Windows system DLL" "$dll" ;;
  esac
done
finish
