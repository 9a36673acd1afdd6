# The road of the demo: a developer's program published as a web setup package and
# installed on an end user's PC from a web server. scripts/demo walks it and prints what
# each stage made; the end-to-end test walks the same stages and asserts their results.
# Source after test-lib.sh, wine-lib.sh and web-setup-lib.sh (for the loopback server), with a Wine
# session running; the caller defines
#   road_stage N TITLE      a stage begins
#   road_check WHAT CMD...  a result of the stage that must hold
#   road_show ...           what the stage made, for people (printf arguments)
# and sets road_work, an empty directory.
#
#   road_prepare       the sample program (USA Map Sample), its shared components
#                      (VEXAUSA.OCX, UsaCapitals.dll), a throw-away code-signing
#                      certificate, and the loopback web server (its port makes the URLs)
#   road_build         stage 1: vexabuild build
#   road_list          stage 2: the package listed
#   road_serve         stage 3: Release and ReleaseActiveX on the web server
#   road_install       stage 4: the stand-alone web setup program under Wine, silently
#   road_result        stage 5: files, shortcuts, records, the control's registration, a
#                      screenshot of the installed program, the log
#   road_second_run    stage 6: the web setup program again: nothing new downloaded
#   road_uninstall     stage 7: Uninstall.EXE /S: the product gone, the shared components kept
#   road_cleanup       the server stopped, what the road put into the prefix removed

need_programs wine cabextract gcab osslsigncode openssl curl bc ps convert
_road_top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
road_dist=$_road_top/dist
# The console wizard; dist/ is the wizard's directory it works from.
road_vexabuild=${VEXABUILD:-$road_dist/vexabuild}
road_windows=$_road_top/build/windows
road_product_name="USA Map Sample"
road_map_class='{4A6DD9C6-FEB1-4D47-91D9-ACAC7348C3E8}'
road_html=UsaMap.htm
road_web_setup=UsaMapWebSetup.exe

_road_records() {
  road_record='HKLM\SOFTWARE\Corvanta Install\Installed Programs\'$road_product_name
  road_uninstall_key='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\'$road_product_name
}
_road_records

# A file in DIRECTORY whatever the case of its name (the builder lists program files in
# lower case, and Windows names ignore case).
road_file() { test -n "$(find "$1" -maxdepth 1 -type f -iname "$2" 2>/dev/null)"; }

# The body bytes and requests the server answered since the log was last emptied.
road_requests() { grep -c . "$web_log" 2>/dev/null || true; }

