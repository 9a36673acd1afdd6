#!/usr/bin/env bash
# What the stand-alone web setup program runs is what it checked. Its test build
# (VexaStandAloneWebProgPaused.exe) holds still between checking a cabinet and expanding it
# (engine/setup_run/test_pause.h), and a Windows program of a user's (race_tool.exe) tries to put
# another cabinet in its place: the program's own Setup.exe must run, never the other. The
# program's "Setup.exe" is race_tool.exe under that name, which records its label and its
# arguments. Also: arguments passed on to Setup.exe arrive whole (a destination ending in a
# backslash), and a server that drops every answer early ends the run instead of holding it
# for ever.
. "$VEXA_SOURCE_DIR/tests/e2e/e2e-lib.sh"
. "$VEXA_SOURCE_DIR/tests/supplied/web-setup-lib.sh"

web_setup_program=$VEXA_BINARY_DIR/supplied/websetup/VexaStandAloneWebProgPaused.exe
race=$VEXA_BINARY_DIR/tests/harness/race_tool.exe
for f in "$web_setup_program" "$race"; do
  [ -f "$f" ] || { echo "no $f: run make build" >&2; exit 1; }
done
cleanup() {
  stop_web_server
  [ -z "${cached_unix:-}" ] || rm -f "$cached_unix"
  rm -rf "$scratch"
}
trap cleanup EXIT

web_root=$scratch/site/root
mkdir -p "$web_root/activex" "$scratch/genuine" "$scratch/evil" "$scratch/pause"
start_web_server "$web_root"
# The published cabinet and a user's: each holds a Setup.exe labelled after it.
cp "$race" "$scratch/genuine/Setup.exe" && printf '|GENUINE' >>"$scratch/genuine/Setup.exe"
cp "$race" "$scratch/evil/Setup.exe" && printf '|EVIL' >>"$scratch/evil/Setup.exe"
make_cab "$scratch/Prog1.cab" "$scratch/genuine" Setup.exe
make_cab "$scratch/Evil.cab" "$scratch/evil" Setup.exe
make_web_site "$web_root/pub" "$scratch/Prog1.cab" 0 "$scratch/WebSetup.exe"

record=$scratch/record.txt
log_file=$scratch/websetup.log
export VEXA_RACE_RECORD
VEXA_RACE_RECORD=$(wine_windows_path "$record")
run_web() {  # run_web ARGS...: the exit status
  rm -f "$log_file" "$record"
  wine_run_timed "${run_seconds:-120}" "$scratch/WebSetup.exe" /S "/LOG=$(wine_windows_path "$log_file")" "$@"
}
recorded() { tr -d '\r' <"$record" 2>/dev/null | paste -sd '|'; }
log_win=$(wine_windows_path "$log_file")
package_arg="arg=/WEBPACKAGE=$(package_key "$web_base/pub" MyPageScript.Cab)"

# --- A first run fills the cache; the program cabinet's place there is in the log.
expect_eq "first run: exit status" 0 "$(run_web)"
expect_eq "first run: the published Setup.exe ran" "label=GENUINE|arg=/S|arg=/LOG=$log_win|$package_arg" "$(recorded)"
: >"$web_log"
expect_eq "second run: exit status" 0 "$(run_web)"
cached=$(tr -d '\r' <"$log_file" | sed -n 's/^Program from the cache: //p')
expect_true "second run: the program cabinet comes from the cache" test -n "$cached"
cached_unix=$(wine_unix_path "$cached")

# --- The cabinet replaced between its check and its expansion.
# Runs the paused program to POINT, lets race_tool swap FILE for SOURCE there, and goes on;
# prints what race_tool said.
swap_at() {
  local point=$1 file=$2 source=$3 status
  rm -f "$scratch/pause"/* "$log_file" "$record"
  VEXA_TEST_PAUSE="$point=$(wine_windows_path "$scratch/pause")" \
    wine_run_timed 120 "$scratch/WebSetup.exe" /S "/LOG=$log_win" >"$scratch/status" &
  local runner=$!
  for _ in $(seq 1 600); do [ -f "$scratch/pause/$point.reached" ] && break; sleep 0.1; done
  status=$(wine "$race" swap "$file" "$(wine_windows_path "$source")" 2>/dev/null | tr -d '\r')
  touch "$scratch/pause/$point.go"
  wait "$runner"
  echo "$status"
}
swapped=$(swap_at web-setup-expand "$cached" "$scratch/Evil.cab")
expect_eq "swapped after the check: the user's process cannot replace the checked cabinet" refused "$swapped"
expect_eq "swapped after the check: exit status" 0 "$(cat "$scratch/status")"
expect_eq "swapped after the check: the published Setup.exe ran, not the user's" \
  "label=GENUINE|arg=/S|arg=/LOG=$log_win|$package_arg" "$(recorded)"
expect_eq "swapped after the check: the cache still holds the published cabinet" \
  "$(sha256sum <"$scratch/Prog1.cab")" "$(sha256sum <"$cached_unix")"
cp "$scratch/Prog1.cab" "$cached_unix"

# --- Arguments for Setup.exe: a destination ending in a backslash, with a blank, keeps
# the log option after it apart.
expect_eq "/D= ending in a backslash: exit status" 0 "$(run_web '/D=C:\My Apps\')"
expect_eq "/D= ending in a backslash: Setup.exe gets every argument whole" \
  "label=GENUINE|arg=/S|arg=/D=C:\\My Apps\\|arg=/LOG=$log_win|$package_arg" "$(recorded)"

# --- A server that ignores ranges and drops every answer after 1000 bytes: the run gives
# up after a bounded number of attempts, with a message.
rm -f "$cached_unix"
printf 'ignore-ranges\ndrop-always /pub/Prog1.cab 1000\n' >"$web_faults"
: >"$web_log"
expect_eq "dropping server: the run ends, failed" 1603 "$(run_seconds=90 run_web)"
expect_true "dropping server: the message says why" \
  grep -qF "Message: Error. Cannot download $web_base/pub/Prog1.cab: the connection was dropped" "$log_file"
expect_eq "dropping server: at most ten requests for the file" yes \
  "$([ "$(requests_for /pub/Prog1.cab)" -le 10 ] && echo yes || echo no)"
: >"$web_faults"

finish
