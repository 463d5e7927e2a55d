# Sourced by run_scenario.sh: the helpers of the end-to-end runs of the real
# launcher under Wine on an Xvfb screen of its own. Every process started here
# is recorded by id and stopped by id.

IM_CONVERT=/usr/bin/convert  # /usr/local/bin may hold a stand-in named convert
IM_IMPORT=/usr/bin/import

FAILURES=0
XVFB_PID=""
PATCHER_PID=""
WIN_X=0 WIN_Y=0 WIN_W=0 WIN_H=0 MAIN_WINDOW=""

# Client-area colours, as ImageMagick prints them.
BAND=0C0E14 TRACK=282C3A FILL=F2C467 MAIN_ARMED=F2C467 MAIN_UNARMED=5A5A64 CLOSE_RED=C84646 WHITE=FFFFFF

note() { echo "-- $*"; }
fail() {
  echo "FAIL: $*"
  FAILURES=$((FAILURES + 1))
}
fatal() {
  echo "FAIL: $*"
  FAILURES=$((FAILURES + 1))
  exit 1
}

stop_pid() {  # PID
  [ -n "$1" ] || return 0
  if kill -0 "$1" 2>/dev/null; then
    kill "$1" 2>/dev/null
    wait "$1" 2>/dev/null
  fi
  return 0
}

# Ends the Wine session of the scenarios' own prefix, with everything that runs
# in it; used only on that prefix.
stop_wine_session() {
  timeout 60 wineserver -k </dev/null >/dev/null 2>&1
  timeout 60 wineserver -w </dev/null >/dev/null 2>&1
  return 0
}

finish() {
  local status=$?
  stop_pid "$PATCHER_PID"
  [ -n "$XVFB_PID" ] && stop_wine_session
  stop_pid "$XVFB_PID"
  if [ "$FAILURES" -eq 0 ] && [ "$status" -eq 0 ]; then
    rm -rf "$WORK"
    echo "passed: $SCENARIO"
  elif [ "$FAILURES" -eq 0 ] && [ "$status" -eq 77 ]; then
    rm -rf "$WORK"
    echo "skipped: $SCENARIO"
  else
    echo "--- last lines of the launcher's text trace ($WORK/trace.log):"
    grep -a 'DrawTextExW L' "$WORK/trace.log" 2>/dev/null | tail -n 8
    echo "failed: $SCENARIO ($FAILURES problems; files kept in $WORK)"
    [ "$status" -ne 0 ] || status=1
  fi
  exit "$status"
}

# ---- The screen -----------------------------------------------------------------

start_xvfb() {  # WIDTHxHEIGHT
  local i
  : >"$WORK/display"
  Xvfb -displayfd 3 -screen 0 "$1x24" -nolisten tcp 3>"$WORK/display" </dev/null \
    >"$WORK/xvfb.log" 2>&1 &
  XVFB_PID=$!
  for ((i = 0; i < 100; i++)); do
    [ -s "$WORK/display" ] && break
    kill -0 "$XVFB_PID" 2>/dev/null || fatal "Xvfb did not start: $(cat "$WORK/xvfb.log")"
    sleep 0.1
  done
  [ -s "$WORK/display" ] || fatal "Xvfb named no display"
  export DISPLAY=":$(tr -d '[:space:]' <"$WORK/display")"
  note "Xvfb $1 on $DISPLAY"
}

screenshot() {  # FILE
  "$IM_IMPORT" -window root "$1" || fatal "could not take a screenshot"
}

# Colour of a client-area point of the launcher in a screenshot, as RRGGBB.
pixel() {  # FILE X Y
  "$IM_CONVERT" "$1" -crop "1x1+$((WIN_X + $2))+$((WIN_Y + $3))" +repage -depth 8 txt:- |
    grep -o '#[0-9A-F]\{6\}' | head -n 1 | tr -d '#'
}

