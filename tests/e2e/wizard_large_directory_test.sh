#!/usr/bin/env bash
# The wizard window over a program directory of 100,000 files: Cancel during the scan
# brings the earlier (empty) directory back with an empty list; a whole scan gives a
# check-box list of 100,000 lines whose last line, menu and selected-only view work; and
# Cancel during the cabinet build of a large program ends on the final step with empty
# Release directories.
. "$(dirname "$0")/e2e-lib.sh"
. "$(dirname "$0")/wizard-lib.sh"

work=$WINEPREFIX/drive_c/wizard-large-$$
trap 'rm -rf "$scratch" "$work"' EXIT
make_wizard_directory "$work/wizard"
mkdir -p "$work/Big"
(cd "$work/Big" && seq -f 'file%06g.txt' 1 100000 | xargs touch)
program='C:\wizard-large-'$$'\Big'

title='Corvanta Netloom Wizard'
# The click on Cancel waits in the queue until the scan lets the window process events.
expect_eq "Cancel during the scan" \
  "box=Files Selection canceled.|$(id txtDirectoryName)=|$(id List1)=count=0|$(id cmdNext) disabled|$(id cmdSelectDirectory) enabled|$(id cmdCancel) disabled|$(id txtCompanyName) disabled|exit=0" \
  "$(drive "$work/wizard/VexaWizard.exe" "window:$title - Introduction" sleep:500 click:"$(id cmdNext)" \
    click:"$(id cmdSelectDirectory)" "browse:$program" click:"$(id cmdCancel)" box answer:1 sleep:300 \
    text:"$(id txtDirectoryName)" lines:"$(id List1)" enabled:"$(id cmdNext)" enabled:"$(id cmdSelectDirectory)" \
    enabled:"$(id cmdCancel)" enabled:"$(id txtCompanyName)" click:"$(id cmdExit)" exit)"

expect_eq "a list of 100,000 files" \
  "$(id List1)=count=100000|$(id cmdNext) enabled|$(id cmdNext) enabled|$(id cmdNext) disabled|$(id lblStep2Note) visible|$(id cmdNext) enabled|$(id List2)=count=100000|exit=0" \
  "$(drive "$work/wizard/VexaWizard.exe" "window:$title - Introduction" sleep:500 click:"$(id cmdNext)" \
    click:"$(id cmdSelectDirectory)" "browse:$program" "waittext:$(id txtDirectoryName)=$program\\" \
    click:"$(id cmdNext)" sleep:300 lines:"$(id List1)" enabled:"$(id cmdNext)" \
    tick:"$(id List1)=99999" enabled:"$(id cmdNext)" \
    rclick:"$(id List1)=5" menu:1 "waittext:$(id lblStep2Note)=Before you can move to the next step, you must select at least one file." \
    sleep:2000 enabled:"$(id cmdNext)" visible:"$(id lblStep2Note)" \
    rclick:"$(id List1)=5" menu:0 sleep:2000 enabled:"$(id cmdNext)" \
    click:"$(id chkShowSelectedItemsOnly)" sleep:500 waitenabled:"$(id cmdBack)" lines:"$(id List2)" click:"$(id cmdExit)" exit)"

bulky=$work/Bulky
mkdir -p "$bulky"
cp "$VEXA_BINARY_DIR/samples/Paint.exe" "$bulky/"
head -c 300000000 /dev/urandom >"$bulky/bulky.bin"
project=$bulky/VexaWizardNetloomProject
expect_eq "Cancel during the cabinet build" \
  "box=Error. Cab creation cancelled by user.|caption=$title - Step  6|$(id cmdNext) disabled|$(id cmdFinish) enabled|$(id cmdExit) enabled|exit=0" \
  "$(drive "$work/wizard/VexaWizard.exe" "window:$title - Introduction" sleep:500 key:alt+n click:"$(id cmdSelectDirectory)" \
    'browse:C:\wizard-large-'$$'\Bulky' sleep:500 key:alt+n key:alt+n key:alt+n key:alt+n key:alt+n key:alt+f \
    "waitfor:$(id txtWorkProgress)=into Program.cab" click:"$(id cmdCancelWork)" box answer:1 sleep:300 caption \
    enabled:"$(id cmdNext)" enabled:"$(id cmdFinish)" enabled:"$(id cmdExit)" click:"$(id cmdExit)" exit)"
expect_eq "the Release directories are empty" "" "$(find "$project/Release" "$project/ReleaseActiveX" -type f 2>/dev/null)"

finish
