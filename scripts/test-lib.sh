# Assertions for shell tests. A failed expectation is reported and counted; finish ends
# the test with the count as its status.
_vexa_failures=0

expect_eq() {  # expect_eq WHAT EXPECTED ACTUAL
  if [ "$2" != "$3" ]; then
    printf 'FAIL: %s\n  expected: %s\n  actual:   %s\n' "$1" "$2" "$3" >&2
    _vexa_failures=$((_vexa_failures + 1))
  else
    printf 'ok: %s\n' "$1"
  fi
}

expect_true() {  # expect_true WHAT COMMAND...
  local what=$1
  shift
  if "$@"; then
    printf 'ok: %s\n' "$what"
  else
    printf 'FAIL: %s (command: %s)\n' "$what" "$*" >&2
    _vexa_failures=$((_vexa_failures + 1))
  fi
}

finish() {
  if [ "$_vexa_failures" -ne 0 ]; then
    printf '%d expectation(s) failed\n' "$_vexa_failures" >&2
    exit 1
  fi
  exit 0
}

# need_programs PROGRAM...: stops the test at once when the machine lacks one of them,
# naming it and the Debian package that provides it (scripts/setup-deps installs them all),
# instead of letting every check that uses it fail on its own.
need_programs() {
  local setup program package missing=()
  setup=$(dirname "${BASH_SOURCE[0]}")/setup-deps
  for program in "$@"; do
    command -v "$program" >/dev/null 2>&1 && continue
    package=$("$setup" --package-of "$program") || package=unknown
    missing+=("$program (Debian package $package)")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  local list
  list=$(printf '%s, ' "${missing[@]}")
  printf 'FAIL: %s needs what this machine lacks: %s; scripts/setup-deps installs it\n' "${0##*/}" "${list%, }" >&2
  exit 1
}
