#!/usr/bin/env bash
# Auto Complete as a user meets it, under Wine on a virtual display: learned
# phrases from an "acdata.txt" put in place before the start, the "Auto
# Complete" window in the corner of the screen while the user types in
# notepad, the double CTRL tap that types the rest of the phrase, and
# ALT+DOWN, which picks the second row without leaving the application's menu
# bar active; with expansion switched off by its hotkey, the double tap
# inserts into the window typed in; a double click on a row, its context
# menu (View/Edit, Remove), which gives the keyboard back to notepad, and the
# close button's prompt; and nothing typed in the program's own windows is
# learned. Prints "N passed, N failed".
#
#   tests/e2e/run_autocomplete.sh [BUILD_DIR]        (default build/win64)
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../gui/gui_lib.sh"
gui_suite 341 349 autocomplete "${1:-}"

sig_user
# CTRL+ALT+SPACE switches expansion on and off.
setting Settings ToggleExpansions 1

# "acdata.txt": the keystroke counter, then one phrase a line: phrase,
# accepted, lastSeen, impressions, typedCount, suggestable, firstSeen and the
# confidence bytes (empty: 100 for each character), separated by tabs, each
# line ending in CR LF. Typing "thank y" finds two; the first scores higher
# (typed more often, and longer); so does the first for "see y". The third
# "thank" phrase is offered only while "thank " is still being typed: once it
# is gone from the window, the window shows the search for the whole "thank y".
printf '1000\r\nthank you very much\t0\t990\t0\t5\t1\t900\t\r\nthank you all\t0\t990\t0\t3\t1\t900\t\r\n%s\r\n%s\r\n%s\r\n' \
  "$(printf 'see you later alligator\t0\t990\t0\t5\t1\t900\t')" "$(printf 'see you soon my friend\t0\t990\t0\t3\t1\t900\t')" \
  "$(printf 'thank goodness it is friday\t0\t990\t0\t1\t1\t900\t')" >"$DATA/acdata.txt"

