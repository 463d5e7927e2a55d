#!/usr/bin/env bash
# run_scenario.sh SCENARIO LAUNCHER_EXE FAKE_GAME_EXE SCREEN_SIZE_EXE SHOT_DIR
# One end-to-end run of the launcher, as a player sees it, against the local
# test servers (environment from the ctest fixture `mok_servers`:
# MOK_TEST_DOCROOT, MOK_TEST_CA, WINEPREFIX). Scenarios:
#   update_and_launch  empty folder: everything is fetched, MAIN starts MOK.exe
#   missing_game       no MOK.exe: MAIN warns and the window stays; X quits
#   held_run           a server that does not answer: MAIN stays grey and idle,
#                      the window can be dragged, X quits in the middle of the run
#   fill_past_track    percent 185 on the board: the bar stops at the track's end
#   folder_too_long    a folder of more than 259 characters: nothing is patched
# The last screenshot of each scenario is kept as SHOT_DIR/SCENARIO.png.
set -uo pipefail

if [ $# -ne 5 ]; then
  echo "usage: $0 SCENARIO LAUNCHER_EXE FAKE_GAME_EXE SCREEN_SIZE_EXE SHOT_DIR" >&2
  exit 2
fi
SCENARIO=$1
LAUNCHER_EXE=$2
FAKE_GAME_EXE=$3
SCREEN_SIZE_EXE=$4
SHOT_DIR=$5
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/e2e_lib.sh"

for need in MOK_TEST_DOCROOT MOK_TEST_CA WINEPREFIX; do
  [ -n "${!need:-}" ] || { echo "FAIL: $need is not set (run through ctest)"; exit 1; }
done
export WINEARCH=win32 WINEDLLOVERRIDES="mscoree,mshtml="
unset http_proxy https_proxy no_proxy HTTP_PROXY HTTPS_PROXY NO_PROXY all_proxy ALL_PROXY
mkdir -p "$SHOT_DIR"
SHOT=$SHOT_DIR/$SCENARIO.png
# A short base folder: one scenario needs a path of a chosen length.
WORK=$(mktemp -d "${TMPDIR:-/tmp}/mok-e2e.XXXXXX")
trap finish EXIT

# A Wine session whose desktop was made without a display, as the servers'
# fixture makes it, puts every window on Wine's null driver. So the scenarios
# use a prefix of their own (the same CA trusted) and start each a session of
# their own on their own screen.
bash "$here/../servers/wine_prefix.sh" "$WINEPREFIX-e2e" "$MOK_TEST_CA" >"$WORK/prefix.log" 2>&1 ||
  fatal "could not make the prefix $WINEPREFIX-e2e: $(tail -n 5 "$WORK/prefix.log")"
export WINEPREFIX=$WINEPREFIX-e2e
stop_wine_session

# A small game: folders, a name with a space, and MOK.exe when asked for.
make_game() {  # TREE WITH_GAME_EXE
  make_file "$1" "game-data/level1.pak" 70000
  make_file "$1" "game-data/sub dir/readme.txt" 300
  make_file "$1" "game-maps/town.bin" 4096
  if [ "$2" = yes ]; then
    cp "$FAKE_GAME_EXE" "$1/MOK.exe"
  fi
}

# At the end of a run: full bar on the track, band colour around it, MAIN gold.
expect_finished_look() {
  wait_pixel "$SHOT" 352 442 "$MAIN_ARMED" 30 || fail "MAIN did not turn gold after the run"
  expect_pixels "$SHOT" \
    "250 478 $BAND status band top" \
    "250 520 $BAND status band below the bar" \
    "19 505 $BAND left of the track" \
    "20 505 $FILL fill start" \
    "479 505 $FILL fill end" \
    "480 505 $BAND right of the track" \
    "350 440 $WHITE MAIN frame" \
    "352 442 $MAIN_ARMED MAIN armed" \
    "458 12 $CLOSE_RED X button"
}

scenario_update_and_launch() {
  make_game "$WORK/game" yes
  publish_game "$WORK/game" "e2e-1.0"
  install_launcher "$LAUNCHER_EXE" "$WORK/install"
  start_launcher "$WORK/install"
  find_launcher_window
  check_centred
  wait_drawn "Update selesai (4 file). Siap dimainkan!" 120 ||
    fatal "the run did not end with 'Update selesai (4 file). Siap dimainkan!'"
  expect_finished_look
  expect_installed "$WORK/game" "$WORK/install"
  expect_state "$WORK/install" "e2e-1.0"

  click 410 460
  wait_launcher_exit 60 || fatal "the launcher did not quit after MAIN started the game"
  [ "$LAUNCHER_STATUS" -eq 0 ] || fail "the launcher exited with $LAUNCHER_STATUS"
  local deadline=$((SECONDS + 60))
  until [ -s "$WORK/install/launched.txt" ] || [ "$SECONDS" -ge "$deadline" ]; do sleep 0.2; done
  [ -s "$WORK/install/launched.txt" ] || fatal "MOK.exe was not started"
  local started want
  started=$(tr -d '\r\n' <"$WORK/install/launched.txt")
  run_wine 60 "$WORK/winepath.txt" winepath -w "$WORK/install" || fatal "winepath failed"
  want=$(tr -d '\r\n' <"$WORK/winepath.txt")
  [ "${started%\\}" = "${want%\\}" ] || fail "MOK.exe started in '$started', want '$want'"
}

scenario_missing_game() {
  make_game "$WORK/game" no
  publish_game "$WORK/game" "e2e-2.0"
  install_launcher "$LAUNCHER_EXE" "$WORK/install"
  # One file already current, one stale with the right size: 2 of 3 fetched.
  make_file "$WORK/install" "game-maps/town.bin" 4096
  make_file "$WORK/install" "game-data/level1.pak" 70000
  printf 'stale' | dd of="$WORK/install/game-data/level1.pak" conv=notrunc status=none
  start_launcher "$WORK/install"
  find_launcher_window
  wait_drawn "Update selesai (2 file). Siap dimainkan!" 120 ||
    fatal "the run did not end with 'Update selesai (2 file). Siap dimainkan!'"
  expect_finished_look
  expect_installed "$WORK/game" "$WORK/install"

  click 410 460
  wait_drawn "MOK.exe belum lengkap. Tunggu patch selesai / jalankan ulang." 30 ||
    fatal "MAIN without MOK.exe showed no warning"
  local deadline=$((SECONDS + 30)) box=""
  while [ -z "$box" ] && [ "$SECONDS" -lt "$deadline" ]; do
    box=$(windows_titled "Self Repair" | grep -vx "$MAIN_WINDOW" | head -n 1)
    [ -n "$box" ] || sleep 0.2
  done
  [ -n "$box" ] || fatal "no second window titled 'Self Repair'"
  screenshot "$SHOT"
  timeout 20 xdotool windowfocus --sync "$box" || fatal "could not focus the warning"
  xdotool key Return
  deadline=$((SECONDS + 30))
  while windows_titled "Self Repair" | grep -qx "$box" && [ "$SECONDS" -lt "$deadline" ]; do sleep 0.2; done
  windows_titled "Self Repair" | grep -qx "$box" && fatal "the warning did not close on Return"
  launcher_running || fatal "the launcher quit after the warning"
  windows_titled "Self Repair" | grep -qx "$MAIN_WINDOW" || fail "the launcher's window is gone"

  click 473 24
  wait_launcher_exit 60 || fatal "X did not quit the launcher"
  [ "$LAUNCHER_STATUS" -eq 0 ] || fail "the launcher exited with $LAUNCHER_STATUS"
}

# The launcher of this scenario waits minutes for every answer.
scenario_held_run() {
  make_game "$WORK/game" no
  publish_game "$WORK/game" "e2e-3.0"
  install_launcher "$LAUNCHER_EXE" "$WORK/install"
  start_launcher "$WORK/install"
  find_launcher_window
  wait_drawn "Mengecek versi server..." 60 || fatal "the run did not start checking the version"
  # 3 percent: 20 + 3 * 460 / 100 = 33.
  wait_pixel "$SHOT" 32 505 "$FILL" 30 || fail "the bar shows no fill at 3 percent"
  expect_pixels "$SHOT" \
    "20 505 $FILL fill start" \
    "32 505 $FILL fill end at 3 percent" \
    "33 505 $TRACK track right of the fill" \
    "479 505 $TRACK track end" \
    "480 505 $BAND right of the track" \
    "352 442 $MAIN_UNARMED MAIN unarmed"
  # The window has no caption: a drag on the picture moves it, a drag that
  # starts on a button does not. Both drags end in one move of (50,30).
  local x0=$WIN_X y0=$WIN_Y
  drag 410 460 40 20
  drag 100 300 50 30
  wait_window_at $((x0 + 50)) $((y0 + 30)) 20 ||
    fail "after a drag on MAIN and one by (50,30) on the picture the window moved by ($((WIN_X - x0)),$((WIN_Y - y0)))"
  # MAIN before X: a warning box would disable the window and X would be
  # ignored, a launch would quit on its own; only an ignored click leaves X to
  # quit the launcher, in the middle of the run.
  click 410 460
  click 473 24
  wait_launcher_exit 60 || fatal "X did not quit the launcher during the run"
  [ "$LAUNCHER_STATUS" -eq 0 ] || fail "the launcher exited with $LAUNCHER_STATUS"
  drew "MOK.exe belum lengkap. Tunggu patch selesai / jalankan ulang." &&
    fail "MAIN reacted during the run"
  status_texts | grep -qv '^Memulai\.\.\.$\|^Mengecek versi server\.\.\.$' &&
    fail "the run went on past the version check: $(status_texts | tail -n 1)"
  [ -e "$WORK/install/MOK_patch.state" ] && fail "a state file was written"
  return 0
}

# Two entries and no line end after the second: total 1, so the second
# download is announced at 5 + 90 * 2 = 185 percent. The launcher of this
# scenario gets every answer seconds late, which holds that state on screen.
scenario_fill_past_track() {
  make_file "$WORK/game" "game-a.bin" 1000
  make_file "$WORK/game" "game-b.bin" 2000
  publish_game "$WORK/game" "e2e-4.0"
  manifest_of "$WORK/game" | head -c -1 >"$MOK_TEST_DOCROOT/mok-patch/manifest.txt"
  install_launcher "$LAUNCHER_EXE" "$WORK/install"
  start_launcher "$WORK/install"
  find_launcher_window
  wait_drawn "Mengunduh: game-b.bin" 120 || fatal "the second download was not announced"
  screenshot "$SHOT"
  # Only a screenshot taken before the run's end text shows the 185 percent.
  if status_texts | grep -q '^Update selesai\|^Selesai'; then
    echo "SKIP: the run ended before the screenshot; nothing was measured"
    exit 77
  fi
  expect_pixels "$SHOT" \
    "20 505 $FILL fill start" \
    "479 505 $FILL fill end" \
    "480 505 $BAND right of the track" \
    "488 505 $BAND toward the window's edge" \
    "352 442 $MAIN_UNARMED MAIN unarmed during the run"
  wait_drawn "Update selesai (2 file). Siap dimainkan!" 120 || fatal "the run did not end"
  click 473 24
  wait_launcher_exit 60 || fatal "X did not quit the launcher"
  [ "$LAUNCHER_STATUS" -eq 0 ] || fail "the launcher exited with $LAUNCHER_STATUS"
}

# A folder too long for BaseDir. Cut at 259 characters, the module path would
# end inside the last folder's name, whose parent would then be patched.
scenario_folder_too_long() {
  make_game "$WORK/game" yes
  publish_game "$WORK/game" "e2e-5.0"
  local parent=$WORK/deep want long
  # "Z:" + parent + "\" must come to 250 characters, the folder to 290.
  want=$((250 - 3 - ${#parent}))
  while [ "$want" -ge 2 ]; do
    long=$((want > 101 ? 100 : want - 1))
    parent=$parent/$(printf '%*s' "$long" '' | tr ' ' p)
    want=$((want - long - 1))
  done
  [ "${#parent}" -ge 240 ] && [ "${#parent}" -le 247 ] ||
    fatal "cannot make a parent folder of 240 to 247 characters from $WORK"
  local install=$parent/$(printf '%*s' 39 '' | tr ' ' g)
  install_launcher "$LAUNCHER_EXE" "$install"
  start_launcher "$install"
  find_launcher_window
  wait_drawn "Folder game terlalu panjang. Pindahkan ke folder yang lebih pendek." 30 ||
    fail "the launcher did not refuse the long folder"
  # Give a wrongly started run time to fetch from the local server.
  sleep 3
  screenshot "$SHOT"
  expect_pixels "$SHOT" \
    "20 505 $TRACK no fill" \
    "352 442 $MAIN_UNARMED MAIN unarmed"
  click 410 460
  click 473 24
  wait_launcher_exit 60 || fatal "X did not quit the launcher"
  [ "$LAUNCHER_STATUS" -eq 0 ] || fail "the launcher exited with $LAUNCHER_STATUS"
  status_texts | grep -q '^Mengecek' && fail "the patch run started"
  local extra
  extra=$(ls -A "$install" | grep -vx MOKPatcher.exe)
  [ -z "$extra" ] || fail "written into the folder: $extra"
  extra=$(ls -A "$parent" | grep -vx "$(basename "$install")")
  [ -z "$extra" ] || fail "written into the parent folder: $extra"
  return 0
}

case $SCENARIO in
  update_and_launch | missing_game | held_run | fill_past_track | folder_too_long)
    start_xvfb 1023x767
    "scenario_$SCENARIO"
    [ -s "$SHOT" ] || screenshot "$SHOT"
    ;;
  *)
    echo "unknown scenario $SCENARIO" >&2
    exit 2
    ;;
esac
