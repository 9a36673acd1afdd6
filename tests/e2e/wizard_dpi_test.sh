#!/usr/bin/env bash
# The wizard window at 150% (144 DPI): it is per-monitor DPI aware and grows with the
# system font, so its panels stay readable; the screenshots are kept under build/artifacts/.
# (The test display is 1024 x 768, smaller than the window at 150%: the screenshots show
# what the screen holds.) Changing the DPI needs a new Wine session start, so ctest runs this test alone and it
# puts 96 DPI back at the end.
. "$(dirname "$0")/e2e-lib.sh"
need_programs bc
. "$(dirname "$0")/wizard-lib.sh"

artifacts=$VEXA_SOURCE_DIR/build/artifacts
mkdir -p "$artifacts"
trap 'set_dpi 96; rm -rf "$scratch"' EXIT
make_wizard_directory "$scratch/wizard"

title='Corvanta Netloom Wizard'
size_at() {  # size_at DPI: the window's size in pixels at that DPI, with screenshots
  set_dpi "$1"
  drive_wizard "$scratch/wizard" "window:$title - Introduction" sleep:500 size \
    "shot:$(wine_windows_path "$scratch/introduction-$1.bmp")" key:alt+n \
    "shot:$(wine_windows_path "$scratch/step1-$1.bmp")" click:"$(id cmdExit)" exit | sed -n 's/^size=//p'
}
normal=$(size_at 96)
large=$(size_at 144)
for shot in introduction step1; do
  convert "bmp:$scratch/$shot-144.bmp" -trim +repage "$artifacts/wizard-$shot-150-percent.png" 2>/dev/null
done
width_ratio=$(echo "scale=2; ${large%x*} / ${normal%x*}" | bc)
height_ratio=$(echo "scale=2; ${large#*x} / ${normal#*x}" | bc)
expect_true "the window grows about 1.5 times ($normal -> $large)" \
  bash -c "[ \$(echo '$width_ratio >= 1.35 && $width_ratio <= 1.65 && $height_ratio >= 1.35 && $height_ratio <= 1.65' | bc) = 1 ]"
expect_true "screenshots at 150% kept" test -s "$artifacts/wizard-step1-150-percent.png"

finish
