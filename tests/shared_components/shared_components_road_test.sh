#!/usr/bin/env bash
# Shared DLL and OCX components installed through Setup.exe /S: packages made by gcab with
# the test components of this folder, checked by what lands in the system directory, the
# class registrations, the log, the exit status and the delayed moves for the next boot.
# The last part restarts Wine to carry those moves out, so ctest runs this test alone.
. "$VEXA_SOURCE_DIR/tests/e2e/e2e-lib.sh"
need_programs strings

components=$VEXA_BINARY_DIR/tests/shared_components
standin_uninstall=$VEXA_BINARY_DIR/tests/harness/harness_probe.exe

holder_pid=
cleanup() {
  [ -n "$holder_pid" ] && touch "$scratch/release"
  rm -rf "$scratch"
}
trap cleanup EXIT

# The engine is 32-bit: it names its system directory C:\windows\system32, which 64-bit
# Windows redirects to the 32-bit one (syswow64) for it and for every 32-bit program.
system_win='C:\windows\system32'
system=$(wine_unix_path 'C:\windows\syswow64')
regsvr32_win='C:\windows\syswow64\regsvr32.exe'
temp_dir=$(wine_unix_path "$(wine cmd /c echo %TEMP% 2>/dev/null | tr -d '\r')")
class='{5D0C7A52-3E1B-4F7A-9C2D-7A1E0B5C9D31}'
class_key="HKCR\\CLSID\\$class\\InprocServer32"
markers=$(wine_unix_path 'C:\vexa-components')/registrations.txt

# package NAME SCRIPT-LINES... : Setup.exe whose attachment holds Script.TXT, Uninstall.EXE
# and every file put in $scratch/NAME.files/.
package() {
  local name=$1
  shift
  local dir=$scratch/$name.files
  mkdir -p "$dir"
  # A product of its own for each package, so that no run finds an earlier one to remove.
  write_script "$dir/Script.TXT" "SetProductName \"Acme Components $name\"" 'SetProductDirectory "C:\Acme Components"' "$@" \
    'SetDoneMessage "Installation completed successfully."'
  cp "$standin_uninstall" "$dir/Uninstall.EXE"
  make_cab "$scratch/$name.cab" "$dir"
  make_setup "$scratch/$name.exe" "$engine" "$scratch/$name.cab"
}

# attach NAME COMPONENT FILE-NAME : puts a test component in the package under a name.
attach() {
  mkdir -p "$scratch/$1.files"
  cp "$components/$2.dll" "$scratch/$1.files/$3"
}

# run_setup NAME [ARGS...] : prints the exit status; the log is $scratch/NAME.log
run_setup() {
  local name=$1
  shift
  rm -f "$scratch/$name.log"
  wine_run_timed 120 "$scratch/$name.exe" /S "/LOG=$(wine_windows_path "$scratch/$name.log")" \
    "/D=$(wine_windows_path "$scratch/product-$name")" "$@"
}

# The log without the lines every installation writes about its uninstall program.
log_lines() { tr -d '\r' <"$scratch/$1.log" 2>/dev/null | grep -v -e '^$' -e '^Creating Uninstall Program$' | paste -sd '|'; }
same_file() { cmp -s "$1" "$2" && echo same || echo different; }
dll_line() {  # dll_line ATTACHED COMPONENT VERSION [SIZE]
  printf 'InstallDllFile "%s", "%s", "%s", "%s", "0", "%s", "sig", ""' "$1" "${4:-1000}" "$2" "$3" "${4:-1000}"
}
ocx_line() {  # ocx_line ATTACHED COMPONENT VERSION
  printf 'InstallOcxFile "%s", "1000", "%s", "%s", "%s", "0", "1000", "sig"' "$1" "$2" "$3" "$class"
}
registered_server() {
  wine reg query "$class_key" /ve /reg:32 2>/dev/null | tr -d '\r' | sed -n 's/^ *(Default) *REG_[A-Z_]* *//p'
}
registrations() { tr -d '\r' <"$markers" 2>/dev/null | paste -sd '|'; }

