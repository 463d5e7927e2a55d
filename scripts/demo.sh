#!/usr/bin/env bash
# scripts/demo.sh: the launcher patching a small demo game from a local HTTPS
# server, as a player would see it.
#
# Builds MOKPatcher.exe (win32 preset, in build/demo) for https://localhost:PORT,
# makes a demo game (a few folders, one file above 8 MiB, a tiny MOK.exe that
# notes where it was started), serves it with the test servers' nginx on
# 127.0.0.1, trusts their CA in the demo's own Wine prefix only, and runs the
# launcher from an empty installation folder: on $DISPLAY when set (press MAIN
# or X yourself), otherwise on an Xvfb screen where MAIN is pressed for you.
# When the run ends it prints what happened and where the screenshot is, then
# stops everything it started. Everything lives in build/demo.
#
# Environment: MOK_DEMO_PORT (default 18480; five ports from there are used).
set -uo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.." || exit 1
root=$(pwd)

port=${MOK_DEMO_PORT:-18480}
demo=$root/build/demo
build=$demo/cmake
servers=$demo/servers
prefix=$demo/wineprefix
game=$demo/game
install=$demo/install
trace=$demo/launcher-trace.log
shot=$demo/screenshot.png
end_texts='Update selesai|File lengkap|Selesai, tapi|Server offline|Gagal ambil'

xvfb_pid=""
launcher_pid=""
servers_started=0
wine_started=0

say() { printf '\n== %s\n' "$*"; }
die() {
  echo "demo.sh: $*" >&2
  exit 1
}

stop_all() {
  if [ -n "$launcher_pid" ] && kill -0 "$launcher_pid" 2>/dev/null; then
    kill "$launcher_pid" 2>/dev/null
    wait "$launcher_pid" 2>/dev/null
  fi
  if [ "$wine_started" -eq 1 ]; then
    WINEPREFIX=$prefix timeout 60 wineserver -k </dev/null >/dev/null 2>&1
    WINEPREFIX=$prefix timeout 60 wineserver -w </dev/null >/dev/null 2>&1
  fi
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null
    wait "$xvfb_pid" 2>/dev/null
  fi
  [ "$servers_started" -eq 1 ] && bash tests/servers/stop.sh "$servers"
  return 0
}
trap stop_all EXIT

# ---- Tools and build -------------------------------------------------------------

say "dependencies"
bash scripts/deps.sh || die "installing the dependencies failed"

say "building MOKPatcher.exe for https://localhost:$port/mok-patch/"
mkdir -p "$demo"
cmake --preset win32 -B "$build" -DMOK_PATCH_HOST="localhost:$port" -DMOK_BUILD_TESTS=OFF \
  >"$demo/configure.log" 2>&1 || { cat "$demo/configure.log"; die "configure failed"; }
cmake --build "$build" --target MOKPatcher || die "build failed"
i686-w64-mingw32-g++-posix -O2 -static -mwindows -o "$demo/MOK.exe" tests/e2e/fake_game.cpp ||
  die "building the demo's MOK.exe failed"

# ---- The demo game and its server --------------------------------------------------

say "demo game in $game"
rm -rf "$game" "$install"
mkdir -p "$game/Data/Maps" "$game/Data/Sound" "$game/Config" "$install"
cp "$demo/MOK.exe" "$game/MOK.exe"
yes 'town map' | head -c 300000 >"$game/Data/Maps/town.map"
yes 'forest map' | head -c 450000 >"$game/Data/Maps/forest.map"
yes 'music' | head -c $((12 * 1024 * 1024)) >"$game/Data/Sound/music.pak"
printf 'resolution=1024x768\nsound=on\n' >"$game/Config/game.ini"
cp "$build/MOKPatcher.exe" "$install/MOKPatcher.exe"

bash tests/servers/start.sh "$servers" "$port" || die "the servers did not start"
servers_started=1
published=$servers/docroot/mok-patch
rm -rf "$published"
mkdir -p "$published"
cp -a "$game/." "$published/"
(cd "$game" && find . -type f | sed 's|^\./||' | LC_ALL=C sort | while IFS= read -r f; do
  printf '%s|%s|%s\n' "$f" "$(stat -c %s "$f")" "$(sha1sum <"$f" | cut -d ' ' -f 1)"
done) >"$published/manifest.txt"
printf 'demo-%s\n' "$(date +%Y%m%d-%H%M%S)" >"$published/version.txt"
echo "serving $(wc -l <"$published/manifest.txt") files, version $(head -n 1 "$published/version.txt")"

