#!/usr/bin/env bash
# stop.sh STATEDIR
# Stops the servers that start.sh recorded in STATEDIR/pids and waits until
# they are gone. A pid is signalled only while its command line still names
# STATEDIR, so a recycled pid is never hit.
set -euo pipefail

if [ $# -ne 1 ]; then
  echo "usage: $0 STATEDIR" >&2
  exit 2
fi
statedir=$(realpath -m -- "$1")

alive() {  # PID; a zombie counts as gone
  local stat
  stat=$(cat "/proc/$1/stat" 2>/dev/null) || return 1
  stat=${stat##*) }
  [ "${stat%% *}" != Z ]
}

ours() {  # PID
  alive "$1" && tr '\0' ' ' < "/proc/$1/cmdline" 2>/dev/null | grep -qF -- "$statedir"
}

wait_gone() {  # PID TENTHS_OF_A_SECOND
  local i
  for ((i = 0; i < $2; i++)); do
    alive "$1" || return 0
    sleep 0.1
  done
  return 1
}

stop_pid() {  # NAME PID
  ours "$2" || return 0
  kill -TERM "$2" 2>/dev/null || true
  if ! wait_gone "$2" 100; then
    echo "stop.sh: $1 (pid $2) ignored SIGTERM; killing it" >&2
    kill -KILL "$2" 2>/dev/null || true
    wait_gone "$2" 50 || { echo "stop.sh: $1 (pid $2) is still running" >&2; return 1; }
  fi
}

status=0
for pidfile in "$statedir"/pids/*.pid; do
  [ -e "$pidfile" ] || continue
  name=$(basename "$pidfile" .pid)
  pid=$(<"$pidfile")
  if [[ $pid =~ ^[0-9]+$ ]] && ! stop_pid "$name" "$pid"; then
    status=1
    continue
  fi
  rm -f "$pidfile"
done
exit $status
