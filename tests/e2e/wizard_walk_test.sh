#!/usr/bin/env bash
# The wizard window walked as a developer walks it: the start without the loader beside
# it, step 1's checks and the folder dialog, the file list's ticks and menu, the run file,
# a program group built with the tree's menu and in-place editing, the component lists
# with the file dialog, the final step's defaults and the help and samples windows; the
# keyboard's access keys, Delete in the tree and Enter/Escape in the modal windows.
. "$(dirname "$0")/e2e-lib.sh"
. "$(dirname "$0")/wizard-lib.sh"

work=$WINEPREFIX/drive_c/wizard-walk-$$
trap 'rm -rf "$scratch" "$work"' EXIT
make_wizard_directory "$work/wizard"
make_program_directory "$work/Acme Paint"
printf 'helper' >"$work/helper.dll"
program='C:\wizard-walk-'$$'\Acme Paint'

# Without the loader control beside it the wizard says so and ends.
mkdir -p "$work/bare"
cp "$wizard" "$work/bare/"
expect_eq "start without VexaLoad.ocx" \
  "box=Error. VexaLoad.ocx  must reside in the $(wine_windows_path "$work/bare")\\ directory.|exit=1" \
  "$(drive "$work/bare/VexaWizard.exe" box answer:1 exit)"

title='Corvanta Netloom Wizard'
mapfile -t out < <(drive_wizard "$work/wizard" "window:$title - Introduction" \
  text:"$(id lblVersion)" enabled:"$(id cmdBack)" enabled:"$(id cmdFinish)" \
  key:alt+n caption enabled:"$(id cmdNext)" enabled:"$(id txtProgramFriendlyName)" \
  click:"$(id cmdSelectDirectory)" "browse:$program" sleep:500 \
  text:"$(id txtDirectoryName)" text:"$(id txtProgramFriendlyName)" text:"$(id txtPublicationURL)" \
  enabled:"$(id txtProgramFriendlyName)" enabled:"$(id cmdNext)" \
  click:"$(id cmdHelpCompanyName)" box answer:1 \
  "set:$(id txtProgramFriendlyName)=Acme: Paint" click:"$(id cmdNext)" box answer:1 focus caption \
  "set:$(id txtProgramFriendlyName)=Acme Paint" "set:$(id txtWebSiteURL)=  " click:"$(id cmdNext)" box answer:1 focus \
  "set:$(id txtWebSiteURL)=http://www.acme.example" key:alt+n caption key:alt+b text:"$(id txtWebSiteURL)" \
  key:alt+n lines:"$(id List1)" \
  tick:"$(id List1)=0" tick:"$(id List1)=1" tick:"$(id List1)=2" tick:"$(id List1)=3" \
  enabled:"$(id cmdNext)" visible:"$(id lblStep2Note)" tick:"$(id List1)=3" enabled:"$(id cmdNext)" \
  visible:"$(id lblStep2Note)" click:"$(id chkShowSelectedItemsOnly)" sleep:300 visible:"$(id List1)" \
  lines:"$(id List2)" text:"$(id txtSelectedItem)" click:"$(id chkShowSelectedItemsOnly)" sleep:300 \
  rclick:"$(id List1)=1" menu:0 sleep:300 click:"$(id chkShowSelectedItemsOnly)" sleep:300 lines:"$(id List2)" \
  click:"$(id chkShowSelectedItemsOnly)" sleep:300 \
  key:alt+n caption lines:"$(id List3)" pick:"$(id List3)=0" enabled:"$(id txtExeParas)" \
  pick:"$(id List3)=1" text:"$(id txtExeFilename)" enabled:"$(id txtExeParas)" \
  key:alt+n tree:"$(id TreeView1)" \
  "treerclick:$(id TreeView1)=Acme Paint" menu:0 sleep:300 tree:"$(id TreeView1)" \
  "treerclick:$(id TreeView1)=Untitled" menu:3 "treeedit:$(id TreeView1)=Bad:Name" box answer:1 sleep:300 \
  tree:"$(id TreeView1)" \
  "treerclick:$(id TreeView1)=Untitled" menu:3 "treeedit:$(id TreeView1)=  Tools  " sleep:300 \
  "treerclick:$(id TreeView1)=Tools" menu:0 sleep:300 \
  "treerclick:$(id TreeView1)=Untitled" menu:1 "dialog:Link To" "boxpick:2000=paint.exe" boxpress:1 sleep:300 \
  "treerclick:$(id TreeView1)=Untitled" menu:3 "treeedit:$(id TreeView1)=Paint" sleep:300 \
  "treerclick:$(id TreeView1)=Acme Paint" menu:0 sleep:300 \
  "treepick:$(id TreeView1)=Untitled" key:delete sleep:300 \
  "treepick:$(id TreeView1)=Acme Paint" key:delete sleep:300 tree:"$(id TreeView1)" \
  key:alt+n lines:"$(id lstOCX)" enabled:"$(id cmdRemoveOCX)" \
  click:"$(id cmdAddDLL)" dialog:Open 'boxfile:C:\wizard-walk-'$$'\helper.dll' sleep:300 lines:"$(id lstDLL)" \
  enabled:"$(id cmdRemoveDLL)" \
  click:"$(id cmdAddOCX)" dialog:Open 'boxfile:C:\wizard-walk-'$$'\helper.dll' box answer:1 \
  click:"$(id cmdHelpOcxList)" "dialog:Help for Step 5" boxkey:escape \
  key:alt+n caption text:"$(id txtHtmlFilenameNoPath)" text:"$(id txtHtmlTitle)" \
  text:"$(id txtStandAloneExeFilenameNoPath)" checked:"$(id chkCreateMultiProgramCabs)" enabled:"$(id cmdNext)" \
  enabled:"$(id cmdFinish)" "set:$(id txtHtmlFilenameNoPath)= " enabled:"$(id cmdFinish)" \
  "set:$(id txtHtmlFilenameNoPath)=AcmePaint.htm" enabled:"$(id cmdFinish)" \
  click:"$(id cmdHelpMinimizeDownloadTime)" "dialog:Minimize Download Time" boxkey:enter \
  click:"$(id cmdSignCodeHelp)" "dialog:Sign Code Help" boxtext:"$(id txtHelp)" boxkey:escape \
  click:"$(id cmdSamples)" dialog:Samples boxtext:"$(id lblSamples)" boxpress:2 \
  click:"$(id cmdExit)" exit)
