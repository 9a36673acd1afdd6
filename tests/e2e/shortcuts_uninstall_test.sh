#!/usr/bin/env bash
# What an installation leaves behind besides the program files, and what a second one
# does with it: Start-menu shortcuts (checked with lnkinfo), the uninstall program with its
# appended data (read back here byte by byte, independently of the engine), the registry
# records, the removal of an earlier installation (also one whose uninstall data was
# tampered with), and the program started at the end. Silent installs under Wine, which
# start no program, and installs through the dialog where one is started.
. "$(dirname "$0")/e2e-lib.sh"
need_programs lnkinfo

paint=$VEXA_BINARY_DIR/samples/Paint.exe
standin_uninstall=$VEXA_BINARY_DIR/tests/harness/harness_probe.exe

c_drive=$(wine_unix_path 'C:\')
# The products installed into Program Files go again, with their records, so that a
# second run finds no earlier installation.
remove_products() {
  local name
  for name in 'Acme Links' 'Acme Entry'; do
    remove_product "$name" "$(wine_unix_path "C:\\Program Files (x86)\\$name")"
  done
}
trap 'rm -rf "$scratch" "$c_drive/Acme Record" "$c_drive/hostile-canary" "$c_drive/Acme Hostile"; remove_products' EXIT
remove_products
programs_win=$(wine_reg_value 32 'HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders' Programs)
installed_key='HKLM\SOFTWARE\Corvanta Install\Installed Programs'
uninstall_key='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall'

# The lines appended behind the "CORVANTAORGEXESIZE" trailer, one per output line.
appended_lines() {
  local file=$1 size base
  size=$(stat -c %s "$file") || return 1
  [ "$(tail -c 32 "$file" | head -c 18)" = CORVANTAORGEXESIZE ] || return 0
  base=$(tail -c 14 "$file" | tr -d ' ')
  tail -c +$((base + 1)) "$file" | head -c $((size - base - 32)) | tr -d '\n' | tr '\r' '\n'
}

# Replaces the appended lines of FILE by the remaining arguments, as the engine writes them.
write_appended_lines() {
  local file=$1 base
  shift
  base=$(tail -c 14 "$file" | tr -d ' ')
  truncate -s "$base" "$file"
  { printf '%s\r\n' "$@"; printf 'CORVANTAORGEXESIZE%14s' "$base"; } >>"$file"
}

# package NAME SCRIPT-LINES... : $scratch/NAME.exe from the files of $scratch/prog.
package() {
  local name=$1
  shift
  rm -rf "$scratch/pkg" && mkdir -p "$scratch/pkg"
  make_cab "$scratch/pkg/Program.Cab" "$scratch/prog"
  cp "$standin_uninstall" "$scratch/pkg/Uninstall.EXE"
  printf '%s\r\n' "$@" >"$scratch/pkg/Script.TXT"
  make_cab "$scratch/$name.cab" "$scratch/pkg" Script.TXT Program.Cab Uninstall.EXE
  make_setup "$scratch/$name.exe" "$engine" "$scratch/$name.cab"
}

# install NAME [ARGS...] : prints the exit status; the log is $scratch/NAME.log
install() {
  local name=$1
  shift
  rm -f "$scratch/$name.log"
  wine_run_timed 120 "$scratch/$name.exe" /S "/LOG=$(wine_windows_path "$scratch/$name.log")" "$@"
}
log_of() { tr -d '\r' <"$scratch/$1.log" 2>/dev/null | grep -v '^$' | paste -sd '|'; }
exists() { [ -e "$1" ] && echo yes || echo no; }
# Waits up to 10 s for a file that a started program writes.
wait_for_file() {
  local i
  for i in $(seq 100); do
    [ -s "$1" ] && return 0
    sleep 0.1
  done
  return 1
}
link_field() { lnkinfo "$1" 2>/dev/null | sed -n "s/^\t$2[[:space:]]*: //p"; }

prog_files() {  # prog_files FILE=TEXT... : $scratch/prog holds exactly these files
  rm -rf "$scratch/prog" && mkdir -p "$scratch/prog"
  local entry
  for entry in "$@"; do
    mkdir -p "$(dirname "$scratch/prog/${entry%%=*}")"
    printf '%s\r\n' "${entry#*=}" >"$scratch/prog/${entry%%=*}"
  done
}

# --- Shortcuts, uninstall data, registry and the started program, into C:\Program Files (x86).
prog_files ReadMe.txt=readme Docs/Help.txt=help
mkdir -p "$scratch/prog/Bin"
cp "$paint" "$scratch/prog/Paint.exe"
cp "$paint" "$scratch/prog/Bin/App.exe"
record_dir="$c_drive/Acme Record"
mkdir -p "$record_dir"
package links \
  'SetProductProgramGroup "<ProgramsGroup>\Acme Links"' \
  'CreateProgramGroup "<ProductProgramGroup>", "Acme Paint", "<ProductDirectory>\Paint.exe"' \
  'CreateProgramGroup "<productprogramgroup>Tools", "read Me", "<ProductDirectory>ReadMe.txt"' \
  'CreateProgramGroup "<ProductProgramGroup>\Tools\Extra", "App", "<ProductDirectory>\Bin\App.exe"' \
  'CreateProgramGroup "C:\Acme Elsewhere", "Literal Folder", "<ProductDirectory>\Paint.exe"' \
  'CreateProgramGroup "<ProductProgramGroup>", "Literal Target", "C:\Paint.exe"' \
  'SetProductName "Acme Links"' \
  'SetProductDirectory "<ProgramFilesDir>\Acme Links"' \
  'InstallProgram "Program.Cab"' \
  'Execute "C:\windows\notepad.exe", "literal"' \
  'Execute "<ProductDirectory>\Paint.exe", "/record", "C:\Acme Record\argv of paint.txt"' \
  'Execute "<ProductDirectory>\Bin\App.exe", "/record", "C:\Acme Record\second.txt"'
product='C:\Program Files (x86)\Acme Links\'
expect_eq "links: exit status" 0 "$(install links)"
expect_eq "links: log, naming the program a silent installation does not start" \
  "Installing PROGRAM.CAB|Creating Program Groups|Creating Uninstall Program|Installation completed|Not started (silent): \"${product}Paint.exe\" /record \"C:\\Acme Record\\argv of paint.txt\"" \
  "$(log_of links)"
expect_eq "links: silent, nothing started" no "$(exists "$record_dir/argv of paint.txt")"
group="$programs_win\\Acme Links\\"
group_unix=$(wine_unix_path "$group")
expect_eq "links: exactly the three link files, names in their case with .LNK" \
  "Acme Paint.LNK|Tools/Extra/App.LNK|Tools/read Me.LNK" \
  "$(cd "$group_unix" 2>/dev/null && find . -type f | sed 's|^\./||' | LC_ALL=C sort | paste -sd '|')"
expect_eq "links: a literal folder creates nothing" no "$(exists "$c_drive/Acme Elsewhere")"
expect_eq "links: shortcut directly in the group" \
  "${product}Paint.exe|Acme Paint|${product%\\}" \
  "$(for f in 'Local path' Description 'Working directory'; do link_field "$group_unix/Acme Paint.LNK" "$f"; done | paste -sd '|')"
expect_eq "links: shortcut in a created sub-folder" \
  "${product}ReadMe.txt|read Me|${product%\\}" \
  "$(for f in 'Local path' Description 'Working directory'; do link_field "$group_unix/Tools/read Me.LNK" "$f"; done | paste -sd '|')"
expect_eq "links: nested folder, target below the product directory" \
  "${product}Bin\\App.exe|App|${product}Bin" \
  "$(for f in 'Local path' Description 'Working directory'; do link_field "$group_unix/Tools/Extra/App.LNK" "$f"; done | paste -sd '|')"

uninstall_unix=$(wine_unix_path "${product}Uninstall\\Uninstall.EXE")
expect_eq "links: uninstall data, in order" \
  "Acme Links|$product|$group|${product}Bin\\App.exe|${product}Docs\\Help.txt|${product}Paint.exe|${product}ReadMe.txt|${group}Acme Paint.LNK|${group}Tools\\read Me.LNK|${group}Tools\\Extra\\App.LNK|${product}Uninstall\\Uninstall.EXE" \
  "$(appended_lines "$uninstall_unix" | paste -sd '|')"
expect_true "links: the uninstall program is the package's, with data behind it" \
  cmp -n "$(stat -c %s "$standin_uninstall")" "$standin_uninstall" "$uninstall_unix"
quoted="\"${product}Uninstall\\Uninstall.EXE\""
expect_eq "links: uninstall entry" \
  "Acme Links|$quoted|$quoted /S|$product|${product}Paint.exe|0x1|0x1" \
  "$(for v in DisplayName UninstallString QuietUninstallString InstallLocation DisplayIcon NoModify NoRepair; do
       wine_reg_value 32 "$uninstall_key\\Acme Links" "$v"; done | paste -sd '|')"
