#!/usr/bin/env bash
# VexaLoad.ocx and VexaLoad.cab under Wine: the registration round trip, the version a
# page's codebase names, the control download's cabinet and INF, and the control hosted
# through atl.dll installing the sample package from the loopback server when its script
# cabinet is signed by a trusted publisher; unsigned, re-signed, tampered and revoked
# cabinets, and those whose revocation cannot be checked, are refused and install nothing.
# Hosted for a page in a browser (untrusted data, the page's address from the host's
# site), it acts only for the page's own https: site and only after the user said Yes
# twice, and tells the page what failed but not the details.
. "$VEXA_SOURCE_DIR/tests/e2e/e2e-lib.sh"
need_programs cabextract osslsigncode openssl exiftool
. "$VEXA_SOURCE_DIR/tests/supplied/web-setup-lib.sh"
. "$VEXA_SOURCE_DIR/tests/e2e/certificate-lib.sh"

loader=$VEXA_SOURCE_DIR/dist/VexaLoad.ocx
loader_cab=$VEXA_SOURCE_DIR/dist/VexaLoad.cab
host=$VEXA_BINARY_DIR/tests/supplied/vexaload_host.exe
trust=$VEXA_BINARY_DIR/tests/supplied/trust_certificate.exe
for f in "$loader" "$loader_cab" "$host" "$trust" "$web_server_program"; do
  [ -f "$f" ] || { echo "no $f: run make build" >&2; exit 1; }
