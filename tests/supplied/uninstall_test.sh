#!/usr/bin/env bash
# The uninstall program as users and administrators run it: the sample package (with a
# shared DLL) installed by the engine, then removed through the registered UninstallString
# (the question answered No, then Yes, by the dialog driver) and QuietUninstallString (/S);
# a program file in use, removed after a Wine restart; damaged and hostile uninstall data
# appended to the installed Uninstall.EXE, with the prefix listed before and after. The
# restart at the end carries out the removals left for the next boot, so ctest runs this
# test alone.
. "$VEXA_SOURCE_DIR/tests/e2e/e2e-lib.sh"
need_programs x86_64-w64-mingw32-objdump

c_drive=$(wine_unix_path 'C:\')
canary=$c_drive/hostile-canary
shared_dll=$VEXA_BINARY_DIR/tests/shared_components/shared_105.dll
uninstall_key='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Acme Paint'
installed_key='HKLM\SOFTWARE\Corvanta Install\Installed Programs\Acme Paint'
# The engine and the uninstall program keep their records in the registry view of their
# own bitness.
case $(x86_64-w64-mingw32-objdump -f "$VEXA_SOURCE_DIR/dist/Uninstall.exe" | sed -n 's/.*file format //p') in
  pei-x86-64) bits=64 ;;
  *) bits=32 ;;
esac
view=/reg:$bits
reg_value() { wine_reg_value "$bits" "$@"; }
reg_key() { wine reg query "$1" "$view" >/dev/null 2>&1 && echo present || echo gone; }

# The engine installs below the Program Files folder of its bitness.
product="$(reg_value 'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion' ProgramFilesDir)\\Acme Paint\\"
uninstall_win="${product}Uninstall\Uninstall.EXE"
programs_win=$(reg_value 'HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders' Programs)
group_unix=$(wine_unix_path "$programs_win\\Acme Paint")
product_unix=$(wine_unix_path "${product%\\}")
product_listed="./${product_unix#"$c_drive"/}"
temp_unix=$(wine_unix_path "$(wine cmd /c echo %TEMP% 2>/dev/null | tr -d '\r')")

cleanup() {
  rm -rf "$scratch" "$canary" "$product_unix" "$group_unix" "$c_drive/uninstall-started.txt"
  find "$c_drive/windows" -maxdepth 2 -iname AcmeShared.dll -delete 2>/dev/null
  wine reg delete "$uninstall_key" /f "$view" >/dev/null 2>&1
  wine reg delete "$installed_key" /f "$view" >/dev/null 2>&1
}
trap cleanup EXIT

# The sample package, with an Execute line (a silent installation starts nothing), and a
# shared DLL that no uninstall may remove.
make_sample_setup "$scratch/package" 'Execute "<ProductDirectory>\Paint.exe", "/record", "C:\uninstall-started.txt"'
cp "$shared_dll" "$scratch/package/attachment/AcmeShared.dll"
sed -i 's/^\(InstallProgram .*\)\r$/\1\r\nInstallDllFile "AcmeShared.dll", "1000", "AcmeShared.dll", "1.0.0.5", "0", "1000", "sig", ""\r/' \
  "$scratch/package/attachment/Script.TXT"
