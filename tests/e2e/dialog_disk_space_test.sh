#!/usr/bin/env bash
# Not enough room on the destination drive, in the real dialog: the exact message naming
# the drive and the bytes, Install usable again, nothing written.
# The drive is a 1 MiB tmpfs mapped as Wine drive S: when this machine lets us mount one;
# otherwise the script claims more bytes than drive C: has, which takes the same road.
. "$(dirname "$0")/e2e-lib.sh"

small=$scratch/small-drive
drive_link=$WINEPREFIX/dosdevices/s:
cleanup() {
  rm -f "$drive_link"
  mountpoint -q "$small" && umount "$small"
  rm -rf "$scratch"
}
trap cleanup EXIT

mkdir -p "$scratch/prog" "$scratch/pkg" "$small"
head -c 1500000 /dev/urandom >"$scratch/prog/Big.dat"
make_cab "$scratch/pkg/Program.Cab" "$scratch/prog"
size=$(cab_size "$scratch/pkg/Program.Cab")
if mount -t tmpfs -o size=1m vexa-small "$small" 2>/dev/null; then
  ln -sfn "$small" "$drive_link"
  drive=S: claimed=$size available=1048576
else
  echo "note: cannot mount a tmpfs here; claiming more bytes than drive C: has"
  drive=C: claimed=900000000000000 available='[0-9]+'
fi
required=$((claimed + 4 * claimed))

printf 'SetProductName "Acme Small"\r\nSetProductDirectory "%s\\Acme Small"\r\nInstallProgram "Program.Cab", "%s", "", "0", "%s", "", ""\r\n' \
  "$drive" "$claimed" "$((4 * claimed))" >"$scratch/pkg/Script.TXT"
make_cab "$scratch/attachment.cab" "$scratch/pkg" Script.TXT Program.Cab
make_setup "$scratch/Setup.exe" "$engine" "$scratch/attachment.cab"

out=$(timeout 120 wine "$driver" "$(wine_windows_path "$scratch/Setup.exe")" -- window:VexaInstall text:201 \
  click:1001 box answer:1 enabled:1001 visible:201 visible:1000 click:1002 exit 2>/dev/null | tr -d '\r')
expect_eq "destination on the small drive" "201=$drive\\Acme Small\\" "$(grep '^201=' <<<"$out")"
expect_true "exact message naming $drive and $required bytes: $(grep '^box=' <<<"$out")" grep -qE \
  "^box=Error: Insufficient disk space on drive $drive for this installation\. Space required is: $required bytes\. Space available is: $available bytes\. $" <<<"$out"
expect_eq "Install usable again, the first state kept, Cancel ends with 0" \
  "1001 enabled|201 visible|1000 hidden|exit=0" "$(grep -E '^(1001|201 |1000|exit)' <<<"$out" | paste -sd '|')"
if [ "$drive" = S: ]; then
  expect_eq "nothing written on the drive" "" "$(ls -A "$small")"
else
  expect_eq "nothing written" no "$([ -e "$(wine_unix_path 'C:\Acme Small')" ] && echo yes || echo no)"
fi

finish