printf '%s\n' "${out[@]}" >"$scratch/walk.txt"
expected=(
  "$(id lblVersion)=Version: 1.0.0"
  "$(id cmdBack) disabled"
  "$(id cmdFinish) disabled"
  "caption=$title - Step  1"
  "$(id cmdNext) disabled"
  "$(id txtProgramFriendlyName) disabled"
  "$(id txtDirectoryName)=$program\\"
  "$(id txtProgramFriendlyName)=MyCompany Acme Paint"
  "$(id txtPublicationURL)=http://www.mycompany.example/Acme Paint/"
  "$(id txtProgramFriendlyName) enabled"
  "$(id cmdNext) enabled"
  "box=Type the name of your company. You may leave this field blank."
  'box=The Program Friendly Name cannot contain any of the following characters: ||\ / : * ? " < > |'
  "focus=$(id txtProgramFriendlyName)"
  "caption=$title - Step  1"
  "box=Before advancing to the next step, you must type the base URL address of your web site. If you are only experimenting locally, you can type: http://www.mycompany.example/"
  "focus=$(id txtWebSiteURL)"
  "caption=$title - Step  2"
  "$(id txtWebSiteURL)=http://www.acme.example/"
  "$(id List1)=count=4"
  "$(id cmdNext) disabled"
  "$(id lblStep2Note) visible"
  "$(id cmdNext) enabled"
  "$(id lblStep2Note) hidden"
  "$(id List1) hidden"
  "$(id List2)=count=1"
  "$(id txtSelectedItem)=docs\\help.txt"
  "$(id List2)=count=4"
  "caption=$title - Step  3"
  "$(id List3)=<none>|paint.exe|readme.txt|data\\palette.txt|docs\\help.txt"
  "$(id txtExeParas) disabled"
  "$(id txtExeFilename)=paint.exe"
  "$(id txtExeParas) enabled"
  "$(id TreeView1)=Acme Paint"
  "$(id TreeView1)=Acme Paint|-Untitled"
  'box=A Program Group item cannot contain any of the following characters:||\ / : * ? " < > |'
  "$(id TreeView1)=Acme Paint|-Untitled"
  "$(id TreeView1)=Acme Paint|-Tools|--Paint"
  "$(id lstOCX)=$(wine_windows_path "$work/wizard" | tr a-z A-Z)\\VEXALOAD.OCX"
  "$(id cmdRemoveOCX) disabled"
  "$(id lstDLL)=c:\\wizard-walk-$$\\helper.dll"
  "$(id cmdRemoveDLL) enabled"
  "box=The file you selected is already in the DLL list."
  "caption=$title - Final Step"
  "$(id txtHtmlFilenameNoPath)=AcmePaint.htm"
  "$(id txtHtmlTitle)=Acme Paint Web Setup Page"
  "$(id txtStandAloneExeFilenameNoPath)=AcmePaintWebSetup.exe"
  "$(id chkCreateMultiProgramCabs) checked"
  "$(id cmdNext) disabled"
  "$(id cmdFinish) enabled"
  "$(id cmdFinish) disabled"
  "$(id cmdFinish) enabled"
  "$(id txtHelp)=Type the command or commands, one per line, that sign your Web Setup files with your code-signing certificate. They run when the Wizard has created the files.||||%1 stands for the name of the program being signed and %2 for the program title.||||Example:||C:\Tools\SignCode.EXE -prog %1 -spc C:\Keys\MyCert.spc -v C:\Keys\MyKey.pvk -name %2 -info http://www.mycompany.example/ -timestamp http://timestamp.mycompany.example/"
  "$(id lblSamples)=See the samples of Web Setup programs in action at http://www.corvanta.example/netloom/samples.htm"
  "exit=0"
)
printf '%s\n' "${expected[@]}" >"$scratch/expected.txt"
diff "$scratch/expected.txt" "$scratch/walk.txt" >&2
expect_true "the walk reads as expected" cmp -s "$scratch/expected.txt" "$scratch/walk.txt"

finish