make_cab "$scratch/package/Attachment.CAB" "$scratch/package/attachment" Script.TXT Program.Cab Uninstall.EXE AcmeShared.dll
make_setup "$scratch/package/Setup.exe" "$engine" "$scratch/package/Attachment.CAB"
# Prints the exit status. A silent installation starts no program.
install() {
  wine_run_timed 120 "$scratch/package/Setup.exe" /S
}
exists() { [ -e "$1" ] && echo yes || echo no; }
shared_dll_present() { [ -n "$(find "$c_drive/windows" -maxdepth 2 -iname AcmeShared.dll)" ] && echo kept || echo gone; }
# What the removal leaves: product directory, group, both keys, the shared DLL.
left() {
  echo "product $(exists "$product_unix") group $(exists "$group_unix") uninstall-key $(reg_key "$uninstall_key")" \
    "installed-key $(reg_key "$installed_key") shared-dll $(shared_dll_present)"
}
# The temporary copy finishes a moment after the original has ended.
wait_until_gone() { for _ in $(seq 1 100); do [ -e "$1" ] || return 0; sleep 0.1; done; }
# Every file and directory of drive C: with its size, but the temporary directory and the
# started program's record.
listing() {
  (cd "$c_drive" && find . -path "./${temp_unix#"$c_drive"/}" -prune -o -path ./uninstall-started.txt -prune -o \
    -printf '%p\t%s\n' | LC_ALL=C sort)
}
temp_dirs_now() { find "$temp_unix" -maxdepth 1 -iname '~ts*' | LC_ALL=C sort; }
# Files in the temporary entries this test made: what earlier tests left there for the next
# boot is not ours to count.
copies_left() {
  comm -13 <(echo "$temp_dirs_before") <(temp_dirs_now) | while IFS= read -r entry; do
    [ -n "$entry" ] && find "$entry" -type f
  done | wc -l
}
# The program the registry names, without its quotes; then the rest of the command.
uninstall_program() { reg_value "$uninstall_key" "$1" | sed -E 's/^"([^"]*)".*/\1/'; }
quiet_arguments() { reg_value "$uninstall_key" QuietUninstallString | sed -E 's/^"[^"]*" *//'; }
# Runs the registered QuietUninstallString with /LOG=LOG; prints the exit status as soon
# as the program has ended. The status goes through a file: a command substitution would
# also wait for every process that inherited its pipe, the program's temporary copy
# among them, and so hide what a deployment tool finds right after the exit.
quiet_uninstall() {
  # shellcheck disable=SC2046
  timeout --kill-after=5 135 wine "$_vexa_runexit" 120000 "$(wine_windows_path "$(uninstall_program QuietUninstallString)")" \
    $(quiet_arguments) "/LOG=$(wine_windows_path "$1")" >"$scratch/status.txt" 2>/dev/null
  tr -d '\r' <"$scratch/status.txt"
}
# What is left in the product directory: its entries, directories with a trailing "/".
product_entries() {
  (cd "$product_unix" 2>/dev/null && find . -mindepth 1 \( -type d -printf '%P/\n' -o -printf '%P\n' \) |
     LC_ALL=C sort | paste -sd '|')
}
log_of() { tr -d '\r' <"$1" 2>/dev/null | paste -sd '|'; }

temp_dirs_before=$(temp_dirs_now)

# --- The dialog: No changes nothing, Yes removes everything but the shared DLL.
expect_eq "install" 0 "$(install)"
expect_eq "installed" "product yes group yes uninstall-key present installed-key present shared-dll kept" "$(left)"
expect_eq "the registered uninstall string names the installed program" "$uninstall_win" \
  "$(uninstall_program UninstallString)"
before=$(listing)
expect_eq "No: the question, titled with the product name, then exit 1602" \
  "65535=Do you want to completely remove Acme Paint and all of its components?|exit=1602" \
  "$(drive "$(uninstall_program UninstallString)" 'window:Acme Paint' text:65535 click:7 exit)"
expect_eq "No: nothing changed on drive C:" "" "$(diff <(echo "$before") <(listing))"
expect_eq "No: the records are kept" "product yes group yes uninstall-key present installed-key present shared-dll kept" \
  "$(left)"
expect_eq "No: no temporary copy was made" "$temp_dirs_before" "$(temp_dirs_now)"

expect_eq "Yes: the done message, exit 0" \
  "65535=Do you want to completely remove Acme Paint and all of its components?|box=Acme Paint was removed from your computer.|exit=0" \
  "$(drive "$(uninstall_program UninstallString)" 'window:Acme Paint' text:65535 click:6 box answer:1 exit)"
wait_until_gone "$product_unix"
expect_eq "Yes: product directory, shortcuts, group and both keys gone, the shared DLL kept" \
  "product no group no uninstall-key gone installed-key gone shared-dll kept" "$(left)"
