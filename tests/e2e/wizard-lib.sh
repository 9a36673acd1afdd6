# What the wizard's window tests share; source it after e2e-lib.sh. It brings:
#   wizard                      dist/VexaWizard.exe
#   id NAME                     the window identifier of control NAME (IDC_NAME)
#   make_wizard_directory DIR   DIR/ with a copy of dist/ (the wizard and what it packs)
#   make_program_directory DIR  DIR/ with the sample program's files (Paint.exe included)
#   drive_wizard DIR STEPS...   run the dialog driver on DIR/VexaWizard.exe (output as drive_lines)
wizard=$VEXA_SOURCE_DIR/dist/VexaWizard.exe
[ -f "$wizard" ] || { echo "no $wizard: run make build" >&2; exit 1; }

id() {
  local value
  # The modal windows' controls have a #define; the others an entry X(kind, name, id, ...)
  # in the window's control table.
  value=$(awk -v name="$1" '
    $1 == "#define" && $2 == "IDC_" name { print $3 }
    match($0, /X\([A-Za-z]+, [A-Za-z0-9]+, [0-9]+,/) {
      split(substr($0, RSTART + 2, RLENGTH - 3), entry, ", ")
      if (entry[2] == name) print entry[3]
    }' "$VEXA_SOURCE_DIR/wizard_window/wizard_resource.h" "$VEXA_SOURCE_DIR/wizard_window/wizard_controls.h")
  [ -n "$value" ] || { echo "id: no control $1" >&2; return 1; }
  printf '%s\n' "$value"
}

make_wizard_directory() {
  # A copy of dist/, as a developer has it: the wizard, the engine and the files it packs.
  local dir=$1
  mkdir -p "$dir"
  cp -r "$VEXA_SOURCE_DIR/dist/." "$dir/"
}

make_program_directory() {
  local dir=$1
  mkdir -p "$dir"
  cp -r "$VEXA_SOURCE_DIR/samples/acme-paint/files/." "$dir/"
  cp "$VEXA_BINARY_DIR/samples/Paint.exe" "$dir/Paint.exe"
}

drive_wizard() {
  local dir=$1
  shift
  drive_lines "$dir/VexaWizard.exe" "$@"
}
