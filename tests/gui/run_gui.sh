#!/usr/bin/env bash
# Drives kestrix.exe as a user would, on a virtual display under Wine: clicks
# toolbar and dialog buttons where they are drawn, opens menus with Alt and
# their letters or uses their keys, types with xdotool. Creates, finds,
# expands, edits and deletes shortcuts, checks which commands are enabled,
# works the tray menu and Confirm Stop, and checks the start rules with real
# second starts. Prints "N passed, N failed".
# Screenshots go to BUILD_DIR/gui-artifacts/screenshots, or to $KX_SHOTS.
#
#   tests/gui/run_gui.sh [BUILD_DIR]        (default build/win64)
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../gui/gui_lib.sh"
gui_suite 171 179 gui "${1:-}"

menu_keys() { press "$MAIN" "$@"; }             # Alt+letter and arrows on the main window
# pick_group NAME: Shortcut > Groups, then down the submenu to NAME.
pick_group() {
  local n
  menu_keys alt+s g || return 1
  if ! wait_for 5 popup_has "-	New Group..."; then
    echo "     the Groups menu did not open: $(popups | tr '\t\n' ' |')"; return 1
  fi
  n=$(popups | awk -v name="$1" 'BEGIN { RS = ""; FS = "\n" } /New Group/ {
        for (i = 1; i <= NF; i++) { split($i, f, "\t"); if (f[2] == name) { print i - 1; exit } } }')
  if [ -z "$n" ]; then echo "     no $1 in the Groups menu: $(popups | tr '\t\n' ' |')"; return 1; fi
  [ "$n" -gt 0 ] && xdotool key --delay 80 $(printf 'Down %.0s' $(seq "$n"))
  xdotool key Return
}
# lists NAME TEXT: the list shows that row within 10 s; else what it shows.
lists() {
  wait_for 10 list_has "$1" "$2" && return 0
  echo "     the list holds: $(probe list | tr '\t\n' '=|'), the status bar: $(probe status 0)"; return 1
}
both_states() { local c; for c in "$@"; do echo -n "$(menu_state "$c") $(tb_state "$c") "; done | sed 's/ $//'; }

# First start: an empty Default group, the welcome after half a second.
start_kx
check "main window appears" wait_for 20 has_window "$MAIN"
check "first start says the group file was created" wait_for 10 has_window "Load Shortcuts"
press "Load Shortcuts" Return
check "a first start centres the window on the desktop" wait_for 5 centred "$MAIN"
# The welcome, then the first-run setup (the options suite tries both): Cancel.
wait_for 10 has_window "Welcome to Kestrix Typing Shortcut Expander"
shot welcome "Welcome to Kestrix Typing Shortcut Expander"
answer "Welcome to Kestrix Typing Shortcut Expander" "Close"
answer "General Setup" "Cancel"
check "the program goes on with its window up" eval 'kx_running && probe visible "$MAIN"'
check "the list starts empty" test -z "$(probe list)"
check "an empty list asks to press Add" eval 'probe status 2 | grep -qF "Please press \"Add\" to create a new shortcut."'
check "with no row, Edit and Delete are grayed in the menu and the toolbar" says "grayed disabled grayed disabled" both_states 2003 2002
check "the menu shows the keys of Edit and Delete" eval 'probe menu 2003 | grep -qP "\tCtrl\+E$" &&
  probe menu 2002 | grep -qP "\tCtrl\+(Delete|Del)$"'

# New simple-text shortcut from the toolbar's Add button, typed with xdotool.
click_toolbar 2010
check "the Add button opens the simple text editor" wait_for 10 has_window "New Simple Text Shortcut"
take_focus "New Simple Text Shortcut"
xdotool type --delay 40 "gm"; xdotool key Tab; xdotool type --delay 40 "Good morning, team"
wait_for 5 eval 'probe item "New Simple Text Shortcut" 111 | grep -q "Good morning, team"'
shot simple-text-editor "New Simple Text Shortcut"
check "the editor closes on OK" answer "New Simple Text Shortcut" "OK"
check "the new shortcut is listed in upper case" wait_for 10 list_has GM "Good morning, team"
shot main-window "$MAIN"

