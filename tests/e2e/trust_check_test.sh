#!/usr/bin/env bash
# The signature check of SetCheckTrust, with packages signed by osslsigncode: a correctly
# signed package installs, an unsigned one is refused, only "TRUE" (any case) turns the
# check on, and without WinTrust.DLL the engine asks before running unchecked. Under a
# root the PC trusts, a package whose publisher is revoked, or whose revocation list cannot
# be reached, is refused. Each stop says in the log what happened.
. "$(dirname "$0")/e2e-lib.sh"
need_programs osslsigncode openssl
. "$VEXA_SOURCE_DIR/tests/supplied/web-setup-lib.sh"
. "$VEXA_SOURCE_DIR/tests/e2e/certificate-lib.sh"

trust=$VEXA_BINARY_DIR/tests/supplied/trust_certificate.exe
cleanup() {
  stop_web_server
  [ -f "$scratch/ca/root.der" ] && wine "$trust" remove "$(wine_windows_path "$scratch/ca/root.der")" >/dev/null 2>&1
  rm -rf "$scratch"
}
trap cleanup EXIT

mkdir -p "$scratch/prog" "$scratch/pkg" "$scratch/key"
printf 'main program\r\n' >"$scratch/prog/App.txt"
make_cab "$scratch/pkg/Program.Cab" "$scratch/prog"
cp "$VEXA_BINARY_DIR/tests/harness/harness_probe.exe" "$scratch/pkg/Uninstall.EXE"
openssl req -x509 -newkey rsa:2048 -nodes -days 30 -subj "/CN=Vexa Test Publisher" \
  -addext extendedKeyUsage=codeSigning -keyout "$scratch/key/key.pem" -out "$scratch/key/cert.pem" 2>/dev/null

# package NAME CHECKTRUST [signed]: $scratch/NAME.exe
package() {
  write_script "$scratch/pkg/Script.TXT" "SetProductName \"Acme $1\"" "SetProductDirectory \"C:\\Acme $1\"" \
    "SetCheckTrust \"$2\"" 'InstallProgram "Program.Cab"'
  make_cab "$scratch/$1.cab" "$scratch/pkg" Script.TXT Program.Cab Uninstall.EXE
  make_setup "$scratch/$1.unsigned.exe" "$engine" "$scratch/$1.cab"
  if [ "${3:-}" = signed ]; then
    osslsigncode sign -certs "$scratch/key/cert.pem" -key "$scratch/key/key.pem" -n "Acme $1" \
      -in "$scratch/$1.unsigned.exe" -out "$scratch/$1.exe" >/dev/null
  else
    mv "$scratch/$1.unsigned.exe" "$scratch/$1.exe"
  fi
}

# install NAME [OVERRIDES]: the exit status, with these DLL overrides added to the
# session's; the log is $scratch/NAME.log
install() {
  rm -f "$scratch/$1.log"
  WINEDLLOVERRIDES="$WINEDLLOVERRIDES;${2:-}" wine_run_timed 60 "$scratch/$1.exe" \
    "/D=$(wine_windows_path "$scratch/install-$1")" "/LOG=$(wine_windows_path "$scratch/$1.log")" /S
}
log_of() { tr -d '\r' <"$scratch/$1.log" 2>/dev/null | grep -v '^$' | paste -sd '|'; }
installed() { [ -f "$scratch/install-$1/Acme $1/App.txt" ] && echo yes || echo no; }

package Signed true signed
expect_true "the signed package verifies with osslsigncode" \
  bash -c 'osslsigncode verify -CAfile "$0" -in "$1" >/dev/null' "$scratch/key/cert.pem" "$scratch/Signed.exe"
expect_eq "signed, CheckTrust \"true\": installs" 0 "$(install Signed)"
expect_eq "signed, CheckTrust \"true\": installed" yes "$(installed Signed)"

package Unsigned TRUE
expect_eq "unsigned, CheckTrust \"TRUE\": refused" 1603 "$(install Unsigned)"
expect_eq "unsigned: the log says why" "This installation program is not signed; it was not run." "$(log_of Unsigned)"
expect_eq "unsigned: nothing installed" no "$(installed Unsigned)"

package Yes yes
expect_eq "CheckTrust \"yes\" leaves the check off: installs unsigned" 0 "$(install Yes)"

# Without WinTrust.DLL the engine asks whether to run unchecked; a silent run says No.
package NoTrust TRUE signed
expect_eq "no WinTrust: not run" 1603 "$(install NoTrust wintrust=d)"
expect_eq "no WinTrust: the question, then what happened" \
  "Question: The certificate of this Installation program cannot be displayed because the DLL file WinTrust.DLL cannot be loaded. Would you like to run this installation program anyhow? -> No|WinTrust.DLL cannot be loaded, and the installation was not run without a signature check." \
  "$(log_of NoTrust)"
expect_eq "no WinTrust: nothing installed" no "$(installed NoTrust)"

# --- Revocation, under a root this PC trusts: the publishers' revocation list is served by
# the loopback server and names the revoked one; the third one's list is where nothing
# answers (an offline PC sees every list so) ---
web_root=$scratch/site
mkdir -p "$web_root/crl"
start_web_server "$web_root"
make_signing_root "$scratch/ca"
make_publisher "$scratch/ca" good "$web_base/crl/root.crl"
make_publisher "$scratch/ca" revoked "$web_base/crl/root.crl"
make_publisher "$scratch/ca" offline "http://127.0.0.1:9/crl/root.crl"
revoke_publisher "$scratch/ca" revoked
write_crl "$scratch/ca" "$web_root/crl/root.crl"
expect_eq "the publishers' root is trusted" 0 \
  "$(wine_run_timed 60 "$trust" add "$(wine_windows_path "$scratch/ca/root.der")")"
signed_by() {  # signed_by NAME PUBLISHER: $scratch/NAME.exe with CheckTrust on
  package "$1" TRUE
  sign_with "$scratch/ca" "$2" "$scratch/$1.exe" "$scratch/$1.signed.exe"
  mv "$scratch/$1.signed.exe" "$scratch/$1.exe"
}

signed_by Good good
expect_eq "publisher not revoked: installs" 0 "$(install Good)"
expect_eq "publisher not revoked: installed" yes "$(installed Good)"
expect_true "publisher not revoked: its revocation list was asked for" test "$(requests_for /crl/root.crl)" -ge 1

signed_by Revoked revoked
expect_eq "revoked publisher: refused" 1603 "$(install Revoked)"
expect_eq "revoked publisher: the log says why" \
  "The certificate that signed this installation program has been revoked; it was not run." "$(log_of Revoked)"
expect_eq "revoked publisher: nothing installed" no "$(installed Revoked)"

signed_by Offline offline
expect_eq "revocation list out of reach: refused" 1603 "$(install Offline)"
expect_eq "revocation list out of reach: the log says why" \
  "Whether the certificate that signed this installation program has been revoked cannot be checked (its revocation server cannot be reached); it was not run." \
  "$(log_of Offline)"
expect_eq "revocation list out of reach: nothing installed" no "$(installed Offline)"

finish
