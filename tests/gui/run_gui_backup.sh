#!/usr/bin/env bash
# Backup, restore, and saving and loading shortcut files, driven as a user
# would on a virtual display under Wine: the File menu's commands, paths
# typed into the dialogs' folder fields and the file dialogs' name fields,
# the questions answered with clicks. Reads back what each command did: the
# dated backup folder, a deleted shortcut back in the database and expanding
# in notepad, the restored learned phrases still there after the program
# ended, the saved file's shortcuts, a loaded file's shortcuts in the list and
# the database. Then the import from other programs (espanso, Beeftext, and
# back from this program's own CSV export) through its dialog, driven with
# keys: the preview's rows, the summary, the report, the new group expanding.
# Prints "N passed, N failed".
#
#   tests/gui/run_gui_backup.sh [BUILD_DIR]        (default build/win64)
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../gui/gui_lib.sh"
gui_suite 361 369 gui-backup "${1:-}"

LOCAL="$DATA/local"
BACKUPS="$ART/backups"
rm -rf "$BACKUPS"; mkdir -p "$LOCAL" "$BACKUPS"
# What earlier runs kept before their restores would be found for this run's.
find -L "$WINEPREFIX/drive_c/users" -maxdepth 3 -name 'Kestrix_Before_Restore_*' -prune -exec rm -rf {} + 2>/dev/null
kxdb '{"records":[{"keyword":"SIG","kind":0,"plainText":"Best regards, Kim"},{"keyword":"BRB","kind":0,"plainText":"be right back"}]}' "$LOCAL/abbrev.dat"
setting Settings Runs 9   # no welcome
# The learned phrases the program starts with.
printf '40\r\nphrase learned before the backup\t1\t2\t3\t4\r\n' >"$DATA/acdata.txt"

# The keywords of a database file, sorted, on one line.
db_keywords() { db_dump "$1" | sed -n 's/.*"keyword": *"\([^"]*\)".*/\1/p' | sort | tr '\n' ' '; }
db_text() {  # db_text FILE KEYWORD: the plain text stored for KEYWORD
  db_dump "$1" | grep "\"keyword\": *\"$2\"" | sed -n 's/.*"plainText": *"\([^"]*\)".*/\1/p'
}
# The text a message box shows (Wine's static of id 0xFFFF, as Windows').
box_text() { probe item "$1" 65535; }
# fill TITLE TEXT: the dialog's focused field takes TEXT, typed.
fill() {
  take_focus "$1" && typing_reaches "$1" || return 1
  xdotool type --delay 30 "$2"
  wait_for 5 says "$2" probe focustext && return 0
  echo "     typed '$2' into $1, its field holds '$(probe focustext)' (foreground: $(probe foreground))"; return 1
}

start_notepad 0 760 1280 230

start_kx
check "the program starts" main_up

# Backup Data: an empty field is refused, then the typed folder is used.
file_menu "Backup Data..."
check "Backup Data opens its dialog" wait_for 10 has_window "Backup Data"
click_button "Backup Data" "Backup"
check "an empty folder is refused" wait_for 10 has_window "Directory required"
check "...saying what is needed" says "Please specify a directory to backup the data to." box_text "Directory required"
answer "Directory required" "OK"
fill "Backup Data" "$(winpath "$BACKUPS")"
answer "Backup Data" "Backup"
check "the backup reports its success" wait_for 20 has_window "Backup Successful"
answer "Backup Successful" "OK"
BK=$(ls -d "$BACKUPS"/Kestrix_Backup_* 2>/dev/null | head -1)
# Its name comes from the same clock and pattern as kxtool's backup, whose
# suite checks it.
check "the backup folder holds the group file in its local folder" cmp -s "$LOCAL/abbrev.dat" "$BK/local/abbrev.dat"
# The chosen folder opens in the file explorer; it is closed again.
EXPLORER=$(basename "$BACKUPS")
check "the chosen folder opens in the file explorer" wait_for 20 has_window "$EXPLORER"
check "...which closes on Alt+F4" close_window "$EXPLORER"

