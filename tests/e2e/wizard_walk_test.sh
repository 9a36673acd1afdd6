#!/usr/bin/env bash
# The wizard window walked as a developer walks it, in scenarios named when they fail: the
# start without the loader beside it, step 1's checks and the folder dialog, the file list's
# ticks and menu, the run file, a program group built with the tree's menu and in-place
# editing, the component lists with the file dialog, the final step's defaults and the help
# and samples windows; the keyboard's access keys, Delete in the tree and Enter/Escape in the
# modal windows; then Finish: the Working panel, frmSuccess with its text and its Print
# button, the package, whose Setup.exe installs the program under Wine (silently, so without
# starting it); a second run on the same project asks before it replaces the release files,
# and No changes nothing.
#
# One wizard process walks from the Introduction to Finish, as a developer does: its
# scenarios follow each other in that one run (each starts where the one before left the
# window), and the driver marks where each begins, so that each is checked on its own lines.
# The start without the loader and the second build are runs of their own.
. "$(dirname "$0")/e2e-lib.sh"
need_programs cabextract
. "$(dirname "$0")/wizard-lib.sh"

work=$WINEPREFIX/drive_c/wizard-walk-$$
# The package installs Acme Sketch: it goes again at the end, also when the test stops
# early, and an earlier run's leftover goes first.
product=$(wine_unix_path 'C:\Program Files (x86)\Acme Sketch')
trap 'rm -rf "$scratch" "$work"; remove_product "Acme Sketch" "$product"' EXIT
remove_product 'Acme Sketch' "$product"
make_wizard_directory "$work/wizard"
make_program_directory "$work/Acme Paint"
# A Windows library that is not registered (one of Wine's own).
cp /usr/lib/i386-linux-gnu/wine/i386-windows/version.dll "$work/helper.dll"
program='C:\wizard-walk-'$$'\Acme Paint'
started_win='C:\wizard-walk-'$$'\started.txt'
release="$work/Acme Paint/VexaWizardNetloomProject/Release"
activex="$work/Acme Paint/VexaWizardNetloomProject/ReleaseActiveX"
title='Corvanta Netloom Wizard'

# --- The walk: each scenario adds the driver's steps and the lines it expects them to print.

walk_scenarios=()
walk_steps=()
walk_expected=()
scenario() {  # scenario TITLE: the steps and readings added after it belong to TITLE
  walk_scenarios+=("$1")
  walk_steps+=("mark:$1")
  walk_expected+=("mark=$1")
}
steps() { walk_steps+=("$@"); }
reads() { walk_expected+=("$@"); }

introduction() {
  scenario "the Introduction panel"
  steps "window:$title - Introduction" sleep:500 \
    text:"$(id lblVersion)" enabled:"$(id cmdBack)" enabled:"$(id cmdFinish)"
  reads "$(id lblVersion)=Version: 1.0.0" "$(id cmdBack) disabled" "$(id cmdFinish) disabled"
}

step1_checks_and_folder_dialog() {
  scenario "step 1: the folder dialog, the help box and the checks of the name and the web site"
  steps key:alt+n caption enabled:"$(id cmdNext)" enabled:"$(id txtProgramFriendlyName)" \
    click:"$(id cmdSelectDirectory)" "browse:$program" sleep:500 \
    text:"$(id txtDirectoryName)" text:"$(id txtProgramFriendlyName)" text:"$(id txtPublicationURL)" \
    enabled:"$(id txtProgramFriendlyName)" enabled:"$(id cmdNext)" \
    click:"$(id cmdHelpCompanyName)" box answer:1 \
    "set:$(id txtProgramFriendlyName)=Acme: Paint" click:"$(id cmdNext)" box answer:1 focus caption \
    "set:$(id txtProgramFriendlyName)=Acme Sketch" "set:$(id txtWebSiteURL)=  " click:"$(id cmdNext)" box answer:1 focus \
    "set:$(id txtWebSiteURL)=http://www.acme.example" key:alt+n caption key:alt+b text:"$(id txtWebSiteURL)"
  reads "caption=$title - Step  1" \
    "$(id cmdNext) disabled" \
    "$(id txtProgramFriendlyName) disabled" \
    "$(id txtDirectoryName)=$program\\" \
    "$(id txtProgramFriendlyName)=MyCompany Acme Paint" \
    "$(id txtPublicationURL)=http://www.mycompany.example/Acme Paint/" \
    "$(id txtProgramFriendlyName) enabled" \
    "$(id cmdNext) enabled" \
    "box=Type the name of your company. You may leave this field blank." \
    'box=The Program Friendly Name cannot contain any of the following characters: ||\ / : * ? " < > |' \
    "focus=$(id txtProgramFriendlyName)" \
    "caption=$title - Step  1" \
    "box=Before advancing to the next step, you must type the base URL address of your web site. If you are only experimenting locally, you can type: http://www.mycompany.example/" \
    "focus=$(id txtWebSiteURL)" \
    "caption=$title - Step  2" \
    "$(id txtWebSiteURL)=http://www.acme.example/"
}

