#!/usr/bin/env bash
# Silent installs of real packages: dist/VexaInstall.exe followed by an Attachment.CAB made
# by gcab, run under Wine with /S. Checks what a user would see: files and their dates,
# the registry record, the log, the exit status, and that no temporary directory remains.
. "$(dirname "$0")/e2e-lib.sh"

standin_uninstall=$VEXA_BINARY_DIR/tests/harness/harness_probe.exe

# Program cabinets with known contents and dates.
make_program_cabinets() {
  local dir=$scratch/src
  rm -rf "$dir" && mkdir -p "$dir/prog/Docs" "$dir/data" "$dir/maps"
  printf 'main program\r\n' >"$dir/prog/App.txt"
  printf 'help text\r\n' >"$dir/prog/Docs/Help.txt"
  printf 'data file\r\n' >"$dir/data/Data.txt"
  printf 'map file\r\n' >"$dir/maps/Map.txt"
  touch -d '2021-06-15 10:20:30' "$dir/prog/App.txt" "$dir/prog/Docs/Help.txt" "$dir/data/Data.txt" "$dir/maps/Map.txt"
  make_cab "$scratch/pkg/Program.Cab" "$dir/prog"
  make_cab "$scratch/pkg/Data.cab" "$dir/data"
  make_cab "$scratch/pkg/Maps.cab" "$dir/maps"
}

# build_setup NAME MEMBERS... : Setup.exe from the engine and a cabinet of the members
# (files of $scratch/pkg).
build_setup() {
  local name=$1
  shift
  cp "$standin_uninstall" "$scratch/pkg/Uninstall.EXE"
  make_cab "$scratch/$name.attachment.cab" "$scratch/pkg" "$@"
  make_setup "$scratch/$name.exe" "$engine" "$scratch/$name.attachment.cab"
}

# run_setup NAME ARGS... : prints the exit status; the log is $scratch/NAME.log
run_setup() {
  local name=$1
  shift
  rm -f "$scratch/$name.log"
  wine_run_timed 120 "$scratch/$name.exe" /S "/LOG=$(wine_windows_path "$scratch/$name.log")" "$@"
}

log_of() { tr -d '\r' <"$scratch/$1.log" 2>/dev/null; }
mtime() { date -u -r "$1" '+%Y-%m-%d %H:%M:%S' 2>/dev/null; }

mkdir -p "$scratch/pkg"
make_program_cabinets
product_unix="$scratch/install/Acme Test"
product_win=$(wine_windows_path "$scratch/install")'\Acme Test'
before_temp=$(leftover_temp_dirs)

# --- A full silent install into the root and the four spellings of a sub-directory.
write_script "$scratch/pkg/Script.TXT" \
  'SetProductName "Acme Test"' \
  'SetProductDirectory "<ProgramFilesDir>\Acme Test"' \
  'InstallProgram "..\cabs\Program.Cab", "100", "", "0", "400", "sig", ""' \
  'InstallProgram "http://example.invalid/Data.cab", "100", "", "0", "400", "sig", "\Data"' \
  'InstallProgram "Data.cab", "100", "", "0", "400", "sig", "Data"' \
  'InstallProgram "Data.cab", "100", "", "0", "400", "sig", "Data\"' \
  'InstallProgram "Maps.cab", "100", "", "0", "400", "sig", "Data\Maps"' \
  'SetDoneMessage "Installation completed successfully."'
build_setup full Script.TXT Program.Cab Data.cab Maps.cab Uninstall.EXE
expect_eq "silent install exits 0" 0 "$(run_setup full "/D=$product_win")"
expect_eq "program file installed" "main program" "$(tr -d '\r' <"$product_unix/App.txt" 2>/dev/null)"
expect_eq "stored folder recreated" "help text" "$(tr -d '\r' <"$product_unix/Docs/Help.txt" 2>/dev/null)"
expect_eq "sub-directory argument" "data file" "$(tr -d '\r' <"$product_unix/Data/Data.txt" 2>/dev/null)"
expect_eq "nested sub-directory argument" "map file" "$(tr -d '\r' <"$product_unix/Data/Maps/Map.txt" 2>/dev/null)"
expect_eq "cabinet date restored" "2021-06-15 10:20:30" "$(mtime "$product_unix/Docs/Help.txt")"
expect_eq "installed-programs record" "$product_win\\" \
  "$(wine_reg_value 32 'HKLM\SOFTWARE\Corvanta Install\Installed Programs\Acme Test' Directory)"
