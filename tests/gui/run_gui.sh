#!/usr/bin/env bash
# Drives kestrix.exe as a user would, on a virtual display under Wine:
# starts it, creates, finds, expands, edits and deletes a shortcut, works the
# tray menu and Confirm Stop, and checks the start rules with real second
# starts. Prints "N passed, N failed"; screenshots go to docs/screenshots.
#
#   tests/gui/run_gui.sh [BUILD_DIR]        (default build/app-win64)
set -uo pipefail
KX_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
BUILD=$(cd "${1:-$KX_ROOT/build/app-win64}" && pwd)
APP=$BUILD/app
source "$KX_ROOT/tests/gui/gui_lib.sh"
gui_setup 171 179 gui

# First start: an empty Default group, the welcome after half a second.
start_kx
check "main window appears" wait_for 20 has_window "Kestrix Text Expander Software"
check "first start says the group file was created" wait_for 10 has_window "Load Shortcuts"
press "Load Shortcuts" Return
check "a first start centres the window on the desktop" wait_for 5 centred "Kestrix Text Expander Software"
check "first start offers the welcome" wait_for 10 has_window "Welcome to Kestrix Typing Shortcut Expander"
shot welcome "Welcome to Kestrix Typing Shortcut Expander"
# Wine's task dialog ignores Escape when it has no Cancel button; the close
# command (Alt+F4) ends it as Escape does on Windows.
press "Welcome to Kestrix Typing Shortcut Expander" alt+F4
check "the welcome closes" wait_for 10 no_window "Welcome to Kestrix Typing Shortcut Expander"
check "the list starts empty" test -z "$(probe list)"

# New simple-text shortcut through the dialog, typed with xdotool.
probe command 2010
check "New opens the simple text editor" wait_for 10 has_window "New Simple Text Shortcut"
w=$(window "New Simple Text Shortcut"); xdotool windowfocus --sync "$w" 2>/dev/null
xdotool type --delay 40 "gm"; xdotool key Tab; xdotool type --delay 40 "Good morning, team"
sleep 0.3; shot simple-text-editor "New Simple Text Shortcut"
check "the editor closes on OK" answer "New Simple Text Shortcut" "OK"
check "the new shortcut is listed in upper case" wait_for 10 list_has GM "Good morning, team"
shot main-window "Kestrix Text Expander Software"

# An empty keyword keeps the editor open.
probe command 2010; wait_for 10 has_window "New Simple Text Shortcut"
wait_for 10 probe click "New Simple Text Shortcut" "OK"; sleep 1
check "an empty keyword is refused" has_window "New Simple Text Shortcut"
answer "New Simple Text Shortcut" "Cancel"

# The rich-text editor.
probe command 2011
check "the rich text editor opens" wait_for 10 has_window "New Rich Text Shortcut"
w=$(window "New Rich Text Shortcut"); xdotool windowfocus --sync "$w" 2>/dev/null
xdotool type --delay 40 "ty"; xdotool key Tab; xdotool type --delay 40 "Thank you"; sleep 0.3
shot rich-text-editor "New Rich Text Shortcut"
answer "New Rich Text Shortcut" "OK"
check "a rich text shortcut is listed" wait_for 10 list_has TY "Thank you"

# Typing the keyword in another program expands it.
timeout 120 wine notepad >/dev/null 2>&1 </dev/null &
wait_for 15 has_window "Untitled - Notepad"; sleep 2
w=$(window "Untitled - Notepad"); xdotool windowactivate --sync "$w" 2>/dev/null; xdotool windowfocus --sync "$w" 2>/dev/null
sleep 0.5; xdotool type --delay 80 "gm "
expanded() { probe text "Untitled - Notepad" | grep -q "Good morning, team"; }
check "typing gm in notepad expands it" wait_for 10 expanded
shot expansion-in-notepad "Untitled - Notepad"

# Ctrl+X in the main window switches expansion off and on again.
press "Kestrix Text Expander Software" ctrl+x
check "Ctrl+X names the switch No Expand" wait_for 5 says "No Expand" probe button 1006
w=$(window "Untitled - Notepad"); xdotool windowfocus --sync "$w" 2>/dev/null; sleep 0.3
xdotool key ctrl+a BackSpace; xdotool type --delay 80 "gm "; sleep 1.5
check "with expansion off gm stays as typed" test "$(probe text "Untitled - Notepad")" = "gm "
press "Kestrix Text Expander Software" ctrl+x
check "Ctrl+X again names it Expand" wait_for 5 says "Expand" probe button 1006