removed=$(comm -23 <(echo "$before" | cut -f1) <(listing | cut -f1))
expect_eq "Yes: nothing else on drive C: was removed" "" \
  "$(grep -v -e "^$product_listed" -e "^./${group_unix#"$c_drive"/}" <<<"$removed")"
expect_eq "Yes: no temporary copy of the program is left" 0 "$(copies_left)"
new_temp_dir=$(comm -13 <(echo "$temp_dirs_before") <(temp_dirs_now))
expect_eq "Yes: the copy's emptied directory waits for the next boot" yes \
  "$(pending_renames | grep -qix "\\\\??\\\\.*\\\\$(basename "$new_temp_dir")" && echo yes || echo no)"

# --- /S through QuietUninstallString: when the exit status arrives the product is gone,
# but for the emptied Uninstall folder of the program that just ended.
# The temporary copy is held still for 3 s as soon as it starts, as on a slow machine, so
# that a program ending before the removal is done would be seen doing so.
expect_eq "reinstall" 0 "$(install)"
wine "$VEXA_BINARY_DIR/tests/harness/race_tool.exe" hold Uninstall.exe 3000 >"$scratch/hold.txt" 2>/dev/null &
holder=$!
sleep 1  # the holder is watching before the uninstall program starts
quiet_uninstall "$scratch/final.log" >"$scratch/final-status.txt"
after_exit="$(left) entries $(product_entries)"
expect_eq "/S, the status is final: exit 0" 0 "$(cat "$scratch/final-status.txt")"
expect_true "/S, the status is final: right after the exit only an empty Uninstall folder may be left ($after_exit)" \
  grep -qxE 'product (no|yes) group no uninstall-key gone installed-key gone shared-dll kept entries (|Uninstall/)' \
  <<<"$after_exit"
wait "$holder"
expect_eq "/S, the status is final: the copy was held" held "$(tr -d '\r' <"$scratch/hold.txt")"
wait_until_gone "$product_unix"
expect_eq "/S, the status is final: a moment later the product directory is gone" \
  "product no group no uninstall-key gone installed-key gone shared-dll kept" "$(left)"

# --- A copy that ends without handing over a status (a crash, made certain as it starts):
# the original fails with 1603 and says so, and keeps itself and the records, so that the
# uninstall can be run again.
expect_eq "reinstall" 0 "$(install)"
wine "$VEXA_BINARY_DIR/tests/harness/race_tool.exe" end Uninstall.exe >"$scratch/end.txt" 2>/dev/null &
ender=$!
sleep 1  # the ender is watching before the uninstall program starts
expect_eq "copy ended: exit 1603" 1603 "$(quiet_uninstall "$scratch/crash.log")"
wait "$ender"
expect_eq "copy ended: the copy was ended" ended "$(tr -d '\r' <"$scratch/end.txt")"
expect_eq "copy ended: the message" \
  "Message: Error. The removal of Acme Paint did not finish. Run the uninstall program again to remove what is left." \
  "$(tr -d '\r' <"$scratch/crash.log" | grep '^Message: ')"
expect_eq "copy ended: the uninstall program and both records are kept" "yes present present" \
  "$(exists "$(wine_unix_path "$uninstall_win")") $(reg_key "$uninstall_key") $(reg_key "$installed_key")"
expect_eq "copy ended: run again, it removes the product" "0 product no" \
  "$(quiet_uninstall "$scratch/again.log") $(wait_until_gone "$product_unix"; echo "product $(exists "$product_unix")")"

# --- /S: files the user added are kept, and their folder.
expect_eq "reinstall" 0 "$(install)"
printf 'mine\r\n' >"$product_unix/My Notes.txt"
mkdir -p "$product_unix/Docs/Mine" && printf 'mine\r\n' >"$product_unix/Docs/Mine/Sketch.txt"
expect_eq "the quiet uninstall string adds /S" "/S" "$(quiet_arguments)"
expect_eq "/S: exit 0" 0 "$(quiet_uninstall "$scratch/quiet.log")"
expect_eq "/S: right after the exit only the user's files are left in the product directory" \
  "Docs/|Docs/Mine/|Docs/Mine/Sketch.txt|My Notes.txt" "$(product_entries)"
expect_eq "/S: group and both keys gone, the shared DLL kept" \
  "product yes group no uninstall-key gone installed-key gone shared-dll kept" "$(left)"
expect_eq "/S: the log: the question, the copy's removal, the message, the copy's last lines" \
  "Question: Do you want to completely remove Acme Paint and all of its components? -> Yes|Removing Acme Paint|Deleted ${product}Data\\Palette.txt|Deleted ${product}Docs\\Help.txt|Deleted ${product}Paint.exe|Deleted ${product}ReadMe.txt|Deleted $programs_win\\Acme Paint\\Acme Paint.LNK|Deleted $programs_win\\Acme Paint\\Help.LNK|Deleted $programs_win\\Acme Paint\\Tools\\Read Me.LNK|Message: Acme Paint was removed from your computer. The folder $product was kept because it holds files that were not installed with Acme Paint.|Uninstall completed|Removing the uninstall program|Deleted $uninstall_win" \
  "$(for _ in $(seq 1 50); do grep -q 'Deleted .*Uninstall.EXE' "$scratch/quiet.log" && break; sleep 0.1; done
     log_of "$scratch/quiet.log")"