rm -f "$system"/Vexa*.dll "$system"/Vexa*.ocx "$markers"

# --- DLLs: installed when absent or older, left alone when as new or newer.
cp "$components/shared_105.dll" "$system/VexaEqual.dll"
cp "$components/shared_105.dll" "$system/VexaNewer.dll"
cp "$components/shared_104.dll" "$system/VexaOlder.dll"
cp "$components/shared_nover.dll" "$system/VexaBare.dll"
cp "$components/shared_nover.dll" "$system/VexaBlank.dll"
attach dlls shared_105 VexaAbsent.dll
attach dlls shared_105_commas VexaOlder.dll
attach dlls shared_104 VexaBare.dll
package dlls \
  "$(dll_line VexaAbsent.dll VexaAbsent.dll 1.0.0.5)" \
  "$(dll_line VexaEqual.dll VexaEqual.dll 1.0.0.5)" \
  "$(dll_line 'http://example.invalid/activex/VexaNewer.dll' VexaNewer.dll 1.0.0.4)" \
  "$(dll_line VexaOlder.dll VexaOlder.dll '1, 0, 0, 5')" \
  "$(dll_line VexaBare.dll VexaBare.dll 1.0.0.4)" \
  "$(dll_line VexaBlank.dll VexaBlank.dll '')"
expect_eq "DLLs: exit status" 0 "$(run_setup dlls)"
expect_eq "DLLs: absent one installed into the system directory" same \
  "$(same_file "$components/shared_105.dll" "$system/VexaAbsent.dll")"
expect_eq "DLLs: older one replaced (version written with commas)" same \
  "$(same_file "$components/shared_105_commas.dll" "$system/VexaOlder.dll")"
expect_eq "DLLs: one without version replaced by a versioned file" same \
  "$(same_file "$components/shared_104.dll" "$system/VexaBare.dll")"
expect_eq "DLLs: equal and newer ones untouched, empty version never replaces" "same same same" \
  "$(same_file "$components/shared_105.dll" "$system/VexaEqual.dll") $(same_file "$components/shared_105.dll" \
    "$system/VexaNewer.dll") $(same_file "$components/shared_nover.dll" "$system/VexaBlank.dll")"
# The skipped ones are not in the package at all: nothing was extracted or reported.
expect_eq "DLLs: only the installed ones are logged" \
  "Installing VEXAABSENT.DLL|Installing VEXAOLDER.DLL|Installing VEXABARE.DLL|Installation completed|Message: Installation completed successfully." \
  "$(log_lines dlls)"

# --- The decision is taken again from the extracted file: a script that overstates the
# version does not put an older file over a newer one.
attach recheck shared_104 VexaEqual.dll
package recheck "$(dll_line VexaEqual.dll VexaEqual.dll 9.0.0.0)"
expect_eq "recheck: exit status" 0 "$(run_setup recheck)"
expect_eq "recheck: the extracted older file is not installed" same \
  "$(same_file "$components/shared_105.dll" "$system/VexaEqual.dll")"
expect_eq "recheck: log" "Installing VEXAEQUAL.DLL|Installation completed|Message: Installation completed successfully." \
  "$(log_lines recheck)"

# --- A DLL delivered inside a cabinet of the attachment.
mkdir -p "$scratch/inner"
cp "$components/shared_105.dll" "$scratch/inner/VexaPacked.dll"
cp "$components/shared_104.dll" "$scratch/inner/Other.dll"
mkdir -p "$scratch/packed.files"
make_cab "$scratch/packed.files/Pack.cab" "$scratch/inner"
package packed "$(dll_line 'http://example.invalid/activex/Pack.cab' VexaPacked.dll 1.0.0.5)"
expect_eq "cabinet: exit status" 0 "$(run_setup packed)"
expect_eq "cabinet: component taken from the cabinet" same \
  "$(same_file "$components/shared_105.dll" "$system/VexaPacked.dll")"
