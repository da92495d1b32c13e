#!/usr/bin/env bash
# Drives kestrix.exe as a user would, on a virtual display under Wine, for
# the options window, the first-run setup, Search/Print and the list's
# search box: boxes ticked and lists chosen with clicks and keys, files
# chosen by typing their path, and the outcome read back from the registry,
# from notepad, from "TempPrint.txt" and from the list. What the Auto
# Complete page changes takes effect as OK closes the sheet: suggestions in
# notepad, the hotkey, the memory limit and the sent-mail scan. The rules
# per program, set on the Programs page, in the registry and from the tray,
# are seen in notepad and in kx_target (the keys it took, and the
# clipboard). Prints "N passed, N failed".
#
#   tests/gui/run_gui_options.sh [BUILD_DIR]        (default build/win64)
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../gui/gui_lib.sh"
gui_suite 351 359 gui-options "${1:-}"

OPTIONS="Kestrix Options"
WELCOME="Welcome to Kestrix Typing Shortcut Expander"
LOCAL="$DATA/local"
SHARED="$ART/shared.dat"
mkdir -p "$LOCAL"
rm -f "$ART"/*.txt
# Listings of earlier runs go, so that only this run's can be found.
find "$WINEPREFIX/drive_c/users" -maxdepth 5 -type d -name 'Kestrix[0-9]*' -path '*Temp*' -exec rm -rf {} + 2>/dev/null
# Text files open in notepad, as on any Windows system; this Wine's fresh
# prefix has the "txtfile" type but does not give it the ".txt" extension.
wine reg add 'HKCR\.txt' /ve /d txtfile /f >/dev/null 2>&1 </dev/null
# Help pages open in notepad too, where the suite can see which one opened
# (there is no browser).
wine reg add 'HKCR\.html' /ve /d htmlfile /f >/dev/null 2>&1 </dev/null
wine reg add 'HKCR\htmlfile\shell\open\command' /ve /d 'notepad.exe "%1"' /f >/dev/null 2>&1 </dev/null
# Learned phrases (the fields as "acdata.txt" holds them: phrase, accepted,
# lastSeen, impressions, typedCount, suggestable, firstSeen, confidence).
printf '1000\r\nthank you very much\t0\t990\t0\t5\t1\t900\t\r\nthank you all\t0\t990\t0\t3\t1\t900\t\r\n' >"$DATA/acdata.txt"
# A Thunderbird profile with one sent message, for the scan switched on in
# the options.
THUNDERBIRD="$WINEPREFIX/drive_c/users/$(whoami)/AppData/Roaming/Thunderbird"
rm -rf "$THUNDERBIRD"
mkdir -p "$THUNDERBIRD/Profiles/k3x7.default/Mail/Local Folders"
printf 'From - Sat Dec 05 10:00:00 2026\r\nFrom: Kim <kim@example.com>\r\nSubject: Plans\r\n\r\nPlain kiwi note.\r\n' \
  >"$THUNDERBIRD/Profiles/k3x7.default/Mail/Local Folders/Sent"
LOCAL_JSON='{"records":[
 {"keyword":"SIG","kind":0,"plainText":"Best regards,\r\nKim"},
 {"keyword":"TY","kind":0,"plainText":"Thank you"},
 {"keyword":"ADDR","kind":0,"plainText":"12 Harbour Road, caf\u00e9 \u20ac"},
 {"keyword":"PIC","kind":3,"plainText":"","richText":"{\\rtf1{\\*\\KestrixFileName{\\C:\\\\pics\\\\photo 2019-10.png}}{\\pict}}"},
 {"keyword":"ZZ","kind":0,"plainText":""}]}'
SHARED_JSON='{"password":"pw","records":[{"keyword":"SH1","kind":0,"plainText":"shared one"},{"keyword":"SIG","kind":0,"plainText":"Shared regards"}]}'
kxdb "$LOCAL_JSON" "$LOCAL/abbrev.dat"
kxdb "$SHARED_JSON" "$SHARED"

# The sheet's page is the one whose box of that label is on screen.
on_page() { probe shown "$OPTIONS" "$1"; }
# A click into the sheet's field of that control ID, then the text.
type_into_id() { click_id "$OPTIONS" "$1" && xdotool type --delay 40 "$2"; }
click_tab() { local x y; read -r x y < <(probe tab "$OPTIONS" "$1"); [ -n "$y" ] && click_at "$x" "$y"; }
# click_combo ID KEYS...: opens the sheet's drop-down list of that control
# ID with a click and picks an entry with the keys.
click_combo() { local id=$1; shift; click_id "$OPTIONS" "$id" && sleep 0.3 && xdotool key --delay 120 "$@"; }
# The listing Search/Print writes: the one "TempPrint.txt" in the user's
# folders, in a Kestrix folder of the temporary folder (none while there are
# two: a second Search/Print replaces the first's). Its layout is the
# listing's own unit test; here it names the chosen store's shortcuts.
listing() {
  local all; all=$(find "$WINEPREFIX/drive_c/users" -name TempPrint.txt 2>/dev/null)
  [ "$(printf '%s' "$all" | grep -c .)" = 1 ] && [[ "$all" == *Temp/Kestrix* ]] && printf '%s\n' "$all"
}
# listed HEADING KEYWORD...: the listing starts with HEADING and lists those
# keywords, in that order.
listed() {
  local file heading=$1; shift
  file=$(listing) && [ "$(head -1 "$file")" = "$heading"$'\r' ] &&
    [ "$(sed -n 's/^Shortcut:\t\t\(.*\)\r$/\1/p' "$file" | tr '\n' ' ')" = "$* " ]
}

start_notepad 0 760 1280 230

# A first start: the welcome, then the setup, once.
setting Settings Runs 0
start_kx
check "the program starts" main_up
check "a fresh install says Auto Complete is on, as it is" says "Auto Complete is On" probe status 1
check "a first start offers the welcome" wait_for 15 has_window "$WELCOME"
answer "$WELCOME" "Close"
check "the setup follows the welcome" wait_for 10 has_window "General Setup"
# A clashing hotkey chosen in the setup shows the balloon and writes nothing
# before Finish, so that Cancel would leave the settings as they were.
combo_before=$(reg_value Settings ToggleExpansionsCombo)
click_button "General Setup" "Use this shortcut to turn Kestrix shortcuts On/Off"
wait_for 5 probe enabledid "General Setup" 115
OPTIONS="General Setup" click_combo 115 Down Return
check "the setup shows the clash balloon" wait_for 5 tip_says \
  "This shortcut is already being used by the Auto Complete. Please choose another shortcut."
check "...and writes nothing before Finish" says "$combo_before" reg_value Settings ToggleExpansionsCombo
OPTIONS="General Setup" click_combo 115 Up Return
click_button "General Setup" "Use this shortcut to turn Kestrix shortcuts On/Off"
answer "General Setup" "Next >" 
check "Next leads to the Auto Complete setup" wait_for 10 has_window "Auto Complete Setup"
check "it offers Thunderbird's sent mail" probe shown "Auto Complete Setup" "Pre-Generate From Thunderbird Sent Mail"
click_button "Auto Complete Setup" "Pre-Generate From Outlook Sent Mail"
wait_for 5 probe checked "Auto Complete Setup" "Pre-Generate From Outlook Sent Mail"
answer "Auto Complete Setup" "Finish"
scan_boxes() { echo "$(reg_value Settings ScanThunderbirdSentItems) $(reg_value Settings ScanOutlookSentItems)"; }
check "Finish writes the sent-mail choices" eval 'wait_for 5 says "0 1" scan_boxes || told "0 1" "$(scan_boxes)"'
check "and Auto Complete" says 1 reg_value Settings AutoCompleteEnabled
check "the setup is not offered again" says 1 reg_value Settings FirstRunSetupShown

# The General page: "Insert a period at double-space" ticked, then OK.
check "no period at a double space before" eval 'type_in_notepad "hello  " 100; sleep 2; [ "$(notepad_text)" = "hello  " ]'
xdotool windowraise "$(window "$MAIN")" 2>/dev/null; sleep 0.3
click_toolbar 1003
check "Options opens the sheet" wait_for 10 has_window "$OPTIONS"
check "at the General page" wait_for 5 on_page "Insert a period at double-space"
click_button "$OPTIONS" "Insert a period at double-space"
wait_for 5 probe checked "$OPTIONS" "Insert a period at double-space"
answer "$OPTIONS" "OK"
check "OK writes DoubleSpace" says 1 reg_value Settings DoubleSpace
check "a double space in notepad now ends the sentence" \
  eval 'type_in_notepad "hello  " 100; wait_for 8 eval "[ \"\$(notepad_text)\" = \"hello. \" ]"'

# The hotkey clash: the shortcuts' hotkey set to Auto Complete's.
press "$MAIN" ctrl+o
check "Ctrl+O opens the sheet" wait_for 10 has_window "$OPTIONS"
click_button "$OPTIONS" "Use this shortcut to turn Kestrix shortcuts On/Off"
wait_for 5 probe enabledid "$OPTIONS" 115
click_combo 115 Down Return
check "choosing Auto Complete's hotkey shows the balloon" wait_for 5 tip_says \
  "This shortcut is already being used by the Auto Complete. Please choose another shortcut."
check "the choice is written at once" says "CTRL+ALT+ENTER" reg_value Settings ToggleExpansionsCombo
# To the Auto Complete page, then OK: the General page refuses and comes back.
click_tab 2
check "a click on its tab shows the Auto Complete page" wait_for 5 on_page "Enable Auto Complete"
check "the memory label shows the share and its amount" eval \
  'probe item "$OPTIONS" 161 | grep -qxE "15% \.\.\.\. [1-9][0-9]*(\.[0-9]{2} (KB|MB|GB)| Bytes)"'
click_button "$OPTIONS" "OK"
check "OK with the clash keeps the sheet open" eval 'sleep 1; has_window "$OPTIONS"'
check "on the General page" wait_for 5 on_page "Insert a period at double-space"
check "and nothing of the page written" says 0 reg_value Settings ToggleExpansions
click_combo 115 Down Return
wait_for 5 says "SHIFT+ALT+ENTER" reg_value Settings ToggleExpansionsCombo
answer "$OPTIONS" "OK"
check "another hotkey is accepted" eval '[ "$(reg_value Settings ToggleExpansions) $(reg_value Settings ToggleExpansionsCombo)" = "1 SHIFT+ALT+ENTER" ]'
check "the Auto Complete page wrote its slider" says 15 reg_value Settings SuggestionTrackbar

# The Auto Complete page. Unticked with OK, Auto Complete is off at once,
# and its hotkey then switches it on, not "off" again.
open_autocomplete_page() {
  press "$MAIN" ctrl+o && wait_for 10 has_window "$OPTIONS" && click_tab 2 && wait_for 5 on_page "Enable Auto Complete"
}
unticked() { probe checked "$OPTIONS" "$1"; [ $? -eq 1 ]; }
check "Options opens at the Auto Complete page's tab" open_autocomplete_page
check "the page's Help opens its topic" eval 'click_button "$OPTIONS" "Help" && wait_for 15 has_window "autocompleteoptions.html - Notepad"'
close_window "autocompleteoptions.html - Notepad"
click_button "$OPTIONS" "Use this shortcut to turn Kestrix Auto Complete On/Off"
click_button "$OPTIONS" "Enable Auto Complete"
wait_for 5 unticked "Enable Auto Complete"
answer "$OPTIONS" "OK"
check "unticked, Auto Complete is off as OK closes the sheet" wait_for 5 says "Auto Complete is Off" probe status 1
check "...and typing 'thank y' offers nothing" eval 'type_in_notepad "thank y" 100 && sleep 2 && ac_hidden'
xdotool key ctrl+alt+Return
check "its hotkey then switches it on" wait_for 5 says 1 reg_value Settings AutoCompleteEnabled
check "...and typing offers the phrase" eval 'type_in_notepad "thank y" 100 && offers "thank you very much"'
# Switched off by the hotkey, which stops the dictionary's search; ticked in
# the options, with the memory slider moved and Thunderbird's sent mail
# switched on, all in one visit.
xdotool key ctrl+alt+Return
check "the hotkey switches it off again" wait_for 5 says 0 reg_value Settings AutoCompleteEnabled
open_autocomplete_page
check "the page shows it off" unticked "Enable Auto Complete"
check "...and Thunderbird's sent mail not yet scanned" unticked "Pre-Generate From Thunderbird Sent Mail"
click_button "$OPTIONS" "Enable Auto Complete"
wait_for 5 probe checked "$OPTIONS" "Enable Auto Complete"
click_button "$OPTIONS" "Pre-Generate From Thunderbird Sent Mail"
wait_for 5 probe checked "$OPTIONS" "Pre-Generate From Thunderbird Sent Mail"
# The slider to 1 with Home, then four steps right.
click_id "$OPTIONS" 160; xdotool key --delay 80 Home Right Right Right Right
check "the slider's label follows the keys" wait_for 5 eval 'probe item "$OPTIONS" 161 | grep -q "^5% \.\.\.\. "'
answer "$OPTIONS" "OK"
check "ticked, Auto Complete is on as OK closes the sheet" wait_for 5 says "Auto Complete is On" probe status 1
check "...and typing 'thank y' offers the phrase" eval 'type_in_notepad "thank y" 100 && offers "thank you very much"'
check "the Thunderbird box starts its scan, which finishes" wait_for 60 says 1 reg_value Settings ScanThunderbirdSentItemsDone
check "OK wrote the slider" says 5 reg_value Settings SuggestionTrackbar
# Reopened, the page shows the limit the phrase dictionary holds.
check "reopened, the page shows the new memory limit in force" eval \
  'open_autocomplete_page && probe item "$OPTIONS" 161 | grep -q "^5% \.\.\.\. "'
answer "$OPTIONS" "Cancel"

# Rules per program. kx_target stands in for a remote session and a chat
# program; it logs each key it takes with SHIFT and CTRL as they stood.
TARGET="kx_target"
TARGET_KEYS=$ART/target-keys.txt
RULES='Settings\Programs'
RULE="Program Rule"
rm -f "$WORK/$TARGET.txt" "$TARGET_KEYS"
start_target "$TARGET" --key-log "$(winpath "$TARGET_KEYS")" >/dev/null; TARGET_PID=${PIDS[-1]}
# The expansion as notepad's probe reads it, and as kx_target holds it.
EXPANDED=$'Best regards,\nKim '
EXPANDED_TARGET=$'Best regards,\r\nKim '
expands_in_target() {
  retype "$TARGET" "sig " 100 && wait_for 8 eval '[ "$(target_text "$TARGET")" = "$EXPANDED_TARGET" ]' ||
    told "$EXPANDED_TARGET" "$(target_text "$TARGET")"
}
stays_in_target() { retype "$TARGET" "sig " 100 && sleep 2 && says "sig " target_text "$TARGET"; }
# The keys kx_target took since mark_keys.
mark_keys() { keys_mark=$(wc -l <"$TARGET_KEYS"); }
keys_since() { tail -n +$((keys_mark + 1)) "$TARGET_KEYS"; }
# A click into the rule dialog's control of that ID, then keys typed there.
type_into_rule() { click_id "$RULE" "$1" && xdotool key --delay 60 ctrl+a BackSpace && xdotool type --delay 60 "$2"; }

# An Off rule for notepad, added on the Programs page.
press "$MAIN" ctrl+o
wait_for 10 has_window "$OPTIONS" && click_tab 3
check "the sheet's fourth tab is the Programs page" wait_for 5 on_page "Add..."
click_button "$OPTIONS" "Add..."
check "Add opens the rule dialog" wait_for 10 has_window "$RULE"
type_into_rule 186 'C:\Windows\notepad.exe'
click_button "$RULE" "OK"
check "a path for a program's file name is refused at its field" wait_for 5 tip_says \
  'Please enter the file name of the program, such as "mstsc.exe", without its folder.'
# The open programs' list, given the keyboard by a click, finds a row by
# the first letters typed.
click_id "$RULE" 185; xdotool type --delay 80 notepad
check "typing in the list of open programs picks notepad's and fills in its file" \
  wait_for 5 says notepad.exe probe item "$RULE" 186
click_button "$RULE" "Type the expansion instead of pasting it"
type_into_rule 189 250
click_button "$RULE" "OK"
check "a delay over 100 ms is refused at its field" wait_for 5 tip_says \
  "Please enter a delay from 0 to 100 milliseconds per character."
click_button "$RULE" "Off: expand nothing in this program"
answer "$RULE" "OK"
check "the rule dialog accepts Off for notepad.exe" no_window "$RULE"
check "nothing is written before OK" eval '[ -z "$(reg_value "$RULES" notepad.exe)" ]'
answer "$OPTIONS" "OK"
check "OK writes the rule" says Off reg_value "$RULES" notepad.exe
check "'sig ' in notepad then stays as typed" eval 'type_in_notepad "sig " 100 && sleep 2 && says "sig " notepad_text'
check "...and the status bar says so while notepad is in front" wait_for 5 says "Off in notepad.exe" probe status 2
check "'sig ' still expands in kx_target" expands_in_target
check "...where the status bar has no such note" eval '! probe status 2 | grep -q "^Off in"'

# A Type rule for kx_target, written as an administrator would while the
# program runs: taken up as kx_target next comes to the front, it types the
# expansion and leaves the clipboard alone.
type_in_notepad "sig " 100
setting "$RULES" kx_target.exe Type
clip_probe put --text "probe 42" >/dev/null
mark_keys
check "with a Type rule from the registry, the expansion arrives in kx_target" expands_in_target
check "...typed as characters, not pasted" eval 'keys_since | grep -qx "key 231 -" && ! keys_since | grep -q "^key 86 ctrl"'
check "...and the clipboard still holds the probe's text" eval 'clip_probe expect --text "probe 42" --within 2000 >/dev/null'

# A Chat rule: the line break goes as SHIFT+Enter, never as a bare Enter.
type_in_notepad "sig " 100
setting "$RULES" kx_target.exe Chat
mark_keys
check "with a Chat rule, the two-line expansion arrives in kx_target" expands_in_target
check "...its line break sent as SHIFT+Enter" eval 'keys_since | grep -qx "key 13 shift"'
check "...and no bare Enter" eval '! keys_since | grep -qE "^key 13 (-|ctrl)$"'

# "Off in This Program" from the tray, for the program in front before.
type_in_notepad "sig " 100
unset_setting "$RULES" kx_target.exe
check "without a rule 'sig ' expands in kx_target" expands_in_target
take_focus "$TARGET"
open_tray_menu
check "the tray menu offers Off in This Program" eval 'popup_has "-	Off in This Program" || told "-	Off in This Program" "$(popups)"'
click_popup "Off in This Program"
check "...which gives kx_target an Off rule" wait_for 5 says Off reg_value "$RULES" kx_target.exe
check "'sig ' in kx_target then stays as typed" stays_in_target
take_focus "$TARGET"
open_tray_menu
check "the item is ticked for kx_target now" popup_has "-c	Off in This Program"
click_popup "Off in This Program"
check "...and a second choice removes the rule" wait_for 5 eval '[ -z "$(reg_value "$RULES" kx_target.exe)" ]'

# A program that ends while its rule is edited changes nothing: its row and
# file name stay, and the rule is kept by that name.
press "$MAIN" ctrl+o
wait_for 10 has_window "$OPTIONS" && click_tab 3 && wait_for 5 on_page "Add..."
click_button "$OPTIONS" "Add..."
wait_for 10 has_window "$RULE"
click_id "$RULE" 185; xdotool type --delay 80 kx_
wait_for 5 says kx_target.exe probe item "$RULE" 186
kill "$TARGET_PID" 2>/dev/null
check "kx_target ends while its rule is edited" wait_for 10 no_window "$TARGET"
click_button "$RULE" "Chat: line breaks as SHIFT+Enter, which does not send"
answer "$RULE" "OK"
# Remove: notepad's rule, the last row, selected with the End key, goes.
click_id "$OPTIONS" 180; xdotool key End
click_button "$OPTIONS" "Remove"
answer "$OPTIONS" "OK"
check "...and OK writes the rule for the program that ended" says Chat reg_value "$RULES" kx_target.exe
check "Remove took notepad's rule away" eval '[ -z "$(reg_value "$RULES" notepad.exe)" ]'
check "...and 'sig ' expands in notepad again" eval 'type_in_notepad "sig " 100 && wait_for 8 says "$EXPANDED" notepad_text'

# File > Shared Shortcuts... opens the Shared Shortcuts page; the file is
# chosen in the file dialog by typing its path.
file_menu "Shared Shortcuts..."
check "Shared Shortcuts... opens the sheet at its page" wait_for 10 eval 'has_window "$OPTIONS" && on_page "Enable shared shortcuts"'
click_button "$OPTIONS" "Enable shared shortcuts"
wait_for 5 probe enabled "$OPTIONS" "..."
click_button "$OPTIONS" "..."
check "the browse button opens the file dialog" wait_for 10 has_window "Open Shared Abbreviations File"
take_focus "Open Shared Abbreviations File"
xdotool type --delay 30 "$(winpath "$SHARED")"; xdotool key Return
check "the typed path fills the field" wait_for 10 eval '[ "$(probe item "$OPTIONS" 132)" = "$(winpath "$SHARED")" ]'
check "the file's password opens the old-password field" wait_for 5 probe enabledid "$OPTIONS" 140
# A wrong old password is refused at its field and the sheet stays.
type_into_id 140 "wrong"; type_into_id 142 "new1"; type_into_id 144 "new1"
click_button "$OPTIONS" "OK"
check "a wrong old password is refused at its field" wait_for 5 tip_says "Please enter the current Administrator's password."
check "the sheet stays on the Shared Shortcuts page" eval 'has_window "$OPTIONS" && on_page "Enable shared shortcuts"'
check "the old-password field is cleared" eval 'old=$(probe item "$OPTIONS" 140) && [ -z "$old" ]'
check "and the file keeps its password" eval 'db_dump "$SHARED" | grep -qF "\"password\": \"pw\""'
type_into_id 140 "pw"
answer "$OPTIONS" "OK"
check "OK writes the shared settings" eval '[ "$(reg_value sharedabbrev sharedenabled) $(reg_value sharedabbrev sharedabbrevpath)" = "1 $(winpath "$SHARED")" ]'
check "the new password is saved into the shared file" eval 'db_dump "$SHARED" | grep -qF "\"password\": \"new1\""'
check "closing the sheet loads the shared shortcuts into the list" wait_for 10 list_has SH1 "shared one"

# Only the override box changed: closing the sheet loads the shared file
# again and the list shows the shared expansion where both have the keyword.
file_menu "Shared Shortcuts..."
wait_for 10 eval 'has_window "$OPTIONS" && on_page "Enable shared shortcuts"'
click_button "$OPTIONS" "Shared shortcuts override personal shortcuts"
wait_for 5 probe checked "$OPTIONS" "Shared shortcuts override personal shortcuts"
answer "$OPTIONS" "OK"
check "the override box alone rebuilds the list with the shared expansion" wait_for 5 list_has SIG "Shared regards"

# Search/Print: the private listing, then the shared one in its place.
press "$MAIN" ctrl+p
check "Search/Print asks which store" wait_for 10 has_window "Shared Shortcuts Selection"
answer "Shared Shortcuts Selection" "OK"
check "the private listing names its shortcuts in keyword order" wait_for 10 listed "Private Shortcuts:" ADDR PIC SIG TY ZZ
check "...in UTF-8, the picture by its file's name" eval 'grep -qF "12 Harbour Road, café €" "$(listing)" && grep -qF "C:\pics\photo 2019-10.png" "$(listing)"'
check "it is opened for printing" wait_for 15 has_window "TempPrint.txt - Notepad"
close_window "TempPrint.txt - Notepad"
press "$MAIN" ctrl+p
wait_for 10 has_window "Shared Shortcuts Selection"
click_button "Shared Shortcuts Selection" "Shared (network) shortcuts"
answer "Shared Shortcuts Selection" "OK"
check "a second Search/Print replaces the listing with the shared one" wait_for 10 listed "Shared Shortcuts:" SH1 SIG
wait_for 15 has_window "TempPrint.txt - Notepad" && close_window "TempPrint.txt - Notepad"

# The search box: Ctrl+F, then typing narrows the list.
check "all rows before a search" says "ADDR PIC SH1 SIG TY ZZ " keywords
press "$MAIN" ctrl+f
check "Ctrl+F puts the caret in the search box" wait_for 5 eval 'probe foreground | grep -qP "^$MAIN\tEdit$"'
xdotool type --delay 80 "regards"
check "typing narrows to the rows that hold it" wait_for 5 says "SIG " keywords
xdotool key --delay 60 $(printf 'BackSpace %.0s' $(seq 7)); xdotool type --delay 80 "photo"
check "a picture's file name is found" wait_for 5 says "PIC " keywords
xdotool key --delay 60 $(printf 'BackSpace %.0s' $(seq 5)); xdotool type --delay 80 "sh1"
check "keywords are found too" wait_for 5 says "SH1 " keywords
# The box keeps its editing keys: Ctrl+A selects its text (typing replaces
# it), Ctrl+X cuts it and Ctrl+V pastes it back; expansion stays on.
xdotool key --delay 60 ctrl+a; xdotool type --delay 80 "regards"
check "Ctrl+A in the box selects its text, not the rows" wait_for 5 says "SIG " keywords
xdotool key --delay 60 ctrl+a ctrl+x
check "Ctrl+X in the box cuts its text" wait_for 5 says "ADDR PIC SH1 SIG TY ZZ " keywords
xdotool key --delay 60 ctrl+v
check "Ctrl+V in the box pastes it back" wait_for 5 says "SIG " keywords
check "...and expansion is still on" says "Shortcuts are On" probe status 0
xdotool key --delay 60 ctrl+a BackSpace
check "an empty box shows every row again" wait_for 5 says "ADDR PIC SH1 SIG TY ZZ " keywords

check "the program survives" kx_running
stop_kx
finish