# Edit, then delete.
probe select GM; probe command 2003
check "Edit opens the editor" wait_for 10 has_window "Edit Simple Text Shortcut"
w=$(window "Edit Simple Text Shortcut"); xdotool windowfocus --sync "$w" 2>/dev/null
xdotool key Tab ctrl+a; xdotool type --delay 40 "Good evening"
answer "Edit Simple Text Shortcut" "OK"
check "the edited expansion is listed" wait_for 10 list_has GM "Good evening"
probe select TY; probe command 2002
check "Delete asks first" wait_for 10 has_window "Confirm Delete"
answer "Confirm Delete" "Delete"
check "the deleted shortcut leaves the list" wait_for 10 list_lacks TY

# A second group: the new group starts with Default's shortcuts.
probe command 4997
check "New Group opens its dialog" wait_for 10 has_window "Add New Group"
w=$(window "Add New Group"); xdotool windowfocus --sync "$w" 2>/dev/null; xdotool type --delay 40 "Work"
answer "Add New Group" "OK"
check "the new group is a copy of Default" wait_for 10 list_has GM "Good evening"
probe command 4001   # back to the first group in enumeration order
sleep 1

# The tray menu and Confirm Stop.
probe tray 517
sleep 1; shot tray-menu
xdotool key Escape
probe command 3003
check "Exit (Turn Off) asks Confirm Stop" wait_for 10 has_window "Confirm Stop"
shot confirm-stop "Confirm Stop"
answer "Confirm Stop" "Cancel"
check "Cancel keeps the program running" kx_running
probe command 3003; wait_for 10 has_window "Confirm Stop"
answer "Confirm Stop" "Stop"
check "Stop ends the program" wait_for 5 kx_ended

# Starting again finds the shortcut; later starts forward their arguments.
start_kx -hide
check "the second run starts hidden with -hide" wait_for 20 has_window "Kestrix"
sleep 2
check "the shortcut is still there" wait_for 10 list_has GM "Good evening"
timeout 30 wine "$APP/kestrix.exe" -show >/dev/null 2>&1 </dev/null
check "a second start ends at once and the first stays" kx_running
probe copydata 100
check "a block of the wrong size changes nothing" kx_running
args=(); for i in $(seq 1 199); do args+=("a$i"); done
timeout 30 wine "$APP/kestrix.exe" "${args[@]}" -exit >/dev/null 2>&1 </dev/null; sleep 2
check "an -exit beyond argument 128 is cut off" kx_running
args=(); for i in $(seq 1 126); do args+=("a$i"); done
timeout 30 wine "$APP/kestrix.exe" "${args[@]}" -exit >/dev/null 2>&1 </dev/null
check "an -exit as argument 127 ends the running copy" wait_for 5 kx_ended

# Shared shortcuts with an administrator's password, two groups with
# conflicting keywords, and a placement saved partly off the desktop.
LOCAL="$DATA/local"
kxdb '{"records":[{"keyword":"GM","kind":0,"plainText":"Good evening"},{"keyword":"M1","kind":0,"plainText":"one from Default"},{"keyword":"M2","kind":0,"plainText":"two from Default"}]}' "$LOCAL/abbrev.dat"
kxdb '{"records":[{"keyword":"M1","kind":0,"plainText":"one from Work"},{"keyword":"M2","kind":0,"plainText":"two from Work"}]}' "$LOCAL/Work_abbrev.dat"
kxdb '{"password":"secret","records":[{"keyword":"A10","kind":0,"plainText":"ten"},{"keyword":"A9","kind":0,"plainText":"nine"},{"keyword":"SH","kind":0,"plainText":"shared text"}]}' "$ART/shared.dat"
printf 'Imported line one\r\nline two\r\n' >"$ART/import.txt"
setting sharedabbrev sharedenabled 1
setting sharedabbrev sharedabbrevpath "$(winpath "$ART/shared.dat")"
setting MainWindow X 100; setting MainWindow Y 700; setting MainWindow Width 900; setting MainWindow Height 500
setting MainWindow Maximized 0
start_kx
check "a saved placement is applied as stored, past the desktop's edge" \
  wait_for 20 says "100 700 1000 1200" probe rect "Kestrix Text Expander Software"
wait_for 10 list_has SH "shared text"
check "keywords sort by number: A9 before A10" test "$(keywords)" = "A9 A10 GM M1 M2 SH "
read -r hx hy < <(probe header 0)
xdotool mousemove "$hx" "$hy" click 1
check "a second click on the header reverses the order" wait_for 5 says "SH M2 M1 GM A10 A9 " keywords
xdotool mousemove 0 0

