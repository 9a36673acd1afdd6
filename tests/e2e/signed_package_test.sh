#!/usr/bin/env bash
# A package whose every program is signed, installed as an end user installs it: the native
# vexabuild signs with osslsigncode and a throw-away certificate, and the Setup script asks
# the engine to check its own signature (SetCheckTrust "true", from the project's
# Custom.txt). Under Wine the signed stand-alone program installs the package from the
# loopback server through the signed Setup.exe; the Setup.exe taken out of Prog1.cab
# accepts its own signature, and refuses when one byte of it is changed.
. "$VEXA_SOURCE_DIR/tests/e2e/e2e-lib.sh"
. "$VEXA_SOURCE_DIR/tests/supplied/web-setup-lib.sh"
need_programs osslsigncode openssl cabextract

vexabuild=$VEXA_SOURCE_DIR/dist/vexabuild
for f in "$vexabuild" "$web_setup_program" "$web_server_program"; do
  [ -f "$f" ] || { echo "no $f: run make build" >&2; exit 1; }
done
product="$(wine_reg_value 32 'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion' ProgramFilesDir)\\Signed Paint\\"
product_unix=$(wine_unix_path "${product%\\}")
cache=$(wine_unix_path "$(wine_reg_value 32 'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion' ProgramFilesDir)\\Corvanta\\Temporary VexaWeb Files")

remove_installation() {
  remove_product 'Signed Paint' "$product_unix"
  rm -rf "$cache"
}
cleanup() {
  stop_web_server
  remove_installation
  rm -rf "$scratch"
}
trap cleanup EXIT
remove_installation

program="$scratch/Signed Paint"
mkdir -p "$program/VexaWizardNetloomProject/ProjectFiles" "$scratch/wizard"
cp -r "$VEXA_SOURCE_DIR/samples/acme-paint/files/." "$program/"
printf 'SetCheckTrust "true"' >"$program/VexaWizardNetloomProject/ProjectFiles/Custom.txt"
release=$program/VexaWizardNetloomProject/Release
mkdir -p "$scratch/site/root"
ln -s "$release" "$scratch/site/root/paint"
ln -s "$program/VexaWizardNetloomProject/ReleaseActiveX" "$scratch/site/root/activex"
start_web_server "$scratch/site/root"
cp -r "$VEXA_SOURCE_DIR/dist/." "$scratch/wizard/"

openssl req -x509 -newkey rsa:2048 -nodes -days 30 -subj "/CN=Vexa signed package test" \
  -addext extendedKeyUsage=codeSigning -keyout "$scratch/key.pem" -out "$scratch/cert.pem" >/dev/null 2>&1
cat >"$scratch/sign.sh" <<SIGN
#!/bin/sh
set -e
osslsigncode sign -certs "$scratch/cert.pem" -key "$scratch/key.pem" -n "\$2" -in "\$1" -out "\$1.signed" >/dev/null
mv "\$1.signed" "\$1"
SIGN
chmod +x "$scratch/sign.sh"
XDG_CACHE_HOME=$scratch/cache "$vexabuild" build "$program" --wizard-directory "$scratch/wizard" \
  --friendly-name "Signed Paint" --company "Acme" --web-site-url "$web_base/" --activex-url "$web_base/activex/" \
  --publication-url "$web_base/paint/" --run "<none>" --minimize-download-time no \
  --sign-command "$scratch/sign.sh \"%1\" \"%2\"" --sign-every-program yes >"$scratch/build.txt" 2>&1
expect_eq "vexabuild signs and publishes the package" 0 "$?"
web_setup=$release/SignedPaintWebSetup.exe
expect_true "the stand-alone program is signed" \
  sh -c 'osslsigncode verify -CAfile "$0" -in "$1" >/dev/null 2>&1' "$scratch/cert.pem" "$web_setup"

# The signed stand-alone program: it reads its lines up to its signature, downloads the
# signed script cabinet and Prog1.cab, and runs the signed Setup.exe, which checks itself.
log_file=$scratch/websetup.log
expect_eq "the signed web setup program installs: exit status" 0 \
  "$(wine_run_timed 300 "$web_setup" /S "/LOG=$(wine_windows_path "$log_file")")"
expect_true "Setup.exe was run" grep -qE '^Running .*\\Setup\.exe .*/S' "$log_file"
expect_eq "the installed files" "data/palette.txt docs/help.txt readme.txt uninstall/uninstall.exe" \
  "$(cd "$product_unix" 2>/dev/null && find . -type f -printf '%P\n' | tr 'A-Z' 'a-z' | LC_ALL=C sort | paste -sd ' ')"
remove_installation

# Setup.exe taken out of the signed Prog1.cab, run on its own.
mkdir -p "$scratch/prog1"
cabextract -q -d "$scratch/prog1" "$release/Prog1.cab"
setup=$scratch/prog1/Setup.exe
expect_eq "Setup.exe with SetCheckTrust \"true\" accepts its own signature" 0 \
  "$(wine_run_timed 120 "$setup" /S "/LOG=$(wine_windows_path "$scratch/setup.log")")"
expect_true "and installs" test -f "$product_unix/readme.txt"
remove_installation
# One byte of the DOS stub's text changed: the digest no longer matches.
cp "$setup" "$scratch/Tampered.exe"
printf 'X' | dd of="$scratch/Tampered.exe" bs=1 seek=80 conv=notrunc status=none
expect_eq "a changed Setup.exe is refused" 1603 \
  "$(wine_run_timed 120 "$scratch/Tampered.exe" /S "/LOG=$(wine_windows_path "$scratch/tampered.log")")"
expect_true "the log says why" grep -q 'could not be verified' "$scratch/tampered.log"
expect_true "and nothing is installed" test ! -e "$product_unix/readme.txt"
finish
