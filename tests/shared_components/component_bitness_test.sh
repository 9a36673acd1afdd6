#!/usr/bin/env bash
# 32-bit and 64-bit components in one package, installed by the 32-bit engine on a WoW64
# prefix (64-bit Windows): each edition goes to the system directory and registry view of
# its own bitness, programs of each bitness then create the control, a second run finds
# both again, files in use of either bitness are replaced at the next boot. Last, a 64-bit
# component on 32-bit Windows (a prefix of its own) fails its line with a message.
# The restart at the end and the second prefix make ctest run this test alone.
. "$VEXA_SOURCE_DIR/tests/e2e/e2e-lib.sh"

c32=$VEXA_BINARY_DIR/tests/shared_components
c64=${VEXA_X64_BINARY_DIR:-$VEXA_SOURCE_DIR/build/windows-x64}/tests/shared_components
runexit64=${VEXA_X64_BINARY_DIR:-$VEXA_SOURCE_DIR/build/windows-x64}/tests/harness/runexit.exe
for f in "$c64/control_105.dll" "$c64/shared_105.dll" "$c64/component_host.exe" "$c64/hold_module.exe" "$runexit64"; do
  [ -f "$f" ] || { echo "no $f: build the 64-bit tree (cmake --build --preset windows-x64)" >&2; exit 1; }
done
standin_uninstall=$VEXA_BINARY_DIR/tests/harness/harness_probe.exe

holders=()
win32_prefix=
cleanup() {
  touch "$scratch/release32" "$scratch/release64"
  [ -n "$win32_prefix" ] && WINEPREFIX=$win32_prefix wineserver -k 2>/dev/null
  rm -rf "$scratch"
}
trap cleanup EXIT

# Seen without redirection: the 64-bit system directory and the 32-bit one.
system64=$(wine_unix_path 'C:\windows\system32')
system32=$(wine_unix_path 'C:\windows\syswow64')
class='{5D0C7A52-3E1B-4F7A-9C2D-7A1E0B5C9D31}'
markers=$(wine_unix_path 'C:\vexa-components')

package() {  # package NAME SCRIPT-LINES...: Setup.exe of $scratch/NAME.files
  local name=$1
  shift
  local dir=$scratch/$name.files
  mkdir -p "$dir"
  write_script "$dir/Script.TXT" "SetProductName \"Acme Bitness $name\"" 'SetProductDirectory "C:\Acme Bitness"' "$@" \
    'SetDoneMessage "Installation completed successfully."'
  cp "$standin_uninstall" "$dir/Uninstall.EXE"
  make_cab "$scratch/$name.cab" "$dir"
  make_setup "$scratch/$name.exe" "$engine" "$scratch/$name.cab"
}
attach() {  # attach NAME FILE AS: a component file in the package under a name
  mkdir -p "$scratch/$1.files"
  cp "$2" "$scratch/$1.files/$3"
}
attach_cab() {  # attach_cab NAME CAB FILE AS: a component inside a cabinet of the package
  mkdir -p "$scratch/$1.files" "$scratch/$2.inner"
  cp "$3" "$scratch/$2.inner/$4"
  make_cab "$scratch/$1.files/$2" "$scratch/$2.inner"
}
run_setup() {  # run_setup NAME: the exit status; the log is $scratch/NAME.log
  rm -f "$scratch/$1.log"
  wine_run_timed 120 "$scratch/$1.exe" /S "/LOG=$(wine_windows_path "$scratch/$1.log")" '/D=C:\Acme Bitness'
}
log_lines() { tr -d '\r' <"$scratch/$1.log" 2>/dev/null | grep -v -e '^$' -e '^Creating Uninstall Program$' | paste -sd '|'; }
same_file() { cmp -s "$1" "$2" && echo same || echo different; }
mtime() { stat -c %Y "$1" 2>/dev/null || echo none; }
dll_line() { printf 'InstallDllFile "%s", "1000", "%s", "%s", "0", "1000", "sig", ""' "$1" "$2" "$3"; }
ocx_line() { printf 'InstallOcxFile "%s", "1000", "%s", "%s", "%s", "0", "1000", "sig"' "$1" "$2" "$3" "$class"; }
server_in() {  # server_in VIEW KEY: the default value of KEY in the 32-bit or 64-bit view
  wine reg query "$2" /ve "/reg:$1" 2>/dev/null | tr -d '\r' | sed -n 's/^ *(Default) *REG_[A-Z_]* *//p'
}
registrations() { tr -d '\r' <"$markers/$1" 2>/dev/null | paste -sd '|'; }
host32() { wine "$c32/component_host.exe" "$class" 2>/dev/null | tr -d '\r'; }
host64() { wine "$c64/component_host.exe" "$class" 2>/dev/null | tr -d '\r'; }

