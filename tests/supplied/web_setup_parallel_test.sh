#!/usr/bin/env bash
# A program cabinet large enough to be fetched by several connections at once: every byte
# sent once, a dropped connection resumed from where it stopped, a server that ignores
# ranges, a run killed mid-download and run again (only the missing ranges are fetched),
# a file changed on the server between runs, a damaged record of the missing ranges, and
# Cancel while a connection waits for a server that has fallen silent.
. "$VEXA_SOURCE_DIR/tests/e2e/e2e-lib.sh"
. "$VEXA_SOURCE_DIR/tests/supplied/web-setup-lib.sh"

[ -f "$web_setup_program" ] || { echo "no $web_setup_program: run make build" >&2; exit 1; }
# The program runs elevated (as under Wine every program does): its cache lies below
# Program Files, where only administrators write, not in the user's profile.
cache=$(wine_unix_path "$(wine_reg_value 32 'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion' ProgramFilesDir)\\Corvanta\\Temporary VexaWeb Files")
programs_cache="$cache/Downloaded Programs"
cleanup() {
  stop_web_server
  rm -rf "$scratch" "$cache"
}
trap cleanup EXIT

web_root=$scratch/site/root
mkdir -p "$web_root" "$scratch/prog1"
start_web_server "$web_root"
head -c 24000000 /dev/urandom >"$scratch/prog1/Filler.bin"
make_cab "$scratch/Prog1.cab" "$scratch/prog1" Filler.bin
prog_size=$(stat -c %s "$scratch/Prog1.cab")
prog_sha=$(sha256sum "$scratch/Prog1.cab" | cut -c1-64)
prog_short=${prog_sha:0:32}
WEB_SITE_NO_EXECUTE=1 make_web_site "$web_root/big" "$scratch/Prog1.cab" 0 "$scratch/BigWebSetup.exe"
url_path=/big/Prog1.cab
partial=$programs_cache/$prog_short.cab.partial
log_file=$scratch/websetup.log

run_web() {
  rm -f "$log_file"
  wine_run_timed 300 "$scratch/BigWebSetup.exe" /S "/LOG=$(wine_windows_path "$log_file")"
}
fresh() {
  rm -rf "$cache"
  : >"$web_log"
  : >"$web_faults"
}
cached_program_ok() {
  [ "$(sha256sum "$programs_cache/$prog_short.cab" 2>/dev/null | cut -c1-64)" = "$prog_sha" ] && echo right || echo wrong
}
answers() { awk -v p="$url_path" -v s="status=$1" '$2 == p && index($0, s)' "$web_log" | wc -l; }
# Bytes the record beside the partial file still names as missing.
missing_bytes() {
  tr -d '\r' <"$partial.missing" 2>/dev/null | awk '$1 == "Missing" { s += $3 - $2 } END { print s + 0 }'
}
# Starts a run with every connection slowed down and kills it once some megabytes are
# recorded as fetched.
killed_run() {
  echo "rate $url_path 1500000" >"$web_faults"
  wine "$scratch/BigWebSetup.exe" /S >/dev/null 2>&1 &
  local run=$!
  for _ in $(seq 1 300); do
    [ -s "$partial.missing" ] && [ "$(missing_bytes)" -lt $((prog_size - 6000000)) ] && break
    sleep 0.05
  done
  kill -KILL "$run" 2>/dev/null
  wait "$run" 2>/dev/null
  # The server logs an answer when it ends: the killed run's answers end as the server
  # notices that their connections are gone.
  local lines=-1
  while [ "$lines" != "$(wc -l <"$web_log")" ]; do
    lines=$(wc -l <"$web_log")
    sleep 0.3
  done
  # A killed program removes nothing: its temporary directory goes here.
  local temp_unix
  temp_unix=$(wine_unix_path "$(wine cmd /c echo %TEMP% 2>/dev/null | tr -d '\r')")
  find "$temp_unix" -maxdepth 1 -iname '~ts*' -newer "$web_faults" -exec rm -rf {} + 2>/dev/null
  : >"$web_faults"
}

# --- Several connections, each byte once ---
fresh
expect_eq "parallel: exit status" 0 "$(run_web)"
expect_eq "parallel: the file is right" right "$(cached_program_ok)"
expect_eq "parallel: every byte was sent once" "$prog_size" "$(served_bytes "$url_path")"
expect_true "parallel: several ranged requests" test "$(answers 206)" -ge 8
expect_eq "parallel: no whole-file answer" 0 "$(answers 200)"
expect_true "parallel: the first request asks for a piece, not the whole file" \
  grep -qE "^GET $url_path range=bytes=0-[0-9]+ " "$web_log"
