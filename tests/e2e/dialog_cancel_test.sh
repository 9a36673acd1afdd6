#!/usr/bin/env bash
# Cancel during a run, in the real dialog: the worker holds still while the question is
# open; No lets the run go on to the end; Yes stops it after the current line.
. "$(dirname "$0")/e2e-lib.sh"

before_temp=$(leftover_temp_dirs)

# Slow lines: each expands a cabinet of 24 MB that does not compress.
lines=16
mkdir -p "$scratch/big" "$scratch/pkg"
head -c 24000000 /dev/urandom >"$scratch/big/Big.dat"
make_cab "$scratch/pkg/Big.cab" "$scratch/big"
make_setup_for() {  # make_setup_for PRODUCT
  {
    printf 'SetProductName "%s"\r\nSetProductDirectory "C:\\%s"\r\n' "$1" "$1"
    local i
    for i in $(seq 1 $lines); do printf 'InstallProgram "Big.cab", "", "", "", "", "", "Part%02d"\r\n' "$i"; done
    printf 'SetDoneMessage "Installation completed successfully."\r\n'
  } >"$scratch/pkg/Script.TXT"
  make_cab "$scratch/attachment.cab" "$scratch/pkg" Script.TXT Big.cab
  make_setup "$scratch/$1.exe" "$engine" "$scratch/attachment.cab"
}
installed_parts() { find "$(wine_unix_path 'C:\')/$1" -name Big.dat 2>/dev/null | wc -l; }
log_lines() { grep -o 'Installing BIG.CAB' <<<"$1" | wc -l; }

# --- No: the worker waits while the question is open, then goes on to the end.
make_setup_for "Acme Goes On"
out=$(drive_lines "$scratch/Acme Goes On.exe" window:VexaInstall click:1001 sleep:300 click:1002 box \
  text:1000 sleep:1500 text:1000 answer:7 enabled:1002 box answer:1 exit)
mapfile -t seen < <(grep '^1000=' <<<"$out")
expect_eq "cancel asks the question" "box=Are you sure you want to cancel this installation?" "$(grep -m1 '^box=' <<<"$out")"
expect_true "the run had started (${#seen[@]} log readings)" test "$(log_lines "${seen[0]:-}")" -ge 1
expect_eq "no line starts while the question is open" "$(log_lines "${seen[0]:-}")" "$(log_lines "${seen[1]:-}")"
expect_eq "No: Cancel stays usable, the run ends normally" \
  "1002 enabled|box=Installation completed successfully.|exit=0" "$(grep -E '^(1002|exit)|^box=Inst' <<<"$out" | paste -sd '|')"
expect_eq "No: every line installed" "$lines" "$(installed_parts "Acme Goes On")"

# --- The title bar's close button and Esc do not end a run.
make_setup_for "Acme Unclosed"
out=$(drive_lines "$scratch/Acme Unclosed.exe" window:VexaInstall click:1001 sleep:300 close key:esc sleep:500 \
  visible:1000 box answer:1 exit)
expect_eq "close and Esc during the run: it goes on to the end" \
  "1000 visible|box=Installation completed successfully.|exit=0" "$(paste -sd '|' <<<"$out")"
expect_eq "close and Esc during the run: every line installed" "$lines" "$(installed_parts "Acme Unclosed")"

# --- Yes: the run stops after the current line.
make_setup_for "Acme Stopped"
out=$(drive_lines "$scratch/Acme Stopped.exe" window:VexaInstall click:1001 sleep:300 click:1002 box answer:6 exit)
parts=$(installed_parts "Acme Stopped")
expect_eq "Yes: the program ends with status 0 and no done message" "exit=0" "$(grep -v '^box=Are' <<<"$out" | paste -sd '|')"
expect_true "Yes: earlier lines stay installed ($parts of $lines)" test "$parts" -ge 1
expect_true "Yes: later lines are not run ($parts of $lines)" test "$parts" -lt "$lines"
if wine_reg_value 32 'HKLM\SOFTWARE\Corvanta Install\Installed Programs\Acme Stopped' Directory >/dev/null; then
  record=written
else
  record=none
fi
expect_eq "Yes: no installed-programs record" none "$record"
expect_eq "no temporary directory left" "$before_temp" "$(leftover_temp_dirs)"

finish