step2_file_list() {
  scenario "step 2: the file list's ticks, the selected-items filter and the list's menu"
  steps key:alt+n lines:"$(id List1)" \
    tick:"$(id List1)=0" tick:"$(id List1)=1" tick:"$(id List1)=2" tick:"$(id List1)=3" \
    enabled:"$(id cmdNext)" visible:"$(id lblStep2Note)" tick:"$(id List1)=3" enabled:"$(id cmdNext)" \
    visible:"$(id lblStep2Note)" click:"$(id chkShowSelectedItemsOnly)" sleep:300 visible:"$(id List1)" \
    lines:"$(id List2)" text:"$(id txtSelectedItem)" click:"$(id chkShowSelectedItemsOnly)" sleep:300 \
    rclick:"$(id List1)=1" menu:0 sleep:300 click:"$(id chkShowSelectedItemsOnly)" sleep:300 lines:"$(id List2)" \
    click:"$(id chkShowSelectedItemsOnly)" sleep:300
  reads "$(id List1)=count=4" \
    "$(id cmdNext) disabled" \
    "$(id lblStep2Note) visible" \
    "$(id cmdNext) enabled" \
    "$(id lblStep2Note) hidden" \
    "$(id List1) hidden" \
    "$(id List2)=count=1" \
    "$(id txtSelectedItem)=docs\\help.txt" \
    "$(id List2)=count=4"
}

step3_run_file() {
  scenario "step 3: the run file and its parameters"
  steps key:alt+n caption lines:"$(id List3)" pick:"$(id List3)=0" enabled:"$(id txtExeParas)" \
    pick:"$(id List3)=1" text:"$(id txtExeFilename)" enabled:"$(id txtExeParas)" \
    "set:$(id txtExeParas)=\"/record\", \"$started_win\""
  reads "caption=$title - Step  3" \
    "$(id List3)=<none>|paint.exe|readme.txt|data\\palette.txt|docs\\help.txt" \
    "$(id txtExeParas) disabled" \
    "$(id txtExeFilename)=paint.exe" \
    "$(id txtExeParas) enabled"
}

step4_program_group() {
  scenario "step 4: the program group built with the tree's menu, in-place editing and Delete"
  steps key:alt+n tree:"$(id TreeView1)" \
    "treerclick:$(id TreeView1)=Acme Sketch" menu:0 sleep:300 tree:"$(id TreeView1)" \
    "treerclick:$(id TreeView1)=Untitled" menu:3 "treeedit:$(id TreeView1)=Bad:Name" box answer:1 sleep:300 \
    tree:"$(id TreeView1)" \
    "treerclick:$(id TreeView1)=Untitled" menu:3 "treeedit:$(id TreeView1)=  Tools  " sleep:300 \
    "treerclick:$(id TreeView1)=Tools" menu:0 sleep:300 \
    "treerclick:$(id TreeView1)=Untitled" menu:1 "dialog:Link To" "boxpick:2000=paint.exe" boxpress:1 sleep:300 \
    "treerclick:$(id TreeView1)=Untitled" menu:3 "treeedit:$(id TreeView1)=Paint" sleep:300 \
    "treerclick:$(id TreeView1)=Acme Sketch" menu:0 sleep:300 \
    "treepick:$(id TreeView1)=Untitled" key:delete sleep:300 \
    "treepick:$(id TreeView1)=Acme Sketch" key:delete sleep:300 tree:"$(id TreeView1)"
  reads "$(id TreeView1)=Acme Sketch" \
    "$(id TreeView1)=Acme Sketch|-Untitled" \
    'box=A Program Group item cannot contain any of the following characters:||\ / : * ? " < > |' \
    "$(id TreeView1)=Acme Sketch|-Untitled" \
    "$(id TreeView1)=Acme Sketch|-Tools|--Paint"
}

