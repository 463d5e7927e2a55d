#!/usr/bin/env bash
# fixture_cleanup.sh STATEDIR [WINEPREFIX]
# Clean-up of the ctest fixture `mok_servers`: stops this prefix's Wine and the
# servers that fixture_setup.sh started.
set -uo pipefail

if [ $# -lt 1 ] || [ $# -gt 2 ]; then
  echo "usage: $0 STATEDIR [WINEPREFIX]" >&2
  exit 2
fi
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
status=0

if [ $# -eq 2 ] && [ -d "$2" ]; then
  export WINEPREFIX=$2
  # shellcheck source=wine_env.sh
  source "$here/wine_env.sh"
  timeout 60 wineserver -k </dev/null >/dev/null 2>&1
  timeout 60 wineserver -w </dev/null >/dev/null 2>&1 || status=1
fi
bash "$here/stop.sh" "$1" || status=1
exit $status