bytes=$(cat "$(wine_unix_path "$product")"/{Bin/App.exe,Docs/Help.txt,Paint.exe,ReadMe.txt,Uninstall/Uninstall.EXE} \
  "$group_unix"/{"Acme Paint.LNK","Tools/read Me.LNK","Tools/Extra/App.LNK"} | wc -c)
expect_eq "links: estimated size in KB of the listed files" "$(printf '0x%x' $(((bytes + 1023) / 1024)))" \
  "$(wine_reg_value 32 "$uninstall_key\\Acme Links" EstimatedSize)"
expect_eq "links: installed-programs record" "$product" "$(wine_reg_value 32 "$installed_key\\Acme Links" Directory)"
# In the dialog the program is started: the reinstall answers Yes to replacing the first.
expect_true "links, in the dialog: installed again" grep -q 'exit=0$' \
  <<<"$(drive "$scratch/links.exe" window:VexaInstall click:1001 box answer:6 exit)"
wait_for_file "$record_dir/argv of paint.txt"
expect_eq "links: the first placeholder Execute line started, quoted, with its parameters" \
  "\"${product}Paint.exe\" /record \"C:\\Acme Record\\argv of paint.txt\"" \
  "$(cat "$record_dir/argv of paint.txt" 2>/dev/null)"
