#!/usr/bin/env bash
# Installing a product a second time through the dialog: the Install button asks about the
# earlier installation; No leaves it alone and Install usable, Yes removes it first.
. "$(dirname "$0")/e2e-lib.sh"

make_setup_with() {  # make_setup_with NAME FILE : a package whose cabinet holds FILE
  rm -rf "$scratch/prog" "$scratch/pkg" && mkdir -p "$scratch/prog" "$scratch/pkg"
  printf '%s\r\n' "$2" >"$scratch/prog/$2"
  make_cab "$scratch/pkg/Program.Cab" "$scratch/prog"
  cp "$VEXA_BINARY_DIR/tests/harness/harness_probe.exe" "$scratch/pkg/Uninstall.EXE"
  printf '%s\r\n' 'SetProductName "Acme Again"' 'SetProductDirectory "<ProgramFilesDir>\Acme Again"' \
    'InstallProgram "Program.Cab"' 'SetDoneMessage "Installation completed successfully."' >"$scratch/pkg/Script.TXT"
  make_cab "$scratch/attachment.cab" "$scratch/pkg" Script.TXT Program.Cab Uninstall.EXE
  make_setup "$scratch/$1.exe" "$engine" "$scratch/attachment.cab"
}
product=$(wine_unix_path 'C:\Program Files (x86)')/Acme\ Again
# The product goes again at the end, also when the test stops early, and an earlier run's
# leftover goes first: the tests after this one, and this one again, find no earlier installation.
trap 'remove_product "Acme Again" "$product"; rm -rf "$scratch"' EXIT
remove_product 'Acme Again' "$product"
question='box=A previous installation of this program was found in directory: ||C:\Program Files (x86)\Acme Again\||Continuing will remove the previous installation of this program. Would you like to continue?'

make_setup_with first First.txt
expect_eq "first installation" "box=Installation completed successfully.|exit=0" \
  "$(drive "$scratch/first.exe" window:VexaInstall click:1001 box answer:1 exit)"

make_setup_with second Second.txt
expect_eq "No: asked, Install usable again, the first state stays" \
  "$question|1001 enabled|201 visible|1000 hidden|exit=0" \
  "$(drive "$scratch/second.exe" window:VexaInstall click:1001 box answer:7 enabled:1001 visible:201 visible:1000 \
      click:1002 exit)"
expect_eq "No: the earlier installation is untouched" "First.txt Uninstall/Uninstall.EXE" \
  "$(cd "$product" && find . -type f | sed 's|^\./||' | LC_ALL=C sort | paste -sd ' ')"

expect_eq "Yes: asked, then installed" "$question|box=Installation completed successfully.|exit=0" \
  "$(drive "$scratch/second.exe" window:VexaInstall click:1001 box answer:6 box answer:1 exit)"
expect_eq "Yes: the earlier installation was replaced" "Second.txt Uninstall/Uninstall.EXE" \
  "$(cd "$product" && find . -type f | sed 's|^\./||' | LC_ALL=C sort | paste -sd ' ')"

remove_product 'Acme Again' "$product"
expect_eq "the tests after this one find no Acme Again" "" "$(product_remains 'Acme Again' "$product" | paste -sd ' ')"

finish
