#!/usr/bin/env bash
# The uninstall program acts only for its own product. A user's process can put a copy of
# the shipped Uninstall.exe into a "~ts" directory of the temporary path and start it as
# the temporary copy (/CLEANUP= /ORIGINAL=), or start a copy carrying uninstall data of its
# own making from anywhere: either way nothing may be deleted and no registry key touched.
# A copy started by a process that is not the named original, or naming a program that is
# not the process it holds, is refused as well (copy_launcher.exe passes its own process
# handle, as the original does).
. "$VEXA_SOURCE_DIR/tests/e2e/e2e-lib.sh"

uninstall=$VEXA_SOURCE_DIR/dist/Uninstall.exe
launcher=$VEXA_BINARY_DIR/tests/supplied/copy_launcher.exe
own_size=$(stat -c %s "$uninstall")
case $(x86_64-w64-mingw32-objdump -f "$uninstall" | sed -n 's/.*file format //p') in
  pei-x86-64) view=/reg:64 ;;
  *) view=/reg:32 ;;
esac
temp_win=$(wine cmd /c echo %TEMP% 2>/dev/null | tr -d '\r')
temp=$(wine_unix_path "$temp_win")
public_win='C:\users\Public\Documents\'
reports=$(wine_unix_path 'C:\users\Public\Documents')/Reports
other_uninstall_key='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Other Product'
other_installed_key='HKLM\SOFTWARE\Corvanta Install\Installed Programs\Other Product'
copy_dir=$temp/~tsCopyAttack$$
# Started by its name in the temporary directory, as a user's process would start it.
copy_win="$temp_win\\~tsCopyAttack$$\\Uninstall.exe"
fake_product=$(wine_unix_path 'C:\users\Public\Documents')/Uninstall

cleanup() {
  rm -rf "$scratch" "$copy_dir" "$reports" "$fake_product" "$temp/evil-data$$.exe"
  wine reg delete "$other_uninstall_key" /f "$view" >/dev/null 2>&1
  wine reg delete "$other_installed_key" /f "$view" >/dev/null 2>&1
}
trap cleanup EXIT

# A copy of the shipped program carrying LINES... as its uninstall data.
with_data() {
  local file=$1
  shift
  cp "$uninstall" "$file"
  { printf '%s\r\n' "$@"; printf 'CORVANTAORGEXESIZE%14s' "$own_size"; } >>"$file"
}
victims() {
  echo "precious $([ -f "$reports/precious.xlsx" ] && echo kept || echo gone)" \
    "uninstall-key $(wine reg query "$other_uninstall_key" "$view" >/dev/null 2>&1 && echo kept || echo gone)" \
    "installed-key $(wine reg query "$other_installed_key" "$view" >/dev/null 2>&1 && echo kept || echo gone)"
}
setup_victims() {
  mkdir -p "$reports"
  printf 'quarterly figures\r\n' >"$reports/precious.xlsx"
  wine reg add "$other_uninstall_key" /v DisplayName /d "Other Product" /f "$view" >/dev/null 2>&1
  wine reg add "$other_installed_key" /v Directory /d 'C:\Program Files\Other Product\' /f "$view" >/dev/null 2>&1
}
log_of() { tr -d '\r' <"$1" 2>/dev/null | paste -sd '|'; }
intact="precious kept uninstall-key kept installed-key kept"
refused_copy="Message: Error. The options /CLEANUP= and /ORIGINAL= are for the uninstall program's own use."

mkdir -p "$copy_dir"
cp "$uninstall" "$copy_dir/Uninstall.exe"
data_win="$temp_win\\evil-data$$.exe"
with_data "$temp/evil-data$$.exe" 'Other Product' "$public_win" '' "${public_win}Reports\\precious.xlsx"

# --- The copy mode with no original at all.
setup_victims
expect_eq "copy mode, /CLEANUP=0: refused" 1603 \
  "$(wine_run_timed 60 "$copy_win" /CLEANUP=0 "/ORIGINAL=$data_win" \
     "/LOG=$(wine_windows_path "$scratch/zero.log")")"
expect_eq "copy mode, /CLEANUP=0: the precious file and the other product's keys are untouched" "$intact" "$(victims)"
expect_eq "copy mode, /CLEANUP=0: the message" "$refused_copy" "$(log_of "$scratch/zero.log")"

# --- A real process handle, of a process that is not the program /ORIGINAL names.
setup_victims
expect_eq "copy mode, the handle of another program: refused" 1603 \
  "$(wine_run_timed 60 "$launcher" "$copy_win" /CLEANUP=%HANDLE% \
     "/ORIGINAL=$data_win" "/LOG=$(wine_windows_path "$scratch/other.log")")"
expect_eq "copy mode, the handle of another program: nothing touched" "$intact" "$(victims)"
expect_eq "copy mode, the handle of another program: the message" "$refused_copy" "$(log_of "$scratch/other.log")"

# --- Data of its own making in a directory of its own: the product directory is neither
# the recorded one nor the one above the program's Uninstall folder.
setup_victims
rm -f "$scratch/plain.log"
expect_eq "data naming another product's directory, run from elsewhere: refused" 1603 \
  "$(wine_run_timed 60 "$temp/evil-data$$.exe" /S "/LOG=$(wine_windows_path "$scratch/plain.log")")"
expect_eq "data naming another product's directory: nothing touched" "$intact" "$(victims)"
expect_eq "data naming another product's directory: the message" \
  "Message: Error. This uninstall program does not belong to the installation its data names: C:\\users\\Public\\Documents\\ is not the directory recorded for Other Product. Nothing was removed." \
  "$(log_of "$scratch/plain.log")"

# --- The same data in an Uninstall folder below the directory it names (a user can write
# there): the recorded directory still differs.
setup_victims
mkdir -p "$fake_product"
with_data "$fake_product/Uninstall.EXE" 'Other Product' "$public_win" '' "${public_win}Reports\\precious.xlsx"
expect_eq "data in an Uninstall folder of a directory the user owns: refused" 1603 \
  "$(wine_run_timed 60 "$fake_product/Uninstall.EXE" /S "/LOG=$(wine_windows_path "$scratch/placed.log")")"
expect_eq "data in an Uninstall folder of a directory the user owns: nothing touched" "$intact" "$(victims)"

# --- The product name is a registry key name and no path.
setup_victims
with_data "$fake_product/Uninstall.EXE" 'Acme\..\Other Product' "$public_win" '' "${public_win}Reports\\precious.xlsx"
expect_eq "a product name with a backslash: refused" 1603 \
  "$(wine_run_timed 60 "$fake_product/Uninstall.EXE" /S "/LOG=$(wine_windows_path "$scratch/name.log")")"
expect_eq "a product name with a backslash: the message" \
  "Message: Error. The uninstall data of this program is damaged: the product name Acme\\..\\Other Product holds characters no name may hold. Nothing was removed." \
  "$(log_of "$scratch/name.log")"
expect_eq "a product name with a backslash: nothing touched" "$intact" "$(victims)"

finish
