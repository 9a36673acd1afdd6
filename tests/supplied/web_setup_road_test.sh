#!/usr/bin/env bash
# The web setup package as the release pipeline makes it, installed as an end user installs
# it: the native vexabuild publishes the sample program (Prog1.cab whole) with a shared DLL
# and a control; the loopback server serves Release and ReleaseActiveX at the addresses the
# project names; the published <name>WebSetup.exe /S under Wine installs the components
# and the program through Setup.exe; a second run downloads nothing. Uninstalling the
# product lets the package's cabinets leave the cache, and only those.
. "$VEXA_SOURCE_DIR/tests/e2e/e2e-lib.sh"
. "$VEXA_SOURCE_DIR/tests/supplied/web-setup-lib.sh"
need_programs cabextract

vexabuild=$VEXA_SOURCE_DIR/dist/vexabuild
for f in "$vexabuild" "$web_setup_program" "$web_server_program"; do
  [ -f "$f" ] || { echo "no $f: run make build" >&2; exit 1; }
done
c_drive=$(wine_unix_path 'C:\')
system32=$c_drive/windows/syswow64
# The program runs elevated (as under Wine every program does): its cache lies below
# Program Files, where only administrators write, not in the user's profile.
cache=$(wine_unix_path "$(wine_reg_value 32 'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion' ProgramFilesDir)\\Corvanta\\Temporary VexaWeb Files")
product="$(wine_reg_value 32 'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion' ProgramFilesDir)\\Acme Paint\\"
product_unix=$(wine_unix_path "${product%\\}")
record='HKLM\SOFTWARE\Corvanta Install\Installed Programs\Acme Paint'
uninstall_key='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Acme Paint'
map_class='{4A6DD9C6-FEB1-4D47-91D9-ACAC7348C3E8}'
started_win='C:\websetup-road-started.txt'
started=$c_drive/websetup-road-started.txt
victims=$c_drive/websetup-road-victims

remove_installation() {
  wine 'C:\windows\syswow64\regsvr32.exe' /s /u 'C:\windows\syswow64\VEXAUSA.OCX' >/dev/null 2>&1
  find "$system32" -maxdepth 1 \( -iname VEXAUSA.OCX -o -iname AcmeShared.dll \) -delete
  remove_product 'Acme Paint' "$product_unix"
  rm -rf "$cache" "$started" "$victims" "${cache%/*}/"*.cab
}
cleanup() {
  stop_web_server
  remove_installation
  rm -rf "$scratch"
}
trap cleanup EXIT
remove_installation

# The program directory, as a developer has it, and its shared components.
program="$scratch/Acme Paint"
mkdir -p "$program" "$scratch/shared" "$scratch/wizard"
cp -r "$VEXA_SOURCE_DIR/samples/acme-paint/files/." "$program/"
cp "$VEXA_BINARY_DIR/samples/Paint.exe" "$program/Paint.exe"
cp "$VEXA_BINARY_DIR/tests/shared_components/shared_105.dll" "$scratch/shared/AcmeShared.dll"
cp "$VEXA_SOURCE_DIR/dist/VEXAUSA.OCX" "$scratch/shared/VEXAUSA.OCX"
release=$program/VexaWizardNetloomProject/Release
activex=$program/VexaWizardNetloomProject/ReleaseActiveX

# The server's root holds the two published directories under the names of their URLs;
# its port makes the project's addresses.
mkdir -p "$scratch/site/root"
ln -s "$release" "$scratch/site/root/paint"
ln -s "$activex" "$scratch/site/root/activex"
start_web_server "$scratch/site/root"
# The wizard's directory is a copy of dist/: a build remembers its answers there.
cp -r "$VEXA_SOURCE_DIR/dist/." "$scratch/wizard/"
XDG_CACHE_HOME=$scratch/cache "$vexabuild" build "$program" --wizard-directory "$scratch/wizard" \
  --friendly-name "Acme Paint" --company "Acme" --web-site-url "$web_base/" --activex-url "$web_base/activex/" \
  --publication-url "$web_base/paint/" --run Paint.exe --run-parameters "\"/record\", \"$started_win\"" \
  --program-group "$VEXA_SOURCE_DIR/samples/acme-paint/ProgramGroup.txt" \
  --dll "$scratch/shared/AcmeShared.dll" --ocx "$scratch/shared/VEXAUSA.OCX" \
  --minimize-download-time no --no-sign-commands >"$scratch/build.txt" 2>&1
expect_eq "vexabuild publishes the package" 0 "$?"
expect_eq "the published files" \
  "AcmePaint.htm AcmePaintScript.Cab AcmePaintWebSetup.exe Prog1.cab | VexaLoad.cab VexaLoad.ocx acmeshared.Cab vexausa.Cab" \
  "$(cd "$release" && ls | LC_ALL=C sort | paste -sd ' ') | $(cd "$activex" && ls | LC_ALL=C sort | paste -sd ' ')"

log_file=$scratch/websetup.log
run_web() {
  rm -f "$log_file"
  wine_run_timed 300 "$release/AcmePaintWebSetup.exe" /S "/LOG=$(wine_windows_path "$log_file")"
}

# --- A clean run ---
temp_dirs_before=$(leftover_temp_dirs)
expect_eq "clean run: exit status" 0 "$(run_web)"
expect_eq "clean run: the script, both components and the program, each requested once" \
  "/activex/acmeshared.Cab /activex/vexausa.Cab /paint/AcmePaintScript.Cab /paint/Prog1.cab" \
  "$(awk '{ print $2 }' "$web_log" | LC_ALL=C sort | paste -sd ' ')"
expect_eq "clean run: every request was answered whole" "200 200 200 200" \
  "$(grep -o 'status=[0-9]*' "$web_log" | sed 's/status=//' | paste -sd ' ')"
# The builder names the components in lower case, as its web script does.
system_file() { find "$system32" -maxdepth 1 -iname "$1" | head -n1; }
expect_true "clean run: the DLL is in the system directory" \
  cmp -s "$scratch/shared/AcmeShared.dll" "$(system_file AcmeShared.dll)"
expect_true "clean run: the control is in the system directory" cmp -s "$scratch/shared/VEXAUSA.OCX" "$(system_file VEXAUSA.OCX)"
expect_eq "clean run: the control is registered there" 'c:\windows\system32\vexausa.ocx' \
  "$(wine reg query "HKCR\\CLSID\\$map_class\\InprocServer32" /ve /reg:32 2>/dev/null | tr -d '\r' |
    sed -n 's/^ *(Default) *REG_[A-Z_]* *//p' | tr 'A-Z' 'a-z')"
