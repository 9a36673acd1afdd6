#!/usr/bin/env bash
# The install dialog in a real window under Xvfb, driven by dialog_driver.exe: what it
# shows, Install to the end, and Cancel before the run.
. "$(dirname "$0")/e2e-lib.sh"

artifacts=$VEXA_SOURCE_DIR/build/artifacts
mkdir -p "$artifacts"

mkdir -p "$scratch/prog/Docs" "$scratch/pkg"
printf 'main program\r\n' >"$scratch/prog/App.txt"
printf 'help text\r\n' >"$scratch/prog/Docs/Help.txt"
make_cab "$scratch/pkg/Program.Cab" "$scratch/prog"
cp "$VEXA_BINARY_DIR/tests/harness/harness_probe.exe" "$scratch/pkg/Uninstall.EXE"
make_setup_for() {  # make_setup_for PRODUCT
  printf 'SetProductName "%s"\r\nSetProductDirectory "<ProgramFilesDir>\\%s"\r\nInstallProgram "Program.Cab"\r\nSetDoneMessage "Installation completed successfully."\r\n' \
    "$1" "$1" >"$scratch/pkg/Script.TXT"
  make_cab "$scratch/attachment.cab" "$scratch/pkg" Script.TXT Program.Cab Uninstall.EXE
  make_setup "$scratch/$1.exe" "$engine" "$scratch/attachment.cab"
}
before_temp=$(leftover_temp_dirs)
program_files=$(wine_unix_path 'C:\Program Files (x86)')

# --- Install through the dialog.
make_setup_for "Acme Dialog"
out=$(drive "$scratch/Acme Dialog.exe" window:VexaInstall text:203 text:201 text:204 visible:1000 visible:201 \
  enabled:205 "shot:$(wine_windows_path "$scratch/dialog.bmp")" click:1001 box answer:1 exit)
expect_eq "dialog shows, installs, says done, ends with 0" \
  "203=Acme Dialog|201=C:\\Program Files (x86)\\Acme Dialog\\|204=(none)|1000 hidden|201 visible|205 disabled|box=Installation completed successfully.|exit=0" \
  "$out"
expect_eq "files installed like a silent install" "App.txt Docs/Help.txt Uninstall/Uninstall.EXE" \
  "$(cd "$program_files/Acme Dialog" 2>/dev/null && find . -type f | sed 's|^\./||' | LC_ALL=C sort | paste -sd ' ')"
expect_eq "installed-programs record" 'C:\Program Files (x86)\Acme Dialog\' \
  "$(wine_reg_value 32 'HKLM\SOFTWARE\Corvanta Install\Installed Programs\Acme Dialog' Directory)"
convert "bmp:$scratch/dialog.bmp" "$artifacts/install-dialog.png" 2>/dev/null
expect_true "screenshot of the dialog saved" test -s "$artifacts/install-dialog.png"

# --- A destination longer than a path buffer (here from /D=) is read whole and refused,
# never cut to one that installs elsewhere; the dialog stays for another choice.
make_setup_for "Acme Long"
long_dir='C:\'$(printf 'L%.0s' {1..250})
out=$(timeout 300 wine "$driver" "$(wine_windows_path "$scratch/Acme Long.exe")" "/D=$long_dir" -- \
  window:VexaInstall text:201 click:1001 box answer:1 enabled:1001 click:1002 exit 2>/dev/null | tr -d '\r' | paste -sd '|')
expect_eq "long destination: shown whole, refused, Install usable again" \
  "201=$long_dir\Acme Long\|box=Error: Cannot create directory $long_dir\Acme Long\||The path is longer than 248 characters.|1001 enabled|exit=0" \
  "$out"
expect_eq "long destination: nothing created" "" "$(ls -d "$(wine_unix_path 'C:\')"/LLLL* 2>/dev/null)"

# --- Change Folder: the chooser's directory gets the product sub-directory unless it ends
# with it already; Cancel in the chooser changes nothing; Install uses the chosen folder.
c_drive=$(wine_unix_path 'C:\')
rm -rf "$c_drive/Chooser Test" && mkdir -p "$c_drive/Chooser Test/Acme Chosen"
make_setup_for "Acme Chosen"
out=$(drive "$scratch/Acme Chosen.exe" window:VexaInstall \
  click:202 "dialog:Choose Directory" 'boxpick:1137=[-c-]' 'boxpick:1121=[chooser test]' boxtext:1088 boxpress:1 sleep:300 text:201 \
  click:202 "dialog:Choose Directory" 'boxpick:1121=[acme chosen]' boxpress:1 sleep:300 text:201 \
  click:202 "dialog:Choose Directory" 'boxpick:1121=[..]' boxpress:2 sleep:300 text:201 \
  click:1001 box answer:1 exit)
expect_eq "chooser: folder gets the sub-directory, a folder ending in it does not, Cancel keeps it" \
  '1088=c:\chooser test|201=c:\Chooser Test\Acme Chosen\|201=c:\Chooser Test\Acme Chosen\|201=c:\Chooser Test\Acme Chosen\|box=Installation completed successfully.|exit=0' \
  "$out"
expect_eq "installed into the chosen folder" "main program" \
  "$(tr -d '\r' <"$c_drive/Chooser Test/Acme Chosen/App.txt" 2>/dev/null)"

# --- The keyboard: Tab walks the controls in the order of the layout (the disabled button
# is passed over), Alt+F is Change Folder (which hands the focus back to its button), and
# Enter in a text box presses Install.
make_setup_for "Acme Keys"
expect_eq "keyboard: tab order, accelerator, default button" \
  "focus=1001|focus=1002|focus=203|focus=201|focus=202|focus=204|focus=1001|focus=204|box=Installation completed successfully.|exit=0" \
  "$(drive "$scratch/Acme Keys.exe" window:VexaInstall focus key:tab focus key:tab focus key:tab focus key:tab focus \
    key:tab focus key:tab focus key:alt+f "dialog:Choose Directory" boxpress:2 sleep:300 \
    key:tab focus key:enter box answer:1 exit)"

# --- Cancel before Install: nothing installed, temporary directory removed, status 0.
make_setup_for "Acme Cancelled"
out=$(drive "$scratch/Acme Cancelled.exe" window:VexaInstall click:1002 exit)
expect_eq "cancel before install ends with 0" "exit=0" "$out"
expect_eq "cancel before install installs nothing" no "$([ -e "$program_files/Acme Cancelled" ] && echo yes || echo no)"
expect_eq "no temporary directory left" "$before_temp" "$(leftover_temp_dirs)"

finish
