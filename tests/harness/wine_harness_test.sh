#!/usr/bin/env bash
# The Wine helpers that later tests lean on: exit codes beyond 8 bits, time limits,
# registry reads, path mapping and screenshots.
set -uo pipefail
. "$VEXA_SOURCE_DIR/scripts/test-lib.sh"
. "$VEXA_SOURCE_DIR/scripts/wine-lib.sh"
need_programs wine identify

probe=$VEXA_BINARY_DIR/tests/harness/harness_probe.exe
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

expect_eq "full 32-bit exit code" 3010 "$(wine_run_timed 30 "$probe" exit 3010)"
expect_eq "exit code zero" 0 "$(wine_run_timed 30 "$probe" exit 0)"

start=$(date +%s)
out=$(wine_run_timed 2 "$probe" sleep)
status=$?
elapsed=$(($(date +%s) - start))
expect_eq "program past its limit reported" "timeout/124" "$out/$status"
expect_true "program ended near its limit (${elapsed}s)" test "$elapsed" -lt 15

expect_eq "probe wrote registry value" 0 \
  "$(wine_run_timed 30 "$probe" reg 'Software\VexaHarness' Greeting 'hello, registry')"
expect_eq "registry value read back" "hello, registry" \
  "$(wine_reg_value 32 'HKCU\Software\VexaHarness' Greeting)"
if wine_reg_value 32 'HKCU\Software\VexaHarness' Missing >/dev/null; then missing=found; else missing=absent; fi
expect_eq "missing registry value fails" absent "$missing"

expect_eq "probe wrote file" 0 \
  "$(wine_run_timed 30 "$probe" file 'C:\VexaHarness Dir\Probe.TXT' 'probe text')"
linux_path=$(wine_unix_path 'C:\VexaHarness Dir\Probe.TXT')
expect_eq "mapped path holds the file" "probe text" "$(cat "$linux_path" 2>/dev/null)"
expect_eq "mapping ignores case" "$linux_path" "$(wine_unix_path 'c:\VEXAHARNESS DIR\probe.txt')"
expect_eq "Linux path maps back" 'Z:\tmp' "$(wine_windows_path /tmp)"

wine "$probe" window 5 &
window_pid=$!
sleep 2
wine_screenshot "$scratch/shot.png"
wait "$window_pid"
expect_eq "screenshot is a PNG of the display" "PNG 1024x768" \
  "$(identify -format '%m %wx%h' "$scratch/shot.png" 2>/dev/null)"
if [ -n "${VEXA_ARTIFACTS:-}" ]; then cp "$scratch/shot.png" "$VEXA_ARTIFACTS/harness-screenshot.png"; fi

finish
