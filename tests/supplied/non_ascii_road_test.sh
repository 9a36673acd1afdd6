#!/usr/bin/env bash
# A program whose directory, friendly name, file and shortcut carry non-ASCII characters,
# published by the native vexabuild (UTF-8 names and fields) and installed with the published
# web setup program under Wine: the product folder, the program file, the shortcut and the
# uninstall entry carry the names as typed, since every text of the package is written in
# Windows-1252 and the engine reads it in the system's code page. The Windows vexabuild.exe
# (its own ANSI code page) writes the same bytes. Then a web setup program whose script
# cabinet lacks its script fails in silent mode with the reason in its log.
. "$VEXA_SOURCE_DIR/tests/e2e/e2e-lib.sh"
. "$VEXA_SOURCE_DIR/tests/supplied/web-setup-lib.sh"
need_programs iconv

vexabuild=$VEXA_SOURCE_DIR/dist/vexabuild
export SOURCE_DATE_EPOCH=1796630400 TZ=UTC
for f in "$vexabuild" "$VEXA_SOURCE_DIR/dist/vexabuild.exe" "$web_setup_program" "$web_server_program"; do
  [ -f "$f" ] || { echo "no $f: run make build" >&2; exit 1; }
done
name='Café Über'
game='déminéur.exe'
shortcut='Démineur ü'
program_files=$(wine_reg_value 32 'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion' ProgramFilesDir)
product_unix=$(wine_unix_path "$program_files")/$name
uninstall_key='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall'

remove_installation() { remove_product "$name" "$product_unix"; }
cleanup() {
  stop_web_server
  remove_installation
  rm -rf "$scratch"
}
trap cleanup EXIT
remove_installation

program=$scratch/$name
mkdir -p "$program" "$scratch/wizard" "$scratch/site/root"
cp "$VEXA_BINARY_DIR/samples/Paint.exe" "$program/$game"
printf '%s\r\n' 'My Program' "$name" '' 'My Program' 'Untitled1' "$shortcut" "$game" >"$scratch/group.txt"
release=$program/VexaWizardNetloomProject/Release
ln -s "$release" "$scratch/site/root/cafe"
ln -s "$program/VexaWizardNetloomProject/ReleaseActiveX" "$scratch/site/root/activex"
start_web_server "$scratch/site/root"
cp -r "$VEXA_SOURCE_DIR/dist/." "$scratch/wizard/"
touch -d '2026-12-01 12:00:00 UTC' "$program/$game"
XDG_CACHE_HOME=$scratch/cache "$vexabuild" build "$program" --wizard-directory "$scratch/wizard" \
  --friendly-name "$name" --company "Acme" --web-site-url "$web_base/" --activex-url "$web_base/activex/" \
  --publication-url "$web_base/cafe/" --run '<none>' --program-group "$scratch/group.txt" \
  --minimize-download-time no --no-sign-commands >"$scratch/build.txt" 2>&1
status=$?
expect_eq "vexabuild publishes the package ($(tail -n3 "$scratch/build.txt" | tr '\n' ' '))" 0 "$status"
expect_eq "the names made from the directory hold only URL characters" \
  "Cafber.htm CafberScript.Cab CafberWebSetup.exe Prog1.cab" "$(cd "$release" && ls | LC_ALL=C sort | paste -sd ' ')"