# The web script's Execute line carries the run parameters too; Setup.exe ignores them.
expect_true "clean run: Setup.exe was run with /S" grep -qE '^Running .*\\Setup\.exe .*/S /LOG=' "$log_file"
expect_eq "clean run: the installed files" "data/palette.txt docs/help.txt paint.exe readme.txt uninstall/uninstall.exe" \
  "$(cd "$product_unix" 2>/dev/null && find . -type f -printf '%P\n' | tr 'A-Z' 'a-z' | LC_ALL=C sort | paste -sd ' ')"
group=$(find "$WINEPREFIX/drive_c" -ipath '*Start Menu/Programs/Acme Paint' -type d 2>/dev/null | head -n1)
expect_eq "clean run: the shortcuts of the program group" "Acme Paint.LNK Help.LNK Tools/Read Me.LNK" \
  "$([ -n "$group" ] && cd "$group" && find . -type f -printf '%P\n' | LC_ALL=C sort | paste -sd ' ')"
expect_eq "clean run: the installed-programs record" "$product" "$(wine_reg_value 32 "$record" Directory)"
expect_eq "clean run: the uninstall record" "\"${product}Uninstall\\Uninstall.EXE\" /S" \
  "$(wine_reg_value 32 "$uninstall_key" QuietUninstallString)"
expect_eq "clean run: silent, Setup.exe started no program and logged it with its parameters" \
  "no|Not started (silent): \"${product}paint.exe\" /record $started_win" \
  "$([ -e "$started" ] && echo yes || echo no)|$(tr -d '\r' <"$log_file" | grep '^Not started')"
expect_eq "clean run: no temporary directory is left" "$temp_dirs_before" "$(leftover_temp_dirs)"