expect_eq "/S: no temporary copy of the program is left" 0 "$(copies_left)"
rm -rf "$product_unix"

# --- A file held open (mapped, as a running program holds its image): deleted at the next
# boot, exit 3010.
expect_eq "install for the file in use" 0 "$(install)"
wine "$VEXA_BINARY_DIR/tests/shared_components/hold_module.exe" "$(wine_windows_path "$scratch")\\release" \
  "${product}Paint.exe" >/dev/null 2>&1 &
for _ in $(seq 1 300); do [ -f "$scratch/release.held" ] && break; sleep 0.1; done
expect_true "a process holds Paint.exe" test -f "$scratch/release.held"
expect_eq "in use: exit 3010" 3010 "$(quiet_uninstall "$scratch/busy.log")"
expect_eq "in use: right after the exit only the held file is left until the restart" "Paint.exe" \
  "$(product_entries)"
expect_eq "in use: the restart message" \
  "Message: Acme Paint was removed from your computer. Some of its files are in use and will be deleted when the computer restarts. Restart your computer to complete the removal." \
  "$(tr -d '\r' <"$scratch/busy.log" | grep '^Message: ')"
expect_eq "in use: the file and its directory are left for the next boot" \
  "Deleted at the next restart: ${product}Paint.exe|Deleted at the next restart: ${product%\\}" \
  "$(tr -d '\r' <"$scratch/busy.log" | grep -m2 '^Deleted at the next restart' | paste -sd '|')"
# The restart: the holding process goes with the old server, the new one carries out the
# removals left for the next boot, and stays up for the tests that follow.
wineserver -k
wineserver -p >/dev/null 2>&1
wineboot >/dev/null 2>&1
expect_eq "after the restart: the product directory is gone, the shared DLL kept" \
  "product no group no uninstall-key gone installed-key gone shared-dll kept" "$(left)"
# (The restart also carries out what earlier tests left for it: fewer directories may be left.)
expect_eq "after the restart: no temporary directory of the copies is left" "" \
  "$(comm -13 <(echo "$temp_dirs_before") <(temp_dirs_now))"
expect_eq "after the restart: no removal is pending" "" "$(pending_renames | grep -v '^$')"