# ---- Wine and the screen -------------------------------------------------------------

say "Wine prefix $prefix (trusts the demo CA, nothing else does)"
bash tests/servers/wine_prefix.sh "$prefix" "$servers/ca/ca.pem" || die "the Wine prefix failed"
export WINEPREFIX=$prefix
source tests/servers/wine_env.sh
wine_started=1
# A session left from making the prefix has its desktop on no display.
timeout 60 wineserver -k </dev/null >/dev/null 2>&1
timeout 60 wineserver -w </dev/null >/dev/null 2>&1

interactive=1
if [ -z "${DISPLAY:-}" ]; then
  interactive=0
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$demo/display" </dev/null \
    >"$demo/xvfb.log" 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do
    [ -s "$demo/display" ] && break
    sleep 0.1
  done
  [ -s "$demo/display" ] || die "Xvfb did not start"
  export DISPLAY=":$(tr -d '[:space:]' <"$demo/display")"
  echo "no DISPLAY: using Xvfb on $DISPLAY"
fi

# ---- The run -------------------------------------------------------------------------

say "running the launcher from $install"
(cd "$install" && WINEDEBUG=-all,trace+text exec timeout --kill-after=10 1800 wine "$install/MOKPatcher.exe") \
  </dev/null >"$demo/launcher.out" 2>"$trace" &
launcher_pid=$!

window=$(timeout 60 xdotool search --sync --onlyvisible --name '^Self Repair$' 2>/dev/null | head -n 1)
[ -n "$window" ] || die "the launcher's window did not appear"
status_texts() {
  grep -a 'DrawTextExW L".*\[(22,479)-(478,498)\]' "$trace" | sed 's/.*DrawTextExW L"\(.*\)", -\?[0-9]*, \[.*/\1/'
}
while kill -0 "$launcher_pid" 2>/dev/null && ! status_texts | grep -Eq "^($end_texts)"; do
  sleep 0.5
done
sleep 1  # MAIN turns gold on the next message
import -window "$window" "$shot" 2>/dev/null || import -window root "$shot"

say "what happened"
echo "status texts, in order:"
status_texts | uniq | grep -v '^Mengunduh data game' | sed 's/^/  /'
echo "large-file progress: $(status_texts | grep -c '^Mengunduh data game') updates, last: $(status_texts | grep '^Mengunduh data game' | tail -n 1)"
echo "files fetched:"
status_texts | sed -n 's/^Mengunduh: /  /p'
echo "state file MOK_patch.state: '$(cat "$install/MOK_patch.state" 2>/dev/null)'"
if diff -r --exclude=MOKPatcher.exe --exclude=MOK_patch.state --exclude=launched.txt "$game" "$install" >/dev/null; then
  echo "installation matches the published game"
else
  echo "installation differs from the published game"
fi
echo "screenshot: $shot"

if [ "$interactive" -eq 1 ]; then
  echo "press MAIN to start the demo game, or X to close (waiting up to 10 minutes)"
  for _ in $(seq 1200); do
    kill -0 "$launcher_pid" 2>/dev/null || break
    sleep 0.5
  done
else
  eval "$(xdotool getwindowgeometry --shell "$window" | grep -E '^(X|Y)=[0-9]+$')"
  xdotool mousemove --sync $((X + 410)) $((Y + 460)) click 1
  echo "pressed MAIN"
  for _ in $(seq 120); do
    kill -0 "$launcher_pid" 2>/dev/null || break
    sleep 0.5
  done
fi
if ! kill -0 "$launcher_pid" 2>/dev/null; then
  wait "$launcher_pid"
  echo "launcher ended with status $?"
  launcher_pid=""
fi
for _ in $(seq 20); do
  [ -s "$install/launched.txt" ] && break
  sleep 0.5
done
if [ -s "$install/launched.txt" ]; then
  echo "MOK.exe was started in $(tr -d '\r\n' <"$install/launched.txt")"
else
  echo "MOK.exe was not started"
fi
say "stopping what the demo started"