# After the backup BRB is deleted, as a user does.
xdotool windowraise "$(window "$MAIN")" 2>/dev/null; sleep 0.3
select_rows BRB
wait_for 5 says "enabled" tb_state 2002
click_toolbar 2002
wait_for 10 has_window "Confirm Delete"; answer "Confirm Delete" "Delete"
check "BRB is deleted from the list" wait_for 10 list_lacks BRB
check "...and from the database" eval '[ "$(db_keywords "$LOCAL/abbrev.dat")" = "SIG " ]'
cp "$LOCAL/abbrev.dat" "$ART/after-delete.dat"
# The backup's learned phrases differ from those the program holds.
printf '50\r\nphrase from the restored backup\t1\t2\t3\t4\r\n' >"$BK/acdata.txt"

# Restore Data, prompting before overwriting (the preselected choice).
file_menu "Restore Data..."
check "Restore Data opens its dialog" wait_for 10 has_window "Restore Data"
fill "Restore Data" "$(winpath "$BK")"
answer "Restore Data" "Restore"
# Two questions, one after the other: the learned phrases, then the default group.
check "restoring over the learned phrases asks first" wait_for 20 has_window "Confirm Overwrite"
FIRST=$(window "Confirm Overwrite")
click_button "Confirm Overwrite" "Overwrite"
check "restoring over the default group asks first" \
  wait_for 20 eval '[ -n "$(window "Confirm Overwrite")" ] && [ "$(window "Confirm Overwrite")" != "$FIRST" ]'
answer "Confirm Overwrite" "Overwrite"
check "the restore reports its success" wait_for 20 has_window "Restore Successful"
# The replaced files are kept in the user's own Documents, never beside the backup.
KEPT=$(find -L "$WINEPREFIX/drive_c/users" -maxdepth 3 -name 'Kestrix_Before_Restore_*' 2>/dev/null | head -1)
check "...naming where the replaced files were kept" \
  eval '[ -n "$KEPT" ] && box_text "Restore Successful" | grep -qF "kept in $(winpath "$KEPT")."'
answer "Restore Successful" "OK"
check "the replaced group file is kept in the user's Documents, and nothing beside the backup" \
  eval 'cmp -s "$ART/after-delete.dat" "$KEPT/local/abbrev.dat" && [[ "$KEPT" == */Documents/* ]] &&
        ! ls -d "$BACKUPS"/Kestrix_Before_Restore_* 2>/dev/null' 
check "BRB is back in the database" eval '[ "$(db_keywords "$LOCAL/abbrev.dat")" = "BRB SIG " ]'
check "BRB is back in the list" wait_for 10 list_has BRB "be right back"
type_in_notepad "brb "
check "BRB expands in notepad again" wait_for 10 eval 'notepad_text | grep -q "be right back"'

# Save Shortcuts: the file dialog takes a typed path.
SAVED="$ART/saved.dat"; rm -f "$SAVED"
file_menu "Save Shortcuts..."
check "Save Shortcuts opens the Save Data dialog" wait_for 10 has_window "Save Data"
fill "Save Data" "$(winpath "$SAVED")"
xdotool key Return
check "the saved file is written" wait_for 10 test -s "$SAVED"
check "it reads back with the same shortcuts" eval '[ "$(db_keywords "$SAVED")" = "BRB SIG " ] &&
  [ "$(db_text "$SAVED" BRB)" = "be right back" ]'
remembered() {  # says what it read when it differs
  local file folder want; file=$(reg_value Settings BackupFile); folder=$(reg_value Settings BackupFolder); want=$(winpath "$ART")
  [ "$file" = saved.dat ] && [ "$folder" = "$want" ] && return 0
  echo "     read BackupFile='$file' BackupFolder='$folder', expected saved.dat and '$want'"; return 1
}
check "its name and folder are remembered" remembered

