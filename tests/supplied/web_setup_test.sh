#!/usr/bin/env bash
# The stand-alone web setup program as end users run it, against the loopback test server:
# a clean run of the sample package (components installed and registered, Setup.exe run
# with /S), the second run, components already present, a component in use (3010, replaced
# at the restart), the eight resume scenarios, the program signed after it was made, the
# whole run over HTTPS (refused while the server's root is not trusted), and hostile web
# scripts and attachments. It restarts Wine for the replacement, so it runs alone.
. "$VEXA_SOURCE_DIR/tests/e2e/e2e-lib.sh"
need_programs osslsigncode openssl curl
. "$VEXA_SOURCE_DIR/tests/supplied/web-setup-lib.sh"

trust=$VEXA_BINARY_DIR/tests/supplied/trust_certificate.exe
for f in "$web_setup_program" "$trust"; do
  [ -f "$f" ] || { echo "no $f: run make build" >&2; exit 1; }
done
c_drive=$(wine_unix_path 'C:\')
# The program runs elevated (as under Wine every program does): its cache lies below
# Program Files, where only administrators write, not in the user's profile.
cache=$(wine_unix_path "$(wine_reg_value 32 'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion' ProgramFilesDir)\\Corvanta\\Temporary VexaWeb Files")
programs_cache="$cache/Downloaded Programs"
class_id='{5D0C7A52-3E1B-4F7A-9C2D-7A1E0B5C9D31}'
product="$(wine_reg_value 32 'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion' ProgramFilesDir)\\Acme Paint\\"
product_unix=$(wine_unix_path "${product%\\}")
started=$c_drive/websetup-started.txt

remove_components() {
  find "$c_drive/windows" -maxdepth 2 \( -iname AcmeShared.dll -o -iname AcmeCtl.ocx \) -delete 2>/dev/null
  wine reg delete "HKCR\\CLSID\\$class_id" /f /reg:32 >/dev/null 2>&1
}
cleanup() {
  stop_web_server
  touch "$scratch/release"
  [ -z "${tls_server:-}" ] || kill "$tls_server" 2>/dev/null
  [ -z "${trust_win:-}" ] || wine "$trust" remove "$trust_win" >/dev/null 2>&1
  rm -rf "$scratch" "$cache" "$product_unix" "$started"
  remove_components
  wine reg delete 'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Acme Paint' /f /reg:32 >/dev/null 2>&1
  wine reg delete 'HKLM\SOFTWARE\Corvanta Install\Installed Programs\Acme Paint' /f /reg:32 >/dev/null 2>&1
}
trap cleanup EXIT

web_root=$scratch/site/root
mkdir -p "$web_root/activex"
start_web_server "$web_root"

# The sample package; Setup.exe starts the program with "/record" so that it ends at once.
make_sample_setup "$scratch/package" 'Execute "<ProductDirectory>\Paint.exe", "/record", "C:\websetup-started.txt"'
mkdir -p "$scratch/prog1"
cp "$scratch/package/Setup.exe" "$scratch/prog1/Setup.exe"
# Some megabytes that do not compress, so that a download takes long enough to be cut.
head -c 4000000 /dev/urandom >"$scratch/prog1/Filler.bin"
make_cab "$scratch/Prog1.cab" "$scratch/prog1" Setup.exe Filler.bin
prog_size=$(stat -c %s "$scratch/Prog1.cab")
prog_sha=$(sha256sum "$scratch/Prog1.cab" | cut -c1-64)
prog_short=${prog_sha:0:32}

mkdir -p "$scratch/components"
cp "$VEXA_BINARY_DIR/tests/shared_components/shared_105.dll" "$scratch/components/AcmeShared.dll"
cp "$VEXA_BINARY_DIR/tests/shared_components/control_105.dll" "$scratch/components/AcmeCtl.ocx"
make_cab "$web_root/activex/AcmeShared.cab" "$scratch/components" AcmeShared.dll
make_cab "$web_root/activex/AcmeCtl.cab" "$scratch/components" AcmeCtl.ocx
dll_line=$(component_line dll "$web_base/activex" "$web_root/activex/AcmeShared.cab" "$scratch/components/AcmeShared.dll" 1.0.0.5)
ocx_line=$(component_line ocx "$web_base/activex" "$web_root/activex/AcmeCtl.cab" "$scratch/components/AcmeCtl.ocx" 1.0.0.5 "$class_id")

make_web_site "$web_root/pub" "$scratch/Prog1.cab" 0 "$scratch/AcmeWebSetup.exe" "$dll_line" "$ocx_line"
make_web_site "$web_root/pub40" "$scratch/Prog1.cab" 40 "$scratch/Acme40WebSetup.exe" "$dll_line" "$ocx_line"

log_file=$scratch/websetup.log
# Runs a web setup program silently; prints its exit status.
run_web() {
  local exe=$1
  shift
  rm -f "$log_file"
  wine_run_timed 300 "$exe" /S "/LOG=$(wine_windows_path "$log_file")" "$@"
}
fresh() {
  rm -rf "$cache"
  : >"$web_log"
  : >"$web_faults"
}
log_has() { grep -qF -- "$1" "$log_file" 2>/dev/null; }
cached_program_ok() {
  [ "$(sha256sum "$programs_cache/$prog_short.cab" 2>/dev/null | cut -c1-64)" = "$prog_sha" ] && echo right || echo wrong
}
component_installed() {
  [ -n "$(find "$c_drive/windows" -maxdepth 2 -iname "$1")" ] && echo installed || echo absent
}
registered_server() {
  wine reg query "HKCR\\CLSID\\$class_id\\InprocServer32" /ve /reg:32 2>/dev/null | tr -d '\r' |
    sed -n 's/^ *(Default) *REG_[A-Z_]* *//p'
}

# --- A clean run ---
temp_dirs_before=$(leftover_temp_dirs)
remove_components
fresh
rm -f "$started"
expect_eq "clean run: exit status" 0 "$(run_web "$scratch/AcmeWebSetup.exe")"
expect_eq "clean run: the DLL is installed" installed "$(component_installed AcmeShared.dll)"
expect_eq "clean run: the OCX is installed" installed "$(component_installed AcmeCtl.ocx)"
expect_true "clean run: the OCX is registered" grep -qi 'AcmeCtl.ocx' <<<"$(registered_server)"
expect_true "clean run: the program is installed" test -f "$product_unix/Paint.exe"
expect_true "clean run: Setup.exe ran silently and started no program" test ! -e "$started"
expect_true "clean run: the log names the program it did not start" \
  grep -qE '^Not started \(silent\): ".*\\Paint\.exe" /record C:\\websetup-started\.txt' "$log_file"
expect_true "clean run: Setup.exe was given /S" grep -qE 'Running .*Setup.exe"? /S' "$log_file"
expect_eq "clean run: the program cabinet is cached under its short signature" right "$(cached_program_ok)"
expect_eq "clean run: requests (script, two components, program)" 4 "$(wc -l <"$web_log")"
expect_eq "clean run: no temporary directory is left" "$temp_dirs_before" "$(leftover_temp_dirs)"

# --- Second run: everything is cached or present ---
: >"$web_log"
expect_eq "second run: exit status" 0 "$(run_web "$scratch/AcmeWebSetup.exe")"
expect_eq "second run: nothing is downloaded" 0 "$(wc -l <"$web_log")"
expect_true "second run: the script comes from the cache after its check" log_has "Script from the cache"
expect_true "second run: the components are up to date" log_has "Up to date: AcmeShared.dll"

# --- Components: equal present is not fetched, older present is ---
fresh
expect_eq "equal components: exit status" 0 "$(run_web "$scratch/AcmeWebSetup.exe")"
expect_eq "equal components: not downloaded" 0 "$(($(requests_for /activex/AcmeShared.cab) + $(requests_for /activex/AcmeCtl.cab)))"
remove_components
cp "$VEXA_BINARY_DIR/tests/shared_components/shared_104.dll" "$c_drive/windows/syswow64/AcmeShared.dll"
: >"$web_log"
expect_eq "older DLL: exit status" 0 "$(run_web "$scratch/AcmeWebSetup.exe")"
expect_eq "older DLL: its cabinet is downloaded" 1 "$(requests_for /activex/AcmeShared.cab)"
expect_true "older DLL: replaced by 1.0.0.5" cmp -s "$scratch/components/AcmeShared.dll" "$c_drive/windows/syswow64/AcmeShared.dll"

# --- The older DLL in use by a running program: its replacement waits for the next boot,
# the run ends with 3010 (restart needed); the restart puts 1.0.0.5 in place ---
system32=$c_drive/windows/syswow64
remove_components
cp "$VEXA_BINARY_DIR/tests/shared_components/shared_104.dll" "$system32/AcmeShared.dll"
rm -f "$scratch/release" "$scratch/release.held"
wine "$VEXA_BINARY_DIR/tests/shared_components/hold_module.exe" "$(wine_windows_path "$scratch")\\release" \
  'C:\windows\syswow64\AcmeShared.dll' >/dev/null 2>&1 &
for _ in $(seq 1 300); do [ -f "$scratch/release.held" ] && break; sleep 0.1; done
expect_true "in use: a process holds the older DLL" test -f "$scratch/release.held"
# With the window the user is asked about restarting (the driver answers No).
WEB_SITE_NO_EXECUTE=1 make_web_site "$web_root/norun" "$scratch/Prog1.cab" 0 "$scratch/NoRunWebSetup.exe" "$dll_line"
expect_eq "in use, window: the restart question, then the end" \
  "box=To complete the Installation, you must re-boot your computer. Would you like to re-boot your computer now?|exit=0" \
  "$(rm -f "$log_file"; timeout 300 wine "$driver" "$(wine_windows_path "$scratch/NoRunWebSetup.exe")" \
    "/LOG=$(wine_windows_path "$log_file")" -- box answer:7 exit 2>/dev/null | tr -d '\r' | paste -sd '|')"
expect_true "in use, window: the answer is logged" \
  log_has "Question: To complete the Installation, you must re-boot your computer. Would you like to re-boot your computer now? -> No"
pending_before=$(pending_renames | grep -c '')
: >"$web_log"
rm -f "$started"
expect_eq "in use: exit status 3010" 3010 "$(run_web "$scratch/AcmeWebSetup.exe")"
expect_eq "in use: its cabinet is downloaded" 1 "$(requests_for /activex/AcmeShared.cab)"
expect_true "in use: the older DLL stays until the restart" cmp -s "$VEXA_BINARY_DIR/tests/shared_components/shared_104.dll" "$system32/AcmeShared.dll"
expect_true "in use: Setup.exe still ran" grep -q '^Installation completed' "$log_file"
# Six strings a file: delete the target, move the new copy onto it, remove the copy's
# directory.
added=$(pending_renames | tail -n +$((pending_before + 1)))
expect_eq "in use: one replacement is left for the next boot" 6 "$(pending_renames | tail -n +$((pending_before + 1)) | grep -c '')"
copy_win=$(sed -n 3p <<<"$added" | sed 's/^\\??\\//')
expect_true "in use: the waiting copy is the new DLL" cmp -s "$scratch/components/AcmeShared.dll" "$(wine_unix_path "$copy_win")"
expect_true "in use: it is moved onto the held DLL" \
  test "$(wine_unix_path "$(sed -n 4p <<<"$added" | sed 's/^\\??\\//')")" -ef "$system32/AcmeShared.dll"
expect_eq "in use: nothing waits for the boot in the temporary directory" \
  "$temp_dirs_before" "$(leftover_temp_dirs)"
# The restart: the holding process goes with the old server, the new one carries out the
# moves left for the next boot (and the removals other tests left, their temporary
# directories among them).
wineserver -k
wineserver -p >/dev/null 2>&1
wineboot >/dev/null 2>&1
temp_dirs_before=$(leftover_temp_dirs)
expect_true "after the restart: the DLL is 1.0.0.5" cmp -s "$scratch/components/AcmeShared.dll" "$system32/AcmeShared.dll"
expect_eq "after the restart: nothing is left for the next boot" "" "$(pending_renames | grep -v '^$')"

# --- Resume 1: the connection dropped in the middle of the file ---
fresh
echo "drop /pub/Prog1.cab $((prog_size / 2))" >"$web_faults"
expect_eq "dropped mid-file: exit status" 0 "$(run_web "$scratch/AcmeWebSetup.exe")"
expect_eq "dropped mid-file: the file is right" right "$(cached_program_ok)"
expect_eq "dropped mid-file: every byte was sent once" "$prog_size" "$(served_bytes /pub/Prog1.cab)"
expect_true "dropped mid-file: resumed with a range" grep -q "/pub/Prog1.cab range=bytes=$((prog_size / 2))- .*status=206" "$web_log"

# --- Resume 2: dropped in the middle of part 17 of 40 ---
fresh
part17=$(sed -n 's/^Part \([0-9]*\) .* Prog1_part0017.bin\r$/\1/p' "$web_root/pub40/Prog1_parts.txt")
part17_start=$(awk 'NR > 2 && NR < 19 { s += $2 } END { print s }' "$web_root/pub40/Prog1_parts.txt")
echo "drop /pub40/Prog1_part0017.bin $((part17 / 2))" >"$web_faults"
expect_eq "part 17 of 40: exit status" 0 "$(run_web "$scratch/Acme40WebSetup.exe")"
expect_eq "part 17 of 40: the joined file is right" right "$(cached_program_ok)"
expect_eq "part 17 of 40: part 17 was sent once" "$part17" "$(served_bytes /pub40/Prog1_part0017.bin)"
expect_eq "part 17 of 40: every part was sent once" "$prog_size" \
  "$(awk '$2 ~ /^\/pub40\/Prog1_part[0-9]/ { sub("sent=", "", $NF); s += $NF } END { print s }' "$web_log")"
expect_eq "part 17 of 40: the parts wait no longer" no "$([ -d "$programs_cache/$prog_short.parts" ] && echo yes || echo no)"
: "${part17_start:?}"

# --- Resume 3: the server ignores ranges (200 instead of 206) ---
fresh
printf 'ignore-ranges\ndrop /pub/Prog1.cab %s\n' "$((prog_size / 2))" >"$web_faults"
expect_eq "ranges ignored: exit status" 0 "$(run_web "$scratch/AcmeWebSetup.exe")"
expect_eq "ranges ignored: the file is right" right "$(cached_program_ok)"
expect_eq "ranges ignored: the file was restarted" "$((prog_size + prog_size / 2))" "$(served_bytes /pub/Prog1.cab)"

# A partial file in the cache as a killed run leaves it: BYTES of SOURCE and a validator.
etag_of() { curl -sI "$web_base$1" | tr -d '\r' | sed -n 's/^ETag: //p'; }
leave_partial() {
  mkdir -p "$programs_cache"
  head -c "$2" "$1" >"$programs_cache/$prog_short.cab.partial"
  printf '%s' "$3" >"$programs_cache/$prog_short.cab.partial.validator"
}

# --- Resume 4: 416 on a file that is complete already ---
fresh
leave_partial "$scratch/Prog1.cab" "$prog_size" "$(etag_of /pub/Prog1.cab)"
expect_eq "416 on a complete file: exit status" 0 "$(run_web "$scratch/AcmeWebSetup.exe")"
expect_true "416 on a complete file: the server answered 416" grep -q '/pub/Prog1.cab .*status=416' "$web_log"
expect_eq "416 on a complete file: nothing was sent again" 0 "$(served_bytes /pub/Prog1.cab)"
expect_eq "416 on a complete file: the file is right" right "$(cached_program_ok)"

# --- Resume 5: the file changed on the server between runs ---
fresh
head -c "$prog_size" /dev/urandom >"$web_root/pub/Prog1.cab"
old_etag=$(etag_of /pub/Prog1.cab)
leave_partial "$web_root/pub/Prog1.cab" "$((prog_size / 2))" "$old_etag"
sleep 1
cp "$scratch/Prog1.cab" "$web_root/pub/Prog1.cab"
expect_true "changed file: the server's ETag changed" test "$old_etag" != "$(etag_of /pub/Prog1.cab)"
expect_eq "changed file: exit status" 0 "$(run_web "$scratch/AcmeWebSetup.exe")"
expect_true "changed file: If-Range with the old ETag got the whole file" \
  grep -qF "/pub/Prog1.cab range=bytes=$((prog_size / 2))- if-range=$old_etag status=200 sent=$prog_size" "$web_log"
expect_eq "changed file: the file is right" right "$(cached_program_ok)"

# --- Resume 6: the program killed mid-download, then run again ---
fresh
echo "rate /pub/Prog1.cab 1000000" >"$web_faults"
wine "$scratch/AcmeWebSetup.exe" /S >/dev/null 2>&1 &
killed=$!
partial=$programs_cache/$prog_short.cab.partial
for _ in $(seq 1 200); do [ "$(stat -c %s "$partial" 2>/dev/null || echo 0)" -gt 1000000 ] && break; sleep 0.05; done
kill -KILL "$killed" 2>/dev/null
wait "$killed" 2>/dev/null
# A killed program removes nothing: its temporary directory goes here, so that no later
# test finds it.
temp_unix=$(wine_unix_path "$(wine cmd /c echo %TEMP% 2>/dev/null | tr -d '\r')")
find "$temp_unix" -maxdepth 1 -iname '~ts*' -newer "$web_faults" -exec rm -rf {} + 2>/dev/null
kept=$(stat -c %s "$partial" 2>/dev/null || echo 0)
expect_true "killed: a partial file is kept" test "$kept" -gt 0 -a "$kept" -lt "$prog_size"
: >"$web_faults"
: >"$web_log"
expect_eq "killed: the second run's exit status" 0 "$(run_web "$scratch/AcmeWebSetup.exe")"
expect_true "killed: the second run resumed from the partial file" \
  grep -q "/pub/Prog1.cab range=bytes=$kept- .*status=206 sent=$((prog_size - kept))" "$web_log"
expect_eq "killed: the file is right" right "$(cached_program_ok)"

# --- The window: title, file, progress; Cancel stops at once and keeps the partial file ---
fresh
echo "rate /pub/Prog1.cab 500000" >"$web_faults"
window=$(timeout 120 wine "$VEXA_BINARY_DIR/tests/supplied/web_window_driver.exe" \
  "$(wine_windows_path "$scratch/AcmeWebSetup.exe")" 2>/dev/null | tr -d '\r')
reading() { sed -n "s/^$1: //p" <<<"$window"; }
expect_eq "window: titled by SetInstallDialogTitle" "Installing Acme Paint" "$(reading title)"
expect_eq "window: the current file" Prog1.cab "$(reading file)"
# The total is Prog1.cab's size in MB with one decimal; it holds Setup.exe, so it follows
# the engine's size.
total_mb=$(awk -v b="$prog_size" 'BEGIN { printf "%.1f", b / 1048576 }')
expect_true "window: bytes of the total, speed and time left" \
  grep -qE "^[0-9.]+ (KB|MB) of ${total_mb/./\\.} MB   [0-9.]+ (KB|MB)/s   [0-9]+ seconds? left\$" <<<"$(reading bytes)"
expect_true "window: the bar moved" test "$(reading bar)" -gt 0
expect_eq "window: Cancel is enabled" enabled "$(reading cancel)"
expect_eq "window: Cancel stops at once" yes "$(reading 'stopped within 5 s')"
expect_eq "window: exit status" 0 "$(reading exit)"
expect_eq "window: no message after Cancel" none "$(reading 'message box')"
kept=$(stat -c %s "$partial" 2>/dev/null || echo 0)
expect_true "window: the partial file is kept" test "$kept" -gt 0 -a "$kept" -lt "$prog_size"
: >"$web_faults"
: >"$web_log"
expect_eq "window: the next run's exit status" 0 "$(run_web "$scratch/AcmeWebSetup.exe")"
expect_true "window: the next run resumed" grep -q "/pub/Prog1.cab range=bytes=$kept- .*status=206" "$web_log"

# --- Resume 7: a tampered byte in a component cabinet ---
fresh
remove_components
cp "$web_root/activex/AcmeShared.cab" "$scratch/AcmeShared.cab.good"
printf 'X' | dd of="$web_root/activex/AcmeShared.cab" bs=1 seek=200 conv=notrunc 2>/dev/null
expect_eq "tampered component: exit status" 1603 "$(run_web "$scratch/AcmeWebSetup.exe")"
expect_true "tampered component: the message names its URL" \
  log_has "Error. The file downloaded from $web_base/activex/AcmeShared.cab is not the one published"
expect_eq "tampered component: nothing installed" absent "$(component_installed AcmeShared.dll)"
expect_eq "tampered component: the program is not fetched" 0 "$(requests_for /pub/Prog1.cab)"
cp "$scratch/AcmeShared.cab.good" "$web_root/activex/AcmeShared.cab"

# --- Resume 8: a tampered script cabinet ---
fresh
cp "$web_root/pub/MyPageScript.Cab" "$scratch/MyPageScript.Cab.good"
printf 'X' | dd of="$web_root/pub/MyPageScript.Cab" bs=1 seek=100 conv=notrunc 2>/dev/null
expect_eq "tampered script: exit status" 1603 "$(run_web "$scratch/AcmeWebSetup.exe")"
expect_true "tampered script: the message names its URL" \
  log_has "Error. The file downloaded from $web_base/pub/MyPageScript.Cab is not the one published"
expect_eq "tampered script: only the script was requested" 1 "$(wc -l <"$web_log")"
expect_eq "tampered script: nothing installed" absent "$(component_installed AcmeShared.dll)"
expect_eq "tampered script: nothing cached" 0 "$(find "$cache" -type f | wc -l)"
cp "$scratch/MyPageScript.Cab.good" "$web_root/pub/MyPageScript.Cab"

# --- Not found ---
fresh
echo "status /pub/Prog1.cab 404" >"$web_faults"
expect_eq "404: exit status" 1603 "$(run_web "$scratch/AcmeWebSetup.exe")"
expect_true "404: a clear message" log_has "Error. Cannot download $web_base/pub/Prog1.cab: the server answers 404"

# --- Signed after it was made ---
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Acme test signing" \
  -addext extendedKeyUsage=codeSigning -keyout "$scratch/key.pem" -out "$scratch/cert.pem" 2>/dev/null
osslsigncode sign -certs "$scratch/cert.pem" -key "$scratch/key.pem" -in "$scratch/AcmeWebSetup.exe" \
  -out "$scratch/SignedWebSetup.exe" >/dev/null
expect_true "signed: osslsigncode verifies the signature" \
  osslsigncode verify -CAfile "$scratch/cert.pem" -in "$scratch/SignedWebSetup.exe" >/dev/null
fresh
remove_components
expect_eq "signed: exit status" 0 "$(run_web "$scratch/SignedWebSetup.exe")"
expect_eq "signed: the components are installed" installed "$(component_installed AcmeShared.dll)"
expect_eq "signed: the program cabinet is right" right "$(cached_program_ok)"

# --- HTTPS: a server whose certificate the system does not trust is refused; once its
# root is trusted the whole run goes over HTTPS; taken out of the store, refused again ---
# openssl s_server -HTTP answers a GET with the file below its working directory as it is,
# so each file there is a whole response (with its length), and logs a FILE: line for it.
# The certificate names localhost: this Wine matches a server's name only to DNS names.
tls_port=$((40000 + RANDOM % 20000))
tls_base=https://localhost:$tls_port
make_localhost_certificate "$scratch/tls"
tls_site=$scratch/tls-site
tls_log=$scratch/tls-server.log
tls_publish() {  # tls_publish FILE URL-PATH
  mkdir -p "$(dirname "$tls_site/$2")"
  { printf 'HTTP/1.0 200 OK\r\nContent-Length: %s\r\nContent-Type: application/octet-stream\r\n\r\n' "$(stat -c %s "$1")"
    cat "$1"; } >"$tls_site/$2"
}
http_web_base=$web_base
web_base=$tls_base
make_web_site "$web_root/tls" "$scratch/Prog1.cab" 0 "$scratch/TlsWebSetup.exe" \
  "$(component_line dll "$tls_base/activex" "$web_root/activex/AcmeShared.cab" "$scratch/components/AcmeShared.dll" 1.0.0.5)" \
  "$(component_line ocx "$tls_base/activex" "$web_root/activex/AcmeCtl.cab" "$scratch/components/AcmeCtl.ocx" 1.0.0.5 "$class_id")"
web_base=$http_web_base
for served in tls/MyPageScript.Cab tls/Prog1.cab activex/AcmeShared.cab activex/AcmeCtl.cab; do
  tls_publish "$web_root/$served" "$served"
done
(cd "$tls_site" && exec openssl s_server -accept "127.0.0.1:$tls_port" -HTTP -cert "$scratch/tls-cert.pem" \
  -key "$scratch/tls-key.pem" >"$tls_log" 2>&1) &
tls_server=$!
sleep 0.5
fresh
remove_components
rm -rf "$product_unix" "$started"
expect_eq "untrusted HTTPS: exit status" 1603 "$(run_web "$scratch/TlsWebSetup.exe")"
expect_true "untrusted HTTPS: a clear message, not retried" \
  log_has "Cannot download $tls_base/tls/MyPageScript.Cab: no secure connection to the server can be made"
expect_true "untrusted HTTPS: one request" log_has "Requests: 1,"
expect_eq "untrusted HTTPS: no file was served" "" "$(grep '^FILE:' "$tls_log")"
trust_win=$(wine_windows_path "$scratch/tls-cert.der")
expect_eq "trusted HTTPS: the server's root is put into the store" 0 "$(wine_run_timed 60 "$trust" add "$trust_win")"
expect_eq "trusted HTTPS: exit status" 0 "$(run_web "$scratch/TlsWebSetup.exe")"
expect_eq "trusted HTTPS: the script, two components and the program, each served once over TLS" \
  "FILE:activex/AcmeCtl.cab FILE:activex/AcmeShared.cab FILE:tls/MyPageScript.Cab FILE:tls/Prog1.cab" \
  "$(grep '^FILE:' "$tls_log" | LC_ALL=C sort | paste -sd ' ')"
expect_eq "trusted HTTPS: nothing from the HTTP server" 0 "$(wc -l <"$web_log")"
expect_eq "trusted HTTPS: the DLL is installed" installed "$(component_installed AcmeShared.dll)"
expect_true "trusted HTTPS: the OCX is registered" grep -qi 'AcmeCtl.ocx' <<<"$(registered_server)"
expect_eq "trusted HTTPS: the program cabinet is right" right "$(cached_program_ok)"
expect_true "trusted HTTPS: the program is installed, and silently not started" test -f "$product_unix/Paint.exe" -a ! -e "$started"
expect_eq "trusted HTTPS: the root is taken out of the store" 0 "$(wine_run_timed 60 "$trust" remove "$trust_win")"
trust_win=
fresh
expect_eq "HTTPS after the root is taken out: refused again" 1603 "$(run_web "$scratch/TlsWebSetup.exe")"
kill "$tls_server" 2>/dev/null
wait "$tls_server" 2>/dev/null
tls_server=

# --- A server name that is not found ---
cp "$web_setup_program" "$scratch/NoNameWebSetup.exe"
printf 'http://no-such-host.invalid/\r\n1\r\nhttp://no-such-host.invalid/\r\nMyPageScript.Cab\r\n%s\r\nWEBSETUP' \
  "$prog_short" >>"$scratch/NoNameWebSetup.exe"
expect_eq "unknown server name: exit status" 1603 "$(run_web "$scratch/NoNameWebSetup.exe")"
expect_true "unknown server name: a clear message" \
  log_has "Cannot download http://no-such-host.invalid/MyPageScript.Cab: the server's name cannot be found"

# --- Hostile web scripts: refused before anything but the script is fetched ---
listing() {
  (cd "$c_drive" && find . -path ./users -prune -o -path "./${cache#"$c_drive"/}" -prune -o -printf '%p\t%s\n' |
    LC_ALL=C sort)
}
hostile() {
  local what=$1 line=$2
  make_web_site "$web_root/hostile" "$scratch/Prog1.cab" 0 "$scratch/HostileWebSetup.exe" "$line"
  fresh
  listing >"$scratch/before.txt"
  expect_eq "hostile ($what): exit status" 1603 "$(run_web "$scratch/HostileWebSetup.exe")"
  expect_true "hostile ($what): a script error" log_has "Script Error. Line"
  expect_eq "hostile ($what): only the script was requested" 1 "$(wc -l <"$web_log")"
  listing >"$scratch/after.txt"
  expect_eq "hostile ($what): nothing written outside the cache and temporary directory" "" \
    "$(diff "$scratch/before.txt" "$scratch/after.txt" | grep -v '^[0-9]' | grep -vi 'websetup-started')"
}
hostile "file name with ..\\" "${dll_line/\"AcmeShared.dll\"/\"..\\..\\evil.dll\"}"
hostile "another scheme" "${dll_line/http:/ftp:}"
huge="sha256-$prog_sha-99999999999"
hostile "huge size" "InstallDllFile \"$web_base/activex/AcmeShared.cab\", \"99999999999\", \"AcmeShared.dll\", \"1.0.0.5\", \"0\", \"1\", \"$huge\", \"\""

# --- Damaged attachments ---
cp "$web_setup_program" "$scratch/FiveLines.exe"
printf 'http://a/\r\n1\r\nhttp://a/\r\nS.Cab\r\n0123456789abcdef0123456789abcdef' >>"$scratch/FiveLines.exe"
expect_eq "five lines: exit status" 1603 "$(run_web "$scratch/FiveLines.exe")"
expect_true "five lines: a clear message" \
  log_has "Error. This web setup program is damaged: it carries 5 web setup lines instead of six."
expect_eq "the bare program: exit status" 1603 "$(run_web "$web_setup_program")"
expect_true "the bare program: a clear message" \
  log_has "Error. This web setup program is damaged: it carries no web setup lines."
expect_eq "no run left a temporary directory" "$temp_dirs_before" "$(leftover_temp_dirs)"
finish