step5_component_lists() {
  scenario "step 5: the component lists with the file dialog and the help window"
  steps key:alt+n lines:"$(id lstOCX)" enabled:"$(id cmdRemoveOCX)" \
    click:"$(id cmdAddDLL)" dialog:Open 'boxfile:C:\wizard-walk-'$$'\helper.dll' sleep:300 lines:"$(id lstDLL)" \
    enabled:"$(id cmdRemoveDLL)" \
    click:"$(id cmdAddOCX)" dialog:Open 'boxfile:C:\wizard-walk-'$$'\helper.dll' box answer:1 \
    click:"$(id cmdHelpOcxList)" "dialog:Help for Step 5" boxkey:escape \
    click:"$(id cmdRemoveDLL)" sleep:200 lines:"$(id lstDLL)" enabled:"$(id cmdRemoveDLL)"
  reads "$(id lstOCX)=$(wine_windows_path "$work/wizard" | tr a-z A-Z)\\VEXALOAD.OCX" \
    "$(id cmdRemoveOCX) disabled" \
    "$(id lstDLL)=c:\\wizard-walk-$$\\helper.dll" \
    "$(id cmdRemoveDLL) enabled" \
    "box=The file you selected is already in the DLL list." \
    "$(id lstDLL)=" \
    "$(id cmdRemoveDLL) disabled"
}

final_step() {
  scenario "the final step: its defaults, its ticks and the help and samples windows"
  steps key:alt+n caption text:"$(id txtHtmlFilenameNoPath)" text:"$(id txtHtmlTitle)" \
    text:"$(id txtStandAloneExeFilenameNoPath)" checked:"$(id chkCreateMultiProgramCabs)" \
    click:"$(id chkCreateMultiProgramCabs)" checked:"$(id chkCreateMultiProgramCabs)" enabled:"$(id cmdNext)" \
    checked:"$(id chkSignEveryProgram)" click:"$(id chkSignEveryProgram)" checked:"$(id chkSignEveryProgram)" \
    enabled:"$(id cmdFinish)" "set:$(id txtHtmlFilenameNoPath)= " enabled:"$(id cmdFinish)" \
    "set:$(id txtHtmlFilenameNoPath)=AcmePaint.htm" enabled:"$(id cmdFinish)" \
    click:"$(id cmdHelpMinimizeDownloadTime)" "dialog:Minimize Download Time" boxkey:enter \
    click:"$(id cmdSignCodeHelp)" "dialog:Sign Code Help" boxtext:"$(id txtHelp)" boxkey:escape \
    click:"$(id cmdSamples)" dialog:Samples boxtext:"$(id lblSamples)" boxpress:2 sleep:500
  reads "caption=$title - Final Step" \
    "$(id txtHtmlFilenameNoPath)=AcmePaint.htm" \
    "$(id txtHtmlTitle)=Acme Sketch Web Setup Page" \
    "$(id txtStandAloneExeFilenameNoPath)=AcmePaintWebSetup.exe" \
    "$(id chkCreateMultiProgramCabs) checked" \
    "$(id chkCreateMultiProgramCabs) unchecked" \
    "$(id cmdNext) disabled" \
    "$(id chkSignEveryProgram) unchecked" \
    "$(id chkSignEveryProgram) checked" \
    "$(id cmdFinish) enabled" \
    "$(id cmdFinish) disabled" \
    "$(id cmdFinish) enabled" \
    "$(id txtHelp)=Type the command or commands, one per line, that sign your Web Setup files with your code-signing certificate. They run when the Wizard has created the files.||||%1 stands for the name of the program being signed and %2 for the program title.||||Example:||C:\Tools\SignCode.EXE -prog %1 -spc C:\Keys\MyCert.spc -v C:\Keys\MyKey.pvk -name %2 -info http://www.mycompany.example/ -timestamp http://timestamp.mycompany.example/" \
    "$(id lblSamples)=See the samples of Web Setup programs in action at||http://www.corvanta.example/netloom/samples.htm"
}

