#!/usr/bin/env bash
# wine_prefix.sh PREFIX [CA_PEM]
# Makes PREFIX a 32-bit Wine prefix for the tests: created once, no winedbg
# crash dialog, and CA_PEM trusted inside this prefix only (never the host's
# store). Does nothing that was already done; safe to run concurrently.
set -euo pipefail

if [ $# -lt 1 ] || [ $# -gt 2 ]; then
  echo "usage: $0 PREFIX [CA_PEM]" >&2
  exit 2
fi
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
export WINEPREFIX
WINEPREFIX=$(realpath -m -- "$1")
ca_pem=${2:+$(realpath -- "$2")}
# shellcheck source=wine_env.sh
source "$here/wine_env.sh"
unset DISPLAY  # nothing here needs a window

ready_marker="$WINEPREFIX/.mok-prefix-ready"

without_lock() {
  # The wineserver and Wine's services outlive the command; they must not
  # inherit the lock, or the next caller waits for them to exit.
  "$@" 9>&-
}

create_prefix() {
  [ -f "$ready_marker" ] && return
  echo "wine_prefix.sh: creating $WINEPREFIX"
  without_lock timeout 300 wineboot --init
  without_lock timeout 120 wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null
  touch "$ready_marker"
}

trust_ca() {
  local fingerprint marker reg_file
  fingerprint=$(openssl x509 -in "$ca_pem" -noout -fingerprint -sha1 | sed 's/.*=//; s/://g')
  marker="$WINEPREFIX/.mok-trusts-$fingerprint"
  [ -f "$marker" ] && return
  reg_file="$WINEPREFIX/mok-test-ca.reg"
  python3 "$here/ca_reg.py" "$ca_pem" > "$reg_file"
  without_lock timeout 120 wine reg import "$(without_lock winepath -w "$reg_file")"
  without_lock timeout 120 wine reg query \
    "HKCU\\Software\\Microsoft\\SystemCertificates\\Root\\Certificates\\$fingerprint" /v Blob >/dev/null
  touch "$marker"
}

mkdir -p "$(dirname "$WINEPREFIX")"
# flock: ctest may start several Wine runs at once against a prefix not yet made.
exec 9>"$WINEPREFIX.lock"
flock 9
create_prefix
[ -z "$ca_pem" ] || trust_ca
