#!/usr/bin/env bash
# make-cab-fixtures.sh OUT LIBMSPACK_CABD_DIR
# Cabinets for the expansion tests, each with the reference expansion made by cabextract:
#   OUT/cabs/NAME.cab       gcab-made cabinets (gcab_*: stored and MSZIP, nested folders)
#                           and libmspack's own test cabinets (mspack_*)
#   OUT/expected/NAME/      what cabextract writes for NAME.cab
#   OUT/expected/NAME.ok    present when cabextract reported no error
#   OUT/package/            a small package attachment (Script.TXT and a nested file)
set -euo pipefail
out=$1
cabd=$2
rm -rf "$out"
mkdir -p "$out/cabs" "$out/expected" "$out/input"

# Input tree: text (compresses well), random bytes (does not), an empty file, a file
# larger than one 32 KiB block, and names in nested folders.
in=$out/input/tree
mkdir -p "$in/DATA/MAPS/OLD" "$in/Bin"
seq 1 20000 >"$in/README.TXT"
head -c 70000 /dev/urandom >"$in/DATA/RANDOM.BIN"
: >"$in/DATA/EMPTY.DAT"
seq 1 300 | tr '\n' ' ' >"$in/DATA/MAPS/USA.MAP"
head -c 1000 /dev/urandom >"$in/DATA/MAPS/OLD/V1.MAP"
printf 'MZ%.0s' $(seq 1 5000) >"$in/Bin/Program.exe"

(cd "$in" && gcab -c "$out/cabs/gcab_stored.cab" README.TXT DATA Bin)
(cd "$in" && gcab -c -z "$out/cabs/gcab_mszip.cab" README.TXT DATA Bin)
(cd "$in/DATA/MAPS" && gcab -c -z "$out/cabs/gcab_single.cab" USA.MAP)

pkg=$out/input/package
mkdir -p "$pkg/Docs"
printf 'SetProductName "Vexa Sample"\r\nSetProductDirectory "<ProgramFilesDir>\\Vexa Sample"\r\n' >"$pkg/Script.TXT"
head -c 300000 /dev/urandom >"$pkg/Program.cab"
seq 1 500 >"$pkg/Docs/Notes.txt"
mkdir -p "$out/package"
(cd "$pkg" && gcab -c -z "$out/package/Attachment.CAB" Script.TXT Program.cab Docs)

for cab in "$cabd"/*.cab; do
  cp "$cab" "$out/cabs/mspack_$(basename "$cab")"
done

for cab in "$out"/cabs/*.cab; do
  name=$(basename "$cab" .cab)
  mkdir -p "$out/expected/$name"
  if timeout 60 cabextract -q -d "$out/expected/$name" "$cab" >/dev/null 2>&1; then
    touch "$out/expected/$name.ok"
  fi
done
echo "cab fixtures: $(ls "$out/cabs" | wc -l) cabinets"
