# Shell helpers for tests that drive Windows programs under Wine. Source this file from a
# test that ctest runs inside the Wine test session (scripts/wine-session start).
#
#   wine_run_timed SECONDS PROGRAM [ARGS...]  run a Windows program, print its 32-bit exit
#                                             code; status 124 (and "timeout") when it had
#                                             to be ended after SECONDS
#   wine_reg_value VIEW KEY NAME              print a registry value of the test prefix from
#                                             its 32-bit or 64-bit view (VIEW 32 or 64)
#   wine_unix_path WINDOWS_PATH               print the Linux path of a path in the prefix
#   wine_windows_path UNIX_PATH               print the Windows path of a Linux path
#   wine_screenshot FILE.png                  save the Xvfb display as a PNG
#   set_dpi DPI                               set the display's DPI (96 is 100%) and start
#                                             the session's wineserver again, which reads it
#
# The prefix is a WoW64 one, as 64-bit Windows is, and `wine reg` is the 32-bit reg.exe
# there: every registry access names its view (/reg:32 or /reg:64).
#
# The helpers need the Windows build's runexit.exe; VEXA_WINDOWS_BINARY_DIR points at that
# build (ctest sets VEXA_BINARY_DIR, used when the former is unset).

_vexa_top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
_vexa_envfile=${VEXA_WINE_SESSION:-$_vexa_top/build/wine-session}/env
if [ ! -f "$_vexa_envfile" ]; then
  echo "wine-lib: no Wine test session; run scripts/wine-session start" >&2
  return 1 2>/dev/null || exit 1
fi
# shellcheck disable=SC1090
. "$_vexa_envfile"
VEXA_WINDOWS_BINARY_DIR=${VEXA_WINDOWS_BINARY_DIR:-${VEXA_BINARY_DIR:-$_vexa_top/build/windows}}
_vexa_runexit=$VEXA_WINDOWS_BINARY_DIR/tests/harness/runexit.exe

# Every prefix maps drive Z: to the Linux root, so no Wine process is needed for this
# (one per call would also be one more chance for a busy session to answer nothing).
wine_windows_path() {
  case "$1" in
    /*) printf 'Z:%s\n' "${1//\//\\}" ;;
    *) printf '%s\n' "$1" ;;
  esac
}

wine_run_timed() {
  local seconds=$1 program
  shift
  program=$(wine_windows_path "$1")
  shift
  local out status=0
  # runexit.exe ends the program itself at the limit; the outer timeout is a backstop.
  out=$(timeout --kill-after=5 $((seconds + 15)) wine "$_vexa_runexit" $((seconds * 1000)) "$program" "$@" | tr -d '\r') || status=$?
  printf '%s\n' "$out"
  return "$status"
}

wine_reg_value() {
  local view=$1 key=$2 name=$3 line
  case "$view" in
    32 | 64) ;;
    *) echo "wine_reg_value: name the registry view (32 or 64) first" >&2; return 2 ;;
  esac
  line=$(wine reg query "$key" /v "$name" "/reg:$view" 2>/dev/null | tr -d '\r' | grep -E "^ +$name +REG_") || return 1
  # "    NAME    REG_SZ    data": the data is everything after the type column.
  printf '%s\n' "$line" | sed -E "s/^ +$name +REG_[A-Z_]+ *//"
}

wine_unix_path() {
  local win=$1 drive rest
  drive=$(printf '%s' "${win:0:1}" | tr 'A-Z' 'a-z')
  [ "${win:1:1}" = ":" ] || { echo "wine_unix_path: not a drive path: $win" >&2; return 1; }
  rest=${win:2}
  rest=${rest//\\//}
  local path
  path=$(readlink -f "$WINEPREFIX/dosdevices/$drive:") || return 1
  # Windows paths ignore case; find each component as it is spelled on disk.
  local part match
  IFS=/ read -r -a parts <<<"${rest#/}"
  for part in "${parts[@]}"; do
    [ -n "$part" ] || continue
    if [ -e "$path/$part" ]; then
      path=$path/$part
      continue
    fi
    match=$(find "$path" -mindepth 1 -maxdepth 1 -iname "$part" -print -quit 2>/dev/null)
    path=${match:-$path/$part}
  done
  printf '%s\n' "$path"
}

wine_screenshot() {
  xwd -root -silent -display "$DISPLAY" | convert xwd:- "png:$1"
}

# Wine reads the DPI when its server starts: the server is ended and started again, as the
# session started it. A test that calls this must run alone (RUN_SERIAL) and put 96 back.
set_dpi() {
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f /reg:64 >/dev/null 2>&1
  wineserver -k
  wineserver -p >/dev/null 2>&1
  wineboot >/dev/null 2>&1
}
