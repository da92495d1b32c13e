#!/usr/bin/env bash
# Picture shortcuts end to end, on a virtual display under Wine, driven as a
# user would: the start-up update of pictures kept in the older form, with
# its progress window and Cancel; the picture editor (keyword, a picture
# file typed into the file dialog, a typed width, OK; a text file refused);
# the list's row; and the expansion into a browser, whose clipboard HTML
# holds the picture as a PNG, and into a RichEdit, which then holds a
# picture. Prints "N passed, N failed".
#
#   tests/e2e/run_picture.sh [BUILD_DIR]        (default build/win64)
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../gui/gui_lib.sh"
gui_suite 321 329 picture "${1:-}"

LOCAL="$DATA/local"
DB="$LOCAL/abbrev.dat"
WORK=$ART/work
rm -rf "$WORK"; mkdir -p "$LOCAL" "$WORK"
# No welcome at start.
setting Settings Runs 9

converted_setting() { reg_value Settings PicShortcutsConvertedToWindowMetaFile; }
# db_check PYTHON_EXPRESSION: true when the expression holds for the
# database's records, a map from keyword to {"kind", "richText", ...}.
db_check() {
  db_dump "$DB" >"$WORK/dump.json" || return 1
  python3 - "$WORK/dump.json" "$1" <<'PY'
import json, sys
records = {r["keyword"]: r for r in json.load(open(sys.argv[1]))["records"]}
sys.exit(0 if eval(sys.argv[2]) else 1)
PY
}

# The pictures, 8-bit RGB: a small logo, a large flat picture for the older
# records, another flat one, and a text file that is no picture.
png() { convert -size "$1" "$2" -strip "PNG24:$WORK/$3"; }
png 120x80 gradient:'rgb(0,0,128)-rgb(238,237,128)' logo2024.png
png 2000x2000 xc:'rgb(40,90,200)' big.png
png 90x60 xc:'rgb(200,30,30)' small.png
printf 'not a picture\n' >"$WORK/notes.txt"
# legacy_db COUNT PICTURE FILE: a database whose COUNT picture shortcuts
# (P1...) are kept in the older form (the picture file's own bytes after the
# name's group, drawn 30 x 20 pixels), beside one simple-text shortcut.
legacy_db() {
  python3 - "$1" "$WORK/$2" >"$WORK/legacy.json" <<'PY'
import json, os, sys
count, path = int(sys.argv[1]), sys.argv[2]
data = open(path, "rb").read().hex()
name = os.path.basename(path)
doc = ("{\\rtf1\\ansi{\\*\\KestrixFileName{\\" + name + "}}" + data +
       "}{\\*\\shppict{\\pict\\pngblip\\picwgoal450\\pichgoal300{}}}}")
records = [{"keyword": "P%d" % i, "kind": 3, "richText": doc} for i in range(1, count + 1)]
records.append({"keyword": "TXT", "kind": 0, "plainText": "plain words"})
print(json.dumps({"records": records}))
PY
  timeout 60 wine "$BUILD/kxtool.exe" db build "$(winpath "$WORK/legacy.json")" "$(winpath "$3")" >/dev/null 2>&1 </dev/null
}

# 1. Older pictures, Cancel: many large pictures keep the pass busy long
#    enough for a person to press Cancel and confirm.
legacy_db 80 big.png "$DB"
cp "$DB" "$WORK/before.dat"
start_kx
check "a start with older pictures shows Updating Shortcuts" wait_for 60 has_window "Updating Shortcuts"
check "its texts are Please Wait and the explanation" \
  eval '[ "$(probe item "Updating Shortcuts" 242)|$(probe item "Updating Shortcuts" 243)" = "Please Wait|Updating your shortcuts, this may take a few minutes." ]'
click_button "Updating Shortcuts" "Cancel"
check "Cancel asks first" wait_for 20 has_window "Confirm Cancel"
answer "Confirm Cancel" "Abort Anyway"
check "Abort Anyway ends the update" wait_for 30 no_window "Updating Shortcuts"
check "the program starts after a cancelled update" main_up
check "a cancelled update leaves the database as it was" cmp -s "$DB" "$WORK/before.dat"
check "a cancelled update does not mark pictures converted" eval '[ -z "$(converted_setting)" ]'
check "the program ends on -exit" stop_kx

# 2. Older pictures, completed: the next start runs the update again.
legacy_db 2 small.png "$DB"
start_kx
check "the update runs again and the program starts" main_up
check "a completed update marks pictures converted" eval '[ "$(converted_setting)" = 1 ]'
check "the older pictures are stored as metafiles at their size" db_check \
  'all("{\\*\\shppict{" not in records[k]["richText"] and "\\wmetafile8\\picw450\\pich300\\picwgoal450\\pichgoal300" in records[k]["richText"] and "KestrixFileName{\\small}}" in records[k]["richText"] for k in ("P1", "P2")) and records["TXT"]["plainText"] == "plain words"'
check "the list shows a picture row's file title" wait_for 10 list_has P1 small
stop_kx
start_kx
check "a start after the update shows no progress window" main_up
check "  ... and none appears" no_window "Updating Shortcuts"

