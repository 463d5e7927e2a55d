#!/usr/bin/env bash
# fixture_setup.sh STATEDIR PORTBASE [WINEPREFIX]
# Set-up of the ctest fixture `mok_servers`: the servers, and for the Win32
# tests a prefix that trusts the test CA with Wine already running in it, so
# no test pays Wine's start-up or waits on its services.
set -euo pipefail

if [ $# -lt 2 ] || [ $# -gt 3 ]; then
  echo "usage: $0 STATEDIR PORTBASE [WINEPREFIX]" >&2
  exit 2
fi
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
statedir=$1

bash "$here/start.sh" "$statedir" "$2"
[ $# -eq 3 ] || exit 0

export WINEPREFIX=$3
# shellcheck source=wine_env.sh
source "$here/wine_env.sh"
bash "$here/wine_prefix.sh" "$WINEPREFIX" "$statedir/ca/ca.pem"
# The wineserver and services outlive this script: keep them off ctest's
# output pipes, which ctest waits on.
wine_log="$statedir/logs/wine-services.out"
# A wineserver left by wine_prefix.sh would exit seconds after its last
# client; replace it by one that persists between tests.
timeout 60 wineserver -k </dev/null >>"$wine_log" 2>&1 || true
timeout 60 wineserver -w </dev/null >>"$wine_log" 2>&1
wineserver -p 60 </dev/null >>"$wine_log" 2>&1
timeout 120 wine cmd /c exit </dev/null >>"$wine_log" 2>&1
echo "Wine ready in $WINEPREFIX"
