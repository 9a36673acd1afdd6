#!/usr/bin/env bash
# The whole road of the release builder: the native vexabuild makes the web setup package
# of the sample program (the first build creates the project); every cabinet of it is read
# by cabextract; the web script by the engine's script reader (scriptinfo); the page passes
# tidy and opens in headless Chromium; the Setup.exe taken out of Prog1.cab installs the
# program silently under Wine; a second build with SOURCE_DATE_EPOCH is byte-identical; a
# build whose question is not answered Yes changes nothing; and the Windows vexabuild.exe
# under Wine makes the same package for the same project.
. "$(dirname "$0")/e2e-lib.sh"
need_programs identify cabextract tidy chromium 7z

for tool in "$VEXA_SOURCE_DIR/dist/vexabuild" "$VEXA_SOURCE_DIR/dist/vexabuild.exe"; do
  [ -x "$tool" ] || [ -f "$tool" ] || { echo "no $tool: run make build" >&2; exit 1; }
done
scriptinfo=$VEXA_SOURCE_DIR/build/native/tools/scriptinfo
artifacts=$VEXA_SOURCE_DIR/build/artifacts
mkdir -p "$artifacts"

# The wizard's directory is a copy of dist/: a build remembers defaults there.
wizard=$scratch/wizard
cp -r "$VEXA_SOURCE_DIR/dist/." "$wizard/"
program="$scratch/Acme Paint"
mkdir -p "$program"
cp -r "$VEXA_SOURCE_DIR/samples/acme-paint/files/." "$program/"
cp "$VEXA_BINARY_DIR/samples/Paint.exe" "$program/Paint.exe"
find "$program" -type f -exec touch -d '2026-12-01 12:00:00 UTC' {} +
export SOURCE_DATE_EPOCH=1796630400 XDG_CACHE_HOME=$scratch/cache TZ=UTC
project=$program/VexaWizardNetloomProject
release=$project/Release
activex=$project/ReleaseActiveX

