#!/bin/bash
# Includes run one way: the wizard's faces over its model, the model over the release
# builder, the builder over the components. The programs that run on the end user's PC
# (engine, supplied programs, map control) share nothing with the wizard side. A file that
# includes a header of a layer above its own fails this test, naming both.
set -euo pipefail
top=${VEXA_SOURCE_DIR:-$(cd "$(dirname "$0")/.." && pwd)}
cd "$top"

# Each layer and the folders it is made of, top first.
layers=("wizard_window vexabuild" "wizard" "builder" "components")
end_user="engine supplied mapctl"

headers_of() {  # the header names defined in FOLDERS
  find "$@" -name '*.h' -printf '%f\n' 2>/dev/null | sort -u
}

includes_of() {  # FILE:HEADER for every quoted include in FOLDERS
  grep -rHo --include='*.cpp' --include='*.h' --include='*.rc' '^#include "[^"]*"' "$@" |
    sed 's/:#include "\(.*\)"$/:\1/'
}

# check FOLDERS... -- OUT_OF_REACH...: no file of the first set includes a header that only
# the second set defines.
failures=0
check() {
  local lower=() upper=()  # the checked folders, and those out of their reach
  while [ "$1" != "--" ]; do lower+=("$1"); shift; done
  shift
  upper=("$@")
  local own forbidden
  own=$(headers_of "${lower[@]}")
  forbidden=$(comm -23 <(headers_of "${upper[@]}") <(printf '%s\n' "$own"))
  [ -n "$forbidden" ] || return 0
  while IFS=: read -r file header; do
    if grep -qxF "$header" <<<"$forbidden"; then
      echo "FAIL: $file includes $header, a header of ${upper[*]}, which its layer must not reach"
      failures=$((failures + 1))
    fi
  done < <(includes_of "${lower[@]}")
}

for ((i = 1; i < ${#layers[@]}; i++)); do
  above=()
  for ((j = 0; j < i; j++)); do above+=(${layers[j]}); done
  check ${layers[i]} -- "${above[@]}"
done
check $end_user -- ${layers[*]}
check ${layers[*]} -- $end_user

[ "$failures" -eq 0 ] || exit 1
echo "one-way layers: ok"
