# Code-signing certificates issued by a root of the tests' own, each naming a revocation
# list (a CRL distribution point) that a test serves, or that cannot be reached.
#
#   make_signing_root DIR          DIR/root.key, root.pem, root.der and the root's openssl
#                                  database; trust it with trust_certificate add root.der
#   make_publisher DIR NAME CRL    DIR/NAME.key, NAME.pem and NAME.chain.pem (with the root):
#                                  a code-signing certificate "Acme NAME publisher" whose
#                                  revocation list is at the URL CRL
#   revoke_publisher DIR NAME      the root revokes NAME's certificate
#   write_crl DIR FILE             the root's revocation list now, DER-encoded, into FILE
#   sign_with DIR NAME IN OUT      osslsigncode signs IN as NAME (with the chain) into OUT
#
# Each certificate gets a random serial number: Wine 8 keeps what it learnt of a
# certificate's revocation by serial number alone, and keeps a revoked one as good.

make_signing_root() {
  local dir=$1
  mkdir -p "$dir"
  : >"$dir/index.txt"
  echo 01 >"$dir/crlnumber"
  cat >"$dir/ca.cnf" <<CNF
[ ca ]
default_ca = root
[ root ]
database = $dir/index.txt
crlnumber = $dir/crlnumber
default_md = sha256
default_crl_days = 2
CNF
  openssl req -x509 -newkey rsa:2048 -nodes -keyout "$dir/root.key" -out "$dir/root.pem" -days 3 \
    -subj "/CN=Acme Test Root $RANDOM" -addext basicConstraints=critical,CA:TRUE \
    -addext keyUsage=critical,keyCertSign,cRLSign 2>/dev/null
  openssl x509 -in "$dir/root.pem" -outform der -out "$dir/root.der"
}

make_publisher() {
  local dir=$1 name=$2 crl=$3
  openssl req -newkey rsa:2048 -nodes -keyout "$dir/$name.key" -out "$dir/$name.csr" \
    -subj "/CN=Acme $name publisher" 2>/dev/null
  printf 'basicConstraints=CA:FALSE\nextendedKeyUsage=codeSigning\ncrlDistributionPoints=URI:%s\n' "$crl" \
    >"$dir/$name.ext"
  openssl x509 -req -in "$dir/$name.csr" -CA "$dir/root.pem" -CAkey "$dir/root.key" \
    -set_serial "0x$(openssl rand -hex 8)" -days 2 -extfile "$dir/$name.ext" -out "$dir/$name.pem" 2>/dev/null
  cat "$dir/$name.pem" "$dir/root.pem" >"$dir/$name.chain.pem"
}

revoke_publisher() {
  openssl ca -config "$1/ca.cnf" -keyfile "$1/root.key" -cert "$1/root.pem" -revoke "$1/$2.pem" >/dev/null 2>&1
}

write_crl() {
  openssl ca -config "$1/ca.cnf" -keyfile "$1/root.key" -cert "$1/root.pem" -gencrl -out "$1/crl.pem" 2>/dev/null
  openssl crl -in "$1/crl.pem" -outform der -out "$2"
}

sign_with() {
  osslsigncode sign -certs "$1/$2.chain.pem" -key "$1/$2.key" -n "Acme Paint" -in "$3" -out "$4" >/dev/null
}
