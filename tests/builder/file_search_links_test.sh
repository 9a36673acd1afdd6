#!/usr/bin/env bash
# The file search of the Windows build meets directory links: Linux symbolic links, which
# Wine shows as directory reparse points. A loop back to the top and a link to a directory
# outside the tree are both passed over; the search finishes with the tree's own files.
set -uo pipefail
. "$VEXA_SOURCE_DIR/scripts/test-lib.sh"
. "$VEXA_SOURCE_DIR/scripts/wine-lib.sh"
need_programs wine

tool=$VEXA_BINARY_DIR/tests/builder/search_tool.exe
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

mkdir -p "$scratch/tree/sub" "$scratch/outside"
echo x >"$scratch/tree/b.txt"
echo x >"$scratch/tree/A.txt"
echo x >"$scratch/tree/sub/c.txt"
echo x >"$scratch/outside/not-mine.txt"
ln -s "$scratch/tree" "$scratch/tree/sub/loop"
ln -s "$scratch/outside" "$scratch/tree/elsewhere"

top=$(wine_windows_path "$scratch/tree")
found=$(timeout 60 wine "$tool" "$top\\*.*" 2>/dev/null | tr -d '\r' | paste -sd '|')
expect_eq "the tree's files, sorted per directory, no link followed" \
  "$top\\A.txt|$top\\b.txt|$top\\sub\\c.txt" "$found"

finish