# Load Shortcuts (Ctrl+L): a file the test wrote; its SIG exists already.
kxdb '{"records":[{"keyword":"IMP1","kind":0,"plainText":"imported one"},{"keyword":"IMP2","kind":0,"plainText":"imported two"},{"keyword":"SIG","kind":0,"plainText":"their signature"}]}' "$ART/theirs.dat"
press "$MAIN" ctrl+l
check "Ctrl+L opens the Load Data dialog" wait_for 10 has_window "Load Data"
fill "Load Data" "$(winpath "$ART/theirs.dat")"
xdotool key Return
check "a keyword that exists asks before replacing" wait_for 10 has_window "Replace Existing Shortcut"
answer "Replace Existing Shortcut" "No"
check "the loaded shortcuts are listed" wait_for 10 eval 'list_has IMP1 "imported one" && list_has IMP2 "imported two"'
check "the existing SIG is kept" list_has SIG "Best regards, Kim"
check "the database holds them" eval '[ "$(db_keywords "$LOCAL/abbrev.dat")" = "BRB IMP1 IMP2 SIG " ] &&
  [ "$(db_text "$LOCAL/abbrev.dat" SIG)" = "Best regards, Kim" ]'
type_in_notepad "imp2 "
check "a loaded shortcut expands in notepad" wait_for 10 eval 'notepad_text | grep -q "imported two"'

# Import from Another Program, driven with keys: espanso's match folder in the
# prefix's %APPDATA%, where base.yml imports _signature.yml and nothing
# imports _unused.yml, which is therefore not read.
IMPORT="Import from Another Program"
ROAMING="$WINEPREFIX/drive_c/users/$(whoami)/AppData/Roaming"
MATCH="$ROAMING/espanso/match"
rm -rf "$ROAMING/espanso"; mkdir -p "$MATCH"
cat >"$MATCH/base.yml" <<'YML'
imports:
  - "_signature.yml"
matches:
  - trigger: ":addr"
    replace: "12 Harbour Lane"
  - regex: "(?P<amount>\\d+)eur"
    replace: "{{amount}} euros"
YML
printf 'matches:\n  - trigger: ":sig"\n    replace: "Kind regards, Robin"\n' >"$MATCH/_signature.yml"
printf 'matches:\n  - trigger: ":never"\n    replace: "not imported"\n' >"$MATCH/_unused.yml"
preview() { probe list "$IMPORT" 277; }
summary() { probe item "$IMPORT" 280; }
# open_import: File, then its item's key, as a user opens it.
open_import() { press "$MAIN" alt+f && wait_for 5 popup_open && xdotool key i && wait_for 10 has_window "$IMPORT"; }
# import_now: Import (Alt+I) and the summary it leaves.
import_now() { press "$IMPORT" alt+i && wait_for 20 eval 'summary | grep -qv "^Preview"'; }
close_import() { press "$IMPORT" Escape && wait_for 10 no_window "$IMPORT"; }
# db_pairs FILE: "KEYWORD<TAB>text" of every shortcut of a database file, sorted.
db_pairs() {
  db_dump "$1" | sed -n 's/.*"keyword": *"\([^"]*\)".*"plainText": *"\(\([^"\\]\|\\.\)*\)".*/\1\t\2/p' | sort
}
check "Alt+F then I opens Import from Another Program" open_import
check "...with espanso's match folder filled in" says "$(winpath "$MATCH")" probe item "$IMPORT" 271
check "the preview lists the imported file's shortcut, keyword as stored, with the reason for the change" \
  wait_for 10 eval 'preview | grep -q "^SIG	Kind regards, Robin	changed	.\+"'
check "...the main file's shortcut too" eval 'preview | grep -q "^ADDR	12 Harbour Lane	changed	"'
check "...a regex match skipped with its reason" eval 'preview | grep -q "	skipped	.\+"'
check "...and nothing from a file no one imports" eval '! preview | grep -qi "never"'
preview >"$ART/espanso-preview.txt"
check "Import (Alt+I) says what it did" import_now
check "...as N imported, M changed, K skipped" says "0 imported, 2 changed, 1 skipped" summary
press "$IMPORT" alt+r
check "Copy report (Alt+R) puts the preview on the clipboard" \
  eval 'retype "$NOTEPAD" "" && xdotool key ctrl+v && wait_for 5 eval "notepad_text | grep -q \"^SIG	changed	Kind regards, Robin\""'
check "Escape closes the dialog" close_import
check "the main window shows the new group espanso" \
  wait_for 10 eval 'list_has SIG "Kind regards, Robin" && list_has ADDR "12 Harbour Lane"'
check "...whose file holds the shortcuts" test -s "$LOCAL/espanso_abbrev.dat"
type_in_notepad "sig "
check "\"sig \" expands in notepad to the imported text" wait_for 10 eval 'notepad_text | grep -q "Kind regards, Robin"'