# 3. The picture editor: New (Ctrl+Shift+P), a keyword, Import Image... with
#    the file's path typed into the file dialog, a width typed, OK.
new_picture() {
  press "$MAIN" ctrl+shift+p
  wait_for 20 has_window "New Picture Shortcut" || return 1
  take_focus "New Picture Shortcut"; xdotool type --delay 60 "$1"
  click_button "New Picture Shortcut" "Import Image..."
  wait_for 20 has_window "Select Image File" || return 1
  take_focus "Select Image File"
  xdotool type --delay 30 "$(winpath "$WORK/$2")"; xdotool key Return
  wait_for 20 no_window "Select Image File"
}
check "New Picture Shortcut opens and takes a picture file" new_picture logo logo2024.png
check "the picture's own size is shown at 100%" \
  wait_for 10 eval '[ "$(probe item "New Picture Shortcut" 117) $(probe item "New Picture Shortcut" 119) $(probe item "New Picture Shortcut" 113)" = "120 80 100%" ]'
press "New Picture Shortcut" alt+w End shift+Home
xdotool type --delay 80 "60"
check "a typed width sets the height in proportion and the percentage" \
  wait_for 10 eval '[ "$(probe item "New Picture Shortcut" 119) $(probe item "New Picture Shortcut" 113)" = "40 50%" ]'
answer "New Picture Shortcut" "OK"
check "OK stores the picture at the typed size" db_check \
  'records["LOGO"]["kind"] == 3 and "{\\*\\KestrixFileName{\\logo2024}}{\\pict\\wmetafile8\\picw900\\pich600\\picwgoal900\\pichgoal600 \r\n" in records["LOGO"]["richText"]'
check "the list shows the new picture's file title" wait_for 10 list_has LOGO logo2024
db_dump "$DB" >"$WORK/after-new.json"

# Edit of the picture row: the stored picture and its size come back, and
# OK stores the same document under the same file title.
select_rows LOGO
press "$MAIN" ctrl+e
check "Edit opens the picture editor" wait_for 20 has_window "Edit Picture Shortcut"
check "  ... with the stored picture at its stored size" \
  wait_for 10 eval '[ "$(probe item "Edit Picture Shortcut" 104) $(probe item "Edit Picture Shortcut" 117) $(probe item "Edit Picture Shortcut" 119)" = "LOGO 60 40" ]'
answer "Edit Picture Shortcut" "OK"
check "OK on an unchanged picture stores the same document" eval \
  'db_dump "$DB" >"$WORK/after-edit.json" && python3 -c "import json,sys; r=[{x[\"keyword\"]: x[\"richText\"] for x in json.load(open(f))[\"records\"]} for f in sys.argv[1:]]; sys.exit(r[0][\"LOGO\"] != r[1][\"LOGO\"])" "$WORK/after-new.json" "$WORK/after-edit.json"'

check "a second New Picture Shortcut takes a text file" new_picture bad notes.txt
click_button "New Picture Shortcut" "OK"
check "a text file is refused as Unsupported File Specified" wait_for 20 has_window "Unsupported File Specified"
answer "Unsupported File Specified" "OK"
check "the editor stays open after the refusal" has_window "New Picture Shortcut"
answer "New Picture Shortcut" "Cancel"
check "Cancel stores nothing" db_check '"BAD" not in records and "LOGO" in records'

# 4. Expansion into a browser: the clipboard's HTML holds the picture as a
#    PNG of the stored size, and the text placeholder is pasted.
start_target pic-browser --class Chrome_WidgetWin_1 >/dev/null
type_into "pic-browser" "logo " 80
check "in a browser the placeholder text is pasted" \
  wait_for 15 grep -qF "[This application does not support images]" "$WORK/pic-browser.txt"
clip_png_size() {
  timeout 20 wine "$E2E/kx_clip_probe.exe" save --format "HTML Format" --out "$(winpath "$WORK/clip.html")" >/dev/null 2>&1 </dev/null
  python3 - "$WORK/clip.html" <<'PY'
import base64, re, struct, sys
html = open(sys.argv[1], "rb").read().decode("latin-1")
tag = re.search(r'<img width=(\d+) height=(\d+) src="data:image/png;base64,([A-Za-z0-9+/=]+)"', html)
if not tag:
    print("no image"); sys.exit(1)
png = base64.b64decode(tag.group(3))
assert png[:8] == b"\x89PNG\r\n\x1a\n" and png[12:16] == b"IHDR"
w, h = struct.unpack(">II", png[16:24])
print(tag.group(1), tag.group(2), w, h)
PY
}
check "the browser's HTML holds a 60 x 40 PNG in a 60 x 40 image" eval '[ "$(clip_png_size)" = "60 40 60 40" ]'

# 5. Expansion into a RichEdit: the control then holds a picture.
start_target pic-rich --class KxWordPad --rich --rtf-file "$(winpath "$WORK/rich.rtf")" >/dev/null
type_into "pic-rich" "logo " 80
check "in a RichEdit the expansion is a picture" wait_for 15 grep -q '\\pict' "$WORK/rich.rtf"
check "  ... and the keyword is gone" eval '! grep -q "logo" "$WORK/rich.rtf"'

check "the program survives" kx_running
check "the program ends on -exit" stop_kx
finish