done
class='{2C824442-6AA6-45D2-8EFD-2040F2E6B11C}'
c_drive=$(wine_unix_path 'C:\')
system32=$(wine_unix_path 'C:\windows\syswow64')
cache=$(wine_unix_path "$(wine cmd /c echo %LOCALAPPDATA% 2>/dev/null | tr -d '\r')\\Corvanta\\Temporary VexaWeb Files")
product="$(wine_reg_value 32 'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion' ProgramFilesDir)\\Acme Paint\\"
product_unix=$(wine_unix_path "${product%\\}")
record='HKLM\SOFTWARE\Corvanta Install\Installed Programs\Acme Paint'
control_class='{5D0C7A52-3E1B-4F7A-9C2D-7A1E0B5C9D31}'

class_key() { wine reg query "HKCR\\CLSID\\$class$1" /ve /reg:32 2>/dev/null | tr -d '\r' | sed -n 's/^ *(Default) *REG_[A-Z_]* *//p'; }
class_registered() { wine reg query "HKCR\\CLSID\\$class" /reg:32 >/dev/null 2>&1 && echo registered || echo absent; }
unregister() {
  wine 'C:\windows\syswow64\regsvr32.exe' /s /u 'C:\windows\syswow64\VexaLoad.ocx' >/dev/null 2>&1
  rm -f "$system32/VexaLoad.ocx"
}
remove_control() {
  find "$c_drive/windows" -maxdepth 2 -iname AcmeCtl.ocx -delete 2>/dev/null
  wine reg delete "HKCR\\CLSID\\$control_class" /f /reg:32 >/dev/null 2>&1
}
cleanup() {
  stop_web_server
  [ -z "${tls_server:-}" ] || kill "$tls_server" 2>/dev/null
  for der in "$scratch/trusted.der" "$scratch/ca/root.der" "$scratch/tls-cert.der"; do
    [ -f "$der" ] && wine "$trust" remove "$(wine_windows_path "$der")" >/dev/null 2>&1
  done
  unregister
  remove_product 'Acme Paint' "$product_unix"
  remove_control
  rm -rf "$scratch" "$cache" "$c_drive/loader-started.txt"
}
trap cleanup EXIT
unregister

# --- The version a page's codebase names, and the class the page template names ---
expect_eq "FileVersion text" "1,0,0,1" "$(exiftool -s3 -FileVersion "$loader")"
expect_eq "the file registers itself" "" "$(exiftool -s3 -OLESelfRegister "$loader")"
expect_true "the file says it registers itself" exiftool -s -OLESelfRegister "$loader"
expect_true "the page template names the loader's class" \
  grep -q "classid=\"clsid:${class:1:36}\"" "$VEXA_SOURCE_DIR/dist/HtmlTemplates/TemplateSetup01.htm"

# --- VexaLoad.cab: the INF first, then the control as built ---
expect_eq "VexaLoad.cab members" "VexaLoad.inf|VexaLoad.ocx" \
  "$(cabextract -l "$loader_cab" | awk '$NF ~ /^VexaLoad\./ { print $NF }' | paste -sd '|')"
mkdir -p "$scratch/cab"
cabextract -q -d "$scratch/cab" "$loader_cab"
expect_true "VexaLoad.cab holds the shipped control" cmp -s "$loader" "$scratch/cab/VexaLoad.ocx"
inf=$(tr -d '\r' <"$scratch/cab/VexaLoad.inf")
expect_true "INF: the control comes from this cabinet" grep -qx 'file-win32-x86=thiscab' <<<"$inf"
expect_true "INF: the class" grep -qix "clsid=$class" <<<"$inf"
expect_true "INF: the version is the file's" grep -qx "FileVersion=$(exiftool -s3 -FileVersion "$loader")" <<<"$inf"
expect_true "INF: registered by itself" grep -qx 'RegisterServer=yes' <<<"$inf"

# --- Registration round trip ---
cp "$loader" "$system32/VexaLoad.ocx"
expect_eq "regsvr32: exit status" 0 "$(wine_run_timed 60 'C:\windows\syswow64\regsvr32.exe' /s 'C:\windows\syswow64\VexaLoad.ocx')"
expect_eq "registered: the server" 'C:\windows\syswow64\VexaLoad.ocx' "$(class_key '\InprocServer32')"
expect_eq "registered: the ProgID" 'VexaLoad.VexaLoadCtrl' "$(class_key '\ProgID')"
expect_true "registered: as a control" wine reg query "HKCR\\CLSID\\$class\\Control" /reg:32
expect_true "registered: safe for initialising" \
  wine reg query "HKCR\\CLSID\\$class\\Implemented Categories\\{7DD95802-9882-11CF-9FA9-00AA006C42C4}" /reg:32
expect_eq "regsvr32 /u: exit status" 0 "$(wine_run_timed 60 'C:\windows\syswow64\regsvr32.exe' /s /u 'C:\windows\syswow64\VexaLoad.ocx')"
expect_eq "unregistered: the class is gone" absent "$(class_registered)"
expect_true "unregistered: the ProgID is gone" bash -c "! wine reg query 'HKCR\\VexaLoad.VexaLoadCtrl' /reg:32 >/dev/null 2>&1"
wine_run_timed 60 'C:\windows\syswow64\regsvr32.exe' /s 'C:\windows\syswow64\VexaLoad.ocx' >/dev/null

# --- A site with the sample package; its script cabinet signed three ways ---
web_root=$scratch/site/root
mkdir -p "$web_root/activex"
start_web_server "$web_root"
# Setup.exe starts the program with "/record" so that it ends at once.
make_sample_setup "$scratch/package" 'Execute "<ProductDirectory>\Paint.exe", "/record", "C:\loader-started.txt"'
mkdir -p "$scratch/prog1"
cp "$scratch/package/Setup.exe" "$scratch/prog1/Setup.exe"
make_cab "$scratch/Prog1.cab" "$scratch/prog1" Setup.exe
make_web_site "$web_root/pub" "$scratch/Prog1.cab" 0 "$scratch/unused.exe"
mv "$web_root/pub/MyPageScript.Cab" "$scratch/MyPageScript.Cab"

make_certificate() {  # make_certificate NAME: NAME.key, NAME.pem, NAME.der
  openssl req -x509 -newkey rsa:2048 -nodes -keyout "$scratch/$1.key" -out "$scratch/$1.pem" -days 2 \
    -subj "/CN=Acme $1 publisher" -addext extendedKeyUsage=codeSigning >/dev/null 2>&1
  openssl x509 -in "$scratch/$1.pem" -outform der -out "$scratch/$1.der"
}
sign_cab() {  # sign_cab NAME IN OUT
  osslsigncode sign -certs "$scratch/$1.pem" -key "$scratch/$1.key" -n "Acme Paint" -in "$2" -out "$3" >/dev/null
}
make_certificate trusted
make_certificate stranger
expect_eq "the publisher's root is trusted" 0 "$(wine_run_timed 60 "$trust" add "$(wine_windows_path "$scratch/trusted.der")")"
mkdir -p "$web_root/signed" "$web_root/unsigned" "$web_root/stranger" "$web_root/tampered"
for d in signed unsigned stranger tampered; do cp "$web_root/pub/Prog1.cab" "$web_root/$d/"; done
sign_cab trusted "$scratch/MyPageScript.Cab" "$web_root/signed/MyPageScript.Cab"
cp "$scratch/MyPageScript.Cab" "$web_root/unsigned/MyPageScript.Cab"
sign_cab stranger "$scratch/MyPageScript.Cab" "$web_root/stranger/MyPageScript.Cab"
# The signed cabinet with one byte of its web script changed.
cp "$web_root/signed/MyPageScript.Cab" "$web_root/tampered/MyPageScript.Cab"
offset=$(grep -abo 'Installing Acme Paint' "$web_root/tampered/MyPageScript.Cab" | head -n1 | cut -d: -f1)
expect_true "tampered: the web script's title lies in the cabinet as text" test -n "$offset"
printf 'X' | dd of="$web_root/tampered/MyPageScript.Cab" bs=1 seek="$offset" conv=notrunc 2>/dev/null

log_file=$scratch/loader.log
run_loader() {  # run_loader DIRECTORY: the host's output joined with "|"
  rm -f "$log_file"
  : >"$web_log"
  timeout 300 wine "$host" "ScriptFile=$web_base/$1/MyPageScript.Cab" Silent=1 \
    "LogFile=$(wine_windows_path "$log_file")" 2>/dev/null | tr -d '\r' | paste -sd '|'
}
installed() { wine reg query "$record" /reg:32 >/dev/null 2>&1 && test -f "$product_unix/Paint.exe" && echo installed || echo absent; }

# --- Refused: unsigned, signed by a publisher this PC does not trust ---
remove_product 'Acme Paint' "$product_unix"
rm -rf "$cache"
expect_eq "unsigned: refused with its reason" \
  "exit 1603|result Error. The setup script $web_base/unsigned/MyPageScript.Cab was refused: it is not signed. It was deleted; nothing was installed." \
  "$(run_loader unsigned)"
expect_eq "unsigned: only the script was fetched" "/unsigned/MyPageScript.Cab" "$(awk '{ print $2 }' "$web_log" | paste -sd '|')"
expect_eq "unsigned: nothing installed" absent "$(installed)"
expect_eq "unsigned: nothing kept in the cache" "" "$(ls "$cache/Installed Scripts" 2>/dev/null)"

expect_eq "another publisher: refused with its reason" \
  "exit 1603|result Error. The setup script $web_base/stranger/MyPageScript.Cab was refused: its signer is not trusted on this computer. It was deleted; nothing was installed." \
  "$(run_loader stranger)"
expect_eq "another publisher: nothing installed" absent "$(installed)"
expect_true "another publisher: osslsigncode agrees it verifies only against its own root" \
  osslsigncode verify -CAfile "$scratch/stranger.pem" -in "$web_root/stranger/MyPageScript.Cab"

# --- Tampered after signing: the dialog title in the web script changed ---
tampered=$(run_loader tampered)
echo "tampered cabinet: $tampered"
if ! grep -q "^exit 1603|result Error. The setup script .* was refused" <<<"$tampered"; then
  # The cabinet's own block checksum still stops the changed web script here.
  echo "note: this Wine's WinVerifyTrust does not check a cabinet's digest; the tampered cabinet is checked with osslsigncode verify"
fi
expect_true "tampered: stopped" grep -q "^exit 1603|" <<<"$tampered"
expect_eq "tampered: nothing installed" absent "$(installed)"
remove_product 'Acme Paint' "$product_unix"
expect_true "tampered: osslsigncode rejects it" \
  bash -c "! osslsigncode verify -CAfile '$scratch/trusted.pem' -in '$web_root/tampered/MyPageScript.Cab' >/dev/null 2>&1"
expect_true "signed: osslsigncode accepts it" \
  osslsigncode verify -CAfile "$scratch/trusted.pem" -in "$web_root/signed/MyPageScript.Cab"

# --- Signed by the trusted publisher: installed ---
remove_product 'Acme Paint' "$product_unix"
rm -rf "$cache"
expect_eq "signed: the host's report" "exit 0|result " "$(run_loader signed)"
expect_eq "signed: the product is installed" installed "$(installed)"
expect_true "signed: Setup.exe ran silently" grep -qE 'Running .*Setup.exe"? /S' "$log_file"
expect_eq "signed: requests (script, program)" "/signed/MyPageScript.Cab|/signed/Prog1.cab" \
  "$(awk '{ print $2 }' "$web_log" | paste -sd '|')"
expect_true "signed: the script is kept under its short signature" \
  test -f "$cache/Installed Scripts/$(sha256sum "$web_root/signed/MyPageScript.Cab" | cut -c1-32).cab"

# --- A host without a page address: a relative ScriptFile cannot be found ---
expect_eq "relative name without a page" \
  "exit 1603|result Error. The script file MyPageScript.Cab cannot be found: the page's address is unknown." \
  "$(timeout 120 wine "$host" ScriptFile=MyPageScript.Cab Silent=1 2>/dev/null | tr -d '\r' | paste -sd '|')"

# --- Revocation: publishers under a root this PC trusts, whose revocation list the loopback
# server serves (it names the revoked one), or lies where nothing answers ---
make_signing_root "$scratch/ca"
make_publisher "$scratch/ca" good "$web_base/crl/root.crl"
make_publisher "$scratch/ca" revoked "$web_base/crl/root.crl"
make_publisher "$scratch/ca" offline "http://127.0.0.1:9/crl/root.crl"
revoke_publisher "$scratch/ca" revoked
mkdir -p "$web_root/crl"
write_crl "$scratch/ca" "$web_root/crl/root.crl"
expect_eq "the publishers' root is trusted" 0 \
  "$(wine_run_timed 60 "$trust" add "$(wine_windows_path "$scratch/ca/root.der")")"
for publisher in revoked offline; do
  mkdir -p "$web_root/$publisher"
  cp "$web_root/pub/Prog1.cab" "$web_root/$publisher/"
  sign_with "$scratch/ca" "$publisher" "$scratch/MyPageScript.Cab" "$web_root/$publisher/MyPageScript.Cab"
done
remove_product 'Acme Paint' "$product_unix"
rm -rf "$cache"
expect_eq "revoked publisher: refused with its reason" \
  "exit 1603|result Error. The setup script $web_base/revoked/MyPageScript.Cab was refused: its signing certificate has been revoked. It was deleted; nothing was installed." \
  "$(run_loader revoked)"
expect_eq "revoked publisher: besides the revocation list, only the script was fetched" \
  "/revoked/MyPageScript.Cab" "$(awk '$2 !~ /^\/crl\// { print $2 }' "$web_log" | paste -sd '|')"
expect_eq "revoked publisher: nothing installed" absent "$(installed)"
expect_eq "revocation out of reach: refused with its reason" \
  "exit 1603|result Error. The setup script $web_base/offline/MyPageScript.Cab was refused: whether its signing certificate has been revoked cannot be checked (its revocation server cannot be reached). It was deleted; nothing was installed." \
  "$(run_loader offline)"
expect_eq "revocation out of reach: nothing installed" absent "$(installed)"
expect_eq "refused cabinets are not kept in the cache" "" "$(ls "$cache/Installed Scripts" 2>/dev/null)"

# --- A page in a browser: the host does not trust the page's data and gives the control
# the page's address. The page's site is HTTPS (openssl s_server -HTTP answers a GET with
# the file below its directory as it is, and logs a FILE: line for it); its script, signed
# by the good publisher, installs the control AcmeCtl.ocx from the loopback server and
# runs no program. The same script lies on the loopback server, another site. ---
mkdir -p "$scratch/components"
cp "$VEXA_BINARY_DIR/tests/shared_components/control_105.dll" "$scratch/components/AcmeCtl.ocx"
make_cab "$web_root/activex/AcmeCtl.cab" "$scratch/components" AcmeCtl.ocx
ocx_line=$(component_line ocx "$web_base/activex" "$web_root/activex/AcmeCtl.cab" "$scratch/components/AcmeCtl.ocx" \
  1.0.0.5 "$control_class")
WEB_SITE_NO_EXECUTE=1 make_web_site "$web_root/other" "$scratch/Prog1.cab" 0 "$scratch/unused.exe" "$ocx_line"
sign_with "$scratch/ca" good "$web_root/other/MyPageScript.Cab" "$scratch/Signed.Cab"
mv "$scratch/Signed.Cab" "$web_root/other/MyPageScript.Cab"

tls_port=$((40000 + RANDOM % 20000))
tls_base=https://localhost:$tls_port
make_localhost_certificate "$scratch/tls"
expect_eq "the page's server is trusted" 0 "$(wine_run_timed 60 "$trust" add "$(wine_windows_path "$scratch/tls-cert.der")")"
tls_site=$scratch/tls-site
# Appended to, so that the log can be emptied while the server writes it.
tls_log=$scratch/tls-server.log
: >"$tls_log"
tls_publish() {  # tls_publish FILE URL-PATH
  mkdir -p "$(dirname "$tls_site/$2")"
  { printf 'HTTP/1.0 200 OK\r\nContent-Length: %s\r\nContent-Type: application/octet-stream\r\n\r\n' "$(stat -c %s "$1")"
    cat "$1"; } >"$tls_site/$2"
}
tls_publish "$web_root/other/MyPageScript.Cab" pub/MyPageScript.Cab
tls_publish "$web_root/other/Prog1.cab" pub/Prog1.cab
(cd "$tls_site" && exec openssl s_server -accept "127.0.0.1:$tls_port" -HTTP -cert "$scratch/tls-cert.pem" \
  -key "$scratch/tls-key.pem" >>"$tls_log" 2>&1) &
tls_server=$!
sleep 0.5
page=$tls_base/pub/Paint.htm

# browser [--answer yes|no]... [--page URL] NAME=VALUE...: the host's output joined with "|"
browser() {
  : >"$web_log"
  : >"$tls_log"
  timeout 300 wine "$host" --untrusted "$@" 2>/dev/null | tr -d '\r' | paste -sd '|'
}
served_by_page_site() { grep '^FILE:' "$tls_log" | sed 's/^FILE://' | LC_ALL=C sort | paste -sd ' '; }
control_installed() {
  if [ -n "$(find "$c_drive/windows" -maxdepth 2 -iname AcmeCtl.ocx)" ] ||
    wine reg query "HKCR\\CLSID\\$control_class" /reg:32 >/dev/null 2>&1; then
    echo installed
  else
    echo absent
  fi
}
site_question="A page of the site $tls_base asks to install a program on this computer.||Do you want to download its setup script? Nothing is installed before its signature is checked and you are asked again."
publisher_question="The setup script from $tls_base is signed by Acme good publisher.||Do you want to install the program it describes? Answer Yes only if you trust Acme good publisher."

remove_control
rm -rf "$cache"
refusal="Error. Nothing was downloaded: the script file $web_base/other/MyPageScript.Cab is not on the site of the page, $tls_base."
expect_eq "another site's script: refused, the user and the page told why" \
  "box: $refusal|exit 1603|result $refusal" \
  "$(browser --answer yes --answer yes --page "$page" "ScriptFile=$web_base/other/MyPageScript.Cab")"
expect_eq "another site's script: no request reached its server" 0 "$(wc -l <"$web_log")"
expect_eq "another site's script: nothing installed" absent "$(control_installed)"

unknown="Error. Nothing was downloaded: the address of the page is unknown, and the loader installs only from the site of the page that names it."
expect_eq "no page address: refused" "box: $unknown|exit 1603|result $unknown" \
  "$(browser --answer yes --answer yes "ScriptFile=$web_base/other/MyPageScript.Cab")"
expect_eq "no page address: no request reached the server" 0 "$(wc -l <"$web_log")"
expect_eq "no page address: nothing installed" absent "$(control_installed)"

insecure="Error. Nothing was downloaded: the page $web_base/other/Paint.htm is not a secure (https:) page; the loader installs only for https: pages."
expect_eq "http: page: refused" "box: $insecure|exit 1603|result $insecure" \
  "$(browser --answer yes --answer yes --page "$web_base/other/Paint.htm" ScriptFile=MyPageScript.Cab)"
expect_eq "http: page: no request reached its server" 0 "$(wc -l <"$web_log")"
expect_eq "http: page: nothing installed" absent "$(control_installed)"

# The page asks for a silent run and a log; it gets neither.
rm -f "$log_file"
expect_eq "own site, the user says No: nothing downloaded" \
  "asked: $site_question -> No|exit 1602|result Installation cancelled: nothing was downloaded from $tls_base." \
  "$(browser --answer no --page "$page" ScriptFile=MyPageScript.Cab Silent=1 "LogFile=$(wine_windows_path "$log_file")")"
expect_eq "own site, No: no request" "" "$(served_by_page_site)"
expect_eq "own site, No: nothing installed" absent "$(control_installed)"
expect_eq "own site, No: the page wrote no log" no "$(test -e "$log_file" && echo yes || echo no)"

expect_eq "own site, No to the publisher: only the script was downloaded" \
  "asked: $site_question -> Yes|asked: $publisher_question -> No|exit 1602|result Installation cancelled: the setup script of Acme good publisher was deleted; nothing was installed." \
  "$(browser --answer yes --answer no --page "$page" ScriptFile=MyPageScript.Cab)"
expect_eq "own site, No to the publisher: requests" "pub/MyPageScript.Cab" "$(served_by_page_site)"
expect_eq "own site, No to the publisher: nothing installed" absent "$(control_installed)"
expect_eq "own site, No to the publisher: the script is not kept" "" "$(ls "$cache/Installed Scripts" 2>/dev/null)"

expect_eq "own site, Yes twice: installed" \
  "asked: $site_question -> Yes|asked: $publisher_question -> Yes|exit 0|result " \
  "$(browser --answer yes --answer yes --page "$page" "ScriptFile=$tls_base/pub/MyPageScript.Cab")"
expect_eq "own site, Yes twice: requests to the page's site" "pub/MyPageScript.Cab pub/Prog1.cab" "$(served_by_page_site)"
expect_eq "own site, Yes twice: the control is installed" installed "$(control_installed)"
expect_true "own site, Yes twice: the control is registered" \
  grep -qi 'AcmeCtl.ocx' <<<"$(wine reg query "HKCR\\CLSID\\$control_class\\InprocServer32" /ve /reg:32 2>/dev/null)"

# What the page learns of a failure: what failed, not another server's answer.
remove_control
rm -rf "$cache"
echo "status /activex/AcmeCtl.cab 404" >"$web_faults"
out=$(browser --answer yes --answer yes --page "$page" ScriptFile=MyPageScript.Cab)
echo "failed component: $out"
expect_true "failed component: the user is shown the server's answer" \
  grep -qF "box: Error. Cannot download $web_base/activex/AcmeCtl.cab: the server answers 404" <<<"$out"
expect_true "failed component: the page learns what failed, and no more" \
  grep -qx '.*|exit 1603|result Error. A file of the installation cannot be downloaded.' <<<"$out"
expect_eq "failed component: nothing installed" absent "$(control_installed)"
: >"$web_faults"
finish
