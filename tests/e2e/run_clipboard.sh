#!/usr/bin/env bash
# The user's clipboard around expansions, in Wine's notepad with real keys:
# with "RestoreClipboard" off the clipboard ends holding the expansion; with
# it on, notepad shows the expansion and the clipboard comes back as it was
# (text beside a private format's bytes, or a bitmap pixel for pixel), and a
# clipboard history tool reading every change is told of two changes per
# expansion and never makes the target paste the old contents. Targets that
# read the clipboard as other programs do: one whose paste another process
# reads (with the setting off and on), one that reads text and then, 50 ms
# later, rich text (both reads get the expansion, the clipboard comes back
# after both); 30 expansions at 20 keys a second beside a history tool that
# reads every change at once. Under load (two busy loops on both cores) 30
# expansions typed at 20 keys a second stand exact, five runs in a row. A
# history tool that honours the exclusion format never reads an expansion.
# Last, kestrix.exe itself: after a rich-text expansion and a Search/Print,
# nothing of the user's text is left in the temporary folder once it ends.
# Ends with "N passed, N failed".
#
#   tests/e2e/run_clipboard.sh [BUILD_DIR]       (default build/win64)
#
# Starts Xvfb on a display of 301-309 and a Wine prefix of its own
# (BUILD/clipboard-wineprefix unless WINEPREFIX is set), and stops both and
# every program it started, by process id, at the end.
set -uo pipefail

KX_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
BUILD=$(cd "${1:-$KX_ROOT/build/win64}" && pwd)
export WINEPREFIX=${WINEPREFIX:-$BUILD/clipboard-wineprefix}
KX_E2E_LIBRARY=1 source "$KX_ROOT/tests/e2e/run_e2e.sh" "$BUILD"
WORK=$BUILD/clipboard-work
ARTIFACTS=$BUILD/clipboard-artifacts
E2E=$BUILD/tests/e2e
SETTINGS_KEY='HKCU\Software\Tarvik Software\Kestrix\Settings'
TYPE_DELAY_MS=50   # 20 keys a second
LOAD_RUNS=5
HOST_PID=""
NOTEPAD_PID=""
WATCH_PID=""
BUSY_PIDS=()
SIG='Kind regards, Anna Berg'
RICH_TEXT='Rich regards'
RICH_RTF='{\rtf1\ansi Rich \b regards\b0}'
USER_TEXT='What the user had copied'
USER_FORMAT='Kestrix Test Private Bytes'
USER_HEX='00FF7F0A0D00C3A9FE01'

