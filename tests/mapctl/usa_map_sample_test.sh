#!/usr/bin/env bash
# The sample host program with the registered control, driven as a user drives it: the
# mouse over Texas names it, a click that starts on Ohio and ends on Indiana makes Indiana
# the last clicked state. Without the control registered the window says so. The
# screenshot is kept under build/artifacts/.
. "$VEXA_SOURCE_DIR/tests/e2e/e2e-lib.sh"

artifacts=$VEXA_SOURCE_DIR/build/artifacts
mkdir -p "$artifacts"
sample=$VEXA_BINARY_DIR/samples/UsaMap.exe
control=$(wine_windows_path "$VEXA_BINARY_DIR/mapctl/VEXAUSA.OCX")
regsvr32='C:\windows\syswow64\regsvr32.exe'
cleanup() {
  wine "$regsvr32" /s /u "$control" >/dev/null 2>&1
  rm -rf "$scratch"
}
trap cleanup EXIT

expect_eq "registered by the 32-bit regsvr32" 0 "$(wine_run_timed 60 "$(wine_unix_path "$regsvr32")" /s "$control")"
# Points of the map: Texas (240, 253), Ohio (376, 131), Indiana (348, 132).
shot=$scratch/sample.bmp
# Where the pointer rests when the window opens is the display's business: only the last
# clicked state is (none) before any click.
out=$(drive "$sample" "window:USA Map Sample" text:1002 mouse:1000=move@240,253 text:1001 \
  mouse:1000=ldown@376,131 mouse:1000=lup@348,132 text:1002 mouse:1000=move@240,253 \
  "shot:$(wine_windows_path "$shot")" mouse:1000=move@2,2 text:1001 close exit)
expect_eq "the names of the state under the mouse and of the last clicked state" \
  "1002=(none)|1001=Texas|1002=Indiana|1001=(none)|exit=0" "$out"
# The window alone: the display around it is black.
convert "bmp:$shot" -trim +repage "$artifacts/usa-map-sample.png" 2>/dev/null
expect_true "screenshot of the sample kept" test -s "$artifacts/usa-map-sample.png"

wine "$regsvr32" /s /u "$control" >/dev/null 2>&1
out=$(drive "$sample" "window:USA Map Sample" text:1001 close exit)
expect_eq "without the control the window says so" "1001=The USA map control is not registered.|exit=0" "$out"
finish
