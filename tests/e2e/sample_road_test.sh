#!/usr/bin/env bash
# The sample package through the whole dialog road, start to done message, and then
# silently: both leave the same files, shortcuts and records; only the dialog road starts
# the program.
. "$(dirname "$0")/e2e-lib.sh"

started=$(wine_unix_path 'C:\')/sample-road-started.txt
make_sample_setup "$scratch/package" 'Execute "<ProductDirectory>\Paint.exe", "/record", "C:\sample-road-started.txt"'
setup=$scratch/package/Setup.exe

# What an installation leaves: files, shortcuts, the two records, how the program started.
snapshot() {
  local product group
  product=$(wine_unix_path 'C:\Program Files (x86)\Acme Paint')
  (cd "$product" 2>/dev/null && find . -type f -printf '%P %s\n' | LC_ALL=C sort)
  group=$(find "$WINEPREFIX/drive_c" -ipath '*Start Menu/Programs/Acme Paint' -type d 2>/dev/null | head -n1)
  (cd "$group" 2>/dev/null && find . -type f -printf 'link %P\n' | LC_ALL=C sort)
  echo "record $(wine_reg_value 32 'HKLM\SOFTWARE\Corvanta Install\Installed Programs\Acme Paint' Directory)"
  echo "uninstall $(wine_reg_value 32 'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Acme Paint' UninstallString)"
  echo "started $(tr -d '\r' <"$started" 2>/dev/null)"
}

# The program started by the Execute line writes its record a moment after the run ends.
wait_for_start() { for _ in $(seq 1 100); do [ -s "$started" ] && return; sleep 0.1; done; }

rm -f "$started"
out=$(timeout 120 wine "$driver" "$(wine_windows_path "$setup")" -- window:VexaInstall text:203 text:201 text:204 \
  click:1001 box answer:1 exit 2>/dev/null | tr -d '\r' | paste -sd '|')
expect_eq "dialog road of the sample" \
  '203=Acme Paint|201=C:\Program Files (x86)\Acme Paint\|204=Acme Paint|box=Installation completed successfully.|exit=0' "$out"
wait_for_start
dialog_state=$(snapshot)
expect_true "the dialog road installed the program" grep -q '^Paint.exe ' <<<"$dialog_state"
expect_true "the dialog road made the shortcuts" grep -q '^link Tools/Read Me' <<<"$dialog_state"
expect_eq "the dialog road started the program with its parameters" \
  'started "C:\Program Files (x86)\Acme Paint\Paint.exe" /record C:\sample-road-started.txt' \
  "$(grep '^started' <<<"$dialog_state")"

rm -f "$started"
expect_eq "silent road of the same package (replacing the first)" 0 "$(wine_run_timed 120 "$setup" /S)"
expect_eq "both roads leave the same installation" "$(grep -v '^started' <<<"$dialog_state")" \
  "$(snapshot | grep -v '^started')"
expect_eq "the silent road starts no program" "started " "$(snapshot | grep '^started')"

finish
