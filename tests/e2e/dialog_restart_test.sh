#!/usr/bin/env bash
# A shared DLL in use, installed through the dialog: its replacement waits for the next
# boot, so the run asks about restarting (the driver answers No), and neither the done
# message nor the program of the Execute line appears.
. "$(dirname "$0")/e2e-lib.sh"

components=$VEXA_BINARY_DIR/tests/shared_components
# The engine and the helper are 32-bit: the DLL lives in the 32-bit system directory.
system_win='C:\windows\syswow64'
system=$(wine_unix_path "$system_win")
trap 'touch "$scratch/release"; sleep 0.5; rm -rf "$scratch"' EXIT

cp "$components/shared_104.dll" "$system/VexaDialogBusy.dll"
wine "$components/hold_module.exe" "$(wine_windows_path "$scratch")\\release" "$system_win\\VexaDialogBusy.dll" \
  >/dev/null 2>&1 &
for _ in $(seq 1 300); do [ -f "$scratch/release.held" ] && break; sleep 0.1; done
expect_true "a process holds the old DLL" test -f "$scratch/release.held"

mkdir -p "$scratch/pkg"
cp "$components/shared_105.dll" "$scratch/pkg/VexaDialogBusy.dll"
write_script "$scratch/pkg/Script.TXT" 'SetProductName "Acme Restart"' 'SetProductDirectory "C:\Acme Restart"' \
  'InstallDllFile "VexaDialogBusy.dll", "1000", "VexaDialogBusy.dll", "1.0.0.5", "0", "1000", "sig", ""' \
  'Execute "<ProductDirectory>\NotThere.exe"' 'SetDoneMessage "Installation completed successfully."'
make_cab "$scratch/attachment.cab" "$scratch/pkg" Script.TXT VexaDialogBusy.dll
make_setup "$scratch/Setup.exe" "$engine" "$scratch/attachment.cab"

pending() {  # the length of the pending-moves value
  wine reg query 'HKLM\System\CurrentControlSet\Control\Session Manager' /v PendingFileRenameOperations /reg:64 2>/dev/null |
    tr -d '\r' | sed -n 's/.*REG_MULTI_SZ *//p' | wc -c
}
pending_before=$(pending)

# After No the program ends: any further box (the done message, or the message of an
# Execute line that cannot start) would leave the driver waiting at "exit".
expect_eq "restart question answered No, nothing else shown, status 0" \
  "box=To complete the Installation, you must re-boot your computer. Would you like to re-boot your computer now?|exit=0" \
  "$(drive "$scratch/Setup.exe" window:VexaInstall click:1001 box answer:7 exit)"
expect_eq "the old DLL stays until the restart" same \
  "$(cmp -s "$components/shared_104.dll" "$system/VexaDialogBusy.dll" && echo same || echo different)"
pending_after=$(pending)
expect_true "the replacement waits in the pending moves (${pending_before:-0} -> $pending_after characters)" \
  test "${pending_after:-0}" -gt "${pending_before:-0}"

finish
