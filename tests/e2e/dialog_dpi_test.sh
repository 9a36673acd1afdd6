#!/usr/bin/env bash
# The install dialog at 150% (144 DPI): it grows with the system font, so its text stays
# readable; the screenshot is kept under build/artifacts/. Changing the DPI needs a new
# Wine session start, so ctest runs this test alone and it puts 96 DPI back at the end.
. "$(dirname "$0")/e2e-lib.sh"
need_programs bc

artifacts=$VEXA_SOURCE_DIR/build/artifacts
mkdir -p "$artifacts"
trap 'set_dpi 96; rm -rf "$scratch"' EXIT

make_sample_setup "$scratch/package" 'Execute "<ProductDirectory>\Paint.exe", "/record", "C:\dpi.txt"'
size_at() {  # size_at DPI: the dialog's size in pixels at that DPI, with a screenshot
  set_dpi "$1"
  drive "$scratch/package/Setup.exe" window:VexaInstall size "shot:$(wine_windows_path "$scratch/dialog-$1.bmp")" \
    click:1002 exit | tr '|' '\n' | sed -n 's/^size=//p'
}
normal=$(size_at 96)
large=$(size_at 144)
convert "bmp:$scratch/dialog-144.bmp" "$artifacts/install-dialog-150-percent.png" 2>/dev/null
width_ratio=$(echo "scale=2; ${large%x*} / ${normal%x*}" | bc)
height_ratio=$(echo "scale=2; ${large#*x} / ${normal#*x}" | bc)
expect_true "the dialog grows about 1.5 times ($normal -> $large)" \
  bash -c "[ \$(echo '$width_ratio >= 1.35 && $width_ratio <= 1.65 && $height_ratio >= 1.35 && $height_ratio <= 1.65' | bc) = 1 ]"
expect_true "screenshot at 150% kept" test -s "$artifacts/install-dialog-150-percent.png"

finish