expect_eq "links: no later Execute line started" no "$(exists "$record_dir/second.txt")"

expect_eq "links: a script without the entry's settings writes none of their values" "none|none|none|none" \
  "$(for v in Publisher DisplayVersion URLInfoAbout HelpLink; do
       wine_reg_value 32 "$uninstall_key\\Acme Links" "$v" || echo none; done | paste -sd '|')"

# --- The uninstall entry an administrator expects: publisher, version and web site from
# the script, the rest from the run; the size is what the run wrote.
package entry 'SetProductName "Acme Entry"' 'SetProductDirectory "<ProgramFilesDir>\Acme Entry"' \
  'InstallProgram "Program.Cab"' 'Execute "<ProductDirectory>\Paint.exe"' 'SetPublisher "Acme Software"' \
  'SetDisplayVersion "2.1.0.7"' 'SetURLInfoAbout "https://www.acme.example/"' \
  'SetHelpLink "https://www.acme.example/help/"' 'SetPublisher "Second Line Loses"'
expect_eq "entry: exit status" 0 "$(install entry)"
entry_dir='C:\Program Files (x86)\Acme Entry\'
expect_eq "entry: the script's values, then the run's" \
  "Acme Software|2.1.0.7|https://www.acme.example/|https://www.acme.example/help/|${entry_dir}Paint.exe|$entry_dir|0x1|0x1" \
  "$(for v in Publisher DisplayVersion URLInfoAbout HelpLink DisplayIcon InstallLocation NoModify NoRepair; do
       wine_reg_value 32 "$uninstall_key\\Acme Entry" "$v"; done | paste -sd '|')"