# Moving two shortcuts into a group that has both: one question for all.
probe select M1 M2; probe command 7001
check "a move into a group with the keyword asks about overwriting" wait_for 10 has_window "Overwrite shortcut?"
probe tick "Overwrite shortcut?" "Do this for all conflicts"
answer "Overwrite shortcut?" "Overwrite shortcut"
check "Do this for all conflicts asks once and moves both" wait_for 10 has_window "Moved"
answer "Moved" "OK"
check "the moved shortcuts leave the group" wait_for 5 says "SH GM A10 A9 " keywords
probe command 4002; sleep 1
check "the other group holds the moved expansions" list_has M2 "two from Default"
probe command 4001; sleep 1

# New asks where to create the shortcut; Cancel stops there.
probe command 2010
check "New asks private or shared" wait_for 10 probe shown "Shared Shortcuts Selection" "Shared (network) shortcuts"
check "the question has no Both for New" hidden_button "Shared Shortcuts Selection" "Both"
answer "Shared Shortcuts Selection" "Cancel"
check "Cancel opens no editor" no_window "New Simple Text Shortcut"

# Import into the simple text editor, then convert to rich text and back.
probe command 2010; answer "Shared Shortcuts Selection" "OK"
wait_for 10 has_window "New Simple Text Shortcut"
w=$(window "New Simple Text Shortcut"); xdotool windowfocus --sync "$w" 2>/dev/null; xdotool type --delay 40 "imp"
wait_for 10 probe click "New Simple Text Shortcut" "Import"
check "Import opens the file dialog" wait_for 10 has_window "Select Import File"
w=$(window "Select Import File"); xdotool windowfocus --sync "$w" 2>/dev/null; sleep 0.5
xdotool type --delay 20 "$(winpath "$ART/import.txt")"; xdotool key Return
imported() { probe item "$1" "$2" | tr '\r' '\n' | tr -s '\n' '|' | grep -q "^Imported line one|line two|$"; }
check "the imported file fills the expansion" wait_for 10 imported "New Simple Text Shortcut" 111
wait_for 10 probe click "New Simple Text Shortcut" "Convert to rich text"
check "simple to rich converts without asking" wait_for 10 has_window "New Rich Text Shortcut"
check "the rich editor keeps the keyword and text" imported "New Rich Text Shortcut" 123
wait_for 10 probe click "New Rich Text Shortcut" "Convert to simple text"
check "rich to simple asks first" wait_for 10 has_window "Confirm Convert"
answer "Confirm Convert" "Cancel"
check "Cancel stays in the rich editor" has_window "New Rich Text Shortcut"
wait_for 10 probe click "New Rich Text Shortcut" "Convert to simple text"
wait_for 10 has_window "Confirm Convert"; answer "Confirm Convert" "Convert"
check "Convert reopens the simple editor" wait_for 10 has_window "New Simple Text Shortcut"
answer "New Simple Text Shortcut" "OK"
check "the converted shortcut is listed as simple text" wait_for 10 eval 'probe list | grep -q "^IMP	Imported line one *line two *	Simple Text$"'

# Deleting a private and a shared shortcut together asks which ones.
probe select GM SH; probe command 2002
wait_for 10 has_window "Confirm Delete"; answer "Confirm Delete" "Delete"
check "a mixed delete asks which ones, Both offered" wait_for 10 probe shown "Delete Shortcuts" "Both"
answer "Delete Shortcuts" "Cancel"
check "Cancel deletes neither" test "$(probe list | cut -f1 | grep -c '^GM$\|^SH$')" = 2

# Deleting a shared shortcut needs the administrator's password.
probe select SH; probe command 2002
wait_for 10 has_window "Confirm Delete"; answer "Confirm Delete" "Delete"
check "a shared delete asks for the password" wait_for 10 has_window "Enter Password"
w=$(window "Enter Password"); xdotool windowfocus --sync "$w" 2>/dev/null
xdotool type --delay 40 "wrong"; xdotool key Return; sleep 1
check "a wrong password keeps the dialog open" has_window "Enter Password"
check "a wrong password says so" wait_for 5 eval 'probe tips | grep -q "does not match, please enter the correct password"'
xdotool key ctrl+a; xdotool type --delay 40 "secret"; xdotool key Return
check "the right password deletes the shared shortcut" wait_for 10 list_lacks SH
check "the shared file no longer holds it" eval '! timeout 30 wine "$BUILD/kxtool.exe" db dump "$(winpath "$ART/shared.dat")" 2>/dev/null </dev/null | grep -q "\"SH\""'
timeout 30 wine "$APP/kestrix.exe" -exit >/dev/null 2>&1 </dev/null
check "the third run ends on -exit" wait_for 5 kx_ended

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
