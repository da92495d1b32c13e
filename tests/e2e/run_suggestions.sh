#!/usr/bin/env bash
# Shortcut suggestions as a user meets them, under Wine on a virtual display:
# the pending suggestions of "ShortcutSuggestions.txt" come up three at a
# time in the "Shortcut Suggestions" window at start-up, on "-show" and from
# the tray icon; a suggestion becomes a simple-text shortcut that expands in
# notepad, a cancelled editor leaves its row usable, and "Don't give me
# suggestions" stops further windows. Prints "N passed, N failed".
#
#   tests/e2e/run_suggestions.sh [BUILD_DIR]        (default build/win64)
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../gui/gui_lib.sh"
gui_suite 411 419 suggestions "${1:-}"

SUG="Shortcut Suggestions"
SIMPLE="New Simple Text Shortcut"
RICH="New Rich Text Shortcut"
FILE="$DATA/ShortcutSuggestions.txt"
sig_user

# Rows 1 to 3 and 6 to 8 take one line each; row 5 wraps to more lines than
# its box shows.
P=("" "Thanks for the quick reply." "The contract is attached." "Let me know what you think."
   "I am out until Monday."
   "$(printf 'Could we move the meeting to Thursday afternoon, %.0s' 1 2 3 4)or any other day that suits you?"
   "Best wishes to the team." "Looking forward to it." "The invoice is due on Friday.")
lines() { local i; for i in $(seq "$1" "$2"); do printf '%s\r\n' "${P[$i]}"; done; }
lines 1 8 >"$FILE"

file_is() { [ "$(cat "$FILE")" = "$(lines "$1" "$2")" ]; }
# The phrases of the window's rows, one per line (a row that is not there
# prints nothing).
rows() { local id; for id in 101 102 103; do probe item "$SUG" "$id"; done; }
rows_are() { [ "$(rows)" = "$(printf '%s\n' "$@")" ]; }
row_enabled() { local r=$1; probe enabledid "$SUG" $((100 + r)) && probe enabledid "$SUG" $((103 + r)) &&
  probe enabledid "$SUG" $((106 + r)); }
row_disabled() { local r=$1 id; for id in $((100 + r)) $((103 + r)) $((106 + r)); do
  probe enabledid "$SUG" "$id"; [ $? -eq 1 ] || return 1; done; }
client_size() { probe client "$SUG"; }

start_notepad

# 1. At start-up the window offers the first three suggestions, and the file
#    keeps the rest.
start_kx
check "the window opens at start-up" wait_for 40 has_window "$SUG"
check "...with the first three suggestions, one row each" wait_for 10 rows_are "${P[1]}" "${P[2]}" "${P[3]}"
check "...and the file keeps lines 4 onwards" file_is 4 8
check "...its client area is 450 wide and as high as three one-line rows make it" wait_for 5 says "450 240" client_size
click_id "$SUG" 101 >/dev/null
check "the simple text button of a row says what it does" \
  eval 'mouse_to $(probe whereid "$SUG" 104) && wait_for 10 tip_says "Create this shortcut as simple text."'

# 2. Row 1 becomes a simple-text shortcut "tqr".
click_id "$SUG" 104
check "the simple text button opens the editor on the phrase" \
  wait_for 10 eval 'probe item "$SIMPLE" 111 | grep -qxF "${P[1]}"'
take_focus "$SIMPLE"; xdotool type --delay 60 "tqr"
check "OK saves the shortcut" answer "$SIMPLE" "OK"
check "row 1 is done: its phrase and both buttons are disabled" wait_for 5 row_disabled 1
check "row 2 stays usable" row_enabled 2
check "the database holds the new shortcut" eval \
  'db_dump "$DATA/local/abbrev.dat" | grep -F "\"TQR\"" | grep -qF "\"${P[1]}\""'
check "Close ends the window" answer "$SUG" "Close"
check "...and suggestions stay on" says 1 reg_value Settings SuggestShortcuts

# A click near the top left of notepad's page, which the main window (in the
# middle of the screen) leaves free.
focus_notepad 40 80
xdotool type --delay 80 "tqr "
check "typing the keyword in notepad expands it" wait_for 10 eval 'notepad_text | grep -qxF "${P[1]} "'

# 3. "-show" brings the next three; "Don't give me suggestions" stops them.
forward -show
check "-show opens the window on the next three" wait_for 20 rows_are "${P[4]}" "${P[5]}" "${P[6]}"
check "...and the file keeps the last two" file_is 7 8
check "...the long phrase's box five lines high, the window higher by four lines" wait_for 5 says "450 320" client_size
click_id "$SUG" 111
check "the check box is ticked" wait_for 5 probe checked "$SUG" "Don't give me suggestions"
check "Close ends the window" answer "$SUG" "Close"
check "...having switched suggestions off" says 0 reg_value Settings SuggestShortcuts
forward -hide
wait_for 10 hidden_window "$MAIN"
forward -show
check "-show brings the main window back" wait_for 10 probe visible "$MAIN"
# The refresh follows the window's showing within milliseconds; above, a
# window came within a second of "-show".
check "...and opens no window for three seconds" eval '! wait_for 3 has_window "$SUG"'
check "...and takes nothing out of the file" file_is 7 8

# 4. With suggestions on again, the tray icon's click brings the last two:
#    two rows. The rich text button's editor, cancelled, leaves its row.
setting Settings SuggestShortcuts 1
# The tray icon has no window under Xvfb: its click is posted as the shell
# posts it (WM_LBUTTONUP).
probe tray 514
check "a click on the tray icon opens the window on the last two, two rows only" \
  wait_for 20 eval 'rows_are "${P[7]}" "${P[8]}" && ! probe whereid "$SUG" 103 && ! probe whereid "$SUG" 106'
check "...and the file is empty" eval '[ -f "$FILE" ] && [ ! -s "$FILE" ]'
click_id "$SUG" 108
check "the rich text button opens the rich editor on the phrase" \
  wait_for 10 eval 'probe item "$RICH" 123 | grep -qF "${P[8]}"'
check "Cancel leaves the editor" answer "$RICH" "Cancel"
check "...and the row usable" wait_for 5 row_enabled 2
check "Close ends the window" answer "$SUG" "Close"
check "no ShortcutSuggestionsTemp.txt is left" test ! -e "$DATA/ShortcutSuggestionsTemp.txt"
check "-exit ends the program" stop_kx

# 5. "-exit" (as an upgrade sends it) ends the program while the window is
#    open: the window's loop ends under a main window that is gone.
lines 1 2 >"$FILE"
start_kx
check "at the next start the window opens again" wait_for 40 has_window "$SUG"
check "-exit ends the program while the window is open" stop_kx

finish