finish_with_a_failing_sign_command() {
  scenario "Finish with a failing sign command: the error, then back to step 6"
  steps "set:$(id txtSignCodeCommands)=cmd /c exit 3" key:alt+f box answer:1 sleep:300 caption
  reads "box=Error. The sign code command failed: cmd /c exit 3 (exit status 3)." \
    "caption=$title - Step  6"
}

# frmSuccess's text as the driver prints it (CR and LF each as "|").
success_text() {
  local project="$program\\VexaWizardNetloomProject\\"
  printf '%s\r\n' "Successfully created the Web Setup program: " "AcmePaintWebSetup.exe" "" \
    "To test the Web Setup program locally: " "Double-click the file: " "${project}Release\\AcmePaintWebSetup.exe" "" \
    "To publish your Web Setup program: " "" "(1) Copy all the files in the Release directory: " "${project}Release\\" \
    "into the following directory on your Web site: " "http://www.mycompany.example/Acme Paint/" "" \
    "(2) Copy all the files in the Release directory: " "${project}ReleaseActiveX\\" \
    "into the following directory of your Web site: " | tr '\r\n' '||'
  printf '%s' "http://www.mycompany.example/ActiveX/"
}

finish_and_the_success_window() {
  local working_panel=$(($(id fraStep0) + 7))
  scenario "Finish: the Working panel, then frmSuccess with its text and its Print button"
  steps "set:$(id txtSignCodeCommands)=cmd /c exit 0" \
    key:alt+f dialog:Success caption visible:"$(id fraStep0)" visible:"$working_panel" enabled:"$(id cmdExit)" \
    boxtext:"$(id txtSuccess)" boxpress:"$(id cmdPrint)" dialog:Print boxtext:65535 boxpress:1 sleep:300 \
    dialog:Success boxkey:enter exit
  reads "caption=$title - Creating the Web Setup Program" \
    "$(id fraStep0) hidden" \
    "$working_panel visible" \
    "$(id cmdExit) disabled" \
    "$(id txtSuccess)=$(success_text)" \
    "65535=There is no default printer. Install a printer, make it the default printer and print again." \
    "exit=0"
}

# walk_lines TITLE: the lines of scenario TITLE in the marked lines read from standard input.
walk_lines() { awk -v mark="mark=$1" '$0 == mark { inside = 1; next } /^mark=/ { inside = 0 } inside'; }

# Runs the walk once and checks each scenario on its own lines; a scenario the walk never
# reached fails with the driver's last line.
walk_the_wizard() {
  local title
  printf '%s\n' "${walk_expected[@]}" >"$scratch/walk-expected.txt"
  drive_wizard "$work/wizard" "${walk_steps[@]}" >"$scratch/walk.txt"
  for title in "${walk_scenarios[@]}"; do
    if ! grep -qxF "mark=$title" "$scratch/walk.txt"; then
      expect_eq "$title" "reached" "not reached; the walk ended with: $(tail -n1 "$scratch/walk.txt")"
      continue
    fi
    walk_lines "$title" <"$scratch/walk-expected.txt" >"$scratch/expected-part.txt"
    walk_lines "$title" <"$scratch/walk.txt" >"$scratch/actual-part.txt"
    diff "$scratch/expected-part.txt" "$scratch/actual-part.txt" >&2
    expect_true "$title" cmp -s "$scratch/expected-part.txt" "$scratch/actual-part.txt"
  done
}

# --- Runs of their own.

