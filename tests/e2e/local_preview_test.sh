#!/usr/bin/env bash
# The road of README "Try it before you publish": the native vexabuild builds the sample
# with 127.0.0.1 addresses, `vexabuild serve` publishes it on this machine (byte ranges and
# validators, as a web server answers), and the published web setup program installs it
# under Wine, downloading from that server.
. "$(dirname "$0")/e2e-lib.sh"
need_programs curl

vexabuild=$VEXA_SOURCE_DIR/dist/vexabuild
[ -f "$vexabuild" ] || { echo "no $vexabuild: run make build" >&2; exit 1; }
c_drive=$(wine_unix_path 'C:\')
program_files=$(wine_reg_value 32 'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion' ProgramFilesDir)
cache=$(wine_unix_path "$program_files\\Corvanta\\Temporary VexaWeb Files")
product_unix=$(wine_unix_path "$program_files\\Acme Paint")
started_win='C:\local-preview-started.txt'
started=$c_drive/local-preview-started.txt
serve_pid=

remove_installation() {
  remove_product 'Acme Paint' "$product_unix"
  rm -rf "$cache" "$started"
}
cleanup() {
  [ -n "$serve_pid" ] && kill "$serve_pid" 2>/dev/null && wait "$serve_pid" 2>/dev/null
  remove_installation
  rm -rf "$scratch"
}
trap cleanup EXIT
remove_installation

# A port nothing listens on.
for _ in $(seq 1 50); do
  port=$((20000 + RANDOM % 20000))
  (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null || break
done
program="$scratch/Acme Paint"
mkdir -p "$program" "$scratch/wizard"
cp -r "$VEXA_SOURCE_DIR/samples/acme-paint/files/." "$program/"
cp "$VEXA_BINARY_DIR/samples/Paint.exe" "$program/Paint.exe"
cp -r "$VEXA_SOURCE_DIR/dist/." "$scratch/wizard/"
base=http://127.0.0.1:$port
"$vexabuild" serve "$program" >/dev/null 2>"$scratch/serve-err.txt"
status=$?
expect_eq "serve refuses a project that was never built" \
  "1 vexabuild: no web setup package in $program/VexaWizardNetloomProject/Release: build it first with vexabuild build $program/" \
  "$status $(cat "$scratch/serve-err.txt")"
XDG_CACHE_HOME=$scratch/cache "$vexabuild" build "$program" --wizard-directory "$scratch/wizard" \
  --friendly-name "Acme Paint" --company "Acme" --web-site-url "$base/" --activex-url "$base/activex/" \
  --publication-url "$base/paint/" --run Paint.exe --run-parameters "\"/record\", \"$started_win\"" \
  --minimize-download-time yes --no-sign-commands >"$scratch/build.txt" 2>&1
expect_eq "vexabuild builds the package with 127.0.0.1 addresses" 0 "$?"

"$vexabuild" serve "$program" >"$scratch/serve.txt" 2>&1 &
serve_pid=$!
for _ in $(seq 1 100); do grep -q '^Run the web setup program' "$scratch/serve.txt" 2>/dev/null && break; sleep 0.05; done
release=$program/VexaWizardNetloomProject/Release
expect_eq "serve prints the page's address and what to run" \
  "The page: $base/paint/AcmePaint.htm|  wine \"$release/AcmePaintWebSetup.exe\" /S /LOG=websetup.log" \
  "$(grep -E '^(The page|  wine )' "$scratch/serve.txt" | paste -sd '|')"
expect_eq "the page is served" 200 "$(curl -s -o /dev/null -w '%{http_code}' "$base/paint/AcmePaint.htm")"
expect_eq "the loader cabinet is served from ReleaseActiveX" 200 \
  "$(curl -s -o /dev/null -w '%{http_code}' "$base/activex/VexaLoad.cab")"
etag=$(curl -sI "$base/paint/Prog1_parts.txt" | tr -d '\r' | sed -n 's/^ETag: //p')
expect_true "answers carry an ETag" test -n "$etag"
expect_eq "a byte range is answered with 206 and those bytes" "206 $(head -c 10 "$release/Prog1_parts.txt")" \
  "$(curl -s -r 0-9 -H "If-Range: $etag" -o "$scratch/range.bin" -w '%{http_code}' "$base/paint/Prog1_parts.txt") $(cat "$scratch/range.bin")"
expect_eq "nothing outside the two directories is served" "404 404" \
  "$(curl -s -o /dev/null -w '%{http_code}' "$base/paint/../ProjectFiles/Script.txt") $(curl -s -o /dev/null -w '%{http_code}' "$base/other/x")"

log_file=$scratch/websetup.log
expect_eq "the web setup program installs from the local server" 0 \
  "$(wine_run_timed 300 "$release/AcmePaintWebSetup.exe" /S "/LOG=$(wine_windows_path "$log_file")")"
expect_true "it downloaded the script from the server" grep -q "^Downloading $base/paint/AcmePaintScript.Cab" "$log_file"
expect_eq "the installed files" "data/palette.txt docs/help.txt paint.exe readme.txt uninstall/uninstall.exe" \
  "$(cd "$product_unix" 2>/dev/null && find . -type f -printf '%P\n' | tr 'A-Z' 'a-z' | LC_ALL=C sort | paste -sd ' ')"
expect_true "a silent run starts no program; the log names it" grep -q '^Not started (silent): ' "$log_file"
expect_true "the program did not run" test ! -e "$started"
finish
