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
  value=$(awk -v name="IDC_$1" '$1 == "#define" && $2 == name { print $3 }' "$VEXA_SOURCE_DIR/wizard_window/wizard_resource.h")
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