start_without_the_loader() {
  # Without the loader control beside it the wizard says so and ends.
  mkdir -p "$work/bare"
  cp "$wizard" "$work/bare/"
  expect_eq "start without VexaLoad.ocx" \
    "box=Error. VexaLoad.ocx  must reside in the $(wine_windows_path "$work/bare")\\ directory.|exit=1" \
    "$(drive "$work/bare/VexaWizard.exe" box answer:1 exit)"
}

the_package_and_its_installation() {
  expect_eq "the package" \
    "AcmePaint.htm AcmePaintScript.Cab AcmePaintWebSetup.exe Prog1.cab | VexaLoad.cab VexaLoad.ocx" \
    "$(cd "$release" && ls | LC_ALL=C sort | paste -sd ' ') | $(cd "$activex" && ls | LC_ALL=C sort | paste -sd ' ')"
  expect_eq "\"Sign every program\" is saved as ticked" " 1" "$(cat "$release/../ProjectFiles/SignEveryProgram.txt")"
  mkdir -p "$scratch/prog1"
  cabextract -q -d "$scratch/prog1" "$release/Prog1.cab"
  expect_eq "Setup.exe of the package installs silently" 0 \
    "$(wine_run_timed 120 "$scratch/prog1/Setup.exe" /S "/LOG=$(wine_windows_path "$scratch/setup.log")")"
  expect_eq "silently the run file is not started; the log names it with its parameters" \
    "no|Not started (silent): \"C:\\Program Files (x86)\\Acme Sketch\\paint.exe\" /record $started_win" \
    "$([ -e "$work/started.txt" ] && echo yes || echo no)|$(tr -d '\r' <"$scratch/setup.log" | grep '^Not started')"
  local group
  expect_eq "the installed files" "data/palette.txt docs/help.txt paint.exe readme.txt" \
    "$(cd "$product" 2>/dev/null && find . -type f -printf '%P\n' | tr 'A-Z' 'a-z' | grep -v '^uninstall' | LC_ALL=C sort | paste -sd ' ')"
  group=$(find "$WINEPREFIX/drive_c" -ipath '*Start Menu/Programs/Acme Sketch' -type d 2>/dev/null | head -n1)
  expect_eq "the program group built in the tree" "tools/paint.lnk" \
    "$([ -n "$group" ] && cd "$group" && find . -type f -printf '%P\n' | tr 'A-Z' 'a-z' | LC_ALL=C sort | paste -sd ' ')"
}

a_second_build_asks_first() {
  # The same project again: every step comes back, and Finish asks before it replaces the
  # release files; No leaves them and the window as they were.
  local before
  before=$(cd "$release" && ls -l --time-style=+%s | md5sum)
  expect_eq "a second build asks first" \
    "box=Continuing will delete all the current files in the Release directories: ||||$program\\VexaWizardNetloomProject\\Release\\||$program\\VexaWizardNetloomProject\\ReleaseActiveX\\||||The Release directories will be updated with new updated files. Do you wish to continue?|caption=$title - Final Step|$(id cmdFinish) enabled|$(id txtHtmlTitle)=Acme Sketch Web Setup Page|exit=0" \
    "$(drive_wizard "$work/wizard" "window:$title - Introduction" sleep:500 key:alt+n click:"$(id cmdSelectDirectory)" "browse:$program" \
      sleep:500 key:alt+n key:alt+n key:alt+n key:alt+n key:alt+n key:alt+f box answer:7 sleep:300 caption \
      enabled:"$(id cmdFinish)" text:"$(id txtHtmlTitle)" click:"$(id cmdExit)" exit | paste -sd '|')"
  expect_eq "No leaves the release files" "$before" "$(cd "$release" && ls -l --time-style=+%s | md5sum)"
}

start_without_the_loader
introduction
step1_checks_and_folder_dialog
step2_file_list
step3_run_file
step4_program_group
step5_component_lists
final_step
finish_with_a_failing_sign_command
finish_and_the_success_window
walk_the_wizard
the_package_and_its_installation
a_second_build_asks_first
remove_product 'Acme Sketch' "$product"
expect_eq "the tests after this one find no Acme Sketch" "" "$(product_remains 'Acme Sketch' "$product" | paste -sd ' ')"

finish
