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
