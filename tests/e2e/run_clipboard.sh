#!/usr/bin/env bash
# The user's clipboard around expansions, in Wine's notepad with real keys:
# with "RestoreClipboard" off the clipboard ends holding the expansion; with
# it on, notepad shows the expansion and the clipboard comes back as it was
# (text beside a private format's bytes, or a bitmap pixel for pixel), and a
# clipboard history tool reading every change is told of two changes per
# expansion and never makes the target paste the old contents. Targets that
# read the clipboard as other programs do: one whose paste another process
# reads, one that reads text and then, 50 ms
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
APP=$BUILD/app
export WINEPREFIX=${WINEPREFIX:-$BUILD/clipboard-wineprefix}
source "$KX_ROOT/tests/gui/gui_lib.sh"
WORK=$BUILD/clipboard-work
ART=$BUILD/clipboard-artifacts
E2E=$BUILD/tests/e2e
LOAD_RUNS=5
NOTEPAD_PID=""
BUSY_PIDS=()
SIG='Kind regards, Anna Berg'
RICH_TEXT='Rich regards'
RICH_RTF='{\rtf1\ansi Rich \b regards\b0}'
USER_TEXT='What the user had copied'
USER_FORMAT='Kestrix Test Private Bytes'
USER_HEX='00FF7F0A0D00C3A9FE01'

suite_cleanup() { local p; for p in "${BUSY_PIDS[@]}"; do kill "$p" 2>/dev/null; done; }

set_restore() { setting Settings RestoreClipboard "$1"; }

SHORTCUTS='{"records": ['"$FAST_RECORDS"',
  {"keyword": "RICH", "kind": 1, "plainText": "Rich regards", "richText": "{\\rtf1\\ansi Rich \\b regards\\b0}"}
]}'

expansions() { word_notices 11; }
expanded_since() { [ "$(( $(expansions) - $1 ))" -ge "$2" ]; }

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

# page_text: the text of the notepad of this test, exactly, with its CRs,
# as kx_gui_probe reads it from the window. page_is TEXT: it is TEXT.
page_text() { timeout 10 wine "$APP/kx_gui_probe.exe" text "$NOTEPAD_TITLE" 2>/dev/null </dev/null | tr -d '\000'; }
page_is() { [ "$(page_text)" = "$1" ]; }

# check_notepad NAME EXPECTED: the page holds exactly EXPECTED and keeps it
# for half a second (a late paste would change it).
check_notepad() {
  if wait_for 20 page_is "$2" && sleep 0.5 && page_is "$2"; then
    expect "$1" true
  else
    log "  expected: $2"; log "  actual:   $(page_text)"
    expect "$1" false
  fi
}

holds_user_clipboard() {
  clip_probe expect --text "$USER_TEXT" --format "$USER_FORMAT" --hex "$USER_HEX" --within "${1:-0}" >>"$ART/clip-probe.log"
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
  clip_probe put --text "$USER_TEXT" --format "$USER_FORMAT" --hex "$USER_HEX" || { expect off_probe_puts false; return; }
  new_notepad off || { expect off_notepad false; return; }
  type_into "$NOTEPAD_ID" 'sig '
  check_notepad off_notepad_shows_expansion "$SIG "
  expect off_clipboard_holds_expansion clip_probe expect --text "$SIG " --within 2000
}

test_setting_on_text() {
  set_restore 1
  clip_probe put --text "$USER_TEXT" --format "$USER_FORMAT" --hex "$USER_HEX" || { expect on_probe_puts false; return; }
  start_watch --honour-exclusion 1 || { expect on_watch_starts false; return; }
  new_notepad on || { expect on_notepad false; return; }
  type_into "$NOTEPAD_ID" 'sig '
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
  cp "$WORK/watch.txt" "$ART/watch-on.txt"
}

test_setting_on_bitmap() {
  set_restore 1
  clip_probe put-bitmap --width 64 --height 48 --seed 7 || { expect bitmap_probe_puts false; return; }
  new_notepad bitmap || { expect bitmap_notepad false; return; }
  type_into "$NOTEPAD_ID" 'ty '
  check_notepad bitmap_notepad_shows_expansion 'thank you for your help '
  expect bitmap_given_back_pixel_for_pixel clip_probe expect-bitmap --width 64 --height 48 --seed 7 --within 2000
}