expect_eq "the page declares the code page its bytes are in" "windows-1252" \
  "$(grep -o 'charset="[^"]*"' "$release/Cafber.htm" | sed 's/charset="//;s/"$//')"
expect_true "the page holds the name in Windows-1252" env LC_ALL=C grep -q $'Caf\xe9 \xdcber' "$release/Cafber.htm"

# The Windows vexabuild.exe, given the same answers (its program group file in its own code
# page, as a file edited on that system is), writes the same bytes.
program2=$scratch/win/$name
mkdir -p "$program2"
cp -p "$program/$game" "$program2/"
iconv -f UTF-8 -t CP1252 "$scratch/group.txt" >"$scratch/group-1252.txt"
timeout 300 wine "$scratch/wizard/vexabuild.exe" build "$(wine_windows_path "$program2")" \
  --wizard-directory "$(wine_windows_path "$scratch/wizard")" \
  --friendly-name "$name" --company "Acme" --web-site-url "$web_base/" --activex-url "$web_base/activex/" \
  --publication-url "$web_base/cafe/" --run '<none>' --program-group "$(wine_windows_path "$scratch/group-1252.txt")" \
  --minimize-download-time no --no-sign-commands >"$scratch/build-win.txt" 2>&1
status=$?
expect_eq "vexabuild.exe under Wine builds the project ($(tail -n2 "$scratch/build-win.txt" | tr '\r\n' '  '))" 0 "$status"
expect_true "both builds store the same cabinet" cmp "$program/VexaWizardNetloomProject/ProjectFiles/Program.cab" \
  "$program2/VexaWizardNetloomProject/ProjectFiles/Program.cab"
# Dates are written in each system's own format: the lines that hold one are left out, and
# so is the signature of the script cabinet (line 5 of SAAttach.txt), whose script holds one.
undated() { grep -av -e "^' Created: " -e '[0-9]:[0-9][0-9]:[0-9][0-9]' "$1"; }
for file in ProjectFiles/Script.txt Release/Cafber.htm; do
  expect_true "both builds write the same $file but for dates" \
    cmp <(undated "$program/VexaWizardNetloomProject/$file") <(undated "$program2/VexaWizardNetloomProject/$file")
done
expect_true "both builds write the same SAAttach.txt but for the script's signature" \
  cmp <(sed 5d "$program/VexaWizardNetloomProject/ProjectFiles/SAAttach.txt") \
  <(sed 5d "$program2/VexaWizardNetloomProject/ProjectFiles/SAAttach.txt")

log_file=$scratch/websetup.log
expect_eq "the web setup program installs the program" 0 \
  "$(wine_run_timed 300 "$release/CafberWebSetup.exe" /S "/LOG=$(wine_windows_path "$log_file")")"
expect_eq "the product folder and the program file carry their names" "$game uninstall" \
  "$(cd "$product_unix" 2>/dev/null && ls | tr 'A-Z' 'a-z' | LC_ALL=C sort | paste -sd ' ')"
group=$(find "$WINEPREFIX/drive_c" -ipath "*Start Menu/Programs/$name" -type d 2>/dev/null | head -n1)
expect_eq "the shortcut carries its name" "$shortcut.LNK" \
  "$([ -n "$group" ] && cd "$group" && find . -type f -printf '%P\n' | LC_ALL=C sort | paste -sd ' ')"
wine reg export "$uninstall_key" "$(wine_windows_path "$scratch/uninstall.reg")" /reg:32 /y >/dev/null 2>&1
expect_eq "the uninstall entry carries the product's name" \
  "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$name]|\"DisplayName\"=\"$name\"" \
  "$(iconv -f UTF-16 -t UTF-8 "$scratch/uninstall.reg" 2>/dev/null | tr -d '\r' |
    awk -v key="[HKEY_LOCAL_MACHINE\\\\SOFTWARE\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Uninstall\\\\$name]" \
      '$0 == key {inside = 1; print; next} /^\[/ {inside = 0} inside && /^"DisplayName"=/ {print}' | paste -sd '|')"

# The same script cabinet under another name: it passes its signature check but holds no
# script of that name. The silent run's log carries the reason, not only the totals.
cp "$release/CafberScript.Cab" "$release/OtherScript.Cab"
project_files=$program/VexaWizardNetloomProject/ProjectFiles
tr -d '\r' <"$project_files/SAAttach.txt" | sed '4s/.*/OtherScript.Cab/' | sed 's/$/\r/' | head -c -1 >"$scratch/attach.txt"
cat "$scratch/wizard/VexaStandAloneWebProg.exe" "$scratch/attach.txt" >"$scratch/Other.exe"
rm -f "$log_file"
expect_eq "a script cabinet without its script fails" 1603 \
  "$(wine_run_timed 300 "$scratch/Other.exe" /S "/LOG=$(wine_windows_path "$log_file")")"
expect_true "the silent run's log names the missing script ($(tr -d '\r' <"$log_file" 2>/dev/null | paste -sd '|'))" \
  grep -q '^Message: Error. Cannot extract the web script OtherScript.txt from OtherScript.Cab' "$log_file"
finish
