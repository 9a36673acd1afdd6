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
