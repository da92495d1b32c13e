#!/usr/bin/env bash
# Auto Complete as a user meets it, under Wine on a virtual display: learned
# phrases from an "acdata.txt" put in place before the start, the "Auto
# Complete" window in the corner of the screen while the user types in
# notepad, the double CTRL tap that types the rest of the phrase, and
# ALT+DOWN, which picks the second row without leaving notepad's menu bar
# active. Prints "N passed, N failed".
#
#   tests/e2e/run_autocomplete.sh [BUILD_DIR]        (default build/win64)
set -uo pipefail
KX_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
BUILD=$(cd "${1:-$KX_ROOT/build/win64}" && pwd)
APP=$BUILD/app
source "$KX_ROOT/tests/gui/gui_lib.sh"
gui_setup 341 349 autocomplete

MAIN="Kestrix Text Expander Software"
NOTEPAD="Untitled - Notepad"
AC="Auto Complete"
mkdir -p "$DATA/local"
kxdb '{"records":[{"keyword":"SIG","kind":0,"plainText":"Best regards, Kim"}]}' "$DATA/local/abbrev.dat"
setting Settings Runs 9

# "acdata.txt": the keystroke counter, then one phrase a line: phrase,
# accepted, lastSeen, impressions, typedCount, suggestable, firstSeen and the
# confidence bytes (empty: 100 for each character), separated by tabs, each
# line ending in CR LF. Typing "thank y" finds both; the first scores higher
# (typed more often, and longer).
printf '1000\r\nthank you very much\t0\t990\t0\t5\t1\t900\t\r\nthank you all\t0\t990\t0\t3\t1\t900\t\r\n' \
  >"$DATA/acdata.txt"

notepad_text() { probe text "$NOTEPAD"; }
ac_row() { probe item "$AC" "$1"; }
ac_shown() { probe visible "$AC"; }
ac_hidden() { probe visible "$AC"; [ $? -eq 1 ]; }
# The window sits on the work area's bottom-right corner, a fifth of its width.
in_corner() {
  local l t r b L T R B
  read -r l t r b < <(probe rect "$AC"); read -r L T R B < <(probe workarea)
  [ -n "$b" ] && [ "$r" -eq "$R" ] && [ "$b" -eq "$B" ] && [ $((r - l)) -eq $(((R - L) / 5)) ]
}
focus_notepad() {
  local w; w=$(window "$NOTEPAD")
  xdotool windowraise "$w" 2>/dev/null; xdotool windowfocus --sync "$w" 2>/dev/null; wait_for 5 active "$NOTEPAD"
}
# The first row shows the phrase (and the window its hint) once the
# dictionary's search and the window's timer have run.
offers() { OFFER=$1; wait_for 10 ac_shown && wait_for 5 eval '[ "$(ac_row 9101)" = "$OFFER" ]'; }

timeout 150 wine notepad >/dev/null 2>&1 </dev/null &
wait_for 20 has_window "$NOTEPAD"
xdotool windowmove "$(window "$NOTEPAD")" 0 0; xdotool windowsize "$(window "$NOTEPAD")" 900 500
start_kx
wait_for 30 has_window "$MAIN"
check "the Auto Complete window exists from the start, hidden" wait_for 10 ac_hidden
# Timer 1 starts the hooks a second after start-up.
sleep 2

# 1. The first characters of a learned phrase.
focus_notepad
xdotool type --delay 80 "thank y"
check "typing 'thank y' shows the Auto Complete window" offers "thank you very much"
check "its first row is the best phrase, its second the other" says "thank you all" ac_row 9102
check "with two rows the hint names ALT+DOWN and the CTRL taps" \
  says "Use ALT+DOWN to select. Hit CTRL twice to insert." ac_row 9105
check "it sits in the corner of the work area" wait_for 5 in_corner
check "notepad keeps the focus" active "$NOTEPAD"
sleep 0.5; shot autocomplete-over-notepad
# 2. Two CTRL taps type the rest of the phrase.
xdotool key --delay 60 ctrl ctrl
check "two CTRL taps put the whole phrase into notepad" \
  wait_for 8 eval '[ "$(notepad_text)" = "thank you very much" ]'
check "and the window goes" wait_for 5 ac_hidden

# 3. ALT+DOWN picks the second row; notepad's menu bar stays closed, so the
# CTRL taps still insert into the text.
xdotool key Return
xdotool type --delay 80 "thank y"
check "the window comes back for the next line" offers "thank you very much"
xdotool key alt+Down
sleep 0.3
xdotool key --delay 60 ctrl ctrl
check "ALT+DOWN, then CTRL CTRL inserts the second row" \
  wait_for 8 eval '[ "$(notepad_text | tail -n 1)" = "thank you all" ]'
check "ALT+DOWN moved nothing in notepad" says "thank you very much" eval 'notepad_text | head -n 1'

timeout 30 wine "$APP/kestrix.exe" -exit >/dev/null 2>&1 </dev/null
check "the program ends on -exit" wait_for 20 kx_ended

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
