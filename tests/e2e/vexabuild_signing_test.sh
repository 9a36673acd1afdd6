#!/usr/bin/env bash
# Real code signing on the release road: a sign command runs osslsigncode on "%1" with a
# self-signed certificate. Without "Sign every program" only the script cabinet is signed;
# line 5 of SAAttach.txt is the short signature of the signed cabinet (the stand-alone
# program is made after signing). With it, osslsigncode verify also passes on Setup.exe
# taken out of the joined parts of Prog1.cab, on the stand-alone program and on
# VexaLoad.cab; with SOURCE_DATE_EPOCH passed as the signing time ("%3") two builds are
# byte-identical. A sign command that fails or cannot start fails the build.
. "$(dirname "$0")/e2e-lib.sh"
need_programs osslsigncode openssl cabextract

wizard=$scratch/wizard
cp -r "$VEXA_SOURCE_DIR/dist/." "$wizard/"
program=$scratch/Signed
mkdir -p "$program"
cp -r "$VEXA_SOURCE_DIR/samples/acme-paint/files/." "$program/"
export XDG_CACHE_HOME=$scratch/cache

openssl req -x509 -newkey rsa:2048 -nodes -days 30 -subj "/CN=Vexa test signer" \
  -addext extendedKeyUsage=codeSigning -keyout "$scratch/key.pem" -out "$scratch/cert.pem" >/dev/null 2>&1
# The signing tool writes a new file; the command signs the file in place, at the signing
# time of its third argument when there is one.
cat >"$scratch/sign.sh" <<SIGN
#!/bin/sh
set -e
osslsigncode sign -certs "$scratch/cert.pem" -key "$scratch/key.pem" -n "\$2" \${3:+-time "\$3"} \
  -in "\$1" -out "\$1.signed" >/dev/null
mv "\$1.signed" "\$1"
SIGN
chmod +x "$scratch/sign.sh"
verify() { osslsigncode verify -CAfile "$scratch/cert.pem" -in "$1" >/dev/null 2>&1; }
unsigned() { ! verify "$1"; }

"$wizard/vexabuild" build "$program" --friendly-name "Signed Paint" --run "<none>" \
  --sign-command "$scratch/sign.sh %1 %2" >"$scratch/out.txt" 2>"$scratch/err.txt"
expect_eq "the build with a sign command succeeds" "0" "$?"
expect_eq "no message" "" "$(cat "$scratch/err.txt")"
release=$program/VexaWizardNetloomProject/Release
cabinet=$release/SignedScript.Cab
expect_true "the progress names the command" grep -qF "Executing Sign Code Command: $scratch/sign.sh $cabinet Signed Paint Web Setup Page" "$scratch/out.txt"
expect_true "osslsigncode verify passes on the signed script cabinet" \
  osslsigncode verify -CAfile "$scratch/cert.pem" -in "$cabinet"
short=$(sha256sum "$cabinet" | cut -c1-32)
expect_eq "SAAttach.txt line 5 is the short signature of the signed cabinet" "$short" \
  "$(tr -d '\r' <"$program/VexaWizardNetloomProject/ProjectFiles/SAAttach.txt" | sed -n 5p)"
expect_true "the stand-alone program carries those lines" \
  sh -c "tail -c $(stat -c %s "$program/VexaWizardNetloomProject/ProjectFiles/SAAttach.txt") '$release/SignedWebSetup.exe' | cmp - '$program/VexaWizardNetloomProject/ProjectFiles/SAAttach.txt'"
expect_eq "the native build copies nothing into the loader's cache" "" \
  "$(find "$XDG_CACHE_HOME/corvanta" -type f 2>/dev/null)"
expect_true "without \"Sign every program\" the stand-alone program is not signed" unsigned "$release/SignedWebSetup.exe"
expect_true "nor is VexaLoad.cab" unsigned "$program/VexaWizardNetloomProject/ReleaseActiveX/VexaLoad.cab"

# --- Sign every program, reproducibly: Prog1.cab in parts (a program larger than a part) ---
head -c 300000 /dev/urandom >"$program/Data.bin"
export SOURCE_DATE_EPOCH=1796630400 TZ=UTC
activex=$program/VexaWizardNetloomProject/ReleaseActiveX
build_every() {
  "$wizard/vexabuild" build "$program" --yes --sign-every-program yes --minimize-download-time yes \
    --sign-command "$scratch/sign.sh %1 \"%2\" %3" >"$scratch/out-every.txt" 2>"$scratch/err-every.txt"
}
build_every
expect_eq "the build that signs every program succeeds" "0" "$?"
expect_eq "each file signed is a progress line" \
  "Signing Setup.exe|Signing VexaLoad.cab|Signing SignedScript.Cab|Signing SignedWebSetup.exe" \
  "$(grep '^Signing ' "$scratch/out-every.txt" | paste -sd '|')"
