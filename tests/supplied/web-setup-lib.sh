# Web setup packages made with independent tools (gcab, sha256sum, the engine's Setup.exe
# from the build) in the formats the release builder writes, served by the loopback test
# server. Source after e2e-lib.sh (or test-lib.sh and package-lib.sh).
#
#   start_web_server ROOT        the server on ROOT; sets web_port, web_base (its URL),
#                                web_log (one line per request), web_faults (see the server)
#   stop_web_server
#   long_signature FILE          sha256-<hex>-<size>
#   split_cabinet CABINET N DIR  the parts and part list of CABINET in DIR, as SplitCab makes them
#   make_web_site DIR PROGRAM_CAB PARTS WEB_EXE [COMPONENT_LINES...]
#                                DIR (below the server's root) gets the program cabinet (whole,
#                                or in PARTS parts), the web script in MyPageScript.Cab; WEB_EXE
#                                is the stand-alone program with the six lines appended
#                                (WEB_SITE_NO_EXECUTE=1: the script runs no program)
#   component_line KIND URL-DIR CABINET FILE VERSION [CLASS-ID]
#                                an InstallDllFile (KIND dll) or InstallOcxFile (ocx) line for
#                                CABINET, which holds FILE
#   served_bytes PATH            body bytes the server sent for PATH; requests_for PATH
#   make_localhost_certificate PREFIX
#                                a server certificate for localhost and 127.0.0.1, self-signed:
#                                PREFIX-key.pem, PREFIX-cert.pem and PREFIX-cert.der

web_server_program=${VEXA_BINARY_DIR:-$VEXA_SOURCE_DIR/build/windows}/tests/supplied/web_test_server
web_setup_program=$VEXA_SOURCE_DIR/dist/VexaStandAloneWebProg.exe
_web_server_pid=

start_web_server() {
  local root=$1
  web_log=$root/../server.log
  web_faults=$root/../faults.txt
  : >"$web_log"
  : >"$web_faults"
  rm -f "$root/../port"
  "$web_server_program" --root "$root" --port-file "$root/../port" --log "$web_log" --faults "$web_faults" &
  _web_server_pid=$!
  for _ in $(seq 1 100); do [ -s "$root/../port" ] && break; sleep 0.05; done
  web_port=$(cat "$root/../port")
  web_base=http://127.0.0.1:$web_port
}

stop_web_server() {
  if [ -n "$_web_server_pid" ]; then
    kill "$_web_server_pid" 2>/dev/null || true
    wait "$_web_server_pid" 2>/dev/null || true
  fi
  _web_server_pid=
}

long_signature() {
  printf 'sha256-%s-%s' "$(sha256sum "$1" | cut -c1-64)" "$(stat -c %s "$1")"
}

split_cabinet() {
  local cabinet=$1 parts=$2 dir=$3 size name stem base extra offset=0 i length part
  size=$(stat -c %s "$cabinet")
  name=$(basename "$cabinet")
  stem=${name%.*}
  base=$((size / parts))
  extra=$((size % parts))
  mkdir -p "$dir"
  {
    printf 'VexaPartList 1\r\nCabinet %s %s %s\r\n' "$size" "$(sha256sum "$cabinet" | cut -c1-64)" "$name"
    for ((i = 1; i <= parts; i++)); do
      length=$base
      [ "$i" -le "$extra" ] && length=$((base + 1))
      part=$(printf '%s_part%04d.bin' "$stem" "$i")
      tail -c +$((offset + 1)) "$cabinet" | head -c "$length" >"$dir/$part"
      offset=$((offset + length))
      printf 'Part %s %s %s\r\n' "$length" "$(sha256sum "$dir/$part" | cut -c1-64)" "$part"
    done
  } >"$dir/${stem}_parts.txt"
}