started_win='C:\vexabuild-road-started.txt'
started=$(wine_unix_path 'C:\')/vexabuild-road-started.txt
rm -f "$started"
"$wizard/vexabuild" build "$program" --friendly-name "Acme Paint" --company "Acme" \
  --web-site-url "http://www.acme.example/" --activex-url "http://www.acme.example/ActiveX" \
  --publication-url "http://www.acme.example/paint/" --run Paint.exe \
  --run-parameters "\"/record\", \"$started_win\"" \
  --program-group "$VEXA_SOURCE_DIR/samples/acme-paint/ProgramGroup.txt" >"$scratch/out.txt" 2>"$scratch/err.txt"
expect_eq "the first build succeeds and creates the project" "0" "$?"
expect_eq "no message on the way" "" "$(cat "$scratch/err.txt")"
expect_eq "progress lines, then the success text last" \
  "Adding files to Cab image...|Done!|Successfully created the Web Setup program: |AcmePaintWebSetup.exe" \
  "$(grep -E '^(Adding files|Done!|Successfully|AcmePaintWebSetup.exe$)' "$scratch/out.txt" | paste -sd '|')"
expect_eq "the success text ends the output" "http://www.acme.example/ActiveX/" "$(tail -n1 "$scratch/out.txt")"
# Setup.exe (the engine and the sample) is larger than 50,000 bytes compressed: with
# "Minimize Download Time" (ticked for a new project) Prog1.cab is published as its parts.
parts=$(grep -c '^Part ' "$release/Prog1_parts.txt")
expect_eq "the package" \
  "AcmePaint.htm AcmePaintScript.Cab AcmePaintWebSetup.exe $(for i in $(seq 1 "$parts"); do printf 'Prog1_part%04d.bin ' "$i"; done)Prog1_parts.txt | VexaLoad.cab VexaLoad.ocx" \
  "$(cd "$release" && ls | LC_ALL=C sort | paste -sd ' ') | $(cd "$activex" && ls | LC_ALL=C sort | paste -sd ' ')"
expect_eq "the project files built" "Attachment.CAB Program.cab SAAttach.txt Script.txt" \
  "$(cd "$project/ProjectFiles" && ls | grep -E '^(Attachment.CAB|Program.cab|SAAttach.txt|Script.txt|Setup.exe)$' | LC_ALL=C sort | paste -sd ' ')"
# The parts joined in order, as the loader joins them, give the cabinet of the part list.
for i in $(seq 1 "$parts"); do cat "$release/$(printf 'Prog1_part%04d.bin' "$i")"; done >"$scratch/Prog1.cab"
expect_eq "the joined parts are the cabinet of the part list" \
  "$(tr -d '\r' <"$release/Prog1_parts.txt" | awk '$1 == "Cabinet" {print $3}')" "$(sha256sum "$scratch/Prog1.cab" | cut -d' ' -f1)"

# "Minimize Download Time" (on for a new project) makes the program cabinet LZX; the
# attachment, whose content is that cabinet, stays MSZIP.
cab_method() { 7z l -slt "$1" 2>/dev/null | awk '$1 == "Method" { print $3; exit }'; }
expect_eq "Program.cab is LZX with a 2 MiB window" "LZX:21" "$(cab_method "$project/ProjectFiles/Program.cab")"
expect_eq "the attachment is MSZIP" "MSZip" "$(cab_method "$project/ProjectFiles/Attachment.CAB")"

# Every cabinet of the package, read by an independent reader.
for cab in "$release"/*.[cC]ab "$scratch/Prog1.cab" "$activex"/*.[cC]ab "$project/ProjectFiles/Program.cab" "$project/ProjectFiles/Attachment.CAB"; do
  expect_true "cabextract tests $(basename "$cab")" cabextract -q -t "$cab"
done
expect_eq "Program.cab holds the ticked files under their list names" \
  "data\\palette.txt docs\\help.txt paint.exe readme.txt" \
  "$(cabextract -l "$project/ProjectFiles/Program.cab" | awk -F'|' 'NF == 3 && $3 !~ /^ *Name *$/ {gsub(/^ +| +$/, "", $3); print $3}' | sed 's|/|\\|g' | LC_ALL=C sort | paste -sd ' ')"
mkdir -p "$scratch/prog1" "$scratch/script"
cabextract -q -d "$scratch/prog1" "$scratch/Prog1.cab"
cabextract -q -d "$scratch/script" "$release/AcmePaintScript.Cab"
setup=$scratch/prog1/Setup.exe
expect_eq "Setup.exe is the engine followed by the attachment" \
  "$(( $(stat -c %s "$wizard/VexaInstall.exe") + $(stat -c %s "$project/ProjectFiles/Attachment.CAB") ))" "$(stat -c %s "$setup")"
expect_true "the engine's script reader reads the web script" "$scriptinfo" "$scratch/script/AcmePaintScript.txt"
expect_eq "the web script installs Prog1.cab and runs Setup.exe" \
  'InstallProgram "Prog1.cab"|Execute "<ProductDirectory>\Setup.exe", "/record", "C:\vexabuild-road-started.txt"' \
  "$(grep -E '^(InstallProgram|Execute)' "$scratch/script/AcmePaintScript.txt" | tr -d '\r' | sed -E 's/^(InstallProgram "Prog1.cab").*/\1/' | paste -sd '|')"
expect_eq "SAAttach.txt ends without a line end" "WEBSETUP" "$(tail -c 8 "$project/ProjectFiles/SAAttach.txt")"

# The page the pipeline made, in tidy and headless Chromium.
page=$release/AcmePaint.htm
expect_eq "no placeholder word is left on the page" "" "$(grep -o 'VEXA_[A-Z_]*' "$page" | sort -u | paste -sd ' ')"
tidy_out=$(tidy -q -e "$page" 2>&1)
tidy_status=$?
expect_true "tidy: no errors ($tidy_out)" test "$tidy_status" -lt 2
chromium_run() {
  local profile
  profile=$(mktemp -d "$scratch/profile.XXXX")
  timeout 120 chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run \
    --disable-background-networking --disable-component-update --disable-sync --user-data-dir="$profile" \
    "$@" "file://$page" 2>/dev/null
}
href=$(chromium_run --dump-dom | grep -o '<a class="download" id="download" href="[^"]*"' | sed 's/.*href="//;s/"$//')
expect_eq "Chromium: the download link names the stand-alone program" "AcmePaintWebSetup.exe" "$href"
expect_true "the download link resolves to the program beside the page" test -f "$release/$href"
for shot in desktop:1280,900 phone:390,844; do
  name=${shot%%:*}
  size=${shot#*:}
  rm -f "$artifacts/release-page-$name.png"
  chromium_run --hide-scrollbars --screenshot="$artifacts/release-page-$name.png" --window-size="$size" >/dev/null
  expect_eq "Chromium: a $name screenshot of the release page" "${size/,/x}" \
    "$(identify -format '%wx%h' "$artifacts/release-page-$name.png" 2>/dev/null)"
done

# The Setup.exe of the package installs silently with the engine.
expect_eq "Setup.exe /S from Prog1.cab" 0 "$(wine_run_timed 120 "$setup" /S "/LOG=$(wine_windows_path "$scratch/setup.log")")"
product=$(wine_unix_path 'C:\Program Files (x86)\Acme Paint')
expect_eq "the installed files" "data/palette.txt docs/help.txt paint.exe readme.txt" \
  "$(cd "$product" 2>/dev/null && find . -type f -printf '%P\n' | tr 'A-Z' 'a-z' | grep -v '^uninstall/uninstall.exe$' | LC_ALL=C sort | paste -sd ' ')"
group=$(find "$WINEPREFIX/drive_c" -ipath '*Start Menu/Programs/Acme Paint' -type d 2>/dev/null | head -n1)
expect_eq "the shortcuts of the program group" "Acme Paint.LNK Help.LNK Tools/Read Me.LNK" \
  "$([ -n "$group" ] && cd "$group" && find . -type f -printf '%P\n' | LC_ALL=C sort | paste -sd ' ')"
expect_eq "the installed-programs record" 'C:\Program Files (x86)\Acme Paint\' \
  "$(wine_reg_value 32 'HKLM\SOFTWARE\Corvanta Install\Installed Programs\Acme Paint' Directory)"
expect_true "the uninstall entry" test -n "$(wine_reg_value 32 'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Acme Paint' UninstallString)"
expect_eq "silently, the program was not started; the log names it with its parameters" \
  "no|Not started (silent): \"C:\\Program Files (x86)\\Acme Paint\\paint.exe\" /record $started_win" \
  "$([ -e "$started" ] && echo yes || echo no)|$(tr -d '\r' <"$scratch/setup.log" | grep '^Not started')"
# Removed again, so that the prefix is as the other tests expect it. The uninstall program
# runs by its installed path, as Windows starts it: a copy of it elsewhere removes nothing.
expect_eq "the uninstall program removes it again" "0|no" \
  "$(wine_run_timed 120 'C:\Program Files (x86)\Acme Paint\Uninstall\Uninstall.EXE' /S)|$([ -e "$product" ] && echo yes || echo no)"

# A rebuild with no options is the same package, byte for byte.
cp -r "$release" "$scratch/first-release"
cp -r "$activex" "$scratch/first-activex"
"$wizard/vexabuild" build "$program" --yes >"$scratch/out2.txt" 2>"$scratch/err2.txt"
expect_eq "a rebuild with no options succeeds" "0" "$?"
expect_eq "its only message is the question, answered Yes" "Updating Release Files: Continuing will delete all the current files in the Release directories: |vexabuild: answered Yes (--yes)" \
  "$(grep -E '^(Updating|vexabuild)' "$scratch/err2.txt" | paste -sd '|')"
expect_true "the rebuilt Release directory is byte-identical" diff -r "$scratch/first-release" "$release"
expect_true "the rebuilt ActiveX directory is byte-identical" diff -r "$scratch/first-activex" "$activex"

# Without --yes the question stops the build and nothing changes.
"$wizard/vexabuild" build "$program" >/dev/null 2>"$scratch/err3.txt"
expect_eq "a build whose question is not answered Yes fails" "1" "$?"
expect_eq "and says why" "vexabuild: stopped: a question was answered No" "$(tail -n1 "$scratch/err3.txt")"
expect_true "the Release directory is unchanged" diff -r "$scratch/first-release" "$release"

# The Windows vexabuild.exe under Wine, on a copy of the same project.
program2="$scratch/win/Acme Paint"
mkdir -p "$scratch/win"
cp -a "$program" "$program2"
rm -f "$program2/VexaWizardNetloomProject/Release/"* "$program2/VexaWizardNetloomProject/ReleaseActiveX/"*
timeout 300 wine "$wizard/vexabuild.exe" build "$(wine_windows_path "$program2")" >"$scratch/out-win.txt" 2>"$scratch/err-win.txt"
expect_eq "vexabuild.exe under Wine builds the project" "0" "$?"
expect_eq "with the same progress and success text" "$(grep -c '' "$scratch/out.txt")" "$(tr -d '\r' <"$scratch/out-win.txt" | grep -c '')"
release2=$program2/VexaWizardNetloomProject/Release
expect_eq "the same files in both Release directories" "$(cd "$release" && ls | paste -sd ' ')" "$(cd "$release2" && ls | paste -sd ' ')"
expect_true "the same program cabinet" cmp "$project/ProjectFiles/Program.cab" "$program2/VexaWizardNetloomProject/ProjectFiles/Program.cab"
no_created() { tr -d '\r' <"$1" | grep -v "^' Created: "; }
expect_eq "the same Setup script but for its Created line" "$(no_created "$project/ProjectFiles/Script.txt")" \
  "$(no_created "$program2/VexaWizardNetloomProject/ProjectFiles/Script.txt")"
mkdir -p "$scratch/script2"
cabextract -q -d "$scratch/script2" "$release2/AcmePaintScript.Cab"
# Prog1.cab holds Setup.exe, whose Setup script has its own Created line: only the name of
# the cabinet is compared in its line.
web_script() { no_created "$1" | sed -E 's/^(InstallProgram "Prog1.cab").*/\1/'; }
expect_eq "the same web script but for its Created line and Prog1.cab's bytes" \
  "$(web_script "$scratch/script/AcmePaintScript.txt")" "$(web_script "$scratch/script2/AcmePaintScript.txt")"
finish