rm -f "$system64"/VexaDual.* "$system32"/VexaDual.* "$system64"/VexaTwin.* "$system32"/VexaTwin.* \
  "$system64"/VexaBusy* "$system32"/VexaBusy* "$markers"/registrations*.txt
wine reg delete "HKCR\\CLSID\\$class" /f /reg:32 >/dev/null 2>&1
wine reg delete "HKCR\\CLSID\\$class" /f /reg:64 >/dev/null 2>&1
expect_eq "before: neither program can create the control" "failed 0x80040154 failed 0x80040154" "$(host32) $(host64)"

# --- One package, both editions of an OCX (one class) and of a DLL (one name). The 64-bit
# lines come first, so that a 64-bit file judged by the 32-bit views would be caught.
# VexaTwin.dll: the 32-bit system directory has an older copy, the 64-bit one an equal one.
cp "$c32/shared_104.dll" "$system32/VexaTwin.dll"
cp "$c64/shared_105.dll" "$system64/VexaTwin.dll"
touch -d '2001-01-01' "$system64/VexaTwin.dll"
twin64_time=$(mtime "$system64/VexaTwin.dll")
attach_cab both VexaDual64.cab "$c64/control_105.dll" VexaDual.ocx
attach_cab both VexaTwin64.cab "$c64/shared_105.dll" VexaTwin.dll
attach both "$c32/control_105.dll" VexaDual.ocx
attach both "$c32/shared_105.dll" VexaTwin.dll
package both "$(ocx_line VexaDual64.cab VexaDual.ocx 1.0.0.5)" "$(dll_line VexaTwin64.cab VexaTwin.dll 1.0.0.5)" \
  "$(ocx_line VexaDual.ocx VexaDual.ocx 1.0.0.5)" "$(dll_line VexaTwin.dll VexaTwin.dll 1.0.0.5)"
expect_eq "both: exit status" 0 "$(run_setup both)"
expect_eq "both: the 64-bit DLL was as new, the 32-bit one older: only that one installed" \
  "Installing VEXADUAL64.CAB|Installing VEXADUAL.OCX|Installing VEXATWIN.DLL|Installation completed|Message: Installation completed successfully." \
  "$(log_lines both)"
expect_eq "both: each OCX edition in the system directory of its bitness" "same same" \
  "$(same_file "$c64/control_105.dll" "$system64/VexaDual.ocx") $(same_file "$c32/control_105.dll" "$system32/VexaDual.ocx")"
expect_eq "both: each DLL by its own version rule (32-bit replaced, 64-bit untouched)" "same same $twin64_time" \
  "$(same_file "$c32/shared_105.dll" "$system32/VexaTwin.dll") $(same_file "$c64/shared_105.dll" "$system64/VexaTwin.dll") $(mtime "$system64/VexaTwin.dll")"
# A 32-bit program names its system directory system32 whatever it is redirected to.
expect_eq "both: the 32-bit registration, in the 32-bit view" 'C:\windows\system32\VexaDual.ocx' \
  "$(server_in 32 "HKCR\\CLSID\\$class\\InprocServer32")"