expect_eq "parallel: nothing is left beside the cached file" "$prog_short.cab" "$(ls "$programs_cache")"

# --- A connection dropped in the middle of the file ---
fresh
drop_at=$((prog_size / 2))
echo "drop $url_path $drop_at" >"$web_faults"
expect_eq "dropped: exit status" 0 "$(run_web)"
expect_eq "dropped: the file is right" right "$(cached_program_ok)"
expect_eq "dropped: every byte was sent once" "$prog_size" "$(served_bytes "$url_path")"
expect_true "dropped: the rest of the piece was asked for from where it stopped" \
  grep -qE "^GET $url_path range=bytes=$drop_at-[0-9]+ .*status=206" "$web_log"

# --- A server that ignores ranges: the first answer is the whole file ---
fresh
echo "ignore-ranges" >"$web_faults"
expect_eq "ranges ignored: exit status" 0 "$(run_web)"
expect_eq "ranges ignored: the file is right" right "$(cached_program_ok)"
expect_eq "ranges ignored: one request" 1 "$(requests_for "$url_path")"
expect_eq "ranges ignored: every byte was sent once" "$prog_size" "$(served_bytes "$url_path")"

# --- Killed mid-download, then run again: only the missing ranges are fetched ---
fresh
killed_run
expect_true "killed: the partial file is kept" test -f "$partial"
still_missing=$(missing_bytes)
expect_true "killed: its missing ranges are recorded" test "$still_missing" -gt 0 -a "$still_missing" -lt "$prog_size"
: >"$web_log"
expect_eq "killed: the second run's exit status" 0 "$(run_web)"
expect_eq "killed: the file is right" right "$(cached_program_ok)"
expect_eq "killed: the second run fetched only what was recorded as missing" "$still_missing" \
  "$(served_bytes "$url_path")"
expect_eq "killed: every request of the second run named the version it continues" \
  "$(requests_for "$url_path")" "$(grep -c "^GET $url_path range=bytes=[0-9]*-[0-9]* if-range=" "$web_log")"

# --- The file changed on the server between runs ---
fresh
killed_run
expect_true "changed file: a partial file is kept" test -s "$partial.missing"
mv "$web_root/big/Prog1.cab" "$scratch/Prog1.saved"
head -c "$prog_size" /dev/urandom >"$web_root/big/Prog1.cab"
sleep 1
cp "$scratch/Prog1.saved" "$web_root/big/Prog1.cab"
: >"$web_log"
expect_eq "changed file: exit status" 0 "$(run_web)"
expect_eq "changed file: the file is right" right "$(cached_program_ok)"
expect_eq "changed file: If-Range with the old version got the whole file, at once" 1 "$(requests_for "$url_path")"
expect_eq "changed file: status of that answer" 1 "$(answers 200)"

# --- A damaged record of the missing ranges: the download starts over ---
fresh
killed_run
printf 'VexaMissing 1\r\nSize %s\r\nMissing 0 99999999999\r\n' "$prog_size" >"$partial.missing"
: >"$web_log"
expect_eq "damaged record: exit status" 0 "$(run_web)"
expect_eq "damaged record: the file is right" right "$(cached_program_ok)"
expect_eq "damaged record: the whole file was fetched again, once" "$prog_size" "$(served_bytes "$url_path")"

# --- Cancel while one connection waits for a silent server ---
fresh
echo "stall $url_path 1000000" >"$web_faults"
window=$(timeout 120 wine "$VEXA_BINARY_DIR/tests/supplied/web_window_driver.exe" \
  "$(wine_windows_path "$scratch/BigWebSetup.exe")" 2>/dev/null | tr -d '\r')
expect_eq "silent server: Cancel stops at once" yes "$(sed -n 's/^stopped within 5 s: //p' <<<"$window")"
still_missing=$(missing_bytes)
expect_true "silent server: the missing ranges are recorded" test "$still_missing" -gt 0 -a "$still_missing" -lt "$prog_size"
: >"$web_faults"
: >"$web_log"
expect_eq "silent server: the next run's exit status" 0 "$(run_web)"
expect_eq "silent server: the file is right" right "$(cached_program_ok)"
expect_eq "silent server: the next run fetched only what was missing" "$still_missing" "$(served_bytes "$url_path")"

finish