# An empty keyword: OK says so at the field and keeps the editor open.
menu_keys ctrl+shift+s
check "Ctrl+Shift+S opens the simple text editor" wait_for 10 has_window "New Simple Text Shortcut"
click_button "New Simple Text Shortcut" "OK"
check "OK with no keyword says one is needed and keeps the editor open" wait_for 5 eval \
  'tip_says "Please enter a keyword." && probe visible "New Simple Text Shortcut"'
answer "New Simple Text Shortcut" "Cancel"

# The rich-text editor from the menu: Shortcut > Add New Shortcut > Rich Text.
menu_keys alt+s n
check "Alt+S, N opens the four kinds" wait_for 5 popup_has "-	Rich Text Shortcut...	Ctrl+Shift+R"
xdotool key --delay 80 Down Return
check "the rich text editor opens" wait_for 10 has_window "New Rich Text Shortcut"
take_focus "New Rich Text Shortcut"
xdotool type --delay 40 "ty"; xdotool key Tab; xdotool type --delay 40 "Thank you"
wait_for 5 eval 'probe item "New Rich Text Shortcut" 123 | grep -q "Thank you"'
shot rich-text-editor "New Rich Text Shortcut"
answer "New Rich Text Shortcut" "OK"
check "a rich text shortcut is listed" wait_for 10 list_has TY "Thank you"

# Typing the keyword in another program expands it.
start_notepad; sleep 2
focus_notepad; xdotool type --delay 80 "gm "
check "typing gm in notepad expands it" wait_for 10 eval 'notepad_text | grep -q "Good morning, team"'
shot expansion-in-notepad "$NOTEPAD"

# Ctrl+X in the main window switches expansion off and on again.
press "$MAIN" ctrl+x
check "Ctrl+X names the switch No Expand" wait_for 5 says "No Expand" probe button 1006
focus_notepad
xdotool key ctrl+a BackSpace; xdotool type --delay 80 "gm "; sleep 1.5
check "with expansion off gm stays as typed" notepad_is "gm "
press "$MAIN" ctrl+x
check "Ctrl+X again names it Expand" wait_for 5 says "Expand" probe button 1006

# The Auto button switches Auto Complete, and the status bar says so.
was=$(probe status 1); case $was in *On) other="Auto Complete is Off" ;; *) other="Auto Complete is On" ;; esac
# auto_says TEXT: the status bar's Auto Complete part says TEXT within 5 s;
# else what the status bar, the button and the setting say.
auto_says() {
  wait_for 5 says "$1" probe status 1 && return 0
  echo "     status '$(probe status 1)', button $(tb_state 2016), active '$(probe foreground | cut -f1)'," \
    "setting AutoCompleteEnabled '$(reg_value Settings AutoCompleteEnabled)'"
  return 1
}
click_toolbar 2016
check "the Auto button switches Auto Complete" auto_says "$other"
click_toolbar 2016
check "and back" auto_says "$was"

# Which commands a selection enables, in the menu, the toolbar and the
# list's context menu.
select_rows GM
check "one row enables Edit and Delete" wait_for 5 says "enabled enabled enabled enabled" both_states 2003 2002
select_rows GM TY
check "two rows gray Edit and keep Delete" wait_for 5 says "grayed disabled enabled enabled" both_states 2003 2002
read -r x y < <(probe row TY); click_at "$x" "$y" 3
check "the context menu of two rows grays Edit, offers Delete" wait_for 5 eval \
  'popup_has "g	&Edit Shortcut..." && popup_has "-	&Delete Shortcut" && popup_has "-	Select &All"'
check "with one group the context menu has no Move To Group" eval '! popups | grep -q "Move To Group"'
xdotool key Escape; wait_for 5 popup_closed
# A click on the grayed Edit button does nothing: the keys pressed after it
# open the new-shortcut editor, and by then no edit editor has come.
click_toolbar 2003
menu_keys ctrl+shift+s
wait_for 10 has_window "New Simple Text Shortcut"
check "a click on the grayed Edit button opens nothing" eval '[ -z "$(xdotool search --name "^Edit .*Shortcut$")" ]'
answer "New Simple Text Shortcut" "Cancel"