# The engine is 32-bit: its records are in the 32-bit view (which 64-bit programs see under
# Wow6432Node), where Add/Remove Programs finds them, and not in the 64-bit view.
records64() {
  local key
  for key in 'Wow6432Node\Corvanta Install\Installed Programs\Acme Test|Directory' \
    'Wow6432Node\Microsoft\Windows\CurrentVersion\Uninstall\Acme Test|InstallLocation' \
    'Corvanta Install\Installed Programs\Acme Test|Directory' \
    'Microsoft\Windows\CurrentVersion\Uninstall\Acme Test|InstallLocation'; do
    wine_reg_value 64 'HKLM\SOFTWARE\'"${key%|*}" "${key#*|}" || echo none
  done | paste -sd '|'
}
expect_eq "records in the 32-bit view only" "$product_win\\|$product_win\\|none|none" "$(records64)"
expect_eq "no temporary directory left" "$before_temp" "$(leftover_temp_dirs)"
log=$(log_of full)
expect_eq "log names each cabinet in upper case" \
  "Installing PROGRAM.CAB|Installing DATA.CAB|Installing DATA.CAB|Installing DATA.CAB|Installing MAPS.CAB|Creating Uninstall Program|Installation completed|Message: Installation completed successfully." \
  "$(grep -v '^$' <<<"$log" | paste -sd '|')"

# --- Stops at start-up: exact message, exit 1603, nothing installed, nothing left behind.
expect_stop() {  # expect_stop NAME MESSAGE
  local status
  status=$(run_setup "$1" "/D=$(wine_windows_path "$scratch/stop-$1")")
  expect_eq "$1: exit status" 1603 "$status"
  expect_eq "$1: message" "Message: $2" "$(log_of "$1" | grep -v '^$')"
  expect_eq "$1: nothing installed" no "$([ -e "$scratch/stop-$1" ] && echo yes || echo no)"
  expect_eq "$1: no temporary directory left" "$before_temp" "$(leftover_temp_dirs)"
}

write_script "$scratch/pkg/Script.TXT" 'SetProductDirectory "<ProgramFilesDir>\Acme Test"' 'InstallProgram "Program.Cab"'
build_setup no-name Script.TXT Program.Cab Uninstall.EXE
expect_stop no-name "Script Error. Product name was not specified."

write_script "$scratch/pkg/Script.TXT" 'SetProductName "Acme Test"' 'InstallProgram "Program.Cab"'
build_setup no-directory Script.TXT Program.Cab Uninstall.EXE
expect_stop no-directory "Script Error. Product directory was not specified."

write_script "$scratch/pkg/Script.TXT" 'SetProductName "Acme Test"' 'SetProductDirectory "<ProgramFilesDir>\"'
build_setup no-sub Script.TXT Program.Cab Uninstall.EXE
expect_stop no-sub "Script Error. Invaid product directory. Product directory name must include sub-directory."

build_setup no-script Program.Cab Uninstall.EXE
expect_stop no-script "Error. Cannot extract script from self-extract EXE file."

# A script of 16 MiB of CR bytes would be millions of empty lines: refused, and the
# temporary directory goes with the stop.
head -c 16777216 /dev/zero | tr '\0' '\r' >"$scratch/pkg/Script.TXT"
build_setup cr-script Script.TXT Program.Cab Uninstall.EXE
expect_stop cr-script "Error. Cannot load script to memory. The script is not a setup script: it has more than 100000 lines."

cp "$engine" "$scratch/bare.exe"
expect_stop bare "Error. Self-extract EXE file is empty."

# --- Failures during the run.
write_script "$scratch/pkg/Script.TXT" 'SetProductName "Acme Missing"' 'SetProductDirectory "C:\Acme Missing"' \
  'InstallProgram "Absent.cab"'
build_setup missing-cab Script.TXT Program.Cab Uninstall.EXE
expect_eq "missing cabinet: exit status" 1603 "$(run_setup missing-cab "/D=$(wine_windows_path "$scratch/missing")")"
expect_eq "missing cabinet: message" "Installing ABSENT.CAB|Message: Error. Cannot extract ABSENT.CAB from self-extract EXE file." \
  "$(log_of missing-cab | grep -v '^$' | paste -sd '|')"

third_unix="$scratch/third/Acme Third"
write_script "$scratch/pkg/Script.TXT" 'SetProductName "Acme Third"' 'SetProductDirectory "C:\Acme Third"' \
  'InstallProgram "Program.Cab"' 'InstallProgram "Data.cab", "", "", "", "", "", "Data"' 'InstallProgram "Gone.cab"' \
  'InstallProgram "Maps.cab"' 'SetDoneMessage "Installation completed successfully."'
build_setup third Script.TXT Program.Cab Data.cab Maps.cab Uninstall.EXE
expect_eq "third line fails: exit status" 1603 "$(run_setup third "/D=$(wine_windows_path "$scratch/third")")"
expect_eq "third line fails: first two lines installed" "yes yes" \
  "$([ -f "$third_unix/App.txt" ] && echo yes) $([ -f "$third_unix/Data/Data.txt" ] && echo yes)"
expect_eq "third line fails: later lines not run" no "$([ -e "$third_unix/Map.txt" ] && echo yes || echo no)"
expect_eq "third line fails: only its message, no done message" \
  "Message: Error. Cannot extract GONE.CAB from self-extract EXE file." "$(log_of third | grep '^Message')"
if wine_reg_value 32 'HKLM\SOFTWARE\Corvanta Install\Installed Programs\Acme Third' Directory >/dev/null; then
  record=written
else
  record=none