# A target whose paste another process reads (with a window of its own) and
# hands back: the expansion shows, and the user's clipboard comes back after.
# (With the setting off nothing is handed back; the notepad test covers it.)
test_cross_process_reader() {
  set_restore 1
  clip_probe put --text "$USER_TEXT" --format "$USER_FORMAT" --hex "$USER_HEX" || { expect cross_probe_puts false; return; }
  local id
  id=$(start_target cross --paste-via "$(winpath "$E2E/kx_clip_probe.exe")") || { expect cross_target false; return; }
  type_into "$id" 'sig '
  check_text cross_shows_expansion cross "$SIG "
  expect cross_clipboard_given_back holds_user_clipboard 2000
}

# A target that reads the text, then 50 ms later rich text: both reads get
# the expansion, and the user's clipboard is back after the second.
test_two_format_paste() {
  set_restore 1
  clip_probe put --text "$USER_TEXT" --format "$USER_FORMAT" --hex "$USER_HEX" || { expect two_probe_puts false; return; }
  local id
  id=$(start_target twoformat --second-read 'Rich Text Format' --paste-log "$(winpath "$WORK/paste.log")") ||
    { expect two_target false; return; }
  type_into "$id" 'rich '
  check_text two_shows_expansion twoformat "$RICH_TEXT "
  expect two_text_read_gets_expansion grep -qxF "text $RICH_TEXT " "$WORK/paste.log"
  expect two_rich_read_gets_expansion grep -qxF "second $RICH_RTF" "$WORK/paste.log"
  expect two_clipboard_given_back holds_user_clipboard 2000
  cp "$WORK/paste.log" "$ART/paste.log" 2>/dev/null
}

# Thirty expansions at 20 keys a second: the page holds exactly what was
# meant, and the user's clipboard is back at the end.
load_run() {
  local run=$1 name=${2:-load_$1} before
  fast_text 30 "$run"
  clip_probe put --text "$USER_TEXT" --format "$USER_FORMAT" --hex "$USER_HEX" || { expect "${name}_probe_puts" false; return; }
  new_notepad "$name" || { expect "${name}_notepad" false; return; }
  before=$(expansions)
  type_into "$NOTEPAD_ID" "$TYPED"
  # Busy loops slow every step; the run is over once the host has made
  # its thirty expansions (or clearly never will).
  expect "${name}_thirty_expansions" wait_for 150 expanded_since "$before" 30
  check_notepad "${name}_text_exact" "$EXPECTED"
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
  cp "$WORK/watch.txt" "$ART/watch-listener.txt"
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
USER_HOME=$WINEPREFIX/drive_c/users/$(whoami)
left_behind() {
  find "$WINEPREFIX/drive_c/users" "$WINEPREFIX/drive_c/windows/temp" \
    \( -iname 'KX_TEMP*' -o -iname 'TempPrint.txt' -o -iname 'TempBuffer.txt' \) 2>/dev/null
}
test_temporary_files() {
  local data="$USER_HOME/AppData/Roaming/Tarvik Software/Kestrix" main kx_pid
  mkdir -p "$data/local"
  cp "$WORK/shortcuts.dat" "$data/local/abbrev.dat"
  # What earlier runs in this prefix left is not this run's.
  left_behind | while read -r f; do rm -f "$f"; done
  setting Settings Runs 9
  run_bg kestrix "$BUILD/app/kestrix.exe"
  kx_pid=${PIDS[-1]}
  # It starts in the tray; a second start with "-show" opens its window, as
  # the tray menu does, once the first has made it.
  wait_for 60 xdotool search --name "^$MAIN\$" >/dev/null || { expect temp_program_starts false; return; }
  forward -show
  main=$(timeout 30 xdotool search --sync --onlyvisible --name "^$MAIN\$" 2>/dev/null | head -1)
  [ -n "$main" ] || { expect temp_main_window false; return; }
  KX_PID=$kx_pid wait_for 10 hook_loaded
  new_notepad temprich || { expect temp_notepad false; return; }
  type_into "$NOTEPAD_ID" 'rich '
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
  forward -exit
  expect temp_program_ends wait_for 30 kx_ended "$kx_pid"
  left_behind >"$ART/left-behind.txt"
  expect temp_nothing_left_behind [ ! -s "$ART/left-behind.txt" ]
}

main() {
  mkdir -p "$WORK" "$ART"
  rm -f "$WORK"/* "$ART"/*.png
  local started=$SECONDS
  start_display 301 309
  start_wine
  if ! make_database "$SHORTCUTS"; then
    expect database_builds false
  elif start_host clip 900; then
    test_setting_off
    test_setting_on_text
    test_setting_on_bitmap
    test_cross_process_reader
    test_two_format_paste
    test_history_listener
    test_under_load
    expect host_no_failed_expansions [ "$(word_notices 12)" -eq 0 ]
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
