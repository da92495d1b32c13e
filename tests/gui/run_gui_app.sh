#!/usr/bin/env bash
# Drives kestrix.exe as a user would, on a virtual display under Wine, for the
# application's own rules: an empty "ExePath" filled in, the maximised
# placement across a plain start and the tray icon's click, the shared file's
# reload while a question is open, the shared-shortcut dialogs, and another
# program's messages with made-up parameters and a decoy instance window.
# Prints "N passed, N failed".
#
#   tests/gui/run_gui_app.sh [BUILD_DIR]        (default build/win64)
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../gui/gui_lib.sh"
gui_suite 231 239 gui-app "${1:-}"

LOCAL="$DATA/local"
SHARED="$ART/shared.dat"
PROGRAM=$(winpath "$APP/kestrix.exe")
mkdir -p "$LOCAL"
kxdb '{"records":[{"keyword":"SIG","kind":0,"plainText":"Best regards, Kim"},{"keyword":"M1","kind":0,"plainText":"one"},{"keyword":"M2","kind":0,"plainText":"two"}]}' "$LOCAL/abbrev.dat"
# No welcome: neither at start nor from the tray icon (only below 5 runs).
setting Settings Runs 9

is_program() { [ "$(reg_value Settings ExePath | tr 'a-z' 'A-Z')" = "$(printf '%s' "$PROGRAM" | tr 'a-z' 'A-Z')" ]; }
# The window covers the work area: maximised (there is no window manager).
maximised() {
  local l t r b L T R B
  read -r l t r b < <(probe rect "$MAIN"); read -r L T R B < <(probe workarea)
  [ -n "$b" ] && [ "$l" -le "$L" ] && [ "$t" -le "$T" ] && [ "$r" -ge "$R" ] && [ "$b" -ge "$B" ]
}
# The notification icon: Wine shows it in its own "Wine System Tray" window,
# first icon at the left.
tray_click() {
  local w x y
  w=$(window "Wine System Tray"); [ -n "$w" ] || return 1
  xdotool windowraise "$w" 2>/dev/null; sleep 0.2
  eval "$(xdotool getwindowgeometry --shell "$w")"
  click_at $((X + 12)) $((Y + HEIGHT - 10)) "${1:-1}"
}

# Notepad keeps to the bottom of the screen, clear of the main window's rows.
start_notepad 0 760 1280 230

# 1. An empty "ExePath": the running program's path is written first. (One
# naming another folder is the expansion suite's.) Expansion switched off at
# the end of the last run: start-up switches it on.
setting Settings ExePath ""
setting Settings bexp 0
start_kx
check "with ExePath empty, sig expands in notepad" eval 'main_up && expands'
check "no module failed to load" no_window "Error"
check "start-up switches expansion on" says "Expand" probe button 1006
check "an empty ExePath is replaced by the running program's path" is_program
check "the first run ends on -exit" stop_kx

# 2. A maximised placement and a password-protected shared file.
kxdb '{"password":"pw","records":[{"keyword":"SH1","kind":0,"plainText":"shared one"},{"keyword":"SH2","kind":0,"plainText":"shared two"}]}' "$SHARED"
setting sharedabbrev sharedenabled 1
setting sharedabbrev sharedabbrevpath "$(winpath "$SHARED")"
setting MainWindow X 100; setting MainWindow Y 100; setting MainWindow Width 900; setting MainWindow Height 500
setting MainWindow Maximized 1
start_kx
check "a stored maximised placement survives a plain start" eval 'main_up && wait_for 10 maximised'

press "$MAIN" alt+F4
check "the close command hides the window to the tray" wait_for 5 hidden_window "$MAIN"
tray_click
check "a click on the tray icon brings the window back" wait_for 10 eval 'probe visible "$MAIN"'
check "and maximised, as it was" wait_for 5 maximised

# Timer 2: another user's save of the shared file shows up in the list.
kxdb '{"password":"pw","records":[{"keyword":"SH1","kind":0,"plainText":"shared one"},{"keyword":"SH2","kind":0,"plainText":"shared two"},{"keyword":"SH3","kind":0,"plainText":"shared three"}]}' "$SHARED"
check "a changed shared file is reloaded into the list" wait_for 10 list_has SH3 "shared three"

# A mixed delete asks which ones: the statement first, the question below.
xdotool windowraise "$(window "$MAIN")" 2>/dev/null; sleep 0.3
select_rows M1 SH1
wait_for 5 says "enabled" tb_state 2002
click_toolbar 2002
answer "Confirm Delete" "Delete"
check "a mixed delete asks which stores" wait_for 10 has_window "Delete Shortcuts"
check "its first line states the selection" \
  says "You have selected both private and shared shortcuts." probe item "Delete Shortcuts" 221
check "its second line asks the question" says "Which ones do you want to delete?" probe item "Delete Shortcuts" 222
check "...offering Both" probe shown "Delete Shortcuts" "Both"
answer "Delete Shortcuts" "Cancel"

# The shared file changes while "Confirm Delete" is open: the list is filled
# again under the question, and the delete still removes the chosen row.
select_rows SH2
wait_for 5 says "enabled" tb_state 2002
press "$MAIN" ctrl+Delete
check "Ctrl+Delete asks first" wait_for 10 has_window "Confirm Delete"
kxdb '{"password":"pw","records":[{"keyword":"SH0","kind":0,"plainText":"shared zero"},{"keyword":"SH1","kind":0,"plainText":"shared one"},{"keyword":"SH2","kind":0,"plainText":"shared two"},{"keyword":"SH3","kind":0,"plainText":"shared three"}]}' "$SHARED"
check "the list is filled again while the question is open" wait_for 10 list_has SH0 "shared zero"
answer "Confirm Delete" "Delete"
check "deleting a shared shortcut asks for the password" wait_for 10 has_window "Enter Password"
check "the password dialog has its Help button" probe shown "Enter Password" "Help"
take_focus "Enter Password"
xdotool type --delay 40 "wrong"; xdotool key Return
check "a wrong password says so" wait_for 5 eval 'probe tips | grep -q "does not match, please enter the correct password"'
check "...and keeps the dialog open" has_window "Enter Password"
xdotool key ctrl+a; xdotool type --delay 40 "pw"; xdotool key Return
check "the right password deletes the chosen row" wait_for 10 list_lacks SH2
check "...from the shared file too" eval '! db_dump "$SHARED" | grep -q "\"SH2\""'
check "the other rows stay, those the reload brought too" says "M1 M2 SH0 SH1 SH3 SIG " keywords
check "the program survives" kx_running

# Another program at the user's level posts our command line and balloon
# messages with made-up parameters, and sends WM_COPYDATA with no data, of
# the wrong kind and of the wrong size, to every window of the program.
check "another program posts our messages with made-up parameters" timeout 60 wine "$APP/kx_attacker.exe" flood
check "the program survives them" kx_running
check "sig still expands after them" expands
# A window of our instance window's class and title in another program: a
# later start passes it over and reaches the running copy.
DECOY=$ART/decoy.txt
rm -f "$DECOY"
timeout "$KX_LIFETIME" wine "$APP/kx_attacker.exe" decoy "$(winpath "$DECOY")" >/dev/null 2>&1 </dev/null &
DECOY_PID=$!
wait_for 20 grep -q ready "$DECOY"
check "the second run ends on -exit, past a decoy instance window" stop_kx
check "the decoy receives no command line" eval '! grep -q copydata "$DECOY"'
kill "$DECOY_PID" 2>/dev/null

finish