# Beeftext's combo list in the prefix's %LOCALAPPDATA%.
BEEF="$WINEPREFIX/drive_c/users/$(whoami)/AppData/Local/beeftext.org/Beeftext"
mkdir -p "$BEEF"
cat >"$BEEF/comboList.json" <<'JSON'
{"fileFormatVersion": 10,
 "groups": [{"uuid": "{g1}", "name": "Mail", "enabled": true}],
 "combos": [
  {"uuid": "{c1}", "name": "Helped", "keyword": "hth", "snippet": "Hope this helps,\nRobin", "group": "{g1}", "enabled": true},
  {"uuid": "{c2}", "name": "Phone", "keyword": "::tel", "snippet": "Call me: \"+44 20 7946 0000\"", "group": "{g1}"}
 ]}
JSON
check "the dialog opens again" open_import
press "$IMPORT" alt+s b
check "choosing Beeftext (Alt+S, B) fills in its combo list" \
  wait_for 10 says "$(winpath "$BEEF/comboList.json")" probe item "$IMPORT" 271
check "...and previews its combos" wait_for 10 eval 'preview | grep -q "^HTH	Hope this helps,...	imported" &&
  preview | grep -q "^TEL	Call me: \"+44 20 7946 0000\"	changed	.\+"'
check "...into a new group named after it" says Beeftext probe item "$IMPORT" 274
check "Import says what it did" import_now
check "...2 shortcuts, one changed" says "1 imported, 1 changed, 0 skipped" summary
close_import
# The list shows a line break (CR LF) as two spaces.
check "the main window shows the Beeftext group" wait_for 10 eval 'list_has HTH "Hope this helps,  Robin" && list_has TEL ""'
type_in_notepad "tel "
check "\"tel \" expands in notepad" wait_for 10 eval 'notepad_text | grep -qF "Call me: \"+44 20 7946 0000\""'

# Export to CSV, then the CSV imported back.
CSV="$ART/beeftext-export.csv"; rm -f "$CSV"
press "$MAIN" alt+f && wait_for 5 popup_open && xdotool key e
check "Export to CSV asks: this group or all" wait_for 10 has_window "Export to CSV"
answer "Export to CSV" "This Group"
check "...then asks where to save" wait_for 10 has_window "Save CSV File"
retype "Save CSV File" "$(winpath "$CSV")" 30
wait_for 5 says "$(winpath "$CSV")" probe focustext; xdotool key Return
check "the export says what it wrote" wait_for 10 eval 'box_text "Export to CSV" | grep -qF "Exported 2 shortcuts to $(winpath "$CSV")."'
answer "Export to CSV" "OK"
# The CSV imported back into the group shown, whose keywords it all has:
# with "a number added" they come in as HTH2 and TEL2, with the same texts.
db_pairs "$LOCAL/Beeftext_abbrev.dat" >"$ART/beeftext-pairs.txt"
open_import
press "$IMPORT" alt+s c
press "$IMPORT" alt+l && fill "$IMPORT" "$(winpath "$CSV")"
press "$IMPORT" alt+e alt+u
check "the existing group offered first is the one shown" says Beeftext probe item "$IMPORT" 276
check "the exported CSV comes back with a number added to each keyword in use, its texts the same" \
  eval 'import_now && [ "$(db_keywords "$LOCAL/Beeftext_abbrev.dat")" = "HTH HTH2 TEL TEL2 " ] &&
    [ "$(db_pairs "$LOCAL/Beeftext_abbrev.dat" | sed -E "s/^(HTH|TEL)2\t/\1\t/" | sort -u)" = "$(cat "$ART/beeftext-pairs.txt")" ]'
close_import
check "...and the list shows them" wait_for 10 eval 'list_has HTH2 "Hope this helps,  Robin" && list_has TEL2 ""'

check "the program survives" kx_running
check "the program ends on -exit" stop_kx
# The save at exit writes the restored phrases, not those loaded at start.
check "the restored learned phrases outlive the program" \
  eval 'grep -q "phrase from the restored backup" "$DATA/acdata.txt" && ! grep -q "learned before" "$DATA/acdata.txt"'

finish
