#!/usr/bin/env bash
# A Setup.exe run from a folder where someone left DLLs named like the system ones (a
# downloads folder) must load none of them, even when Wine is told to prefer such files.
. "$(dirname "$0")/e2e-lib.sh"

canary=$VEXA_BINARY_DIR/tests/e2e/canary_dll.dll

mkdir -p "$scratch/prog" "$scratch/pkg" "$scratch/downloads"
printf 'main program\r\n' >"$scratch/prog/App.txt"
make_cab "$scratch/pkg/Program.Cab" "$scratch/prog"
cp "$VEXA_BINARY_DIR/tests/harness/harness_probe.exe" "$scratch/pkg/Uninstall.EXE"
printf 'SetProductName "Acme Planted"\r\nSetProductDirectory "C:\\Acme Planted"\r\nSetCheckTrust "TRUE"\r\nInstallProgram "Program.Cab"\r\n' \
  >"$scratch/pkg/Script.TXT"
make_cab "$scratch/attachment.cab" "$scratch/pkg" Script.TXT Program.Cab Uninstall.EXE
make_setup "$scratch/downloads/Setup.exe" "$engine" "$scratch/attachment.cab"

# The libraries the engine loads by name while it runs. The engine's own imports (kernel32,
# user32, advapi32, shell32, ole32, msvcrt) are Windows' known DLLs, which Windows never
# takes from a program's folder, and the libraries that a system DLL pulls in are found
# the way the system DLL was. Wine told to prefer native files takes both from the
# program's folder (its loader does not follow those two rules), so such names prove
# nothing here and are not planted.
planted=(wintrust)
overrides=
for name in "${planted[@]}"; do
  cp "$canary" "$scratch/downloads/$name.dll"
  overrides+="$name=n,b;"
done
overrides+="winedbg.exe=d"  # a crash must end the program, not wait in a debugger
markers=$(wine_unix_path 'C:\vexa-canary')
rm -rf "$markers"

# A signed-package check loads WinTrust and its helpers; the package is unsigned, so the
# run must stop there (status 1603) without having loaded a planted library.
status=$(WINEDLLOVERRIDES="$overrides" wine_run_timed 60 "$scratch/downloads/Setup.exe" /S /D=C:\\Acme\ Planted)
expect_eq "unsigned package refused by the trust check" 1603 "$status"
expect_eq "no planted DLL was loaded" "" "$(ls "$markers" 2>/dev/null | paste -sd ' ')"

# What Windows loads before the engine's first instruction comes from its import table, so
# that must name only known DLLs (and msvcrt), never a library Windows would look for in
# the program's folder.
known='^(KERNEL32|USER32|GDI32|ADVAPI32|SHELL32|OLE32|OLEAUT32|COMDLG32|SHLWAPI|MSVCRT)\.DLL$'
imports=$(i686-w64-mingw32-objdump -p "$engine" | sed -n 's/^\s*DLL Name: //p' | tr 'a-z' 'A-Z' | LC_ALL=C sort)
expect_eq "the engine imports only known DLLs" "" "$(grep -v -E "$known" <<<"$imports" | paste -sd ' ')"
expect_true "the engine's import table was read" test -n "$imports"

finish