# Edit from the toolbar, then delete from the menu.
select_rows GM
wait_for 5 says "enabled" tb_state 2003
click_toolbar 2003
check "the Edit button opens the editor" wait_for 10 has_window "Edit Simple Text Shortcut"
take_focus "Edit Simple Text Shortcut"
xdotool key Tab ctrl+a; xdotool type --delay 40 "Good evening"
answer "Edit Simple Text Shortcut" "OK"
check "the edited expansion is listed" wait_for 10 list_has GM "Good evening"
select_rows TY
wait_for 5 says "enabled" tb_state 2002
menu_keys alt+s d
check "Shortcut > Delete Shortcut asks first" wait_for 10 has_window "Confirm Delete"
answer "Confirm Delete" "Delete"
check "the deleted shortcut leaves the list" wait_for 10 list_lacks TY

# A second group from Shortcut > Groups > New Group...: it starts with
# Default's shortcuts.
menu_keys alt+s g
wait_for 5 popup_has "-	New Group..."
xdotool key --delay 80 Up Up Return
check "Groups > New Group... opens its dialog" wait_for 10 has_window "Add New Group"
take_focus "Add New Group"; xdotool type --delay 40 "Work"
answer "Add New Group" "OK"
check "the new group is a copy of Default" wait_for 10 list_has GM "Good evening"
check "the Groups menu ticks the new group" eval 'menu_keys alt+s g && wait_for 5 popup_has "-c	Work"'
xdotool key Escape Escape; wait_for 5 popup_closed
pick_group Default

# The tray menu: shortcuts off and on, and Confirm Stop.
check "the tray menu opens with Open Kestrix first" open_tray_menu
check "the tray menu offers Disable Shortcuts while they are on" popup_has "-	Disable Shortcuts"
shot tray-menu "" 400x240+880+784
click_popup "Disable Shortcuts"
check "Disable Shortcuts turns them off" wait_for 5 says "Shortcuts are Off" probe status 0
open_tray_menu
check "the tray menu then offers Enable Shortcuts" popup_has "-	Enable Shortcuts"
click_popup "Enable Shortcuts"
check "Enable Shortcuts turns them on" wait_for 5 says "Shortcuts are On" probe status 0
open_tray_menu; click_popup "Exit (Turn Off)"
check "Exit (Turn Off) asks Confirm Stop" wait_for 10 has_window "Confirm Stop"
shot confirm-stop "Confirm Stop"
answer "Confirm Stop" "Cancel"
# The tray's next message comes after anything Cancel might have posted.
check "after Cancel the program still answers its tray icon" open_tray_menu
check "and its window stays up" eval 'probe visible "$MAIN"'
click_popup "Exit (Turn Off)"; wait_for 10 has_window "Confirm Stop"
answer "Confirm Stop" "Background"
check "Background hides the window" wait_for 5 hidden_window "$MAIN"
check "and the program goes on in the tray" open_tray_menu
click_popup "Exit (Turn Off)"; wait_for 10 has_window "Confirm Stop"
answer "Confirm Stop" "Stop"
check "Stop ends the program" wait_for 10 kx_ended

# Starting again finds the shortcut; later starts forward their arguments.
start_kx -hide
check "the second run loads the shortcut" wait_for 20 list_has GM "Good evening"
check "the second run starts hidden with -hide" hidden_window "$MAIN"
forward -show
check "a second start with -show brings the first copy up" wait_for 10 probe visible "$MAIN"
check "and the first copy stays" kx_running
probe copydata 100
check "a block of the wrong size changes nothing" eval 'kx_running && probe visible "$MAIN"'
args=(); for i in $(seq 1 199); do args+=("a$i"); done
forward "${args[@]}" -exit
# The tray's message is handled after the forwarded arguments.
check "an -exit beyond argument 128 is cut off" open_tray_menu
click_popup "Exit Close To Tray"; wait_for 5 hidden_window "$MAIN"
args=(); for i in $(seq 1 126); do args+=("a$i"); done
forward "${args[@]}" -exit
check "an -exit as argument 127 ends the running copy" wait_for 10 kx_ended

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
  wait_for 20 says "100 700 1000 1200" probe rect "$MAIN"
