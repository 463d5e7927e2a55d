#!/usr/bin/env bash
# make_ca.sh OUTDIR
# Throwaway certificates for the local test servers, written to OUTDIR:
#   ca.pem                     the CA the tests trust
#   server.key, server.pem     leaf for localhost / 127.0.0.1, signed by ca.pem
#   server-chain.pem           server.pem + ca.pem (what the servers present)
#   untrusted-ca.pem           an unrelated CA that nothing trusts
#   untrusted-server.key, untrusted-server.pem, untrusted-chain.pem
# The files are made in a scratch folder and moved in at the end, so an
# interrupted run never leaves a mismatched set behind.
set -euo pipefail

if [ $# -ne 1 ]; then
  echo "usage: $0 OUTDIR" >&2
  exit 2
fi
outdir=$1
mkdir -p "$outdir"
work=$(mktemp -d "$outdir/.make_ca.XXXXXX")
trap 'rm -rf "$work"' EXIT

make_ca() {  # NAME COMMON_NAME
  openssl req -x509 -newkey rsa:2048 -nodes -sha256 -days 3650 \
    -keyout "$work/$1.key" -out "$work/$1.pem" -subj "/CN=$2" \
    -addext "basicConstraints=critical,CA:TRUE" \
    -addext "keyUsage=critical,keyCertSign,cRLSign" \
    -addext "subjectKeyIdentifier=hash" 2>/dev/null
}

make_leaf() {  # NAME CA_NAME CHAIN_NAME
  cat > "$work/$1.ext" <<EXT
basicConstraints=critical,CA:FALSE
keyUsage=critical,digitalSignature,keyEncipherment
extendedKeyUsage=serverAuth
subjectAltName=DNS:localhost,IP:127.0.0.1
subjectKeyIdentifier=hash
authorityKeyIdentifier=keyid
EXT
  openssl req -new -newkey rsa:2048 -nodes -sha256 \
    -keyout "$work/$1.key" -out "$work/$1.csr" -subj "/CN=localhost" 2>/dev/null
  openssl x509 -req -sha256 -days 825 -in "$work/$1.csr" \
    -CA "$work/$2.pem" -CAkey "$work/$2.key" -set_serial "0x$(openssl rand -hex 8)" \
    -extfile "$work/$1.ext" -out "$work/$1.pem" 2>/dev/null
  cat "$work/$1.pem" "$work/$2.pem" > "$work/$3.pem"
}

make_ca ca "MOK Test CA (throwaway)"
make_leaf server ca server-chain
make_ca untrusted-ca "MOK Untrusted Test CA (throwaway)"
make_leaf untrusted-server untrusted-ca untrusted-chain

openssl verify -CAfile "$work/ca.pem" "$work/server.pem" >/dev/null
openssl verify -CAfile "$work/untrusted-ca.pem" "$work/untrusted-server.pem" >/dev/null

chmod 600 "$work"/*.key
for f in ca.pem ca.key server.key server.pem server-chain.pem \
         untrusted-ca.pem untrusted-ca.key untrusted-server.key untrusted-server.pem untrusted-chain.pem; do
  mv -f "$work/$f" "$outdir/$f"
done
