#!/usr/bin/env bash
# A shipped self-sized program, by default the engine dist/VexaInstall.exe (or the one
# named: engine_size_test.sh NAME-IN-DIST PATH-IN-BUILD): the size it records is its own
# file size, it is the file the build made, and it needs only Windows' own DLLs at run time.
set -eu
. "$VEXA_SOURCE_DIR/scripts/test-lib.sh"
need_programs i686-w64-mingw32-objdump
engine=$VEXA_SOURCE_DIR/dist/${1:-VexaInstall.exe}
built=$VEXA_BINARY_DIR/${2:-engine/VexaInstall.exe}
[ -f "$engine" ] || { echo "no $engine: run scripts/assemble-dist" >&2; exit 1; }

records=$(grep -aoE 'VEXA-ENGINE-SIZE:[0-9]{20}' "$engine" || true)
expect_eq "one size record in the engine" "1" "$(printf '%s\n' "$records" | grep -c .)"
recorded=$((10#${records#VEXA-ENGINE-SIZE:}))
expect_eq "recorded size equals the file size" "$(stat -c %s "$engine")" "$recorded"
expect_true "dist/VexaInstall.exe is the engine the build made" cmp -s "$engine" "$built"

imports=$(i686-w64-mingw32-objdump -p "$engine" | sed -nE 's/^\s*DLL Name: (.*)$/\1/p' | tr 'a-z' 'A-Z' | sort -u)
expect_true "the engine imports KERNEL32.DLL" grep -qx KERNEL32.DLL <<<"$imports"
for dll in $imports; do
  case $dll in
    KERNEL32.DLL|USER32.DLL|GDI32.DLL|ADVAPI32.DLL|SHELL32.DLL|OLE32.DLL|OLEAUT32.DLL|COMDLG32.DLL|MSVCRT.DLL|API-MS-WIN-*) ;;
    *) expect_eq "imported DLL is a Windows system DLL" "a Windows system DLL" "$dll" ;;
  esac
done
# The build's check refuses (and removes) an engine whose size is not the recorded one.
scratch=$(mktemp -d)
head -c 1000 /dev/zero >"$scratch/engine.exe"
printf '"VEXA-ENGINE-SIZE:00000000000000000999"\n' >"$scratch/record.cpp"
expect_true "a mismatching engine fails the build" \
  bash -c "! cmake -DENGINE='$scratch/engine.exe' -DRECORD='$scratch/record.cpp' -DCHECK=ON -P '$VEXA_SOURCE_DIR/engine/package/engine_size.cmake' 2>/dev/null"
expect_true "and is removed" test ! -e "$scratch/engine.exe"
head -c 999 /dev/zero >"$scratch/engine.exe"
expect_true "a matching engine passes" \
  cmake -DENGINE="$scratch/engine.exe" -DRECORD="$scratch/record.cpp" -DCHECK=ON -P "$VEXA_SOURCE_DIR/engine/package/engine_size.cmake"
rm -rf "$scratch"
finish