expect_true "the package is split" test -f "$release/Prog1_part0002.bin"
for part in "$release"/Prog1_part*.bin; do cat "$part"; done >"$scratch/Prog1.cab"
mkdir -p "$scratch/prog1"
cabextract -q -d "$scratch/prog1" "$scratch/Prog1.cab"
for file in "$scratch/prog1/Setup.exe" "$release/SignedWebSetup.exe" "$cabinet" "$activex/VexaLoad.cab"; do
  expect_true "osslsigncode verify passes on $(basename "$file")" verify "$file"
done
expect_eq "SAAttach.txt line 5 names the signed script cabinet" "$(sha256sum "$cabinet" | cut -c1-32)" \
  "$(tr -d '\r' <"$program/VexaWizardNetloomProject/ProjectFiles/SAAttach.txt" | sed -n 5p)"
expect_eq "the setting is saved with the project" " 1" \
  "$(cat "$program/VexaWizardNetloomProject/ProjectFiles/SignEveryProgram.txt")"
rm -rf "$scratch/first-release" "$scratch/first-activex"
cp -r "$release" "$scratch/first-release"
cp -r "$activex" "$scratch/first-activex"
sleep 1  # a signature that took the clock's time would now differ
build_every
expect_eq "a second signed build succeeds" "0" "$?"
expect_true "and its Release directory is byte-identical" diff -r "$scratch/first-release" "$release"
expect_true "and so is its ActiveX directory" diff -r "$scratch/first-activex" "$activex"

# --- A sign command that fails, or cannot be started, fails the build ---
project_files=$program/VexaWizardNetloomProject/ProjectFiles
for command in 'sh -c "exit 3" %1' '/no/such/signer %1'; do
  "$wizard/vexabuild" build "$program" --yes --sign-every-program no --sign-command "$command" \
    >/dev/null 2>"$scratch/err-fail.txt"
  expect_eq "$command: exit status 1" "1" "$?"
  line=${command//%1/$cabinet}
  case $command in
    sh*) message="Error. The sign code command failed: $line (exit status 3)." ;;
    *) message="Error. The sign code command could not be started: $line." ;;
  esac
  expect_eq "$command: the message, then vexabuild's last line" \
    "Corvanta Netloom Wizard: $message|vexabuild: the web setup package was not built" \
    "$(grep -E '^(Corvanta Netloom Wizard|vexabuild: the web)' "$scratch/err-fail.txt" | paste -sd '|')"
  expect_eq "$command: the Release directories are empty" "" "$(find "$release" "$activex" -type f)"
done
unset SOURCE_DATE_EPOCH
rm "$program/Data.bin"

# Failures through vexabuild: a clear message, exit status 1, empty Release directories,
# the project files kept.
rm "$wizard/Uninstall.exe"
"$wizard/vexabuild" build "$program" --yes >/dev/null 2>"$scratch/err-missing.txt"
expect_eq "a missing Uninstall.exe fails the build" "1" "$?"
expect_eq "with the wizard's message and vexabuild's last line" \
  "Corvanta Netloom Wizard: Error. Cannot create cab file: $program/VexaWizardNetloomProject/ProjectFiles/Attachment.CAB|Cannot read file: $wizard/Uninstall.exe|vexabuild: the web setup package was not built" \
  "$(grep -vE '^(Updating|vexabuild: answered|$|/|The Release|Continuing)' "$scratch/err-missing.txt" | paste -sd '|')"
expect_eq "the Release directories are empty" "" "$(find "$release" "$program/VexaWizardNetloomProject/ReleaseActiveX" -type f)"
expect_true "the project files are kept" test -s "$program/VexaWizardNetloomProject/ProjectFiles/ProgramFriendlyName.txt"
"$wizard/vexabuild" build "$scratch/no-such-program" >/dev/null 2>&1
expect_eq "a missing program directory: exit status 1" "1" "$?"
"$wizard/vexabuild" build "$program" --no-such-option >/dev/null 2>&1
expect_eq "an unknown option: exit status 2" "2" "$?"
expect_true "--help lists the options" sh -c "'$wizard/vexabuild' --help | grep -q -- '--sign-command TEXT'"
finish