# Each case: "X Y RRGGBB what"; every mismatch is reported.
expect_pixels() {  # FILE CASE...
  local shot=$1 x y want what got
  shift
  for case in "$@"; do
    read -r x y want what <<<"$case"
    got=$(pixel "$shot" "$x" "$y")
    [ "$got" = "$want" ] || fail "$what at client ($x,$y): got #$got, want #$want"
  done
}

# Waits until a client point shows a colour; the last screenshot stays in FILE.
wait_pixel() {  # FILE X Y RRGGBB SECONDS
  local deadline=$((SECONDS + $5))
  while :; do
    screenshot "$1"
    [ "$(pixel "$1" "$2" "$3")" = "$4" ] && return 0
    [ "$SECONDS" -lt "$deadline" ] || return 1
    sleep 0.2
  done
}

click() {  # X Y (client coordinates of the launcher)
  xdotool mousemove --sync $((WIN_X + $1)) $((WIN_Y + $2)) click 1
}

# ---- The launcher ---------------------------------------------------------------

run_wine() {  # SECONDS OUT EXE [ARGS...]: quietly, output to OUT, off ctest's pipes
  local seconds=$1 out=$2
  shift 2
  WINEDEBUG=-all timeout --kill-after=10 "$seconds" wine "$@" </dev/null >"$out" 2>&1
}

# Runs FOLDER/MOKPatcher.exe from FOLDER, named by its full path: Wine starts
# a program whose working folder is too long for Windows in C:\windows.
start_launcher() {  # FOLDER
  (cd "$1" && WINEDEBUG=-all,trace+text exec timeout --kill-after=10 300 wine "$1/MOKPatcher.exe") \
    </dev/null >"$WORK/launcher.out" 2>"$WORK/trace.log" &
  PATCHER_PID=$!
}

# The status texts the launcher has drawn into its status band, one a line.
status_texts() {
  grep -a 'DrawTextExW L".*\[(22,479)-(478,498)\] 00008024' "$WORK/trace.log" 2>/dev/null |
    sed 's/.*DrawTextExW L"\(.*\)", -\?[0-9]*, \[.*/\1/'
}

drew() {  # TEXT: drawn anywhere, by any window of the launcher
  grep -aqF "DrawTextExW L\"$1\"" "$WORK/trace.log" 2>/dev/null
}

wait_drawn() {  # TEXT SECONDS
  local deadline=$((SECONDS + $2))
  until drew "$1"; do
    launcher_running || return 1
    [ "$SECONDS" -lt "$deadline" ] || return 1
    sleep 0.2
  done
}

launcher_running() {
  [ -n "$PATCHER_PID" ] && kill -0 "$PATCHER_PID" 2>/dev/null
}

# Waits for the launcher to end; its exit status is in LAUNCHER_STATUS.
wait_launcher_exit() {  # SECONDS
  local deadline=$((SECONDS + $1))
  while launcher_running; do
    [ "$SECONDS" -lt "$deadline" ] || return 1
    sleep 0.2
  done
  wait "$PATCHER_PID"
  LAUNCHER_STATUS=$?
  PATCHER_PID=""
  return 0
}

windows_titled() {  # TITLE: ids of the visible windows with exactly this title
  xdotool search --onlyvisible --name "^$1\$" 2>/dev/null
}

read_geometry() {
  local X Y WIDTH HEIGHT
  eval "$(xdotool getwindowgeometry --shell "$MAIN_WINDOW" | grep -E '^(X|Y|WIDTH|HEIGHT)=[0-9]+$')"
  WIN_X=$X WIN_Y=$Y WIN_W=$WIDTH WIN_H=$HEIGHT
}

# Finds the launcher's window and its client area on the screen.
find_launcher_window() {
  MAIN_WINDOW=$(timeout 60 xdotool search --sync --onlyvisible --name '^Self Repair$' 2>/dev/null |
    head -n 1)
  [ -n "$MAIN_WINDOW" ] || fatal "the launcher's window did not appear"
  read_geometry
  note "client area ${WIN_W}x${WIN_H} at ($WIN_X,$WIN_Y)"
}