# --- Second run: the script from the cache, the components present, the program cached ---
: >"$web_log"
rm -f "$started"
expect_eq "second run: exit status" 0 "$(run_web)"
expect_eq "second run: nothing is downloaded" 0 "$(wc -l <"$web_log")"
expect_eq "second run: the components are up to date" "Up to date: acmeshared.dll|Up to date: vexausa.ocx" \
  "$(tr -d '\r' <"$log_file" | grep '^Up to date: ' | paste -sd '|')"
expect_true "second run: the program comes from the cache" grep -q '^Program from the cache: ' "$log_file"
expect_true "second run: Setup.exe installed the program again" grep -q '^Installation completed' "$log_file"

# --- A new version: the cache keeps only what a later run of the package can use ---
printf 'version 2\r\n' >>"$program/readme.txt"
XDG_CACHE_HOME=$scratch/cache "$vexabuild" build "$program" --wizard-directory "$scratch/wizard" --yes \
  >"$scratch/build2.txt" 2>&1
expect_eq "new version: vexabuild publishes it" 0 "$?"
: >"$web_log"
expect_eq "new version: exit status" 0 "$(run_web)"
expect_eq "new version: the new script and program are downloaded" "/paint/AcmePaintScript.Cab /paint/Prog1.cab" \
  "$(awk '{ print $2 }' "$web_log" | LC_ALL=C sort | paste -sd ' ')"
script_short=$(tr -d '\r' <"$program/VexaWizardNetloomProject/ProjectFiles/SAAttach.txt" | sed -n 5p)
program_short=$(sha256sum "$release/Prog1.cab" | cut -c1-32)
expect_eq "new version: the cache holds only the new version's cabinets" \
  "Installed Scripts/$script_short.cab|Downloaded Programs/$program_short.cab" \
  "$(cd "$cache" && find 'Installed Scripts' 'Downloaded Programs' -type f | LC_ALL=C sort -r | paste -sd '|')"
expect_eq "new version: the old ones are logged as removed" 2 "$(grep -c '^Removed from the cache: ' "$log_file")"

# --- Uninstalling: the package's cabinets leave the cache, another package's stay ---
key=$(package_key "$web_base/paint/" AcmePaintScript.Cab)
cache_win="$(wine_reg_value 32 'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion' ProgramFilesDir)\\Corvanta\\Temporary VexaWeb Files\\"
uninstall_win="${product}Uninstall\\Uninstall.EXE"
uninstall_log=$scratch/uninstall.log
uninstall() {
  rm -f "$uninstall_log"
  wine_run_timed 120 "$uninstall_win" /S "/LOG=$(wine_windows_path "$uninstall_log")"
}
# The lines appended to the installed uninstall program end with CR LF before the trailer.
last_data_line() {
  tail -c 512 "$(find "$product_unix" -ipath '*/uninstall/uninstall.exe' | head -n1)" | head -c -32 | tr -d '\r' |
    tail -n1
}
cache_files() { (cd "$cache" && find . -type f -printf '%P\n' | LC_ALL=C sort | paste -sd '|'); }
expect_eq "the package's key is passed to Setup.exe" 1 \
  "$(tr -d '\r' <"$log_file" | grep -cE "^Running .*\\\\Setup\.exe .* /WEBPACKAGE=$key( |$)")"
expect_eq "the package's index is in the cache" "$key.txt" "$(cd "$cache/Packages" && ls)"
expect_eq "the uninstall data names the package after the files" "WebPackage=$key" "$(last_data_line)"

# Another package shares the script cabinet and has one of its own. The package's index
# also carries names that would reach outside the cache, and the files they would name.
other_key=ffffffffffffffffffffffffffffffff
other_short=eeeeeeeeeeeeeeeeeeeeeeeeeeeeeeee
victim=0123456789abcdef0123456789abcdef
printf 'Installed Scripts\\%s.cab\r\nDownloaded Programs\\%s.cab\r\n' "$script_short" "$other_short" \
  >"$cache/Packages/$other_key.txt"