installed_bytes=$(find "$(wine_unix_path "$entry_dir")" -type f -printf '%s\n' | awk '{ s += $1 } END { print s }')
estimated_kb=$(($(wine_reg_value 32 "$uninstall_key\\Acme Entry" EstimatedSize)))
expect_true "entry: EstimatedSize ($estimated_kb KB) is within 1 % of the $installed_bytes bytes installed" \
  awk -v kb="$estimated_kb" -v bytes="$installed_bytes" 'BEGIN { d = kb * 1024 - bytes; if (d < 0) d = -d; exit !(d <= bytes / 100) }'

# --- No program group, no Execute line, a directory without blanks.
prog_files A.txt=a
package bare 'SetProductName "Acme Bare"' 'SetProductDirectory "C:\AcmeBare"' 'InstallProgram "Program.Cab"' \
  'CreateProgramGroup "<ProductProgramGroup>", "Lost", "<ProductDirectory>\A.txt"'
expect_eq "bare: exit status" 0 "$(install bare)"
expect_eq "bare: no program groups step, nothing to start" \
  "Installing PROGRAM.CAB|Creating Uninstall Program|Installation completed" "$(log_of bare)"
expect_eq "bare: empty group line" 'Acme Bare|C:\AcmeBare\||C:\AcmeBare\A.txt|C:\AcmeBare\Uninstall\Uninstall.EXE' \
  "$(appended_lines "$c_drive/AcmeBare/Uninstall/Uninstall.EXE" | paste -sd '|')"
expect_eq "bare: unquoted uninstall string" 'C:\AcmeBare\Uninstall\Uninstall.EXE' \
  "$(wine_reg_value 32 "$uninstall_key\\Acme Bare" UninstallString)"
expect_eq "bare: without an Execute program the icon is the uninstall program's" \
  'C:\AcmeBare\Uninstall\Uninstall.EXE' "$(wine_reg_value 32 "$uninstall_key\\Acme Bare" DisplayIcon)"

# --- Execute: a document through the shell, only literal lines, a program that is missing.
wine reg add 'HKCR\.acmedoc' /ve /d AcmeDoc /f /reg:32 >/dev/null 2>&1
wine reg add 'HKCR\AcmeDoc\shell\open\command' /ve /f \
  /d "\"C:\\AcmeBare\\Paint.exe\" /record \"%1.opened\"" /reg:32 >/dev/null 2>&1
prog_files Notes.acmedoc=notes
cp "$paint" "$scratch/prog/Paint.exe"
package doc 'SetProductName "Acme Doc"' 'SetProductDirectory "C:\AcmeBare"' 'InstallProgram "Program.Cab"' \
  'Execute "<ProductDirectory>Notes.acmedoc", "dropped parameter"'
expect_eq "document, in the dialog: the end" "exit=0" "$(drive "$scratch/doc.exe" window:VexaInstall click:1001 exit)"
wait_for_file "$c_drive/AcmeBare/Notes.acmedoc.opened"
expect_eq "document: opened through the shell, without the parameters" \
  '"C:\AcmeBare\Paint.exe" /record "C:\AcmeBare\Notes.acmedoc.opened"' \
  "$(cat "$c_drive/AcmeBare/Notes.acmedoc.opened" 2>/dev/null)"
package literal 'SetProductName "Acme Doc"' 'SetProductDirectory "C:\AcmeBare"' 'InstallProgram "Program.Cab"' \
  'Execute "C:\AcmeBare\Paint.exe", "/record", "C:\AcmeBare\literal.txt"' 'SetDoneMessage "Done."'
expect_eq "only literal Execute lines: exit status" 0 "$(install literal)"
expect_eq "only literal Execute lines: message after the done message" \
  "Message: Done.|Message: Script Error. Program filename specified in script is null." \
  "$(log_of literal | grep -o 'Message: .*' | paste -sd '|')"
package missing 'SetProductName "Acme Doc"' 'SetProductDirectory "C:\AcmeBare"' 'InstallProgram "Program.Cab"' \
  'Execute "<ProductDirectory>\Gone.exe"'