component_line() {
  local kind=$1 url=$2 cabinet=$3 file=$4 version=$5 class_id=${6:-}
  local size file_size signature
  size=$(stat -c %s "$cabinet")
  file_size=$(stat -c %s "$file")
  signature=$(long_signature "$cabinet")
  if [ "$kind" = dll ]; then
    printf 'InstallDllFile "%s/%s", "%s", "%s", "%s", "0", "%s", "%s", ""' "$url" "$(basename "$cabinet")" "$size" \
      "$(basename "$file")" "$version" "$file_size" "$signature"
  else
    printf 'InstallOcxFile "%s/%s", "%s", "%s", "%s", "%s", "0", "%s", "%s"' "$url" "$(basename "$cabinet")" "$size" \
      "$(basename "$file")" "$version" "$class_id" "$file_size" "$signature"
  fi
}

make_web_site() {
  local dir=$1 program_cab=$2 parts=$3 exe=$4
  shift 4
  local url_path=${dir#"$web_root"}
  mkdir -p "$dir"
  rm -f "$dir"/*
  local size signature
  size=$(stat -c %s "$program_cab")
  signature=$(long_signature "$program_cab")
  if [ "$parts" -gt 1 ]; then
    split_cabinet "$program_cab" "$parts" "$dir"
  else
    cp "$program_cab" "$dir/Prog1.cab"
  fi
  local script=$dir/../MyPageScript.txt line
  {
    printf "'''''''''''''''''''''''''''''''''''''''''''''''''\r\n' File Name: MyPageScript.txt\r\n'\r\n"
    printf "' This file was generated automatically with the \r\n' Corvanta Scriptor.\r\n' Version: 1.0\r\n"
    printf "'''''''''''''''''''''''''''''''''''''''''''''''''\r\n\r\n\r\n"
    printf "' Specify the default product directory.\r\nSetProductDirectory \"<TempDir>\"\r\n\r\n"
    printf "' InstallDialogTitle.\r\nSetInstallDialogTitle \"Installing Acme Paint\"\r\n\r\n"
    for line in "$@"; do printf '%s\r\n' "$line"; done
    printf "\r\n''' InstallOcxFile \"%s/activex/VexaLoad.cab\", \"1\", \"VexaLoad.ocx\", \"1,0,0,0\", \"{00000000-0000-0000-0000-000000000000}\", \"0\", \"1\", \"\"\r\n\r\n\r\n" "$web_base"
    printf 'InstallProgram "Prog1.cab", "%s", "%s;20261207101530", "%s", "%s", "%s", ""\r\n\r\n' "$size" "$size" \
      "$parts" "$((4 * size))" "$signature"
    [ -n "${WEB_SITE_NO_EXECUTE:-}" ] || printf "' Program To Execute.\r\nExecute \"<ProductDirectory>\\\\Setup.exe\"\r\n\r\n"
    printf "'''''''''''''''' end of script ''''''''''''''''''\r\n"
  } >"$script"
  (cd "$dir/.." && gcab -c "$dir/MyPageScript.Cab" MyPageScript.txt >/dev/null)
  rm -f "$script"
  local short
  short=$(sha256sum "$dir/MyPageScript.Cab" | cut -c1-32)
  cp "$web_setup_program" "$exe"
  printf '%s/activex/\r\n1.0.0.0\r\n%s%s\r\nMyPageScript.Cab\r\n%s\r\nWEBSETUP' "$web_base" "$web_base" "$url_path" "$short" >>"$exe"
}

# package_key URL CABINET: the web setup cache's key of the package published at URL with the
# script cabinet CABINET (docs/web-setup-formats.md, "Cache directories").
package_key() {
  printf '%s\n%s' "$1" "$(printf '%s' "$2" | tr 'a-z' 'A-Z')" | sha256sum | cut -c1-32
}

served_bytes() {
  awk -v p="$1" '$2 == p { sub("sent=", "", $NF); s += $NF } END { print s + 0 }' "$web_log"
}

requests_for() {
  awk -v p="$1" '$2 == p' "$web_log" | wc -l
}

make_localhost_certificate() {
  openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=localhost" \
    -addext "subjectAltName=DNS:localhost,IP:127.0.0.1" -addext extendedKeyUsage=serverAuth \
    -keyout "$1-key.pem" -out "$1-cert.pem" 2>/dev/null &&
    openssl x509 -in "$1-cert.pem" -outform DER -out "$1-cert.der"
}