expect_eq "both: the same, seen from a 64-bit reg under Wow6432Node" 'C:\windows\system32\VexaDual.ocx' \
  "$(server_in 64 "HKLM\\Software\\Classes\\Wow6432Node\\CLSID\\$class\\InprocServer32")"
expect_eq "both: the 64-bit registration, in the 64-bit view" 'C:\windows\system32\VexaDual.ocx' \
  "$(server_in 64 "HKCR\\CLSID\\$class\\InprocServer32")"
expect_eq "both: each edition registered once, by a process of its bitness" \
  'C:\windows\system32\VexaDual.ocx 1.0.0.5/C:\windows\system32\VexaDual.ocx 1.0.0.5' \
  "$(registrations registrations.txt)/$(registrations registrations-64.txt)"
expect_eq "both: a 32-bit and a 64-bit program each create the control" \
  'created C:\windows\system32\VexaDual.ocx/created C:\windows\system32\VexaDual.ocx' "$(host32)/$(host64)"

# --- The same components again (in a product of its own, so that no earlier installation
# is removed first): both editions are found, nothing is copied, both are registered again
# from where they are registered.
rm -f "$markers"/registrations*.txt
cp -r "$scratch/both.files" "$scratch/again.files"
package again "$(ocx_line VexaDual64.cab VexaDual.ocx 1.0.0.5)" "$(dll_line VexaTwin64.cab VexaTwin.dll 1.0.0.5)" \
  "$(ocx_line VexaDual.ocx VexaDual.ocx 1.0.0.5)" "$(dll_line VexaTwin.dll VexaTwin.dll 1.0.0.5)"
touch -d '2001-01-01' "$system64/VexaDual.ocx" "$system32/VexaDual.ocx"
dual_times="$(mtime "$system64/VexaDual.ocx") $(mtime "$system32/VexaDual.ocx")"
expect_eq "again: exit status" 0 "$(run_setup again)"
expect_eq "again: nothing installed" "Installation completed|Message: Installation completed successfully." \
  "$(log_lines again)"
expect_eq "again: neither OCX copied" "$dual_times" "$(mtime "$system64/VexaDual.ocx") $(mtime "$system32/VexaDual.ocx")"
expect_eq "again: both registered again" \
  'C:\windows\system32\VexaDual.ocx 1.0.0.5/C:\windows\system32\VexaDual.ocx 1.0.0.5' \
  "$(registrations registrations.txt)/$(registrations registrations-64.txt)"

# --- In use: a 32-bit program holds the 32-bit OCX, a 64-bit one the 64-bit DLL. Both are
# replaced at the next boot; the delayed moves name each file where it really lies.
cp "$c32/control_104.dll" "$system32/VexaBusy.ocx"
cp "$c64/shared_104.dll" "$system64/VexaBusy.dll"
wine 'C:\windows\syswow64\regsvr32.exe' /s 'C:\windows\system32\VexaBusy.ocx' >/dev/null 2>&1
rm -f "$markers"/registrations*.txt "$scratch"/release*
wine "$c32/hold_module.exe" "$(wine_windows_path "$scratch")\\release32" 'C:\windows\system32\VexaBusy.ocx' \
  >/dev/null 2>&1 &
wine "$c64/hold_module.exe" "$(wine_windows_path "$scratch")\\release64" 'C:\windows\system32\VexaBusy.dll' \
  >/dev/null 2>&1 &
for _ in $(seq 1 300); do [ -f "$scratch/release32.held" ] && [ -f "$scratch/release64.held" ] && break; sleep 0.1; done
expect_true "in use: a 32-bit and a 64-bit program hold the files" \
  test -f "$scratch/release32.held" -a -f "$scratch/release64.held"
