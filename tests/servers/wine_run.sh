#!/usr/bin/env bash
# wine_run.sh PREFIX SECONDS EXE [ARGS...]
# The CMAKE_CROSSCOMPILING_EMULATOR of the Win32 tests: runs EXE under Wine in
# the tests' own prefix, ended after SECONDS (some faults make WinINet wait
# forever). Exit status 124 means it was ended.
set -euo pipefail

if [ $# -lt 3 ]; then
  echo "usage: $0 PREFIX SECONDS EXE [ARGS...]" >&2
  exit 2
fi
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
export WINEPREFIX=$1
seconds=$2
shift 2
# shellcheck source=wine_env.sh
source "$here/wine_env.sh"
# gtest_discover_tests runs EXE at build time, before the test fixture has
# made the prefix.
[ -f "$WINEPREFIX/.mok-prefix-ready" ] || bash "$here/wine_prefix.sh" "$WINEPREFIX" >&2
exec timeout --kill-after=10 "$seconds" wine "$@"
