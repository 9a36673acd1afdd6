#!/usr/bin/env bash
# The demo's road as a test: the same seven stages as make demo (scripts/demo-road.sh),
# each stage's results asserted. Needs vexabuild in dist/.
. "$VEXA_SOURCE_DIR/tests/e2e/e2e-lib.sh"
. "$VEXA_SOURCE_DIR/tests/supplied/web-setup-lib.sh"
. "$VEXA_SOURCE_DIR/scripts/demo-road.sh"

for f in "$road_vexabuild" "$road_dist/VexaStandAloneWebProg.exe" "$road_windows/samples/UsaCapitals.dll"; do
  [ -f "$f" ] || { echo "no $f: run make build" >&2; exit 1; }
done
road_stage() { printf -- '-- stage %s: %s\n' "$1" "$2"; }
road_quietly() { "$@" >/dev/null 2>&1; }
road_check() { expect_true "$1" road_quietly "${@:2}"; }
road_show() { :; }
trap 'road_cleanup; rm -rf "$scratch"' EXIT

road_work=$scratch/road
mkdir -p "$road_work"
road_prepare
road_build
# "Minimize Download Time" is on: the component cabinets the web setup program expands
# (and Program.cab inside Setup.exe) are LZX.
need_programs 7z
for cab in "$road_release_activex"/*.[cC]ab; do
  [ "$(basename "$cab")" = VexaLoad.cab ] && continue
  expect_eq "$(basename "$cab") is LZX" "LZX:21" "$(7z l -slt "$cab" 2>/dev/null | awk '$1 == "Method" { print $3; exit }')"
done
road_list
road_serve
road_install
road_result
road_second_run
road_uninstall
finish