# Presses the left button at a client point, moves by (DX,DY) and releases.
drag() {  # X Y DX DY
  local x=$((WIN_X + $1)) y=$((WIN_Y + $2))
  xdotool mousemove --sync "$x" "$y" mousedown 1
  xdotool mousemove --sync $((x + $3 / 2)) $((y + $4 / 2))
  xdotool mousemove --sync $((x + $3)) $((y + $4)) mouseup 1
}

# Waits until the window's client area is at (X,Y) on the screen.
wait_window_at() {  # X Y SECONDS
  local deadline=$((SECONDS + $3))
  while :; do
    read_geometry
    [ "$WIN_X" -eq "$1" ] && [ "$WIN_Y" -eq "$2" ] && return 0
    [ "$SECONDS" -lt "$deadline" ] || return 1
    sleep 0.2
  done
}

# Without a window manager the X window is the client area; the dialog frame
# around it is as thick on every side. The outer 500x531 rectangle must sit at
# the centre of the screen that Win32 programs in this session see.
check_centred() {
  local sw sh frame
  run_wine 60 "$WORK/screen.txt" "$SCREEN_SIZE_EXE" || fatal "screen_size.exe failed"
  read -r sw sh < <(tr -d '\r' <"$WORK/screen.txt")
  frame=$(((500 - WIN_W) / 2))
  [ $((500 - WIN_W)) -eq $((531 - WIN_H)) ] && [ "$frame" -ge 0 ] ||
    fail "client area ${WIN_W}x${WIN_H} is not a 500x531 window less an even frame"
  [ $((WIN_X - frame)) -eq $(((sw - 500) / 2)) ] && [ $((WIN_Y - frame)) -eq $(((sh - 531) / 2)) ] ||
    fail "window at ($((WIN_X - frame)),$((WIN_Y - frame))) is not centred on ${sw}x${sh}"
  note "window centred on a ${sw}x${sh} screen"
}

# ---- The game and its server ----------------------------------------------------

# Content depends on the relative path only, so the same file made in the
# game and in an installation is identical.
make_file() {  # ROOT RELATIVE_PATH SIZE
  mkdir -p "$(dirname "$1/$2")"
  yes "$2" | head -c "$3" >"$1/$2"
}

manifest_of() {  # TREE: "path|size|sha1" lines, LF, sorted
  (cd "$1" && find . -type f | sed 's|^\./||' | LC_ALL=C sort | while IFS= read -r f; do
    printf '%s|%s|%s\n' "$f" "$(stat -c %s "$f")" "$(sha1sum <"$f" | cut -d ' ' -f 1)"
  done)
}

# Publishes TREE with its manifest and version label at the top of the
# servers' mok-patch folder (nginx, and the fault server's /files/ behind it).
# The engine tests keep to subfolders there, so only what the last scenario
# published is removed first.
publish_game() {  # TREE VERSION
  local published=$MOK_TEST_DOCROOT/mok-patch list name
  list=$published/.e2e-published
  mkdir -p "$published"
  if [ -f "$list" ]; then
    while IFS= read -r name; do
      [ -n "$name" ] && rm -rf "${published:?}/$name"
    done <"$list"
  fi
  { (cd "$1" && ls -A); echo manifest.txt; echo version.txt; } >"$list"
  cp -a "$1/." "$published/"
  manifest_of "$1" >"$published/manifest.txt"
  printf '%s\n' "$2" >"$published/version.txt"
}

install_launcher() {  # EXE FOLDER
  mkdir -p "$2"
  cp "$1" "$2/MOKPatcher.exe"
}

# Every file of TREE is in FOLDER with the same bytes.
expect_installed() {  # TREE FOLDER
  local f
  while IFS= read -r f; do
    cmp -s "$1/$f" "$2/$f" || fail "installed $f differs from the published one"
  done < <(cd "$1" && find . -type f | sed 's|^\./||')
}

expect_state() {  # FOLDER VERSION
  local got
  got=$(cat "$1/MOK_patch.state" 2>/dev/null) || { fail "no MOK_patch.state in $1"; return; }
  [ "$got" = "$2" ] || fail "MOK_patch.state holds '$got', want '$2'"
}