expect_eq "cabinet: only the component installed" no "$([ -e "$system/Other.dll" ] && echo yes || echo no)"
expect_eq "cabinet: log names the cabinet" \
  "Installing PACK.CAB|Installation completed|Message: Installation completed successfully." "$(log_lines packed)"

# --- Components that cannot be taken out stop the run with their message.
package missing "$(dll_line Missing.dll VexaMissing.dll 1.0.0.5)" 'InstallProgram "Never.cab"'
expect_eq "missing attachment member: exit status" 1603 "$(run_setup missing)"
expect_eq "missing attachment member: message" \
  "Installing MISSING.DLL|Message: Error. Cannot extract MISSING.DLL from self-extract EXE file." \
  "$(log_lines missing)"
mkdir -p "$scratch/wrongcab.files"
make_cab "$scratch/wrongcab.files/Pack.cab" "$scratch/inner" Other.dll
package wrongcab "$(dll_line Pack.cab VexaLost.dll 1.0.0.5)"
expect_eq "component missing from its cabinet: exit status" 1603 "$(run_setup wrongcab)"
expect_eq "component missing from its cabinet: message" \
  "Installing PACK.CAB|Message: Error. Cannot extract VexaLost.dll from PACK.CAB" "$(log_lines wrongcab)"
package escape "$(dll_line VexaEscape.dll '..\VexaEscape.dll' 1.0.0.5)"
expect_eq "component name with a path: refused" "1603 Message: Error. Cannot install DLL ..\VexaEscape.dll" \
  "$(run_setup escape) $(log_lines escape)"

# --- OCX: registered to a file that is gone -> system directory, registered there.
wine reg add "$class_key" /ve /d 'C:\vexa-gone\VexaCtl.ocx' /f /reg:32 >/dev/null 2>&1
attach ocx-gone control_105 VexaCtl.ocx
package ocx-gone "$(ocx_line VexaCtl.ocx VexaCtl.ocx 1.0.0.5)"
expect_eq "OCX, registration stale: exit status" 0 "$(run_setup ocx-gone)"
expect_eq "OCX, registration stale: installed into the system directory" same \
  "$(same_file "$components/control_105.dll" "$system/VexaCtl.ocx")"
expect_eq "OCX, registration stale: registered there" "$system_win\\VexaCtl.ocx" "$(registered_server)"
expect_eq "OCX, registration stale: DllRegisterServer ran once" "$system_win\\VexaCtl.ocx 1.0.0.5" "$(registrations)"

# --- Registered and as new: only registered again, from where it is registered.
package ocx-same "$(ocx_line VexaCtl.ocx VexaCtl.ocx 1.0.0.5)"
expect_eq "OCX as new: exit status" 0 "$(run_setup ocx-same)"
expect_eq "OCX as new: registered again, nothing logged" \
  "$system_win\\VexaCtl.ocx 1.0.0.5|$system_win\\VexaCtl.ocx 1.0.0.5|Installation completed|Message: Installation completed successfully." \
  "$(registrations)|$(log_lines ocx-same)"

# --- Registered elsewhere and older: the newer control overwrites it where it is.
app=$(wine_unix_path 'C:\VexaApp')
mkdir -p "$app"
cp "$components/control_104.dll" "$app/VexaCtl.ocx"
wine "$regsvr32_win" /s 'C:\VexaApp\VexaCtl.ocx' >/dev/null 2>&1
rm -f "$markers"
attach ocx-newer control_105 VexaCtl.ocx
package ocx-newer "$(ocx_line VexaCtl.ocx VexaCtl.ocx 1.0.0.5)"
expect_eq "OCX newer: exit status" 0 "$(run_setup ocx-newer)"
expect_eq "OCX newer: registered file overwritten in place" same \
  "$(same_file "$components/control_105.dll" "$app/VexaCtl.ocx")"
