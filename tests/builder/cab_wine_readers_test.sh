#!/usr/bin/env bash
# Cabinets made by the Windows build of the cabinet writer (vexamakecab.exe under Wine),
# read by the platform's own readers: Wine's extrac32.exe for a tree, Wine's expand.exe
# for one-file cabinets (it writes every member to the one output it is given). gcab's
# listing shows the attribute bits that the Windows build took from the files.
# Wine's cabinet reader ignores the UTF-8 name flag, so only plain ASCII names are used
# here; UTF-8 names are checked with cabextract, gcab and the engine natively. An LZX
# cabinet of the tree goes through extrac32 too.
set -uo pipefail
. "$VEXA_SOURCE_DIR/scripts/test-lib.sh"
. "$VEXA_SOURCE_DIR/scripts/wine-lib.sh"
need_programs wine gcab

maker=$VEXA_BINARY_DIR/tools/vexamakecab.exe
scratch=$(mktemp -d)
trap 'chmod -R u+w "$scratch"; rm -rf "$scratch"' EXIT
win() { wine_windows_path "$1"; }
make_cab() { wine "$maker" "$(win "$1")" "$(win "$2")" 2>&1 | tr -d '\r'; }

src=$scratch/src
mkdir -p "$src/one/two/three" "$src/many"
: >"$src/empty.txt"
head -c 32767 /dev/urandom >"$src/a32767.bin"
head -c 32768 /dev/urandom >"$src/b32768.bin"
head -c 32769 /dev/urandom >"$src/c32769.bin"
head -c 3000000 /dev/urandom >"$src/noise.bin"
seq 1 300000 >"$src/one/numbers.txt"
echo deep >"$src/one/two/three/deep.txt"
for i in $(seq 1 500); do printf 'small file %d\r\n' "$i" >"$src/many/f$i.txt"; done
echo hidden >"$src/hidden.txt"
echo system >"$src/system.txt"
echo readonly >"$src/readonly.txt"
wine attrib +h "$(win "$src/hidden.txt")" >/dev/null 2>&1
wine attrib +s "$(win "$src/system.txt")" >/dev/null 2>&1
wine attrib +r "$(win "$src/readonly.txt")" >/dev/null 2>&1

out=$(make_cab "$scratch/tree.cab" "$src")
expect_eq "the Windows build makes the tree cabinet" "MakeCabDone $(win "$scratch/tree.cab")" "$(printf '%s\n' "$out" | head -n1 | cut -d' ' -f1-2)"
mkdir -p "$scratch/by-extrac32"
wine extrac32.exe /Y /E /L "$(win "$scratch/by-extrac32")" "$(win "$scratch/tree.cab")" >/dev/null 2>&1
expect_true "extrac32 gives back every file and name" diff -r "$src" "$scratch/by-extrac32"

# An LZX cabinet of the same tree and a real DLL (E8 calls throughout), in several folders.
cp "$(wine_unix_path 'C:\windows\syswow64\kernel32.dll')" "$src/kernel32.dll"
out=$(wine "$maker" --compression lzx --folder-bytes 1000000 "$(win "$scratch/lzx.cab")" "$(win "$src")" 2>&1 | tr -d '\r')
expect_eq "the Windows build makes the LZX cabinet" "MakeCabDone $(win "$scratch/lzx.cab")" "$(printf '%s\n' "$out" | head -n1 | cut -d' ' -f1-2)"
mkdir -p "$scratch/by-extrac32-lzx"
wine extrac32.exe /Y /E /L "$(win "$scratch/by-extrac32-lzx")" "$(win "$scratch/lzx.cab")" >/dev/null 2>&1
expect_true "extrac32 gives back every file of the LZX cabinet" diff -r "$src" "$scratch/by-extrac32-lzx"
rm -f "$src/kernel32.dll"

listing=$(gcab -l -v "$scratch/tree.cab")
attributes() { printf '%s\n' "$listing" | NAME=$1 awk '$1 == ENVIRON["NAME"] { print $NF }'; }
expect_eq "hidden bit kept" 0x22 "$(attributes hidden.txt)"
expect_eq "system bit kept" 0x24 "$(attributes system.txt)"
expect_eq "read-only bit kept" 0x21 "$(attributes readonly.txt)"
expect_eq "archive bit of a plain file" 0x20 "$(attributes 'one\two\three\deep.txt')"

for name in empty.txt a32767.bin b32768.bin c32769.bin noise.bin one/numbers.txt; do
  single=$scratch/single-$(basename "$name")
  mkdir -p "$single"
  cp "$src/$name" "$single/"
  make_cab "$scratch/one.cab" "$single" >/dev/null
  rm -f "$scratch/expanded"
  wine expand.exe "$(win "$scratch/one.cab")" "$(win "$scratch/expanded")" >/dev/null 2>&1
  expect_true "expand.exe gives back $name" cmp -s "$src/$name" "$scratch/expanded"
done
finish
