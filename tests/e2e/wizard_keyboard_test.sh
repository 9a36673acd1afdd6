#!/usr/bin/env bash
# The wizard from the keyboard: the focus starts on the button that goes on (Next on the
# Introduction and in step 1, Finish on the Final Step), and the program group of step 4 is
# built with keys alone: Insert makes a child, F2 renames, the menu key and Shift+F10 open
# the tree's menu at the selected node, Delete deletes.
. "$(dirname "$0")/e2e-lib.sh"
. "$(dirname "$0")/wizard-lib.sh"

work=$WINEPREFIX/drive_c/wizard-keys-$$
trap 'rm -rf "$scratch" "$work"' EXIT
make_wizard_directory "$work/wizard"
make_program_directory "$work/Acme Paint"
program='C:\wizard-keys-'$$'\Acme Paint'
title='Corvanta Netloom Wizard'
tree=$(id TreeView1)

mapfile -t out < <(drive_wizard "$work/wizard" "window:$title - Introduction" sleep:500 focus \
  key:enter sleep:300 caption focus click:"$(id cmdSelectDirectory)" "browse:$program" sleep:500 \
  key:alt+n lines:"$(id List1)" \
  enabled:"$(id cmdNext)" key:alt+n sleep:300 key:alt+n sleep:300 caption focus \
  key:insert sleep:300 key:down sleep:200 key:f2 "treeedit:$tree=Tools" \
  key:insert sleep:300 key:down sleep:200 key:apps menu:1 "dialog:Link To" "boxpick:2000=paint.exe" boxpress:1 \
  sleep:300 key:f2 "treeedit:$tree=Paint" \
  key:home sleep:200 key:shift+f10 menu:0 sleep:300 key:end sleep:200 key:delete sleep:300 tree:"$tree" \
  key:alt+n sleep:300 key:alt+n sleep:300 caption focus close exit)
printf '%s\n' "${out[@]}" >"$scratch/keys.txt"
expected=(
  "focus=$(id cmdNext)"
  "caption=$title - Step  1"
  "focus=$(id cmdSelectDirectory)"
  "$(id List1)=count=4"
  "$(id cmdNext) enabled"
  "caption=$title - Step  4"
  "focus=$tree"
  "$tree=MyCompany Acme Paint|-Tools|--Paint"
  "caption=$title - Final Step"
  "focus=$(id cmdFinish)"
  "exit=0"
)
expect_eq "the walk from the keyboard" "$(printf '%s\n' "${expected[@]}")" "$(printf '%s\n' "${out[@]}")"
finish