expect_eq "OCX newer: registered again there" 'C:\VexaApp\VexaCtl.ocx 1.0.0.5' "$(registrations)"
rm -rf "$app"

# --- Disk space: components that would be installed count, present ones add nothing.
huge=900000000000000
package space-c "$(dll_line VexaHuge.dll VexaHuge.dll 1.0.0.5 $huge)" \
  'InstallProgram "Program.cab", "10", "", "0", "21", "sig", ""'
rm -f "$scratch/space-c.log"
status=$(wine_run_timed 120 "$scratch/space-c.exe" /S "/LOG=$(wine_windows_path "$scratch/space-c.log")" \
  '/D=C:\Acme Space')
expect_eq "disk space, one drive: exit status" 1603 "$status"
# The free space itself varies: the message is compared with it written as N.
space_message() { tr -d '\r' <"$scratch/$1.log" 2>/dev/null | grep '^Message' | sed -E 's/available is: [0-9]+ bytes/available is: N bytes/'; }
expect_eq "disk space, one drive: program and component bytes summed" \
  "Message: Error: Insufficient disk space on drive C: for this installation. Space required is: $((huge * 2 + 31)) bytes. Space available is: N bytes. " \
  "$(space_message space-c)"
expect_eq "disk space, one drive: nothing created" no "$([ -e "$(wine_unix_path 'C:\Acme Space')" ] && echo yes || echo no)"
package space-z "$(dll_line VexaHuge.dll VexaHuge.dll 1.0.0.5 $huge)" \
  'InstallProgram "Program.cab", "10", "", "0", "21", "sig", ""'
run_setup space-z >/dev/null
expect_eq "disk space, two drives: the system drive needs the component bytes" \
  "Message: Error: Insufficient disk space on drive C: for this installation. Space required is: $((huge * 2)) bytes. Space available is: N bytes. " \
  "$(space_message space-z)"
package space-present "$(dll_line VexaEqual.dll VexaEqual.dll 1.0.0.5 $huge)"
expect_eq "disk space: a component already present adds nothing" "0 Installation completed" \
  "$(run_setup space-present) $(log_lines space-present | cut -d'|' -f1)"

# --- A DLL and an OCX in use: replaced at the next boot, the run asks for a restart.
cp "$components/shared_104.dll" "$system/VexaBusy.dll"
cp "$components/control_104.dll" "$system/VexaBusy.ocx"
wine "$regsvr32_win" /s "$system_win\\VexaBusy.ocx" >/dev/null 2>&1
rm -f "$scratch/release" "$scratch/release.held" "$markers"
wine "$components/hold_module.exe" "$(wine_windows_path "$scratch")\\release" "$system_win\\VexaBusy.dll" \
  "$system_win\\VexaBusy.ocx" >/dev/null 2>&1 &
holder_pid=$!
for _ in $(seq 1 300); do [ -f "$scratch/release.held" ] && break; sleep 0.1; done
expect_true "in use: the helper holds the DLL and the OCX" test -f "$scratch/release.held"
attach busy shared_105 VexaBusy.dll
attach busy control_105 VexaBusy.ocx
package busy "$(dll_line VexaBusy.dll VexaBusy.dll 1.0.0.5)" "$(ocx_line VexaBusy.ocx VexaBusy.ocx 1.0.0.5)" \
  'Execute "<ProductDirectory>\never.exe"'
before=$(pending_renames | grep -c '')
expect_eq "in use: exit status asks for a restart" 3010 "$(run_setup busy)"
expect_eq "in use: restart question, no done message" \
  "Installing VEXABUSY.DLL|Installing VEXABUSY.OCX|Question: To complete the Installation, you must re-boot your computer. Would you like to re-boot your computer now? -> No" \
  "$(log_lines busy)"