fi
expect_eq "third line fails: no installed-programs record" none "$record"
expect_eq "failures leave no temporary directory" "$before_temp" "$(leftover_temp_dirs)"

# --- The three messages of a program cabinet line.
expect_program_failure() {  # expect_program_failure NAME MESSAGE LINE...
  local name=$1 message=$2
  shift 2
  write_script "$scratch/pkg/Script.TXT" "SetProductName \"Acme $name\"" "SetProductDirectory \"C:\\Acme $name\"" "$@"
  build_setup "$name" Script.TXT Program.Cab Data.cab NotACab.cab Uninstall.EXE
  expect_eq "$name: exit status" 1603 "$(run_setup "$name" "/D=$(wine_windows_path "$scratch/$name")")"
  expect_eq "$name: message" "Message: $message" "$(log_of "$name" | grep '^Message')"
}
printf 'not a cabinet at all' >"$scratch/pkg/NotACab.cab"
expect_program_failure not-a-cab "Error. Cannot expand CAB file: NOTACAB.CAB" 'InstallProgram "NotACab.cab"'
mkdir -p "$scratch/blocked/Acme blocked" && printf 'a file where a folder should be' >"$scratch/blocked/Acme blocked/Data"
expect_program_failure blocked "Cannot create sub-directory Data\ to expand: DATA.CAB" \
  'InstallProgram "Program.Cab"' 'InstallProgram "Data.cab", "", "", "", "", "", "\Data"'
expect_eq "blocked: the line before stays installed" "main program" \
  "$(tr -d '\r' <"$scratch/blocked/Acme blocked/App.txt" 2>/dev/null)"
# A sub-directory may not climb out of the product directory.
expect_program_failure escape "Cannot create sub-directory ..\..\Escaped\ to expand: DATA.CAB" \
  'InstallProgram "Data.cab", "", "", "", "", "", "..\..\Escaped"'
expect_eq "escape: nothing written outside" no "$([ -e "$scratch/Escaped" ] && echo yes || echo no)"

# --- A read-only file in the destination cannot be replaced: the expansion fails.
mkdir -p "$scratch/readonly/Acme readonly"
printf 'old\r\n' >"$scratch/readonly/Acme readonly/App.txt"
chmod a-w "$scratch/readonly/Acme readonly/App.txt"
expect_program_failure readonly "Error. Cannot expand CAB file: PROGRAM.CAB" 'InstallProgram "Program.Cab"'
expect_eq "readonly: the message names the file it could not create" 1 \
  "$(log_of readonly | grep -ciE '^Cannot create .*\\Acme readonly\\App\.txt$')"
expect_eq "readonly: the file stays as it was" old "$(tr -d '\r' <"$scratch/readonly/Acme readonly/App.txt")"
chmod u+w "$scratch/readonly/Acme readonly/App.txt"

# --- SetDoneMessage without an argument shows no message.
write_script "$scratch/pkg/Script.TXT" 'SetProductName "Acme Quiet"' 'SetProductDirectory "C:\Acme Quiet"' \
  'InstallProgram "Program.Cab"' 'SetDoneMessage'
build_setup quiet Script.TXT Program.Cab Uninstall.EXE
expect_eq "done message without argument: exit status" 0 "$(run_setup quiet "/D=$(wine_windows_path "$scratch/quiet")")"
expect_eq "done message without argument: no message" "" "$(log_of quiet | grep '^Message')"

# --- A destination longer than Windows can create is refused with the reason.
long_dir='C:\'$(printf 'L%.0s' {1..240})
expect_eq "destination too long: exit status" 1603 "$(run_setup full "/D=$long_dir")"
# The message's line break is a line break in the log too.
expect_eq "destination too long: message" \
  "Message: Error: Cannot create directory $long_dir\Acme Test\|The path is longer than 248 characters." \
  "$(log_of full | grep -A2 '^Message' | grep -v '^$' | paste -sd '|')"

# --- The web setup starts Setup.exe with the program's parameters appended: they are
# ignored and noted, and the installation runs ("a", "b" reach the engine as a, and b). A switch given twice is still refused.
expect_eq "appended parameters: exit status" 0 "$(run_setup full "/D=$(wine_windows_path "$scratch/web")" 'a,' 'b')"
expect_eq "appended parameters: noted in the log" \
  'Ignored command-line argument: "a,"|Ignored command-line argument: "b"' "$(log_of full | grep '^Ignored' | paste -sd '|')"
expect_eq "appended parameters: installed" "main program" "$(tr -d '\r' <"$scratch/web/Acme Test/App.txt" 2>/dev/null)"
expect_eq "a bare word: exit status" 0 "$(run_setup full word "/D=$(wine_windows_path "$scratch/web2")")"
expect_eq "a bare word: noted in the log" 'Ignored command-line argument: "word"' "$(log_of full | grep '^Ignored')"
expect_eq "switch given twice: exit status" 1603 "$(run_setup full /D=C:\\a /D=C:\\b)"
expect_eq "switch given twice: message" "Message: The option /D= is given more than once." "$(log_of full)"

finish