# --- Damaged uninstall data: refused with a message, exit 1603, nothing changed.
# Replaces the appended lines of FILE (an installed Uninstall.EXE) by LINES..., behind a
# trailer naming BASE (default: the program's own size).
own_size=$(stat -c %s "$VEXA_SOURCE_DIR/dist/Uninstall.exe")
write_appended_lines() {
  local file=$1 base=${2:-$own_size}
  shift 2
  truncate -s "$own_size" "$file"
  { [ $# -gt 0 ] && printf '%s\r\n' "$@"; printf 'CORVANTAORGEXESIZE%14s' "$base"; } >>"$file"
}
expect_eq "install for the damaged data" 0 "$(install)"
uninstall_unix=$(wine_unix_path "$uninstall_win")
cp "$uninstall_unix" "$scratch/intact.exe"
damaged() {  # damaged WHAT MESSAGE
  local before_damaged
  before_damaged=$(listing)
  rm -f "$scratch/damaged.log"
  expect_eq "damaged, $1: exit 1603" 1603 \
    "$(wine_run_timed 60 "$uninstall_win" /S "/LOG=$(wine_windows_path "$scratch/damaged.log")")"
  expect_eq "damaged, $1: the message" "Message: $2" "$(log_of "$scratch/damaged.log")"
  expect_eq "damaged, $1: nothing changed on drive C:" "" "$(diff <(echo "$before_damaged") <(listing))"
}
prefix='Error. The uninstall data of this program is damaged'
truncate -s "$own_size" "$uninstall_unix"
damaged "no trailer" "Error. This uninstall program carries no uninstall data. Nothing was removed."
cp "$scratch/intact.exe" "$uninstall_unix"
write_appended_lines "$uninstall_unix" "" 'Acme Paint' "$product"
damaged "two lines" "$prefix: it has fewer than three lines. Nothing was removed."
write_appended_lines "$uninstall_unix" 40000 'Acme Paint' "$product" '' "${product}ReadMe.txt"
damaged "trailer inside the program" "$prefix: it does not begin where the uninstall program ends. Nothing was removed."
write_appended_lines "$uninstall_unix" "" 'Acme Paint' 'C:\' '' 'C:\windows\win.ini'
damaged "a drive root" "$prefix: the product directory C:\\ is a drive root. Nothing was removed."
for directory in 'C:\windows\' 'C:\windows\system32\'; do
  write_appended_lines "$uninstall_unix" "" 'Acme Paint' "$directory" '' "${directory}win.ini"
  damaged "$directory" "$prefix: the product directory $directory is a Windows system directory or holds one. Nothing was removed."
done
write_appended_lines "$uninstall_unix" "" 'Acme Paint' "$product" '' "${product}ReadMe.txt" '..\..\hostile-canary\victim2.txt'
damaged "a relative path" "$prefix: line 5 is not a path: ..\\..\\hostile-canary\\victim2.txt. Nothing was removed."
expect_eq "damaged, in the dialog: the message box, exit 1603" \
  "65535=$prefix: line 5 is not a path: ..\\..\\hostile-canary\\victim2.txt. Nothing was removed.|exit=1603" \
  "$(drive "$uninstall_win" window:Uninstall text:65535 click:1 exit)"

# --- Hostile data that is well formed: paths outside, a group of C:\, a link inside the
# product directory pointing outside. Only listed files inside the product directory go.
mkdir -p "$canary/sub"
for n in 1 3 4 5; do printf 'keep\r\n' >"$canary/victim$n.txt"; done
ln -s ../../hostile-canary "$product_unix/link"
cp "$scratch/intact.exe" "$uninstall_unix"
write_appended_lines "$uninstall_unix" "" 'Acme Paint' "$product" 'C:\' 'C:\windows\win.ini' \
  "${product}..\\..\\hostile-canary\\victim1.txt" "${product}link\\victim3.txt" 'C:\hostile-canary\victim4.txt' \
  "${product}link\\sub\\..\\victim5.txt" "$programs_win\\Acme Paint\\Acme Paint.LNK" \
  "${product}Paint.exe" "${product}Docs\\Help.txt" "$uninstall_win"
before=$(listing)
status=$(wine_run_timed 60 "$uninstall_win" /S "/LOG=$(wine_windows_path "$scratch/hostile.log")")
expect_eq "hostile: exit 0" 0 "$status"
wait_until_gone "$product_unix/Uninstall"
expect_eq "hostile: exactly the listed files inside the product directory (and the folders they emptied) were removed" \
  "$product_listed/Docs|$product_listed/Docs/Help.txt|$product_listed/Paint.exe|$product_listed/Uninstall|$product_listed/Uninstall/Uninstall.EXE" \
  "$(comm -23 <(echo "$before" | cut -f1) <(listing | cut -f1) | paste -sd '|')"
expect_eq "hostile: nothing was added or changed elsewhere" "" \
  "$(comm -13 <(echo "$before") <(listing))"
expect_eq "hostile: the victims and the link are still there" "victim1.txt victim3.txt victim4.txt victim5.txt link" \
  "$(cd "$canary" && ls victim* | paste -sd ' ') $([ -L "$product_unix/link" ] && echo link)"
expect_eq "hostile: the log names what it passed over" \
  "C:\\windows\\win.ini|${product}..\\..\\hostile-canary\\victim1.txt|${product}link\\victim3.txt|C:\\hostile-canary\\victim4.txt|${product}link\\sub\\..\\victim5.txt|$programs_win\\Acme Paint\\Acme Paint.LNK" \
  "$(tr -d '\r' <"$scratch/hostile.log" | sed -n 's/^Passed over, outside the product directory and the program group: //p' |
     awk '!seen[$0]++' | paste -sd '|')"

finish