expect_eq "in use: the old files are still in place" "same same" \
  "$(same_file "$components/shared_104.dll" "$system/VexaBusy.dll") $(same_file "$components/control_104.dll" "$system/VexaBusy.ocx")"
expect_eq "in use: the old OCX is registered again" "$system_win\\VexaBusy.ocx 1.0.0.4" "$(registrations)"
# New records are appended to the list.
added=$(pending_renames | tail -n +$((before + 1)))
# Six strings a file: delete the target, move the copy onto it, then remove the copy's
# directory.
expect_eq "in use: twelve new delayed-move strings" 12 "$(pending_renames | tail -n +$((before + 1)) | grep -c '')"
copies=()
c_root=$(wine_unix_path 'C:\')
for first in 1 7; do
  what=$([ $first = 1 ] && echo DLL || echo OCX)
  component=$([ $first = 1 ] && echo shared_105.dll || echo control_105.dll)
  target_name=$([ $first = 1 ] && echo VexaBusy.dll || echo VexaBusy.ocx)
  short_target=$(sed -n "${first}p" <<<"$added" | sed 's/^\\??\\//')
  copy_win=$(sed -n "$((first + 2))p" <<<"$added" | sed 's/^\\??\\//')
  expect_true "in use, $what: the target is named in the system directory" \
    test "$(wine_unix_path "$short_target")" -ef "$system/$target_name"
  expect_eq "in use, $what: delete first, then move the copy onto the target" "|\\??\\$short_target" \
    "$(sed -n "$((first + 1))p" <<<"$added")|$(sed -n "$((first + 3))p" <<<"$added")"
  copy=$(wine_unix_path "$copy_win")
  copies+=("$copy")
  # Not in the user's temporary directory, where a process of the user could write it
  # before the boot: in a new directory of its own at the root of the target's volume,
  # which only administrators may write (Windows enforces that; Wine does not).
  expect_true "in use, $what: the copy waits in a ~ts directory of its own at the root of the target's volume" \
    test "$(dirname "$(dirname "$copy")")" -ef "$c_root" -a "$(basename "$(dirname "$copy")" | cut -c1-3 | tr a-z A-Z)" = "~TS"
  expect_true "in use, $what: not in the temporary directory" test ! "$(dirname "$copy")" -ef "$temp_dir"
  expect_eq "in use, $what: the copy's directory goes at the boot, after the move" \
    "\\??\\${copy_win%\\*}|" \
    "$(sed -n "$((first + 4))p" <<<"$added")|$(sed -n "$((first + 5))p" <<<"$added")"
  expect_eq "in use, $what: the copy holds the new file" same "$(same_file "$components/$component" "$copy")"
done
expect_eq "in use: no program started" no "$([ -e "$scratch/product-busy/never.exe" ] && echo yes || echo no)"

# Last: a Wine restart is the next boot. The helper goes with the old server, the new
# server carries out the moves, and stays up for the tests that follow.
touch "$scratch/release"
wait "$holder_pid" 2>/dev/null
holder_pid=
wineserver -k
wineserver -p >/dev/null 2>&1
wineboot >/dev/null 2>&1
expect_eq "after the restart: the new DLL and OCX are in place" "same same" \
  "$(same_file "$components/shared_105.dll" "$system/VexaBusy.dll") $(same_file "$components/control_105.dll" "$system/VexaBusy.ocx")"
expect_eq "after the restart: the copies and their directories are gone" "no no no no" \
  "$(for copy in "${copies[@]}" "${copies[0]%/*}" "${copies[1]%/*}"; do [ -e "$copy" ] && echo yes || echo no; done | paste -sd ' ')"
expect_eq "after the restart: no delayed move left" "" "$(pending_renames)"

rm -f "$system"/Vexa*.dll "$system"/Vexa*.ocx "$markers"
wine reg delete "HKCR\\CLSID\\$class" /f /reg:32 >/dev/null 2>&1
finish