attach_cab busy VexaBusy64.cab "$c64/shared_105.dll" VexaBusy.dll
attach busy "$c32/control_105.dll" VexaBusy.ocx
package busy "$(dll_line VexaBusy64.cab VexaBusy.dll 1.0.0.5)" "$(ocx_line VexaBusy.ocx VexaBusy.ocx 1.0.0.5)"
before=$(pending_renames | grep -c '')
expect_eq "in use: exit status asks for a restart" 3010 "$(run_setup busy)"
expect_eq "in use: the old files stay until the restart" "same same" \
  "$(same_file "$c64/shared_104.dll" "$system64/VexaBusy.dll") $(same_file "$c32/control_104.dll" "$system32/VexaBusy.ocx")"
added=$(pending_renames | tail -n +$((before + 1)))
targets=$(sed -n '1p;7p' <<<"$added" | sed 's/^\\??\\//' | paste -sd ' ')
expect_true "in use: the 64-bit DLL's delayed move names the 64-bit system directory ($targets)" \
  test "$(wine_unix_path "$(cut -d' ' -f1 <<<"$targets")")" -ef "$system64/VexaBusy.dll"
expect_true "in use: the 32-bit OCX's delayed move names the 32-bit system directory ($targets)" \
  test "$(wine_unix_path "$(cut -d' ' -f2 <<<"$targets")")" -ef "$system32/VexaBusy.ocx"
touch "$scratch/release32" "$scratch/release64"
wait
wineserver -k
wineserver -p >/dev/null 2>&1
wineboot >/dev/null 2>&1
expect_eq "after the restart: both new files in place" "same same" \
  "$(same_file "$c64/shared_105.dll" "$system64/VexaBusy.dll") $(same_file "$c32/control_105.dll" "$system32/VexaBusy.ocx")"

rm -f "$system64"/VexaDual.* "$system32"/VexaDual.* "$system64"/VexaTwin.* "$system32"/VexaTwin.* \
  "$system64"/VexaBusy* "$system32"/VexaBusy* "$markers"/registrations*.txt
wine reg delete "HKCR\\CLSID\\$class" /f /reg:32 >/dev/null 2>&1
wine reg delete "HKCR\\CLSID\\$class" /f /reg:64 >/dev/null 2>&1

# --- 32-bit Windows: a prefix of its own with only the 32-bit half. The 64-bit component
# fails its line; the 32-bit one before it is installed.
win32_prefix=$scratch/win32-prefix
(
  export WINEPREFIX=$win32_prefix WINEARCH=win32
  wineserver -p >/dev/null 2>&1
  wineboot -i >/dev/null 2>&1
) || true
attach only32 "$c32/shared_105.dll" VexaTwin.dll
attach_cab only32 VexaTwin64.cab "$c64/shared_105.dll" VexaTwin.dll
package only32 "$(dll_line VexaTwin.dll VexaTwin.dll 1.0.0.5)" "$(dll_line VexaTwin64.cab VexaTwin.dll 1.0.0.5)"
status=$(WINEPREFIX=$win32_prefix wine_run_timed 120 "$scratch/only32.exe" /S \
  "/LOG=$(wine_windows_path "$scratch/only32.log")" '/D=C:\Acme Bitness')
expect_eq "32-bit Windows: the prefix has no 64-bit half" no \
  "$([ -d "$win32_prefix/drive_c/windows/syswow64" ] && echo yes || echo no)"
expect_eq "32-bit Windows: the 64-bit component stops the run with its message" \
  "1603 Installing VEXATWIN.DLL|Message: Error. VexaTwin.dll is a 64-bit component and cannot be installed on 32-bit Windows." \
  "$status $(log_lines only32)"
expect_eq "32-bit Windows: the 32-bit component is in the system directory" same \
  "$(same_file "$c32/shared_105.dll" "$win32_prefix/drive_c/windows/system32/VexaTwin.dll")"
WINEPREFIX=$win32_prefix wineserver -k 2>/dev/null
win32_prefix=
finish
