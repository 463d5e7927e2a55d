#!/usr/bin/env bash
# start.sh STATEDIR PORTBASE
# Starts the local test servers, all on 127.0.0.1, and returns once each answers:
#   PORTBASE     nginx, HTTPS, serving STATEDIR/docroot
#   PORTBASE+1   fault_server.py, HTTPS (certificate from the trusted CA)
#   PORTBASE+2   fault_server.py, HTTPS (certificate from an unrelated CA)
#   PORTBASE+3   plain-http listener of the first fault server (/redirect-http/ target)
#   PORTBASE+4   left closed
# Certificates go to STATEDIR/ca (made once), logs to STATEDIR/logs, pids to
# STATEDIR/pids. Servers still running from an earlier start are stopped first.
set -euo pipefail
shopt -u patsub_replacement 2>/dev/null || true  # '&' in a path must stay literal

if [ $# -ne 2 ] || ! [[ $2 =~ ^[0-9]+$ ]] || [ "$2" -lt 1024 ] || [ "$2" -gt 65530 ]; then
  echo "usage: $0 STATEDIR PORTBASE   (PORTBASE 1024..65530)" >&2
  exit 2
fi
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
statedir=$(realpath -m -- "$1")
portbase=$2
ready_seconds=20

port_open() {
  timeout 2 bash -c "exec 3<>/dev/tcp/127.0.0.1/$1" 2>/dev/null
}

certificates_usable() {
  local f
  for f in ca.pem server-chain.pem server.key untrusted-ca.pem untrusted-chain.pem untrusted-server.key; do
    [ -s "$statedir/ca/$f" ] || return 1
  done
  # Regenerate a day before the leaf expires rather than fail mid-run.
  openssl x509 -checkend 86400 -noout -in "$statedir/ca/server-chain.pem" >/dev/null
}

write_nginx_conf() {
  local conf user_line=""
  [ "$(id -u)" -eq 0 ] && user_line="user root;"  # workers must read any docroot the tests write
  conf=$(<"$here/nginx.conf.in")
  conf=${conf//@STATEDIR@/$statedir}
  conf=${conf//@PORT@/$portbase}
  conf=${conf//@USER_LINE@/$user_line}
  printf '%s\n' "$conf" > "$statedir/nginx/nginx.conf"
}

start_server() {  # NAME COMMAND...
  local name=$1
  shift
  # Own session and no inherited stdio: ctest waits for its test's output
  # pipes to close, and a terminal's signals must not reach the servers.
  setsid "$@" </dev/null >>"$statedir/logs/$name.out" 2>&1 &
  echo $! > "$statedir/pids/$name.pid"
}

wait_ready() {  # NAME URL CAFILE
  python3 "$here/wait_ready.py" "$2" "$3" "$ready_seconds" "$(<"$statedir/pids/$1.pid")"
}

on_exit() {
  [ "$1" -eq 0 ] && return
  echo "start.sh: the servers did not start; logs:" >&2
  tail -n 20 "$statedir"/logs/*.out "$statedir"/logs/nginx-error.log 2>/dev/null >&2 || true
  bash "$here/stop.sh" "$statedir" || true
}

bash "$here/stop.sh" "$statedir"
mkdir -p "$statedir"/{ca,docroot/mok-patch,logs,nginx,pids}
certificates_usable || bash "$here/make_ca.sh" "$statedir/ca"

for offset in 0 1 2 3 4; do
  if port_open $((portbase + offset)); then
    echo "start.sh: port $((portbase + offset)) on 127.0.0.1 is already in use" >&2
    exit 1
  fi
done

trap 'on_exit $?' EXIT
write_nginx_conf
start_server nginx nginx -e "$statedir/logs/nginx-error.log" -p "$statedir/nginx/" \
  -c "$statedir/nginx/nginx.conf" -g 'daemon off;'
start_server fault python3 "$here/fault_server.py" --port $((portbase + 1)) \
  --plain-port $((portbase + 3)) --cert "$statedir/ca/server-chain.pem" \
  --key "$statedir/ca/server.key" --docroot "$statedir/docroot" \
  --log "$statedir/logs/fault-requests.log"
start_server untrusted python3 "$here/fault_server.py" --port $((portbase + 2)) \
  --cert "$statedir/ca/untrusted-chain.pem" --key "$statedir/ca/untrusted-server.key" \
  --docroot "$statedir/docroot" --log "$statedir/logs/untrusted-requests.log"

wait_ready nginx "https://localhost:$portbase/" "$statedir/ca/ca.pem"
wait_ready fault "https://localhost:$((portbase + 1))/__log" "$statedir/ca/ca.pem"
wait_ready untrusted "https://localhost:$((portbase + 2))/__log" "$statedir/ca/untrusted-ca.pem"
wait_ready fault "http://localhost:$((portbase + 3))/" ""
# Tests expect an empty request log; the plain listener logged the probe.
wait_ready fault "https://localhost:$((portbase + 1))/__clear" "$statedir/ca/ca.pem"
if port_open $((portbase + 4)); then
  echo "start.sh: port $((portbase + 4)) must stay closed but something listens there" >&2
  exit 1
fi
echo "test servers up in $statedir: nginx :$portbase, fault :$((portbase + 1)), untrusted :$((portbase + 2)), plain :$((portbase + 3)), closed :$((portbase + 4))"