expect_eq "missing program, in the dialog: the message after replacing the earlier installation" \
  'box=Error. Cannot execute C:\AcmeBare\Gone.exe|exit=0' \
  "$(drive "$scratch/missing.exe" window:VexaInstall click:1001 box answer:6 box answer:1 exit | sed 's/^.*|box=Error/box=Error/')"

# --- Installing twice into the same directory.
twice='C:\Acme Twice\'
twice_unix="$c_drive/Acme Twice"
prog_files A.txt=first Old/Only.txt=old Keep/Listed.txt=listed
package twice1 'SetProductProgramGroup "<ProgramsGroup>\Acme Twice"' 'SetProductName "Acme Twice"' \
  'SetProductDirectory "C:\Acme Twice"' 'InstallProgram "Program.Cab"' \
  'CreateProgramGroup "<ProductProgramGroup>", "A", "<ProductDirectory>A.txt"' \
  'CreateProgramGroup "<ProductProgramGroup>Tools", "Old", "<ProductDirectory>Old\Only.txt"'
expect_eq "twice: first install" 0 "$(install twice1)"
printf 'user\r\n' >"$twice_unix/Keep/User.txt"
wine reg add "$installed_key\\Acme Twice" /v Marker /d 1 /f /reg:32 >/dev/null 2>&1
wine reg add "$uninstall_key\\Acme Twice" /v Marker /d 1 /f /reg:32 >/dev/null 2>&1
prog_files A.txt=second New.txt=new
package twice2 'SetProductProgramGroup "<ProgramsGroup>\Acme Twice"' 'SetProductName "Acme Twice"' \
  'SetProductDirectory "<ProgramFilesDir>\Acme Twice"' 'InstallProgram "Program.Cab"' \
  'CreateProgramGroup "<ProductProgramGroup>", "A", "<ProductDirectory>A.txt"'
expect_eq "twice: second install into the recorded directory" 0 "$(install twice2)"
expect_eq "twice: asked, removed first, then installed" \
  "Question: A previous installation of this program was found in directory: |${twice}|Continuing will remove the previous installation of this program. Would you like to continue? -> Yes|Removing previous installation of this program|Installing PROGRAM.CAB|Creating Program Groups|Creating Uninstall Program|Installation completed" \
  "$(log_of twice2 | tr -d '\r')"
expect_eq "twice: the first run's files gone, a file it did not list kept" \
  "A.txt=second|Keep/User.txt=user|New.txt=new|Uninstall/Uninstall.EXE=" \
  "$(cd "$twice_unix" && find . -type f | sed 's|^\./||' | LC_ALL=C sort | while read -r f; do
       [ "$f" = Uninstall/Uninstall.EXE ] && echo "$f=" || echo "$f=$(tr -d '\r' <"$f")"; done | paste -sd '|')"
twice_group_unix=$(wine_unix_path "$programs_win\\Acme Twice")
expect_eq "twice: emptied group sub-folder removed" "A.LNK" \
  "$(cd "$twice_group_unix" && find . -mindepth 1 | sed 's|^\./||' | paste -sd '|')"
expect_eq "twice: both keys were deleted and written again" "none|none|$twice" \
  "$(wine_reg_value 32 "$installed_key\\Acme Twice" Marker || echo none)|$(wine_reg_value 32 "$uninstall_key\\Acme Twice" Marker || echo none)|$(wine_reg_value 32 "$installed_key\\Acme Twice" Directory)"
expect_eq "twice: the new uninstall program lists only the new files" \
  "Acme Twice|$twice|$programs_win\\Acme Twice\\|${twice}A.txt|${twice}New.txt|$programs_win\\Acme Twice\\A.LNK|${twice}Uninstall\\Uninstall.EXE" \
  "$(appended_lines "$twice_unix/Uninstall/Uninstall.EXE" | paste -sd '|')"

