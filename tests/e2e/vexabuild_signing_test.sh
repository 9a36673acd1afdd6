#!/usr/bin/env bash
# Real code signing on the release road: a sign command runs osslsigncode on "%1" (the
# script cabinet) with a self-signed certificate. Afterwards osslsigncode verify passes and
# line 5 of SAAttach.txt is the short signature of the signed cabinet (the stand-alone
# program is made after signing).
. "$(dirname "$0")/e2e-lib.sh"
need_programs osslsigncode openssl

wizard=$scratch/wizard
cp -r "$VEXA_SOURCE_DIR/dist/." "$wizard/"
program=$scratch/Signed
mkdir -p "$program"
cp -r "$VEXA_SOURCE_DIR/samples/acme-paint/files/." "$program/"
export XDG_CACHE_HOME=$scratch/cache

openssl req -x509 -newkey rsa:2048 -nodes -days 30 -subj "/CN=Vexa test signer" \
  -addext extendedKeyUsage=codeSigning -keyout "$scratch/key.pem" -out "$scratch/cert.pem" >/dev/null 2>&1
# The signing tool writes a new file; the command signs the cabinet in place.
cat >"$scratch/sign.sh" <<SIGN
#!/bin/sh
set -e
osslsigncode sign -certs "$scratch/cert.pem" -key "$scratch/key.pem" -n "\$2" -in "\$1" -out "\$1.signed" >/dev/null
mv "\$1.signed" "\$1"
SIGN
chmod +x "$scratch/sign.sh"

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