wait_for 10 list_has SH "shared text"
check "keywords sort by number: A9 before A10" test "$(keywords)" = "A9 A10 GM M1 M2 SH "
read -r hx hy < <(probe header 0)
click_at "$hx" "$hy"
check "a second click on the header reverses the order" wait_for 5 says "SH M2 M1 GM A10 A9 " keywords

# Moving two shortcuts into a group that has both: one question for all.
select_rows M1 M2
read -r x y < <(probe row M2); click_at "$x" "$y" 3
check "the context menu of two rows offers Move To Group" wait_for 5 popup_has "-	&Move To Group"
xdotool key --delay 80 m Return
check "a move into a group with the keyword asks about overwriting" wait_for 10 has_window "Overwrite shortcut?"
click_button "Overwrite shortcut?" "Do this for all conflicts"
answer "Overwrite shortcut?" "Overwrite shortcut"
check "Do this for all conflicts asks once and moves both" wait_for 10 has_window "Moved"
answer "Moved" "OK"
check "the moved shortcuts leave the group" wait_for 5 says "SH GM A10 A9 " keywords
pick_group Work
check "the other group holds the moved expansions" lists M2 "two from Default"
pick_group Default
wait_for 10 list_lacks M2

# New asks where to create the shortcut; Cancel stops there.
click_toolbar 2010
check "New asks private or shared" wait_for 10 probe shown "Shared Shortcuts Selection" "Shared (network) shortcuts"
check "the question has no Both for New" eval 'probe shown "Shared Shortcuts Selection" "Both"; [ $? -eq 1 ]'
answer "Shared Shortcuts Selection" "Cancel"
check "Cancel opens no editor" eval 'probe visible "$MAIN" && no_window "New Simple Text Shortcut"'

# Import into the simple text editor, then convert to rich text and back.
click_toolbar 2010; answer "Shared Shortcuts Selection" "OK"
wait_for 10 has_window "New Simple Text Shortcut"
take_focus "New Simple Text Shortcut"; xdotool type --delay 40 "imp"
click_button "New Simple Text Shortcut" "Import"
check "Import opens the file dialog" wait_for 10 has_window "Select Import File"
take_focus "Select Import File"
xdotool type --delay 20 "$(winpath "$ART/import.txt")"; xdotool key Return
imported() { probe item "$1" "$2" | tr '\r' '\n' | tr -s '\n' '|' | grep -q "^Imported line one|line two|$"; }
check "the imported file fills the expansion" wait_for 10 imported "New Simple Text Shortcut" 111
click_button "New Simple Text Shortcut" "Convert to rich text"
check "simple to rich converts without asking" wait_for 10 has_window "New Rich Text Shortcut"
check "the rich editor keeps the keyword and text" imported "New Rich Text Shortcut" 123
click_button "New Rich Text Shortcut" "Convert to simple text"
check "rich to simple asks first" wait_for 10 has_window "Confirm Convert"
answer "Confirm Convert" "Cancel"
check "Cancel stays in the rich editor" eval 'probe visible "New Rich Text Shortcut" && no_window "New Simple Text Shortcut"'
click_button "New Rich Text Shortcut" "Convert to simple text"
wait_for 10 has_window "Confirm Convert"; answer "Confirm Convert" "Convert"
check "Convert reopens the simple editor" wait_for 10 has_window "New Simple Text Shortcut"
answer "New Simple Text Shortcut" "OK"
check "the converted shortcut is listed as simple text" wait_for 10 eval 'probe list | grep -q "^IMP	Imported line one *line two *	Simple Text$"'

check "the third run ends on -exit" stop_kx

finish