road_prepare() {
  road_program=$road_work/program
  road_shared=$road_work/shared
  mkdir -p "$road_program" "$road_shared" "$road_work/site" "$road_work/wizard"
  # The wizard's directory is a copy of dist/: a build remembers its answers there, and
  # dist/ stays as it was made.
  cp -r "$road_dist/." "$road_work/wizard/"
  cp "$road_windows/samples/UsaMap.exe" "$road_program/UsaMap.exe"
  cp "$_road_top/samples/usa-map/ReadMe.txt" "$road_program/ReadMe.txt"
  cp "$road_dist/VEXAUSA.OCX" "$road_shared/VEXAUSA.OCX"
  cp "$road_windows/samples/UsaCapitals.dll" "$road_shared/UsaCapitals.dll"
  # The throw-away certificate that signs the script cabinet.
  openssl req -x509 -newkey rsa:2048 -nodes -keyout "$road_work/signing.key" -out "$road_work/signing.pem" \
    -days 2 -subj "/CN=USA Map Sample demo publisher" -addext extendedKeyUsage=codeSigning >/dev/null 2>&1
  # The server's root holds the two published directories under the names of their URLs.
  road_release=$road_program/VexaWizardNetloomProject/Release
  road_release_activex=$road_program/VexaWizardNetloomProject/ReleaseActiveX
  ln -s "$road_release" "$road_work/site/usamap"
  ln -s "$road_release_activex" "$road_work/site/activex"
  start_web_server "$road_work/site"
  road_publication_url=$web_base/usamap/
  road_activex_url=$web_base/activex/
  c_drive=$(wine_unix_path 'C:\')
  # The program runs elevated (as under Wine every program does): its cache lies below
  # Program Files, where only administrators write, not in the user's profile.
  road_cache=$(wine_unix_path "$(wine_reg_value 32 'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion' ProgramFilesDir)\\Corvanta\\Temporary VexaWeb Files")
  road_system32=$(wine_unix_path 'C:\windows\syswow64')
  local program_files
  program_files=$(wine_reg_value 32 'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion' ProgramFilesDir)
  road_product_dir_windows=$program_files\\$road_product_name
  road_product_dir=$(wine_unix_path "$road_product_dir_windows")
}

road_build() {
  road_stage 1 "vexabuild build: the sample program published as a web setup package"
  local signer="$road_work/sign-in-place"
  printf '#!/bin/sh\n# Signs the file $1 in place with the demo'"'"'s certificate.\nosslsigncode sign -certs %s -key %s -n "$2" -in "$1" -out "$1.signed" >/dev/null && mv "$1.signed" "$1"\n' \
    "$road_work/signing.pem" "$road_work/signing.key" >"$signer"
  chmod +x "$signer"
  local out status=0
  out=$("$road_vexabuild" build "$road_program" --wizard-directory "$road_work/wizard" \
    --friendly-name "$road_product_name" --company "Corvanta Samples" \
    --web-site-url "$web_base/" --activex-url "$road_activex_url" --publication-url "$road_publication_url" \
    --run UsaMap.exe --program-group "$_road_top/samples/usa-map/ProgramGroup.txt" \
    --ocx "$road_shared/VEXAUSA.OCX" --dll "$road_shared/UsaCapitals.dll" \
    --html-name "$road_html" --html-title "Install the USA Map Sample" --web-setup-name "$road_web_setup" \
    --minimize-download-time yes --sign-command "$signer \"%1\" \"%2\"" --sign-every-program yes --yes 2>&1) ||
    status=$?
  road_show '%s\n' "$out"
  road_check "vexabuild: exit status 0" test "$status" -eq 0
  road_check "the page" test -s "$road_release/$road_html"
  road_check "the stand-alone web setup program" test -s "$road_release/$road_web_setup"
  road_check "the script cabinet" test -s "$road_release/UsaMapScript.Cab"
  road_check "Prog1.cab is split (Minimize Download Time)" test -s "$road_release/Prog1_parts.txt"
  # Every program the end user downloads or runs is signed: Setup.exe inside the joined parts.
  local part
  mkdir -p "$road_work/prog1"
  for part in "$road_release"/Prog1_part*.bin; do cat "$part"; done >"$road_work/Prog1.cab"
  cabextract -q -d "$road_work/prog1" "$road_work/Prog1.cab" 2>/dev/null
  for part in "$road_release/UsaMapScript.Cab" "$road_release/$road_web_setup" "$road_work/prog1/Setup.exe" \
    "$road_release_activex/VexaLoad.cab"; do
    road_check "$(basename "$part") is signed (osslsigncode verify)" \
      osslsigncode verify -CAfile "$road_work/signing.pem" -in "$part"
  done
  # The builder names a component's cabinet after the file, in lower case.
  road_check "the control's cabinet" test -s "$road_release_activex/vexausa.Cab"
  road_check "the DLL's cabinet" test -s "$road_release_activex/usacapitals.Cab"
  road_check "the loader control beside them" test -s "$road_release_activex/VexaLoad.cab"
}

road_list() {
  road_stage 2 "the package"
  local dir
  for dir in "$road_release" "$road_release_activex"; do
    road_show '%s\n' "$(basename "$dir")/"
    road_show '%s\n' "$(cd "$dir" && find . -maxdepth 1 -type f -printf '  %10s  %P\n' | LC_ALL=C sort -k2)"
  done
  mkdir -p "$road_work/script"
  # cabextract notes the signature behind the cabinet as extra bytes.
  cabextract -q -d "$road_work/script" "$road_release/UsaMapScript.Cab" 2>/dev/null
  road_show 'The web script (UsaMapScript.txt in UsaMapScript.Cab):\n%s\n' "$(tr -d '\r' <"$road_work/script/UsaMapScript.txt")"
  road_check "the web script installs the DLL" grep -qi '^InstallDllFile ".*/usacapitals.cab"' "$road_work/script/UsaMapScript.txt"
  road_check "the web script installs the control" grep -qi "^InstallOcxFile \".*/vexausa.cab\".*$road_map_class" "$road_work/script/UsaMapScript.txt"
  road_check "the web script fetches Prog1.cab in parts" grep -qE '^InstallProgram "Prog1.cab", "[0-9]+", "[^"]*", "([2-9]|[1-9][0-9]+)"' "$road_work/script/UsaMapScript.txt"
}

road_serve() {
  road_stage 3 "the web server (loopback only)"
  road_show '  %s  <- Release\n  %s  <- ReleaseActiveX\n' "$road_publication_url" "$road_activex_url"
  : >"$web_log"
  road_check "the page is served" curl -sf -o /dev/null "$road_publication_url$road_html"
  road_check "byte ranges are served" bash -c "curl -s -o /dev/null -w '%{http_code}' -r 0-9 '$road_publication_url$road_web_setup' | grep -qx 206"
}

# The installed program, started by the demo for its screenshot, seen from Linux (the
# Wine process's command line names the installed file; this Wine has no tasklist). Only
# processes of this prefix count: another Wine session on the machine may run its own copy.
road_program_running() {
  local pid
  for pid in $(pgrep -fi 'usamap\.exe'); do
    ps -o args= -p "$pid" | grep -qiF "$road_product_name\\usamap.exe" || continue
    tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" && return 0
  done
  return 1
}
road_program_not_running() { ! road_program_running; }
road_wait_for_program() {
  local _
  for _ in $(seq 1 50); do
    if road_program_running; then
      sleep 1  # its window draws the map
      return 0
    fi
    sleep 0.2
  done
  return 1
}
road_close_program() {
  wine taskkill /f /im usamap.exe >/dev/null 2>&1
  for _ in $(seq 1 50); do road_program_running || break; sleep 0.2; done
}

road_web_setup_run() {  # road_web_setup_run LOG: the web setup program's exit status
  rm -f "$1"
  wine_run_timed 600 "$road_release/$road_web_setup" /S "/LOG=$(wine_windows_path "$1")"
}

road_install() {
  road_stage 4 "the end user's PC (Wine): $road_web_setup /S"
  rm -rf "$road_cache"
  : >"$web_log"
  local started status
  started=$(date +%s.%N)
  status=$(road_web_setup_run "$road_work/websetup.log")
  road_first_requests=$(road_requests)
  road_show '  exit status %s, %s s, %s requests:\n%s\n' "$status" "$(printf '%.1f' "$(echo "$(date +%s.%N) - $started" | bc)")" \
    "$road_first_requests" "$(awk '{ printf "    %s %s %s\n", $2, $(NF-1), $NF }' "$web_log")"
  road_check "the web setup program: exit status 0" test "$status" = 0
  road_check "the script cabinet was downloaded" grep -q ' /usamap/UsaMapScript.Cab ' "$web_log"
  road_check "the control's cabinet was downloaded" grep -qi ' /activex/vexausa.cab ' "$web_log"
  road_check "the DLL's cabinet was downloaded" grep -qi ' /activex/usacapitals.cab ' "$web_log"
  road_check "Prog1.cab came in parts" grep -q ' /usamap/Prog1_part0002.bin ' "$web_log"
  road_check "Setup.exe ran silently" grep -qE 'Running .*Setup.exe"? /S' "$road_work/websetup.log"
}

road_result() {
  road_stage 5 "the result"
  local server
  server=$(wine reg query "HKCR\\CLSID\\$road_map_class\\InprocServer32" /ve /reg:32 2>/dev/null | tr -d '\r' |
    sed -n 's/^ *(Default) *REG_[A-Z_]* *//p')
  road_show 'Files in %s:\n%s\n' "$road_product_dir" "$(cd "$road_product_dir" 2>/dev/null && find . -type f -printf '  %10s  %P\n' | LC_ALL=C sort -k2)"
  road_show 'Shared components: %s\n' "$(ls "$road_system32" | grep -i -e '^vexausa.ocx$' -e '^usacapitals.dll$' | paste -sd ' ')"
  road_show 'The control is registered: %s\n' "$server"
  road_show 'Installed-programs record: Directory = %s\n' "$(wine_reg_value 32 "$road_record" Directory)"
  road_show 'Uninstall record: %s\n' "$(wine_reg_value 32 "$road_uninstall_key" QuietUninstallString)"
  local links
  links=$(find "$WINEPREFIX/drive_c" -path "*Programs/$road_product_name/*" -iname '*.lnk' -printf '  %P\n' 2>/dev/null | sed 's|.*/Programs/|  |' | LC_ALL=C sort)
  road_show 'Shortcuts:\n%s\n' "$links"
  road_check "the program is installed" road_file "$road_product_dir" UsaMap.exe
  road_check "its read-me is installed" road_file "$road_product_dir" ReadMe.txt
  road_check "the uninstall program is installed" road_file "$road_product_dir/Uninstall" Uninstall.EXE
  road_check "the control is in the system directory" road_file "$road_system32" VEXAUSA.OCX
  road_check "the DLL is in the system directory" road_file "$road_system32" UsaCapitals.dll
  road_check "the control is registered there" grep -qi '^C:\\windows\\system32\\VEXAUSA.OCX$' <<<"$server"
  road_check "two shortcuts" test "$(grep -ci '\.lnk$' <<<"$links")" -eq 2
  road_check "the installed-programs record" wine reg query "$road_record" /reg:32
  road_check "the uninstall record" wine reg query "$road_uninstall_key" /reg:32
  # A silent installation starts no program: the log names the Execute line's program,
  # which is then started here for the screenshot of its window, and closed.
  road_check "silent: Setup.exe started no program" road_program_not_running
  road_check "silent: the log names the program not started" grep -qi '^Not started (silent): .*usamap\.exe' \
    "$road_work/websetup.log"
  road_screenshot=$road_work/installed-usa-map.png
  # Started by its Windows path, as its shortcut starts it (and as road_program_running sees it).
  (wine "$road_product_dir_windows\\UsaMap.exe" >/dev/null 2>&1 &)
  road_check "the installed program starts" road_wait_for_program
  wine_screenshot "$road_work/screen.png" && convert "$road_work/screen.png" -trim +repage "$road_screenshot" 2>/dev/null
  road_close_program
  road_show 'Screenshot of the installed program: %s\n' "$road_screenshot"
  road_check "the screenshot" test -s "$road_screenshot"
  road_show 'The web setup log:\n%s\n' "$(tr -d '\r' <"$road_work/websetup.log" | sed 's/^/  /')"
}

road_second_run() {
  road_stage 6 "the web setup program again"
  : >"$web_log"
  local status
  status=$(road_web_setup_run "$road_work/websetup2.log")
  road_show '  exit status %s, %s requests (the first run made %s)\n' "$status" "$(road_requests)" "$road_first_requests"
  road_check "second run: exit status 0" test "$status" = 0
  road_check "second run: nothing downloaded" test "$(road_requests)" -eq 0
  road_check "second run: the components are up to date" grep -qi 'Up to date: VEXAUSA.OCX' "$road_work/websetup2.log"
}

road_uninstall() {
  road_stage 7 "Uninstall.EXE /S"
  local status
  # As an administrator does it: the product's QuietUninstallString, "PROGRAM" /S.
  local quiet program
  quiet=$(wine_reg_value 32 "$road_uninstall_key" QuietUninstallString)
  program=$(sed -n 's/^"\([^"]*\)" \/S$/\1/p' <<<"$quiet")
  road_check "uninstall: the quiet uninstall string is \"PROGRAM\" /S" test -n "$program"
  status=$(wine_run_timed 120 "$program" /S "/LOG=$(wine_windows_path "$road_work/uninstall.log")")
  road_show '%s\n' "$(tr -d '\r' <"$road_work/uninstall.log" 2>/dev/null | sed 's/^/  /')"
  # The program removes itself when it has ended.
  for _ in $(seq 1 50); do [ -e "$road_product_dir" ] || break; sleep 0.2; done
  road_show '  exit status %s; %s: %s\n' "$status" "$road_product_dir" "$([ -e "$road_product_dir" ] && echo still there || echo gone)"
  road_check "uninstall: exit status 0" test "$status" = 0
  road_check "uninstall: the product directory is gone" test ! -e "$road_product_dir"
  road_check "uninstall: the installed-programs record is gone" bash -c "! wine reg query '$road_record' /reg:32 >/dev/null 2>&1"
  road_check "uninstall: the uninstall record is gone" bash -c "! wine reg query '$road_uninstall_key' /reg:32 >/dev/null 2>&1"
  road_check "uninstall: the shortcuts are gone" \
    test -z "$(find "$WINEPREFIX/drive_c" -path "*Programs/$road_product_name*" 2>/dev/null)"
  road_check "uninstall: the shared control is kept" road_file "$road_system32" VEXAUSA.OCX
  road_check "uninstall: the shared DLL is kept" road_file "$road_system32" UsaCapitals.dll
  road_check "uninstall: the control stays registered" wine reg query "HKCR\\CLSID\\$road_map_class\\InprocServer32" /reg:32
}

road_cleanup() {
  stop_web_server
  [ -n "${road_system32:-}" ] || return 0
  wine 'C:\windows\syswow64\regsvr32.exe' /s /u 'C:\windows\syswow64\VEXAUSA.OCX' >/dev/null 2>&1
  find "$road_system32" -maxdepth 1 \( -iname VEXAUSA.OCX -o -iname UsaCapitals.dll \) -delete
  rm -rf "$road_cache" "$road_product_dir"
  wine reg delete "$road_record" /f /reg:32 >/dev/null 2>&1
  wine reg delete "$road_uninstall_key" /f /reg:32 >/dev/null 2>&1
}
