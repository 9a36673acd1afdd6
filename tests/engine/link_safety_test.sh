#!/usr/bin/env bash
# Links met by the engine: the removal of its temporary directory and the expansion of a
# cabinet never follow a directory link out of their tree. The links are Linux symbolic
# links, which Wine shows as directory reparse points.
set -uo pipefail
. "$VEXA_SOURCE_DIR/scripts/test-lib.sh"
. "$VEXA_SOURCE_DIR/scripts/wine-lib.sh"
need_programs wine gcab

tool=$VEXA_BINARY_DIR/tests/engine/link_tool.exe
scratch=$(mktemp -d)
temp_win=$(wine cmd /c echo %TEMP% 2>/dev/null | tr -d '\r')
temp=$(wine_unix_path "$temp_win")
trap 'rm -rf "$scratch" "$temp/~tsLinkTest" "$temp/~tsTopLink" "$temp/~tsSwapTest"' EXIT
run_tool() { wine "$tool" "$@" 2>/dev/null | tr -d '\r'; }

outside=$scratch/outside
mkdir -p "$outside/deeper"
echo keep >"$outside/keep.txt"
echo keep >"$outside/deeper/keep.txt"

# A "~ts" tree holding a link to a directory outside it. (Windows removes such a link
# itself; Wine cannot remove a Linux link through the Windows calls, so the removal
# reports failure here, after the files it met before the link. A link to a file
# is not tried: Wine shows it as a plain file and deletes the file it points to.)
mkdir -p "$temp/~tsLinkTest/sub"
echo x >"$temp/~tsLinkTest/own.txt"
echo x >"$temp/~tsLinkTest/sub/own.txt"
ln -s "$outside" "$temp/~tsLinkTest/sub/link"
run_tool delete-temp "$temp_win\\~tsLinkTest\\" >/dev/null
expect_eq "the tree's files above the link are deleted" no "$([ -e "$temp/~tsLinkTest/own.txt" ] && echo yes || echo no)"
expect_eq "what the link pointed to is untouched" "deeper/keep.txt keep.txt" \
  "$(cd "$outside" && find . -type f | sed 's|^\./||' | LC_ALL=C sort | paste -sd ' ')"

# The "~ts" directory itself a link: only the link goes.
ln -s "$outside" "$temp/~tsTopLink"
run_tool delete-temp "$temp_win\\~tsTopLink\\" >/dev/null
expect_eq "a linked top directory: its target untouched" "deeper/keep.txt keep.txt" \
  "$(cd "$outside" && find . -type f | sed 's|^\./||' | LC_ALL=C sort | paste -sd ' ')"

# A cabinet member whose folder is a link below the target fails the expansion and writes
# nothing through it.
mkdir -p "$scratch/in/link" "$scratch/target"
echo through >"$scratch/in/link/x.txt"
(cd "$scratch/in" && gcab -c "$scratch/linked.cab" link/x.txt >/dev/null)
ln -s "$outside" "$scratch/target/link"
expect_eq "expansion through a link fails" "false" \
  "$(run_tool expand "$(wine_windows_path "$scratch/linked.cab")" "$(wine_windows_path "$scratch/target")\\")"
expect_eq "nothing written through the link" no "$([ -e "$outside/x.txt" ] && echo yes || echo no)"

# A directory swapped for a link after the removal listed it as a plain directory (the
# test build of link_tool holds still there): nothing outside the tree is deleted.
swapped_outside=$scratch/swapped-outside
mkdir -p "$swapped_outside/deeper" "$temp/~tsSwapTest/sub" "$scratch/pause"
echo keep >"$swapped_outside/keep.txt"
echo keep >"$swapped_outside/deeper/keep.txt"
echo x >"$temp/~tsSwapTest/own.txt"
echo x >"$temp/~tsSwapTest/sub/own.txt"
VEXA_TEST_PAUSE="remove-descend=$(wine_windows_path "$scratch/pause")" \
  run_tool delete-temp "$temp_win\\~tsSwapTest\\" >"$scratch/swap-result" &
remover=$!
for _ in $(seq 1 600); do [ -f "$scratch/pause/remove-descend.reached" ] && break; sleep 0.1; done
expect_true "the removal paused before entering the listed directory" test -f "$scratch/pause/remove-descend.reached"
mv "$temp/~tsSwapTest/sub" "$scratch/listed-sub"
ln -s "$swapped_outside" "$temp/~tsSwapTest/sub"
touch "$scratch/pause/remove-descend.go"
wait "$remover"
expect_eq "a link swapped in after the listing: the removal stops there" false "$(cat "$scratch/swap-result")"
expect_eq "a link swapped in after the listing: what it points to is untouched" "deeper/keep.txt keep.txt" \
  "$(cd "$swapped_outside" && find . -type f | sed 's|^\./||' | LC_ALL=C sort | paste -sd ' ')"

finish