printf 'other package\r\n' >"$cache/Downloaded Programs/$other_short.cab"
mkdir -p "$victims"
printf 'victim\r\n' | tee "$victims/$victim.cab" "${cache%/*}/$victim.cab" >/dev/null
printf '%s\r\n' "..\\$victim.cab" "..\\..\\$victim.cab" "Downloaded Programs\\..\\..\\$victim.cab" \
  "C:\\websetup-road-victims\\$victim.cab" "\\\\?\\C:\\websetup-road-victims\\$victim.cab" \
  "Downloaded Programs\\$victim.cab\\..\\..\\..\\$victim.cab" >>"$cache/Packages/$key.txt"
expect_eq "uninstall: exit status" 0 "$(uninstall)"
expect_eq "uninstall: the cache keeps the other package's cabinets and the shared script" \
  "Downloaded Programs/$other_short.cab|Installed Scripts/$script_short.cab|Packages/$other_key.txt" "$(cache_files)"
expect_eq "uninstall: each deletion from the cache is logged" \
  "Removed from the cache: ${cache_win}Downloaded Programs\\$program_short.cab|Removed from the cache: ${cache_win}Packages\\$key.txt" \
  "$(tr -d '\r' <"$uninstall_log" | grep '^Removed from the cache: ' | paste -sd '|')"
expect_eq "uninstall: nothing outside the cache is deleted" "victim|victim" \
  "$(cat "$victims/$victim.cab" "${cache%/*}/$victim.cab" | tr -d '\r' | paste -sd '|')"
expect_eq "uninstall: the product's records are gone" "|" \
  "$(wine_reg_value 32 "$record" Directory)|$(wine_reg_value 32 "$uninstall_key" QuietUninstallString)"

# --- An oversized index is ignored whole: nothing leaves the cache, the uninstall succeeds ---
expect_eq "reinstall: exit status" 0 "$(run_web)"
for _ in $(seq 1 6000); do printf 'Downloaded Programs\\%s.cab\r\n' "$program_short"; done >"$cache/Packages/$key.txt"
before=$(cache_files)
expect_eq "oversized index: uninstall exit status" 0 "$(uninstall)"
expect_eq "oversized index: the cache is as it was" "$before" "$(cache_files)"
expect_eq "oversized index: nothing is logged as removed" 0 "$(grep -c '^Removed from the cache: ' "$uninstall_log")"

# --- A cabinet directory that is a link (as Wine shows a symbolic link): nothing goes ---
expect_eq "linked cache: reinstall exit status" 0 "$(run_web)"
mv "$cache/Downloaded Programs" "$victims/programs"
ln -s "$victims/programs" "$cache/Downloaded Programs"
before=$(cache_files)
expect_eq "linked cache: uninstall exit status" 0 "$(uninstall)"
expect_eq "linked cache: the cache is as it was" "$before" "$(cache_files)"
expect_eq "linked cache: the cabinet behind the link stays" yes \
  "$([ -e "$victims/programs/$program_short.cab" ] && echo yes || echo no)"
rm "$cache/Downloaded Programs"
mv "$victims/programs" "$cache/Downloaded Programs"
before=$(cache_files)

# --- Setup.exe run by hand records no package (a malformed key is ignored and logged) ---
mkdir -p "$scratch/plain"
cabextract -q -F Setup.exe -d "$scratch/plain" "$release/Prog1.cab"
plain_log=$scratch/plain.log
expect_eq "plain Setup.exe: exit status" 0 \
  "$(wine_run_timed 120 "$scratch/plain/Setup.exe" /S '/WEBPACKAGE=..\..\x' "/LOG=$(wine_windows_path "$plain_log")")"
expect_true "plain Setup.exe: the malformed key is logged as ignored" \
  grep -qF 'Ignored command-line argument: "/WEBPACKAGE=..\..\x"' "$plain_log"
expect_eq "plain Setup.exe: the uninstall data ends with the uninstall program" "${product}Uninstall\\Uninstall.EXE" \
  "$(last_data_line)"
expect_eq "plain Setup.exe: uninstall exit status" 0 "$(uninstall)"
expect_eq "plain Setup.exe: the uninstall leaves the cache alone" "$before" "$(cache_files)"
expect_eq "plain Setup.exe: the product's records are gone" "|" \
  "$(wine_reg_value 32 "$record" Directory)|$(wine_reg_value 32 "$uninstall_key" QuietUninstallString)"
finish
