#!/usr/bin/env bash
# What a developer types on vexabuild's command line either builds a package that installs
# or stops before anything is built, with a message naming the problem: relative component
# paths, program group files, addresses, components and links. The native vexabuild runs
# on a wizard directory of stand-ins; a refused build keeps the package published before.
set -uo pipefail
. "$VEXA_SOURCE_DIR/scripts/test-lib.sh"

vexabuild=$VEXA_BINARY_DIR/vexabuild/vexabuild
[ -x "$vexabuild" ] || { echo "no $vexabuild: build the native tree" >&2; exit 1; }
wine_dlls=/usr/lib/x86_64-linux-gnu/wine/x86_64-windows
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export XDG_CACHE_HOME=$scratch/cache SOURCE_DATE_EPOCH=1796630400 TZ=UTC

wizard=$scratch/wizard
mkdir -p "$wizard/HtmlTemplates"
cp "$VEXA_SOURCE_DIR/supplied/HtmlTemplates/TemplateSetup01.htm" "$wizard/HtmlTemplates/"
for file in VexaInstall.exe Uninstall.exe VexaStandAloneWebProg.exe VexaLoad.ocx VexaLoad.cab; do
  printf 'MZ %s stand-in' "$file" >"$wizard/$file"
done
program=$scratch/Paint
mkdir -p "$program/docs" "$scratch/work/shared"
printf 'MZ paint' >"$program/Paint.exe"
printf 'read me' >"$program/ReadMe.txt"
printf 'help' >"$program/docs/Help.txt"
cp "$wine_dlls/version.dll" "$scratch/work/shared/Version.dll"
release=$program/VexaWizardNetloomProject/Release
activex=$program/VexaWizardNetloomProject/ReleaseActiveX

# build [ARGS...]: one vexabuild run from the current directory; its status in $status,
# its messages (standard error) in $messages, joined with "|".
build() {
  "$vexabuild" build "$program" --wizard-directory "$wizard" --yes "$@" >"$scratch/out.txt" 2>"$scratch/err.txt"
  status=$?
  messages=$(grep -vE '^(Updating Release Files|vexabuild: answered|$|/|The Release directories|Continuing)' \
    "$scratch/err.txt" | paste -sd '|')
}
package() { (cd "$release" && ls | LC_ALL=C sort | paste -sd ' '); }
tree() { tr -d '\r' <"$program/VexaWizardNetloomProject/ProjectFiles/ProgramGroup.txt" | paste -sd '|'; }

# A relative --dll is resolved where it was typed; a later rebuild from elsewhere finds it.
printf 'G\r\nPaint\r\n\r\nG\r\nUntitled1\r\nPaint\r\npaint.exe\r\n' >"$scratch/work/group.txt"
(cd "$scratch/work" && build --friendly-name Paint --web-site-url http://www.paint.example/ \
  --activex-url http://www.paint.example/ax/ --publication-url http://www.paint.example/pub/ \
  --run Paint.exe --dll shared/Version.dll --program-group group.txt; echo "$status|$messages" >"$scratch/first")
expect_eq "a first build with a relative --dll succeeds" "0|" "$(cat "$scratch/first")"
# The list holds paths in lower case (each is found again on disk whatever its case).
listed=$(printf '%s' "$scratch/work/shared/version.dll" | tr 'A-Z' 'a-z')
expect_eq "the project lists the component by its full path" "$listed" \
  "$(tr -d '\r' <"$program/VexaWizardNetloomProject/ProjectFiles/DllFiles.txt")"
cd /
build
expect_eq "a rebuild from another directory succeeds" "0|" "$status|$messages"
published=$(package)
expect_eq "the rebuilt package has the component's cabinet" "VexaLoad.cab VexaLoad.ocx version.Cab" \
  "$(cd "$activex" && ls | LC_ALL=C sort | paste -sd ' ')"
expect_eq "the tree was read from the named file" "G|Paint||G|Untitled1|Paint|paint.exe" "$(tree)"

# A component is taken off the list by its path or its file name; one not listed stops the build.
build --remove-dll nothere.dll
expect_eq "--remove-dll of a file not listed stops the build" \
  "1|vexabuild: --remove-dll nothere.dll: no such component on step 5's list" "$status|$messages"
