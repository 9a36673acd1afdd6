# The machine's own Debian archive, read from its apt sources, so that the project works
# behind whatever mirror or proxy a machine uses and names no archive host of its own.
#
#   debian_release   the release's code name (/etc/os-release), e.g. bookworm
#   debian_archive   the URI of the first enabled "deb" entry for that release (not its
#                    -updates or -security suites), from /etc/apt/sources.list.d/*.sources
#                    (deb822) and /etc/apt/sources.list and sources.list.d/*.list (one-line);
#                    fails with a message when there is none

debian_release() {
  local VERSION_CODENAME=
  # shellcheck disable=SC1091
  . /etc/os-release
  [ -n "$VERSION_CODENAME" ] || { echo "apt-sources: /etc/os-release names no release" >&2; return 1; }
  printf '%s\n' "$VERSION_CODENAME"
}

debian_archive() {
  local release uri
  release=$(debian_release) || return 1
  local sources=()
  shopt -s nullglob
  sources=(/etc/apt/sources.list.d/*.sources)
  local lists=(/etc/apt/sources.list /etc/apt/sources.list.d/*.list)
  shopt -u nullglob
  uri=$(
    {
      [ ${#sources[@]} -eq 0 ] || awk -v release="$release" '
        function flush() {
          if (!found && types ~ /(^| )deb( |$)/ && (" " suites " ") ~ (" " release " ") && enabled != "no" && uris != "") {
            split(uris, u, " "); print u[1]; found = 1
          }
          types = ""; suites = ""; uris = ""; enabled = ""
        }
        FNR == 1 { flush() }
        /^[ \t]*#/ { next }
        /^[ \t]*$/ { flush(); next }
        {
          field = tolower($1); sub(/:$/, "", field)
          value = $0; sub(/^[^:]*:[ \t]*/, "", value); gsub(/[ \t]+/, " ", value)
          if (field == "types") types = value
          else if (field == "suites") suites = value
          else if (field == "uris") uris = value
          else if (field == "enabled") enabled = tolower(value)
        }
        END { flush() }' "${sources[@]}"
      local list
      for list in "${lists[@]}"; do
        [ -f "$list" ] || continue
        # deb [options] URI SUITE COMPONENTS...
        awk -v release="$release" '
          $1 == "deb" {
            i = 2
            if ($2 ~ /^\[/) { while (i <= NF && $i !~ /\]$/) i++; i++ }
            if ($(i + 1) == release) { print $i; exit }
          }' "$list"
      done
    } | head -n1
  )
  if [ -z "$uri" ]; then
    echo "apt-sources: no enabled 'deb' entry for $release in /etc/apt/sources.list or /etc/apt/sources.list.d" >&2
    return 1
  fi
  printf '%s\n' "${uri%/}"
}