# The window sits on the work area's bottom-right corner, a fifth of its width.
in_corner() {
  local l t r b L T R B
  read -r l t r b < <(probe rect "$AC"); read -r L T R B < <(probe workarea)
  [ -n "$b" ] && [ "$r" -eq "$R" ] && [ "$b" -eq "$B" ] && [ $((r - l)) -eq $(((R - L) / 5)) ]
}
# A row without a candidate is moved out of view and keeps its old text.
in_view() { local x y; read -r x y < <(probe whereid "$AC" "$1"); [ -n "$x" ] && [ "$x" -ge 0 ]; }
# The phrases of the rows in view, joined by "|".
rows_in_view() { local id; for id in 9101 9102 9103; do in_view $id && ac_row $id; done | paste -sd '|'; }
# The window shows the search for the whole "thank y": each fill selects its
# first row again, so ALT+DOWN must come after the last one.
offers_thank_y() {
  wait_for 10 ac_shown && wait_for 5 eval '[ "$(rows_in_view)" = "thank you very much|thank you all" ]' ||
    told "thank you very much|thank you all" "$(rows_in_view)"
}
# A click counts only once the window has faded in where it stays.
settled() { in_corner && [ "$(probe alpha "$AC")" = 255 ]; }
# row_of PHRASE: the id of the row that shows it.
row_of() {
  local id
  for id in 9101 9102 9103; do in_view $id && [ "$(ac_row $id)" = "$1" ] && echo $id && return; done
  return 1
}
# click_row ID [BUTTON [REPEAT]]: the mouse on that row of the settled window.
click_row() {
  local x y
  wait_for 5 settled || return 1
  read -r x y < <(probe whereid "$AC" "$1")
  [ -n "$y" ] && mouse_to "$x" "$y" && xdotool click --repeat "${3:-1}" --delay 80 "${2:-1}"
}
# The screenshot's colour at a point of the window: "RED GREEN BLUE".
colour_at() {
  convert "$SHOTS/autocomplete-over-notepad.png" -format "%[fx:int(255*p{$1,$2}.r+.5)] %[fx:int(255*p{$1,$2}.g+.5)] %[fx:int(255*p{$1,$2}.b+.5)]" info: 2>/dev/null
}
# Two colours an eye tells apart (not shades a step apart).
apart() { local a=($1) b=($2); [ ${#a[@]} = 3 ] && [ ${#b[@]} = 3 ] &&
  [ $(( (a[0]-b[0])**2 + (a[1]-b[1])**2 + (a[2]-b[2])**2 )) -ge 2500 ]; }
# Below a 27-pixel title, the 11-pixel bar, then row 1 (15 pixels) and the
# 7-pixel gap after it, which takes the row's colour; inside a 1-pixel border.
looks_right() {
  local l t r b title bar rowLeft rowRight gap
  read -r l t r b < <(probe rect "$AC")
  [ -n "$b" ] || return 1
  title=$(colour_at $(((l + r) / 2)) $((t + 4))); bar=$(colour_at $(((l + r) / 2)) $((t + 1 + 27 + 5)))
  rowLeft=$(colour_at $((l + 2)) $((t + 1 + 38 + 7))); rowRight=$(colour_at $((r - 3)) $((t + 1 + 38 + 7)))
  gap=$(colour_at $(((l + r) / 2)) $((t + 1 + 38 + 15 + 3)))
  apart "$bar" "$title" && apart "$bar" "$gap" && apart "$gap" "$title" && [ "$rowLeft" = "$gap" ] && [ "$rowRight" = "$gap" ]
}
# A new line in notepad and the start of a learned phrase.
notepad_line() { focus_notepad; xdotool key Return; xdotool type --delay 80 "$1"; }
acdump() { timeout 30 wine "$BUILD/kxtool.exe" acdata dump "$(winpath "$DATA/acdata.txt")" 2>/dev/null </dev/null | tr -d '\r'; }
# dumped PHRASE: its statistics from the dump: accepted typedCount impressions ...
dumped() { awk -F'\t' -v p="$1" '$1 == p { $1 = ""; print substr($0, 2) }' OFS='\t' "$ART/acdump.txt"; }

start_notepad 0 0 900 500
# Started as at log-on, in the tray: so the user meets Auto Complete, and
# the main window takes no focus from notepad while the program starts.
start_kx -logon
wait_for 30 hidden_window "$MAIN"
check "the Auto Complete window exists from the start, hidden" wait_for 10 ac_hidden
wait_for 10 hook_loaded

# 1. The first characters of a learned phrase.
focus_notepad
xdotool type --delay 80 "thank y"
check "typing 'thank y' shows the Auto Complete window" offers_thank_y
check "its first row is the best phrase, its second the other" says "thank you all" ac_row 9102
check "with two rows the hint names ALT+DOWN and the CTRL taps" \
  says "Use ALT+DOWN to select. Hit CTRL twice to insert." ac_row 9105
check "it sits in the corner of the work area" wait_for 5 in_corner
check "notepad keeps the focus" eval 'active "$NOTEPAD" || told "$NOTEPAD" "$(probe foreground)"'
wait_for 5 settled; shot autocomplete-over-notepad
check "the bar under the title stands apart from the title and the selected row, which fills the width" looks_right
# 2. Two CTRL taps type the rest of the phrase.
xdotool key --delay 60 ctrl ctrl
check "two CTRL taps put the whole phrase into notepad" \
  wait_for 8 eval '[ "$(notepad_text)" = "thank you very much" ]'
check "and the window goes" wait_for 5 ac_hidden

# 3. ALT+DOWN picks the second row; notepad's menu bar stays closed, so the
# CTRL taps still insert into the text.
xdotool key Return
xdotool type --delay 80 "thank y"
check "the window comes back for the next line" offers_thank_y
xdotool key alt+Down
sleep 0.3
xdotool key --delay 60 ctrl ctrl
check "ALT+DOWN, then CTRL CTRL inserts the second row" \
  eval 'wait_for 8 eval "[ \"\$(notepad_text | tail -n 1)\" = \"thank you all\" ]" || told "thank you all" "$(notepad_text)"'
check "ALT+DOWN moved nothing in notepad" says "thank you very much" eval 'notepad_text | head -n 1'

# 4. A lone ALT press and release opens a menu bar. In a plain window with
# a menu bar of its own, ALT+DOWN must leave it closed too.
start_target "kx menu" --menu >/dev/null
take_focus "kx menu"
xdotool type --delay 80 "thank y"
check "the window comes up over a window with a menu bar" offers_thank_y
SECOND=$(ac_row 9102)
xdotool key alt+Down
sleep 0.3
xdotool key --delay 60 ctrl ctrl
check "there ALT+DOWN, then CTRL CTRL inserts the second row" \
  eval 'wait_for 8 eval "[ \"\$(probe text \"kx menu\")\" = \"\$SECOND\" ]" || told "$SECOND" "$(probe text "kx menu")"'

# 5. Expansion switched off with its hotkey after typing in notepad: the
# double tap inserts into the window typed in since, not into notepad.
notepad_line "see "
xdotool key ctrl+alt+space
xdotool type --delay 80 "sig "
check "CTRL+ALT+SPACE switches expansion off" \
  eval 'wait_for 5 eval "notepad_text | tail -n 1 | grep -qxF \"see sig \"" || told "see sig " "$(notepad_text | tail -n 1)"'
NOTEPAD_BEFORE=$(notepad_text)
take_focus "kx menu"
xdotool key Return; xdotool type --delay 80 "thank y"
check "with expansion off, 'thank y' typed in another window brings the window" offers_thank_y
xdotool key --delay 60 ctrl ctrl
check "...and CTRL CTRL inserts the phrase there" \
  eval 'wait_for 8 eval "[ \"\$(probe text \"kx menu\" | tail -n 1)\" = \"thank you very much\" ]" ||
    told "thank you very much" "$(probe text "kx menu" | tail -n 1)"'
check "...leaving notepad as it was" eval '[ "$(notepad_text)" = "$NOTEPAD_BEFORE" ] || told "$NOTEPAD_BEFORE" "$(notepad_text)"'
xdotool key ctrl+alt+space

# 6. A double click on a row inserts it; notepad keeps the focus.
notepad_line "thank y"
check "the window is back over notepad" offers_thank_y
check "a double click on the row 'thank you all' puts it into notepad" \
  eval 'click_row "$(row_of "thank you all")" 1 2 && wait_for 8 eval "[ \"\$(notepad_text | tail -n 1)\" = \"thank you all\" ]" ||
    told "thank you all" "$(notepad_text | tail -n 1) (rows: $(rows_in_view), foreground: $(probe foreground))"'
check "...and notepad still has the focus" eval 'active "$NOTEPAD" || told "$NOTEPAD" "$(probe foreground)"'

# 7. A right click on a row: View/Edit renames the phrase, Remove deletes it.
notepad_line "see y"
check "'see y' offers two phrases" offers "see you later alligator"
click_row 9101 3
check "a right click on a row opens its menu" wait_for 5 popup_has "-	View/Edit"
click_popup "View/Edit"
EDIT="View/Edit Suggestion"
check "View/Edit shows the row's phrase in the dialog" wait_for 10 says "see you later alligator" probe text "$EDIT"
take_focus "$EDIT"
xdotool key --delay 40 ctrl+End $(printf 'BackSpace %.0s' $(seq 9)); xdotool type --delay 60 "crocodile"
check "the dialog takes the new text" eval 'wait_for 5 says "see you later crocodile" probe text "$EDIT" || told "see you later crocodile" "$(probe text "$EDIT")"'
answer "$EDIT" "Save"
check "Save renames the row" eval 'wait_for 5 says "see you later crocodile" ac_row 9101 || told "see you later crocodile" "$(rows_in_view)"'

notepad_line "see y"
check "the renamed phrase is offered for 'see y'" offers "see you later crocodile"
wait_for 5 row_of "see you soon my friend"
click_row "$(row_of "see you soon my friend")" 3
wait_for 5 popup_has "-	Remove"; click_popup "Remove"
check "Remove leaves the window with the other row alone" wait_for 5 says "Hit CTRL twice to insert." ac_row 9105
check "...and notepad has the keyboard back from the menu" eval 'wait_for 5 active "$NOTEPAD" || told "$NOTEPAD" "$(probe foreground)"'

# 8. Typing in the program's own window is not learned: the main window's
# search box takes a phrase three times; typed once in notepad, it is
# learned once.
PRIVATE="quiet harbour lights flicker"
forward -show
wait_for 10 probe visible "$MAIN"
press "$MAIN" ctrl+f
wait_for 5 eval 'probe foreground | grep -qP "^$MAIN\tEdit$"'
xdotool type --delay 60 "$PRIVATE $PRIVATE $PRIVATE "
check "the search box takes a phrase three times" wait_for 5 says "$PRIVATE $PRIVATE $PRIVATE " probe text "$MAIN"
notepad_line "$PRIVATE"; xdotool key Return
wait_for 10 eval 'notepad_text | grep -qxF "$PRIVATE"'

# 9. The close button asks; "Close" only closes, "Disable" turns Auto
# Complete off.
notepad_line "thank y"
# Either "thank you" phrase may lead by now, as their acceptances have made.
check "the window is back once more" offers "thank you *"
click_row 1001
check "the close button asks whether to disable or close" wait_for 10 probe shown "$AC" "Disable"
click_button "$AC" "Close"; wait_for 10 eval '[ "$(probe shown "$AC" "Disable"; echo $?)" = 2 ]'
check "'Close' hides the window" wait_for 5 ac_hidden
check "...and leaves Auto Complete on" eval '[ "$(reg_value Settings AutoCompleteEnabled)" != 0 ]'
notepad_line "thank y"
check "the window comes back after 'Close'" offers "thank you *"
click_row 1001
wait_for 10 probe shown "$AC" "Disable"
click_button "$AC" "Disable"; wait_for 10 eval '[ "$(probe shown "$AC" "Disable"; echo $?)" = 2 ]'
check "'Disable' hides the window" wait_for 5 ac_hidden
check "...and turns Auto Complete off" says 0 reg_value Settings AutoCompleteEnabled
notepad_line "thank y"
# Candidates come within two 100 ms periods; none may come at all.
sleep 2
check "...so that typing brings the window back no more" ac_hidden

check "the program ends on -exit" stop_kx
acdump >"$ART/acdump.txt"
check "the edited phrase kept its statistics under its new text" \
  eval '[ "$(dumped "see you later crocodile" | cut -f2)" = 5 ]'
check "...the old text is gone, and so is the removed phrase" \
  eval '[ -z "$(dumped "see you later alligator")$(dumped "see you soon my friend")" ]'
check "the phrase typed once in notepad was learned once" eval '[ "$(dumped "$PRIVATE" | cut -f2)" = 1 ]'
check "...and nothing typed in the search box was" eval '! grep -q "flicker quiet" "$ART/acdump.txt"'

finish