build --remove-dll VERSION.DLL
expect_eq "--remove-dll by file name succeeds" "0|" "$status|$messages"
expect_eq "the project lists no DLL and the package has no cabinet for it" "|VexaLoad.cab VexaLoad.ocx" \
  "$(tr -d '\r' <"$program/VexaWizardNetloomProject/ProjectFiles/DllFiles.txt")|$(cd "$activex" && ls | LC_ALL=C sort | paste -sd ' ')"
build --dll "$scratch/work/shared/Version.dll"
expect_eq "added again: the rebuild succeeds" "0|" "$status|$messages"

# A component that cannot be read names itself, not only the cabinet it was meant for.
mv "$scratch/work/shared/Version.dll" "$scratch/work/shared/Moved.dll"
build
expect_eq "a vanished component fails the build naming the file" \
  "1|Corvanta Netloom Wizard: Error. Cannot create cab file: $activex/version.Cab|Cannot read file: $listed|vexabuild: the web setup package was not built" \
  "$status|$messages"
mv "$scratch/work/shared/Moved.dll" "$scratch/work/shared/Version.dll"
build
expect_eq "the component back: the rebuild succeeds" "0" "$status"

# A --program-group file that cannot be read or parsed stops the build; nothing changes.
build --program-group "$scratch/work/grop.txt"
expect_eq "a mistyped --program-group stops the build" \
  "1|vexabuild: --program-group $scratch/work/grop.txt: cannot read the file $scratch/work/grop.txt" "$status|$messages"
printf 'G\r\nPaint\r\n\r\nNope\r\nUntitled1\r\nPaint\r\npaint.exe\r\n' >"$scratch/bad-group.txt"
build --program-group "$scratch/bad-group.txt"
expect_eq "a damaged --program-group stops the build with its reason" \
  "1|vexabuild: --program-group $scratch/bad-group.txt: not a program group tree: line 4 names the parent Nope, which no earlier node has as its key" \
  "$status|$messages"
expect_eq "the saved tree is kept" "G|Paint||G|Untitled1|Paint|paint.exe" "$(tree)"
expect_eq "the published package is kept" "$published" "$(package)"

# A shared component must be a Windows library.
build --dll "$program/ReadMe.txt"
expect_eq "--dll ReadMe.txt is refused" \
  "1|Error: The file you selected: ||$program/ReadMe.txt||is not a DLL or OCX file for Windows (x86, x64, ARM or ARM64). You must select a DLL or OCX file.|vexabuild: the component $program/ReadMe.txt was refused" \
  "$status|$(grep -vE '^(Updating Release Files|vexabuild: answered|The Release directories|Continuing)' "$scratch/err.txt" | paste -sd '|')"
expect_eq "the published package is kept after a refused component" "$published" "$(package)"

# A shortcut must link to a ticked program file.
for link in 'ghost.exe' 'C:\Windows\notepad.exe'; do
  printf 'G\r\nPaint\r\n\r\nG\r\nUntitled1\r\nNotes\r\n%s\r\n' "$link" >"$scratch/link-group.txt"
  build --program-group "$scratch/link-group.txt"
  expect_eq "a shortcut to $link stops the build" \
    "1|Wizard: The shortcut \"Notes\" links to $link, which is not a program file ticked in step 2. Link the shortcut to a ticked program file, or unlink it.|vexabuild: stopped on step 4" \
    "$status|$messages"
done
expect_eq "the published package is kept after refused links" "$published" "$(package)"

# Addresses the end user's loader cannot follow are refused on leaving step 1.
for url in "127.0.0.1:53451/x" "ftp://files.paint.example/pub/" "not a url" "http://"; do
  build --publication-url "$url"
  expect_eq "--publication-url $url is refused" \
    "1|Wizard: The URL address where the resultant Web Setup program will be stored must be a complete address beginning with http:// or https:// and naming the web server, for example: http://www.mycompany.example/MyWebSetup/|vexabuild: stopped on step 1" \
    "$status|$messages"
done
build --web-site-url "https://"
expect_eq "--web-site-url https:// is refused" "1" "$status"
build --activex-url "file:///srv/ax/"
expect_eq "--activex-url file:///srv/ax/ is refused" "1" "$status"
expect_eq "the published package is kept after refused addresses" "$published" "$(package)"
expect_eq "the saved address is kept" "http://www.paint.example/pub/" \
  "$(cat "$program/VexaWizardNetloomProject/ProjectFiles/PublicationURL.txt")"

finish
