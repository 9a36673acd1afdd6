# Making Setup.exe packages with independent tools, for the demo and the end-to-end tests
# (the release builder makes them for users).
#
#   make_cab CABINET DIR [NAMES...]     a cabinet (MSZIP, by gcab) of NAMES, given relative
#                                       to DIR (default: every file below DIR)
#   make_setup SETUP ENGINE ATTACHMENT  Setup.exe: the engine followed by the attachment
#   cab_size CABINET                    its size in bytes

make_cab() {
  local cabinet dir=$2
  cabinet=$(realpath -m "$1")
  shift 2
  local names=("$@")
  if [ ${#names[@]} -eq 0 ]; then
    mapfile -t names < <(cd "$dir" && find . -type f | sed 's|^\./||' | LC_ALL=C sort)
  fi
  rm -f "$cabinet"
  (cd "$dir" && gcab -c -z "$cabinet" "${names[@]}" >/dev/null)
}

make_setup() {
  cat "$2" "$3" >"$1"
}

cab_size() {
  stat -c %s "$1"
}

# make_sample_setup DIR [EXECUTE-LINE]
# The sample program's package, as the demo installs it: DIR/Setup.exe, with
# DIR/attachment/ holding its members. The sample script's Execute line may be replaced
# (tests start the program with "/record FILE" so that it ends by itself).
make_sample_setup() {
  local dir=$1 execute=${2:-}
  local top
  top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
  local sample=$top/samples/acme-paint
  rm -rf "$dir"
  mkdir -p "$dir/program" "$dir/attachment"
  cp -r "$sample/files/." "$dir/program/"
  cp "$top/build/windows/samples/Paint.exe" "$dir/program/Paint.exe"
  make_cab "$dir/attachment/Program.Cab" "$dir/program"
  local size
  size=$(cab_size "$dir/attachment/Program.Cab")
  sed -E "s/^(InstallProgram \"Program.Cab\"), \"[0-9]+\"(, \"[^\"]*\", \"0\"), \"[0-9]+\"/\1, \"$size\"\2, \"$((4 * size))\"/" \
    "$sample/Script.TXT" >"$dir/attachment/Script.TXT"
  if [ -n "$execute" ]; then
    local replacement
    replacement=$(printf '%s' "$execute" | sed 's/[\\&|]/\\&/g')
    sed -i "s|^Execute .*\r\$|$replacement\r|" "$dir/attachment/Script.TXT"
  fi
  cp "$top/dist/Uninstall.exe" "$dir/attachment/Uninstall.EXE" 2>/dev/null || true
  local members=(Script.TXT Program.Cab)
  [ -f "$dir/attachment/Uninstall.EXE" ] && members+=(Uninstall.EXE)
  make_cab "$dir/Attachment.CAB" "$dir/attachment" "${members[@]}"
  make_setup "$dir/Setup.exe" "$top/dist/VexaInstall.exe" "$dir/Attachment.CAB"
}