cleanup() {
  local p
  for p in "${BUSY_PIDS[@]}"; do kill "$p" 2>/dev/null; done
  [ -n "$HOST_PID" ] && kill "$HOST_PID" 2>/dev/null
  for p in "${PIDS[@]}"; do kill "$p" 2>/dev/null; done
  wineserver -k >/dev/null 2>&1 </dev/null
  [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null
  XVFB_PID=""
}

probe() { timeout "$WAIT_S" wine "$E2E/kx_clip_probe.exe" "$@" 2>>"$ARTIFACTS/probe.log" </dev/null; }

set_restore() {
  timeout 60 wine reg add "$SETTINGS_KEY" /v RestoreClipboard /t REG_SZ /d "$1" /f \
    >>"$ARTIFACTS/reg.log" 2>&1 </dev/null
}

make_database() {
  cat >"$WORK/shortcuts.json" <<'JSON'
{"records": [
  {"keyword": "SIG", "kind": 0, "plainText": "Kind regards, Anna Berg"},
  {"keyword": "TY", "kind": 0, "plainText": "thank you for your help"},
  {"keyword": "BRB", "kind": 0, "plainText": "be right back"},
  {"keyword": "OMW", "kind": 0, "plainText": "on my way"},
  {"keyword": "IMO", "kind": 0, "plainText": "in my opinion"},
  {"keyword": "RICH", "kind": 1, "plainText": "Rich regards", "richText": "{\\rtf1\\ansi Rich \\b regards\\b0}"}
]}
JSON
  timeout 60 wine "$BUILD/kxtool.exe" db build "$(winpath "$WORK/shortcuts.json")" \
    "$(winpath "$WORK/shortcuts.dat")" >"$ARTIFACTS/kxtool.log" 2>&1 </dev/null
}

start_host() {
  rm -f "$WORK/host.ready" "$WORK/host.stop"
  timeout 960 wine "$E2E/kx_test_host.exe" --db "$(winpath "$WORK/shortcuts.dat")" \
    --ready "$(winpath "$WORK/host.ready")" --log "$(winpath "$WORK/host.log")" \
    --stop-file "$(winpath "$WORK/host.stop")" --seconds 900 >"$ARTIFACTS/host.out" 2>&1 </dev/null &
  HOST_PID=$!
  wait_for "$WAIT_S" grep -qs '^ready' "$WORK/host.ready"
}

stop_host() {
  touch "$WORK/host.stop"
  wait_for "$WAIT_S" grep -q '^end 1' "$WORK/host.log" || return 1
  wait_for "$WAIT_S" bash -c "! kill -0 $HOST_PID 2>/dev/null" || return 1
  HOST_PID=""
}

expansions() { grep -c '^notice 3 11$' "$WORK/host.log" 2>/dev/null; }
expanded_since() { [ "$(( $(expansions) - $1 ))" -ge "$2" ]; }
failures() { grep -c '^notice 3 12$' "$WORK/host.log" 2>/dev/null; }

# new_notepad NAME: a fresh notepad on an empty file of its own, so that its
# title names it; its X window id in NOTEPAD_ID. The one before is ended.
new_notepad() {
  [ -n "$NOTEPAD_PID" ] && kill "$NOTEPAD_PID" 2>/dev/null
  NOTEPAD_TITLE="$1.txt - Notepad"
  : >"$WORK/$1.txt"
  run_bg "notepad-$1" notepad "$(winpath "$WORK/$1.txt")"
  NOTEPAD_PID=${PIDS[-1]}
  NOTEPAD_ID=$(timeout "$WAIT_S" xdotool search --sync --onlyvisible --name "^$1\\.txt - Notepad\$" 2>/dev/null | head -1)
  [ -n "$NOTEPAD_ID" ]
}

# type_into ID TEXT: TEXT typed into that window at 20 keys a second.
type_into() {
  kx_give_keyboard "$1" || return 1
  timeout $(( ${#2} * TYPE_DELAY_MS / 1000 + WAIT_S )) xdotool type --delay "$TYPE_DELAY_MS" "$2"
}
type_in_notepad() { type_into "$NOTEPAD_ID" "$1"; }

notepad_text() { probe window-text --title "$NOTEPAD_TITLE" --out "$(winpath "$WORK/notepad.txt")" && tr -d '\000' <"$WORK/notepad.txt"; }
notepad_is() { [ "$(notepad_text)" = "$1" ]; }

# check_notepad NAME EXPECTED: the page holds exactly EXPECTED and keeps it
# for half a second (a late paste would change it).
check_notepad() {
  if wait_for 20 notepad_is "$2" && sleep 0.5 && notepad_is "$2"; then
    expect "$1" true
  else
    log "  expected: $2"; log "  actual:   $(cat "$WORK/notepad.txt" 2>/dev/null)"
    expect "$1" false
  fi
}

holds_user_clipboard() {
  probe expect --text "$USER_TEXT" --format "$USER_FORMAT" --hex "$USER_HEX" --within "${1:-0}" >>"$ARTIFACTS/probe.log"
}

# start_watch [ARGS]: a history tool beside the tests (ARGS for kx_clip_probe watch).
start_watch() {
  rm -f "$WORK/watch.txt" "$WORK/watch.stop"
  run_bg watch "$E2E/kx_clip_probe.exe" watch --out "$(winpath "$WORK/watch.txt")" \
    --stop-file "$(winpath "$WORK/watch.stop")" "$@"
  wait_for "$WAIT_S" grep -qs '^ready' "$WORK/watch.txt"
}
stop_watch() { touch "$WORK/watch.stop"; wait_for "$WAIT_S" grep -qs '^end' "$WORK/watch.txt"; }
updates() { grep -c '^update' "$WORK/watch.txt" 2>/dev/null; }

# ---------------------------------------------------------------- tests

test_setting_off() {
  set_restore 0
  probe put --text "$USER_TEXT" --format "$USER_FORMAT" --hex "$USER_HEX" || { expect off_probe_puts false; return; }
  new_notepad off || { expect off_notepad false; return; }
  type_in_notepad 'sig '
  check_notepad off_notepad_shows_expansion "$SIG "
  expect off_clipboard_holds_expansion probe expect --text "$SIG " --within 2000
}

test_setting_on_text() {
  set_restore 1
  probe put --text "$USER_TEXT" --format "$USER_FORMAT" --hex "$USER_HEX" || { expect on_probe_puts false; return; }
  start_watch --honour-exclusion 1 || { expect on_watch_starts false; return; }
  new_notepad on || { expect on_notepad false; return; }
  type_in_notepad 'sig '
  check_notepad on_notepad_shows_expansion "$SIG "
  expect on_clipboard_given_back holds_user_clipboard 2000
  # A history tool that honours the exclusion, as clipboard history does, is
  # told of the expansion and of the user's text again: two changes, no more.
  # It keeps the user's text but never reads the expansion's.
  sleep 0.5
  stop_watch
  expect on_history_tool_told_twice [ "$(updates)" -eq 2 ]
  expect on_history_tool_keeps_users_copy grep -q "^update [0-9]* $USER_TEXT\$" "$WORK/watch.txt"
  expect on_history_tool_excluded_expansion grep -q "^update [0-9]* <excluded>\$" "$WORK/watch.txt"
  expect on_history_tool_never_read_expansion bash -c "! grep -q 'Kind regards' '$WORK/watch.txt'"
  cp "$WORK/watch.txt" "$ARTIFACTS/watch-on.txt"
}

test_setting_on_bitmap() {
  set_restore 1
  probe put-bitmap --width 64 --height 48 --seed 7 || { expect bitmap_probe_puts false; return; }
  new_notepad bitmap || { expect bitmap_notepad false; return; }
  type_in_notepad 'ty '
  check_notepad bitmap_notepad_shows_expansion 'thank you for your help '
  expect bitmap_given_back_pixel_for_pixel probe expect-bitmap --width 64 --height 48 --seed 7 --within 2000
}

# target_shows NAME TITLE EXPECTED: a kx_target's text is exactly EXPECTED
# and keeps it for half a second.
target_is() { [ "$(target_text "$1")" = "$2" ]; }
target_shows() {
  if wait_for 20 target_is "$2" "$3" && sleep 0.5 && target_is "$2" "$3"; then
    expect "$1" true
  else
    log "  expected: $3"; log "  actual:   $(target_text "$2")"
    expect "$1" false
  fi
}

# A target whose paste another process reads (with a window of its own) and hands
# back: the expansion shows with the setting off and on.
test_cross_process_reader() {
  local restore id
  for restore in 0 1; do
    set_restore "$restore"
    probe put --text "$USER_TEXT" --format "$USER_FORMAT" --hex "$USER_HEX" ||
      { expect "cross_${restore}_probe_puts" false; continue; }
    id=$(start_target "cross$restore" --paste-via "$(winpath "$E2E/kx_clip_probe.exe")") ||
      { expect "cross_${restore}_target" false; continue; }
    type_into "$id" 'sig '
    target_shows "cross_${restore}_shows_expansion" "cross$restore" "$SIG "
    if [ "$restore" = 1 ]; then
      expect cross_1_clipboard_given_back holds_user_clipboard 2000
    else
      expect cross_0_clipboard_holds_expansion probe expect --text "$SIG " --within 2000
    fi
  done
}

# A target that reads the text, then 50 ms later rich text: both reads get
# the expansion, and the user's clipboard is back after the second.
test_two_format_paste() {
  set_restore 1
  probe put --text "$USER_TEXT" --format "$USER_FORMAT" --hex "$USER_HEX" || { expect two_probe_puts false; return; }
  local id
  id=$(start_target twoformat --second-read 'Rich Text Format' --paste-log "$(winpath "$WORK/paste.log")") ||
    { expect two_target false; return; }
  type_into "$id" 'rich '
  target_shows two_shows_expansion twoformat "$RICH_TEXT "
  expect two_text_read_gets_expansion grep -qxF "text $RICH_TEXT " "$WORK/paste.log"
  expect two_rich_read_gets_expansion grep -qxF "second $RICH_RTF" "$WORK/paste.log"
  expect two_clipboard_given_back holds_user_clipboard 2000
  cp "$WORK/paste.log" "$ARTIFACTS/paste.log" 2>/dev/null
}

# Thirty expansions at 20 keys a second: the page holds exactly what was
# meant, and the user's clipboard is back at the end.
load_run() {
  local run=$1 name=${2:-load_$1} keywords=(sig ty brb omw imo) fillers=(a so and x ok) texts=(
    'Kind regards, Anna Berg' 'thank you for your help' 'be right back' 'on my way' 'in my opinion')
  local typed='' expected='' i k f before
  for i in $(seq 0 29); do
    k=$(( (i + run) % 5 )); f=$(( (i / 5) % 5 ))
    typed+="${keywords[$k]} ${fillers[$f]} "
    expected+="${texts[$k]} ${fillers[$f]} "
  done
  probe put --text "$USER_TEXT" --format "$USER_FORMAT" --hex "$USER_HEX" || { expect "${name}_probe_puts" false; return; }
  new_notepad "$name" || { expect "${name}_notepad" false; return; }
  before=$(expansions)
  type_in_notepad "$typed"
  # Busy loops slow every step; the run is over once the host has made
  # its thirty expansions (or clearly never will).
  expect "${name}_thirty_expansions" wait_for 150 expanded_since "$before" 30
  check_notepad "${name}_text_exact" "$expected"
  expect "${name}_clipboard_given_back" holds_user_clipboard 2000
}

# A clipboard history tool reading every change at once, during thirty
# expansions: it never leaves the target the user's old text, and every
# change it reads has text in it.
test_history_listener() {
  set_restore 1
  start_watch || { expect listener_starts false; return; }
  load_run 0 listener
  stop_watch
  cp "$WORK/watch.txt" "$ARTIFACTS/watch-listener.txt"
  expect listener_read_every_change [ "$(grep -c '^update [0-9]* $' "$WORK/watch.txt")" -eq 0 ]
  expect listener_saw_expansions grep -q "^update [0-9]* $SIG" "$WORK/watch.txt"
}

test_under_load() {
  set_restore 1
  bash -c 'while :; do :; done' & BUSY_PIDS+=($!)
  bash -c 'while :; do :; done' & BUSY_PIDS+=($!)
  local run
  for run in $(seq 1 "$LOAD_RUNS"); do load_run "$run"; done
  kill "${BUSY_PIDS[@]}" 2>/dev/null
  BUSY_PIDS=()
}

# The program itself, after a rich-text expansion and a Search/Print: once
# it has ended, the user's temporary folder holds none of the builder's
# files and no listing, whose text is every shortcut of a store.
MAIN_TITLE='Kestrix Text Expander Software'
USER_HOME=$WINEPREFIX/drive_c/users/$(whoami)
left_behind() {
  find "$WINEPREFIX/drive_c/users" "$WINEPREFIX/drive_c/windows/temp" \
    \( -iname 'KX_TEMP*' -o -iname 'TempPrint.txt' -o -iname 'TempBuffer.txt' \) 2>/dev/null
}
kestrix_pid_ended() { ! kill -0 "$1" 2>/dev/null; }
test_temporary_files() {
  local data="$USER_HOME/AppData/Roaming/Tarvik Software/Kestrix" main kx_pid
  mkdir -p "$data/local"
  cp "$WORK/shortcuts.dat" "$data/local/abbrev.dat"
  # What earlier runs in this prefix left is not this run's.
  left_behind | while read -r f; do rm -f "$f"; done
  timeout 60 wine reg add "${SETTINGS_KEY}" /v Runs /t REG_SZ /d 9 /f >>"$ARTIFACTS/reg.log" 2>&1 </dev/null
  run_bg kestrix "$BUILD/app/kestrix.exe"
  kx_pid=${PIDS[-1]}
  # It starts in the tray; a second start with "-show" opens its window, as
  # the tray menu does, once the first has made it.
  wait_for 60 xdotool search --name "^$MAIN_TITLE\$" >/dev/null || { expect temp_program_starts false; return; }
  timeout 30 wine "$BUILD/app/kestrix.exe" -show >>"$ARTIFACTS/kestrix-show.log" 2>&1 </dev/null
  main=$(timeout 30 xdotool search --sync --onlyvisible --name "^$MAIN_TITLE\$" 2>/dev/null | head -1)
  [ -n "$main" ] || { expect temp_main_window false; return; }
  sleep 2  # the hook link starts a second after the window
  new_notepad temprich || { expect temp_notepad false; return; }
  type_in_notepad 'rich '
  check_notepad temp_rich_expansion "$RICH_TEXT "
  # Search/Print from the main window, as a user asks for it: notepad is
  # closed, a click into the window's middle gives it the keyboard, and
  # the listing is written.
  kill "$NOTEPAD_PID" 2>/dev/null; NOTEPAD_PID=""
  xdotool windowraise "$main" 2>/dev/null
  kx_give_keyboard "$main"
  local width height
  eval "$(xdotool getwindowgeometry --shell "$main" | grep -E '^(WIDTH|HEIGHT)=' | tr 'A-Z' 'a-z')"
  xdotool mousemove --sync --window "$main" $((width / 2)) $((height / 2)) click 1
  sleep 0.5
  xdotool key ctrl+p
  expect temp_listing_written_while_running wait_for 20 eval '[ -n "$(left_behind)" ]'
  timeout 30 wine "$BUILD/app/kestrix.exe" -exit >>"$ARTIFACTS/kestrix-exit.log" 2>&1 </dev/null
  expect temp_program_ends wait_for 30 kestrix_pid_ended "$kx_pid"
  left_behind >"$ARTIFACTS/left-behind.txt"
  expect temp_nothing_left_behind [ ! -s "$ARTIFACTS/left-behind.txt" ]
}

main() {
  mkdir -p "$WORK" "$ARTIFACTS"
  rm -f "$WORK"/* "$ARTIFACTS"/*.png
  trap cleanup EXIT
  local started=$SECONDS
  KX_E2E_DISPLAYS="301 309" start_display || { echo "0 passed, 1 failed"; exit 1; }
  start_wine
  if ! make_database; then
    expect database_builds false
  elif start_host; then
    test_setting_off
    test_setting_on_text
    test_setting_on_bitmap
    test_cross_process_reader
    test_two_format_paste
    test_history_listener
    test_under_load
    expect host_no_failed_expansions [ "$(failures)" -eq 0 ]
    expect host_stops_cleanly stop_host
    test_temporary_files
  else
    expect host_starts false
  fi
  set_restore 0
  log "run time $((SECONDS - started)) s"
  echo "$passed passed, $failed failed"
  [ "$failed" -eq 0 ]
}

main