# --- An earlier installation whose uninstall program was deleted by hand.
prog_files Stale.txt=stale
package gone1 'SetProductName "Acme Gone"' 'SetProductDirectory "<ProgramFilesDir>\Acme Gone"' 'InstallProgram "Program.Cab"'
expect_eq "gone: first install elsewhere" 0 "$(install gone1 '/D=C:\Gone Place')"
rm -f "$c_drive/Gone Place/Acme Gone/Uninstall/Uninstall.EXE"
prog_files Fresh.txt=fresh
package gone2 'SetProductName "Acme Gone"' 'SetProductDirectory "<ProgramFilesDir>\Acme Gone"' 'InstallProgram "Program.Cab"'
expect_eq "gone: second install" 0 "$(install gone2)"
expect_eq "gone: not offered for removal" "Installing PROGRAM.CAB|Creating Uninstall Program|Installation completed" \
  "$(log_of gone2)"
expect_eq "gone: the recorded directory is still the default destination" "yes yes no" \
  "$(exists "$c_drive/Gone Place/Acme Gone/Fresh.txt") $(exists "$c_drive/Gone Place/Acme Gone/Stale.txt") $(exists "$(wine_unix_path 'C:\Program Files (x86)')/Acme Gone")"

# --- Tampered uninstall data names files outside the two directories.
canary="$c_drive/hostile-canary"
mkdir -p "$canary/a/b"
for n in 1 2 3 4; do printf 'keep\r\n' >"$canary/victim$n.txt"; done
win_ini_before=$(md5sum <"$c_drive/windows/win.ini")
prog_files A.txt=a Sub/B.txt=b
package hostile1 'SetProductName "Acme Hostile"' 'SetProductDirectory "C:\Acme Hostile"' 'InstallProgram "Program.Cab"'
expect_eq "hostile: first install" 0 "$(install hostile1)"
prog_files A.txt=a
package hostile 'SetProductName "Acme Hostile"' 'SetProductDirectory "C:\Acme Hostile"' 'InstallProgram "Program.Cab"'
ln -s ../hostile-canary "$c_drive/Acme Hostile/link"
write_appended_lines "$c_drive/Acme Hostile/Uninstall/Uninstall.EXE" 'Acme Hostile' 'C:\Acme Hostile\' 'C:\' \
  'C:\windows\win.ini' 'C:\Acme Hostile\..\hostile-canary\victim1.txt' '..\..\victim2.txt' \
  'C:\Acme Hostile\link\victim3.txt' 'C:\hostile-canary\victim4.txt' 'C:\Acme Hostile\Sub\B.txt' \
  'c:/acme hostile/a.txt'
expect_eq "hostile: second install" 0 "$(cd "$canary/a/b" && install hostile)"
expect_eq "hostile: the removal ran" "Removing previous installation of this program" \
  "$(log_of hostile | tr '|' '\n' | grep Removing)"
expect_eq "hostile: nothing outside the product directory deleted" "victim1.txt victim2.txt victim3.txt victim4.txt" \
  "$(cd "$canary" && ls victim* | paste -sd ' ')"
expect_eq "hostile: win.ini untouched" "$win_ini_before" "$(md5sum <"$c_drive/windows/win.ini")"
expect_eq "hostile: the link was not removed" yes "$([ -L "$c_drive/Acme Hostile/link" ] && echo yes || echo no)"
expect_eq "hostile: listed files inside the directory were removed" "no yes" \
  "$(exists "$c_drive/Acme Hostile/Sub") $(exists "$c_drive/Acme Hostile/A.txt")"

# A product directory line that is not the recorded one: not offered for removal at all.
write_appended_lines "$c_drive/Acme Hostile/Uninstall/Uninstall.EXE" 'Acme Hostile' 'C:\' '' 'C:\hostile-canary\victim4.txt'
expect_eq "hostile directory line: install" 0 "$(install hostile)"
expect_eq "hostile directory line: not offered" "Installing PROGRAM.CAB|Creating Uninstall Program|Installation completed" \
  "$(log_of hostile)"
expect_eq "hostile directory line: nothing deleted" yes "$(exists "$canary/victim4.txt")"

finish
