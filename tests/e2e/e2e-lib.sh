# What the end-to-end tests share. Source it first: it brings the assertions, the Wine and
# package helpers, a scratch directory removed at exit (a test that needs more cleaning
# sets its own trap and removes "$scratch" there too), and:
#   engine, driver             dist/VexaInstall.exe and the dialog driver
#   write_script FILE LINES... a Setup script in the wizard's style (CR LF lines)
#   drive SETUP STEPS...       run the dialog driver on SETUP; its output, one line per
#                              reading ("drive_lines" keeps the lines apart, "drive" joins
#                              them with "|")
#   leftover_temp_dirs         how many "~ts" directories the prefix's temporary path holds
#   pending_renames            the moves and deletions left for the next boot, one string a
#                              line (PendingFileRenameOperations: an empty line is a deletion)
#   remove_product NAME DIR    take off what an installation of NAME left (below)
#   product_remains NAME DIR   what of it the prefix still holds (below)
set -uo pipefail
. "$VEXA_SOURCE_DIR/scripts/test-lib.sh"
. "$VEXA_SOURCE_DIR/scripts/wine-lib.sh"
. "$VEXA_SOURCE_DIR/scripts/package-lib.sh"
need_programs wine xwd convert gcab

engine=$VEXA_SOURCE_DIR/dist/VexaInstall.exe
driver=$VEXA_BINARY_DIR/tests/e2e/dialog_driver.exe
[ -f "$engine" ] || { echo "no $engine: run make build" >&2; exit 1; }
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

write_script() {
  local file=$1
  shift
  {
    printf "'''''''''''''''''''''''''''''''''''''''''''''''''\r\n' File Name: Script.txt\r\n\r\n"
    local line
    for line in "$@"; do printf '%s\r\n' "$line"; done
    printf "'''''''''''''''' end of script ''''''''''''''''''\r\n"
  } >"$file"
}

drive_lines() {
  local setup=$1
  shift
  timeout 300 wine "$driver" "$(wine_windows_path "$setup")" -- "$@" 2>/dev/null | tr -d '\r'
}

drive() { drive_lines "$@" | paste -sd '|'; }

_e2e_temp_dir=
leftover_temp_dirs() {
  [ -n "$_e2e_temp_dir" ] || _e2e_temp_dir=$(wine_unix_path "$(wine cmd /c echo %TEMP% 2>/dev/null | tr -d '\r')")
  find "$_e2e_temp_dir" -maxdepth 1 -iname '~ts*' 2>/dev/null | wc -l
}

pending_renames() {
  wine reg query 'HKLM\System\CurrentControlSet\Control\Session Manager' /v PendingFileRenameOperations /reg:64 \
    2>/dev/null | tr -d '\r' | sed -n 's/^ *PendingFileRenameOperations *REG_MULTI_SZ *//p' | sed 's/\\0/\n/g'
}

# remove_product NAME PRODUCT_DIR: what an installation of the product NAME left in the
# prefix, removed without its uninstall program: the Start-menu group, the product directory
# (a Linux path) and the two records.
remove_product() {
  find "$WINEPREFIX/drive_c" -ipath "*Start Menu/Programs/$1" -prune -exec rm -rf {} + 2>/dev/null
  rm -rf "$2"
  wine reg delete "HKLM\\SOFTWARE\\Corvanta Install\\Installed Programs\\$1" /f /reg:32 >/dev/null 2>&1
  wine reg delete "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$1" /f /reg:32 >/dev/null 2>&1
}

# product_remains NAME PRODUCT_DIR: what of an installation of the product NAME the prefix
# still holds, one word a line (directory, installed-record, uninstall-record, group);
# nothing when remove_product took it all off.
product_remains() {
  [ -e "$2" ] && echo directory
  wine reg query "HKLM\\SOFTWARE\\Corvanta Install\\Installed Programs\\$1" /reg:32 >/dev/null 2>&1 && echo installed-record
  wine reg query "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$1" /reg:32 >/dev/null 2>&1 && echo uninstall-record
  find "$WINEPREFIX/drive_c" -ipath "*Start Menu/Programs/$1" -print -quit 2>/dev/null | grep -q . && echo group
  return 0
}
