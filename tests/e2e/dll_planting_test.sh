#!/usr/bin/env bash
# A Setup.exe run from a folder where someone left DLLs named like the system ones (a
# downloads folder) must load none of them, even when Wine is told to prefer such files:
# the run ends as it ends without them, and no planted DLL leaves its marker.
. "$(dirname "$0")/e2e-lib.sh"
need_programs i686-w64-mingw32-objdump

canary=$VEXA_BINARY_DIR/tests/e2e/canary_dll.dll
markers=$(wine_unix_path 'C:\vexa-canary')

# Names that system DLLs load by name, several of them before a program's own code runs
# (Wine's user32 pulls in version.dll), and that Windows does not keep among its known DLLs.
planted=(version wintrust uxtheme dwmapi cryptbase userenv propsys cabinet secur32 profapi)
overrides="winedbg.exe=d"  # a crash must end the program, not wait in a debugger
for name in "${planted[@]}"; do overrides+=";$name=n,b"; done

# package DIR CHECKTRUST: a Setup.exe in DIR/downloads that installs one file and shows
# a done message (the message box needs user32 even in a silent run's log).
package() {
  local dir=$1
  mkdir -p "$dir/prog" "$dir/pkg" "$dir/downloads"
  printf 'main program\r\n' >"$dir/prog/App.txt"
  make_cab "$dir/pkg/Program.Cab" "$dir/prog"
  cp "$VEXA_BINARY_DIR/tests/harness/harness_probe.exe" "$dir/pkg/Uninstall.EXE"
  write_script "$dir/pkg/Script.TXT" 'SetProductName "Acme Planted"' 'SetProductDirectory "C:\Acme Planted"' \
    "SetCheckTrust \"$2\"" 'SetDoneMessage "Done."' 'InstallProgram "Program.Cab"'
  make_cab "$dir/attachment.cab" "$dir/pkg" Script.TXT Program.Cab Uninstall.EXE
  make_setup "$dir/downloads/Setup.exe" "$engine" "$dir/attachment.cab"
}

# run SETUP OVERRIDES: the exit status of a silent install with these DLL overrides added
# to the session's.
run() {
  WINEDLLOVERRIDES="$WINEDLLOVERRIDES;$2" wine_run_timed 60 "$1" /S "/D=C:\Acme Planted"
}

for trust in false TRUE; do
  package "$scratch/$trust" "$trust"
  rm -rf "$markers"
  clean=$(run "$scratch/$trust/downloads/Setup.exe" winedbg.exe=d)
  for name in "${planted[@]}"; do cp "$canary" "$scratch/$trust/downloads/$name.dll"; done
  # Beside the program and in the current directory, where a careless search looks too.
  planted_status=$(cd "$scratch/$trust/downloads" && run "$scratch/$trust/downloads/Setup.exe" "$overrides")
  expect_eq "CheckTrust $trust: the run ends as it does without planted DLLs" "$clean" "$planted_status"
  expect_eq "CheckTrust $trust: no planted DLL was loaded" "" "$(ls "$markers" 2>/dev/null | paste -sd ' ')"
done
# The unsigned package is refused by the trust check; the other installs.
expect_eq "an unsigned package is refused" 1603 "$(run "$scratch/TRUE/downloads/Setup.exe" winedbg.exe=d)"
expect_eq "the package without a trust check installs" 0 "$(run "$scratch/false/downloads/Setup.exe" winedbg.exe=d)"

# The canary works: a program that imports user32 at load time, started beside it, loads it.
rm -rf "$markers"
mkdir -p "$scratch/control"
cp "$driver" "$scratch/control/driver.exe"
cp "$canary" "$scratch/control/version.dll"
WINEDLLOVERRIDES="$WINEDLLOVERRIDES;$overrides" timeout 60 wine "$scratch/control/driver.exe" >/dev/null 2>&1 || true
expect_eq "a program importing user32 loads the planted version.dll" "version.dll" "$(ls "$markers" 2>/dev/null | tr 'A-Z' 'a-z' | paste -sd ' ')"
rm -rf "$markers"

# What Windows loads before the program's first instruction comes from its import table:
# KERNEL32 and the C runtime only, for the engine and for every end-user program.
for program in "$engine" "$VEXA_SOURCE_DIR/dist/Uninstall.exe" "$VEXA_SOURCE_DIR/dist/VexaLoad.ocx"; do
  imports=$(i686-w64-mingw32-objdump -p "$program" | sed -n 's/^\s*DLL Name: //p' | tr 'a-z' 'A-Z' | LC_ALL=C sort -u | paste -sd ' ')
  expect_eq "$(basename "$program") imports only KERNEL32 and the C runtime" "KERNEL32.DLL MSVCRT.DLL" "$imports"
done

# The loader control runs inside a browser, loaded by its full path, so Windows looks for
# the DLLs it needs beside it first. Registered from a folder with planted DLLs, it loads
# none of them, neither when it is loaded nor when its registration calls the system.
mkdir -p "$scratch/control-folder"
cp "$VEXA_SOURCE_DIR/dist/VexaLoad.ocx" "$scratch/control-folder/"
for name in "${planted[@]}" bcrypt; do cp "$canary" "$scratch/control-folder/$name.dll"; done
control_path=$(wine_windows_path "$scratch/control-folder/VexaLoad.ocx")
regsvr32='C:\windows\syswow64\regsvr32.exe'
rm -rf "$markers"
registered=$(WINEDLLOVERRIDES="$WINEDLLOVERRIDES;$overrides;bcrypt=n,b" wine_run_timed 60 "$regsvr32" /s "$control_path")
unregistered=$(WINEDLLOVERRIDES="$WINEDLLOVERRIDES;$overrides;bcrypt=n,b" wine_run_timed 60 "$regsvr32" /s /u "$control_path")
expect_eq "the loader control registers and unregisters beside planted DLLs" "0 0" "$registered $unregistered"
expect_eq "the loader control loaded no planted DLL" "" "$(ls "$markers" 2>/dev/null | paste -sd ' ')"

finish
