#!/usr/bin/env bash
# VEXAUSA.OCX as a shared component of a package, installed by Setup.exe /S on a WoW64
# prefix (64-bit Windows): the 32-bit edition from dist/ and the 64-bit edition in a
# cabinet of its own, each into the system directory and registry view of its bitness,
# registered under the same class identifiers with its type library; programs of each
# bitness then create the control by its class. A second run finds both registered
# (nothing installed again). At the end both are unregistered and removed.
. "$VEXA_SOURCE_DIR/tests/e2e/e2e-lib.sh"

ocx32=$VEXA_SOURCE_DIR/dist/VEXAUSA.OCX
x64=${VEXA_X64_BINARY_DIR:-$VEXA_SOURCE_DIR/build/windows-x64}
ocx64=$x64/mapctl/VEXAUSA.OCX
host32=$VEXA_BINARY_DIR/tests/shared_components/component_host.exe
host64=$x64/tests/shared_components/component_host.exe
runexit64=$x64/tests/harness/runexit.exe
for f in "$ocx32" "$ocx64" "$host32" "$host64" "$runexit64"; do
  [ -f "$f" ] || { echo "no $f: run make build" >&2; exit 1; }
done
standin_uninstall=$VEXA_BINARY_DIR/tests/harness/harness_probe.exe
class='{4A6DD9C6-FEB1-4D47-91D9-ACAC7348C3E8}'
library='{CDE46CB5-0A2A-4C9E-98C7-E9721B285B97}'
system64=$(wine_unix_path 'C:\windows\system32')
system32=$(wine_unix_path 'C:\windows\syswow64')

# From the shell Wine starts the 32-bit regsvr32 whichever system directory is named; the
# 64-bit one is started from a 64-bit program.
remove_controls() {
  wine 'C:\windows\syswow64\regsvr32.exe' /s /u 'C:\windows\system32\VEXAUSA.OCX' >/dev/null 2>&1
  wine "$runexit64" 60000 'C:\windows\system32\regsvr32.exe' /s /u 'C:\windows\system32\VEXAUSA.OCX' >/dev/null 2>&1
  rm -f "$system32/VEXAUSA.OCX" "$system64/VEXAUSA.OCX"
}
cleanup() {
  remove_controls
  rm -rf "$scratch"
}
trap cleanup EXIT
remove_controls

package() {  # package NAME: Setup.exe with both editions
  local dir=$scratch/$1.files
  mkdir -p "$dir" "$scratch/inner"
  cp "$ocx64" "$scratch/inner/VEXAUSA.OCX"
  make_cab "$dir/VEXAUSA64.CAB" "$scratch/inner"
  cp "$ocx32" "$dir/VEXAUSA.OCX"
  write_script "$dir/Script.TXT" "SetProductName \"Acme Map $1\"" 'SetProductDirectory "C:\Acme Map"' \
    "InstallOcxFile \"VEXAUSA64.CAB\", \"1200000\", \"VEXAUSA.OCX\", \"2.0.0.2\", \"$class\", \"0\", \"1200000\", \"sig\"" \
    "InstallOcxFile \"VEXAUSA.OCX\", \"1200000\", \"VEXAUSA.OCX\", \"2.0.0.2\", \"$class\", \"0\", \"1200000\", \"sig\"" \
    'SetDoneMessage "Installation completed successfully."'
  cp "$standin_uninstall" "$dir/Uninstall.EXE"
  make_cab "$scratch/$1.cab" "$dir"
  make_setup "$scratch/$1.exe" "$engine" "$scratch/$1.cab"
}
run_setup() {  # run_setup NAME: the exit status; the log is $scratch/NAME.log
  wine_run_timed 120 "$scratch/$1.exe" /S "/LOG=$(wine_windows_path "$scratch/$1.log")" '/D=C:\Acme Map'
}
log_lines() { tr -d '\r' <"$scratch/$1.log" 2>/dev/null | grep -v -e '^$' -e '^Creating Uninstall Program$' | paste -sd '|'; }
same_file() { cmp -s "$1" "$2" && echo same || echo different; }
default_in() {  # default_in VIEW KEY
  wine reg query "$2" /ve "/reg:$1" 2>/dev/null | tr -d '\r' | sed -n 's/^ *(Default) *REG_[A-Z_]* *//p'
}
host() { wine "$1" "$class" 2>/dev/null | tr -d '\r'; }

expect_eq "before: neither program can create the control" "failed 0x80040154 failed 0x80040154" \
  "$(host "$host32") $(host "$host64")"

package first
expect_eq "first: exit status" 0 "$(run_setup first)"
expect_eq "first: both editions installed" \
  "Installing VEXAUSA64.CAB|Installing VEXAUSA.OCX|Installation completed|Message: Installation completed successfully." \
  "$(log_lines first)"
expect_eq "first: each edition in the system directory of its bitness" "same same" \
  "$(same_file "$ocx64" "$system64/VEXAUSA.OCX") $(same_file "$ocx32" "$system32/VEXAUSA.OCX")"
for view in 32 64; do
  expect_eq "first: the class registered in the $view-bit view" 'C:\windows\system32\VEXAUSA.OCX' \
    "$(default_in $view "HKCR\\CLSID\\$class\\InprocServer32")"
  expect_eq "first: the ProgID resolves in the $view-bit view" "$class" \
    "$(default_in $view 'HKCR\VEXAUSA.VexausaCtrl\CLSID')"
done
expect_eq "first: the type library registered for each bitness" \
  'C:\windows\system32\VEXAUSA.OCX C:\windows\system32\VEXAUSA.OCX' \
  "$(default_in 32 "HKCR\\TypeLib\\$library\\1.0\\0\\win32") $(default_in 64 "HKCR\\TypeLib\\$library\\1.0\\0\\win64")"
expect_eq "first: a 32-bit and a 64-bit program each create the control" \
  'created C:\windows\system32\VEXAUSA.OCX/created C:\windows\system32\VEXAUSA.OCX' \
  "$(host "$host32")/$(host "$host64")"

# The engine finds both registrations and installs nothing again.
touch -d '2001-01-01' "$system64/VEXAUSA.OCX" "$system32/VEXAUSA.OCX"
times="$(stat -c %Y "$system64/VEXAUSA.OCX") $(stat -c %Y "$system32/VEXAUSA.OCX")"
package again
expect_eq "again: exit status" 0 "$(run_setup again)"
expect_eq "again: nothing installed" "Installation completed|Message: Installation completed successfully." \
  "$(log_lines again)"
expect_eq "again: neither file copied" "$times" \
  "$(stat -c %Y "$system64/VEXAUSA.OCX") $(stat -c %Y "$system32/VEXAUSA.OCX")"
expect_eq "again: still registered in both views" 'C:\windows\system32\VEXAUSA.OCX C:\windows\system32\VEXAUSA.OCX' \
  "$(default_in 32 "HKCR\\CLSID\\$class\\InprocServer32") $(default_in 64 "HKCR\\CLSID\\$class\\InprocServer32")"

# Removed again, nothing of either edition is left in either view.
remove_controls
left=
for key in "CLSID\\$class" 'VEXAUSA.VexausaCtrl' "TypeLib\\$library"; do
  for view in 32 64; do
    wine reg query "HKCR\\$key" "/reg:$view" >/dev/null 2>&1 && left="$left $view:$key"
  done
done
expect_eq "unregistered: nothing left" "" "$left"
finish
