#!/usr/bin/env bash
# kxtool as an administrator and a tester use it: databases built from JSON,
# dumped and built again byte for byte, damaged files reported with the right
# exit code, key scripts replayed, RTF converted, macro scripts parsed and
# checked. Ends with "N passed, N failed".
#
#   tests/tool/run_tool_tests.sh [KXTOOL]      (default build/native/kxtool)
set -uo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
KXTOOL=${1:-$ROOT/build/native/kxtool}
WORK=$(mktemp -d /tmp/kx-tool.XXXXXX)
trap 'rm -rf "$WORK"' EXIT
passed=0; failed=0

check() {  # check NAME COMMAND...
  local name=$1; shift
  if "$@"; then passed=$((passed + 1)); echo "ok   $name"
  else failed=$((failed + 1)); echo "FAIL $name"; fi
}
exits() {  # exits CODE COMMAND...: the command ends with that exit code
  local want=$1; shift
  "$@" >"$WORK/out" 2>"$WORK/err"; local rc=$?
  [ "$rc" -eq "$want" ] || { echo "  exit $rc, wanted $want: $(cat "$WORK/err")"; return 1; }
}

cat >"$WORK/shared.json" <<'JSON'
{"password": "s3cret",
 "records": [
  {"keyword": "SIG", "kind": 0, "plainText": "Best regards,\r\nAnna"},
  {"keyword": "CAF\u00c9", "kind": 0, "plainText": "caf\u00e9 \ud83d\ude00 na\u00efve"},
  {"keyword": "BOLD", "kind": 1, "richText": "{\\rtf1\\ansi {\\b Strong} \\'e9}", "plainText": "Strong \u00e9"},
  {"keyword": "CTRL+ALT+M", "kind": 2, "plainText": "{TYPE hello}"}
 ]}
JSON

round_trip() {
  "$KXTOOL" db build "$WORK/shared.json" "$WORK/a.dat" &&
  "$KXTOOL" db dump "$WORK/a.dat" >"$WORK/a.json" &&
  "$KXTOOL" db build "$WORK/a.json" "$WORK/b.dat" &&
  cmp -s "$WORK/a.dat" "$WORK/b.dat"
}
# The dump holds the password and every record: a rebuild from it with one
# missing would differ.
check "db build, dump and build again give the same bytes" round_trip
check "db check accepts a file it wrote, its checksum matching" bash -c "
  '$KXTOOL' db check '$WORK/a.dat' | grep -q 'checksum matches\$'"

check "a missing file is LoadFailed (3)" exits 3 "$KXTOOL" db check "$WORK/none.dat"
# The first record after the password record gets kind 4.
pw_size=$(od -An -tu4 -j62 -N4 "$WORK/a.dat" | tr -d ' ')
cp "$WORK/a.dat" "$WORK/kind4.dat"
printf '\x04' | dd of="$WORK/kind4.dat" bs=1 seek=$((58 + pw_size + 12)) conv=notrunc status=none
check "a record of kind 4 is LoadCorrupt (4)" exits 4 "$KXTOOL" db check "$WORK/kind4.dat"
head -c 40 "$WORK/a.dat" >"$WORK/short.dat"
check "a file shorter than its header is LoadFailed (3)" exits 3 "$KXTOOL" db check "$WORK/short.dat"

# What the writer would change without a word is refused with one line.
refused() {  # refused NAME JSON WORD: exit 2, no file, one line naming WORD
  local name=$1 json=$2 word=$3
  printf '%s' "$json" >"$WORK/refused.json"
  rm -f "$WORK/refused.dat"
  check "$name is refused" exits 2 "$KXTOOL" db build "$WORK/refused.json" "$WORK/refused.dat"
  check "...with one line naming $word" bash -c "[ \$(wc -l <'$WORK/err') -eq 1 ] && grep -qF '$word' '$WORK/err'"
  check "...and writes no file" test ! -e "$WORK/refused.dat"
}
long=$(printf 'p%.0s' $(seq 260))
refused "a misspelt field" '{"records":[{"keyword":"SIG","kind":0,"plain":"x"}]}' '"plain"'
refused "a keyword given twice" '{"records":[{"keyword":"A","kind":0},{"keyword":"A","kind":0}]}' 'appears twice'
refused "a kind above 3" '{"records":[{"keyword":"A","kind":7}]}' '"kind"'
refused "a password of 260 characters" "{\"password\": \"$long\"}" password
refused "a password of 130 two-byte characters" "{\"password\": \"$(printf '\\u00e9%.0s' $(seq 130))\"}" password
refused "rich text on a simple text shortcut" '{"records":[{"keyword":"A","kind":0,"richText":"{\\rtf1 x}"}]}' richText
refused "rich text on a macro" '{"records":[{"keyword":"A","kind":2,"richText":"x","plainText":"{ENTER}"}]}' richText
refused "a NUL in a plain text" '{"records":[{"keyword":"A","kind":0,"plainText":"a\u0000b"}]}' plainText
refused "a NUL in a keyword" '{"records":[{"keyword":"A\u0000B","kind":0}]}' keyword
refused "a NUL in rich text" '{"records":[{"keyword":"A","kind":1,"richText":"{\\rtf1\u0000}"}]}' richText
refused "a NUL in the password" '{"password":"a\u0000b"}' password
refused "a name given twice" '{"records":[{"keyword":"A","kind":0,"plainText":"x","plainText":"y"}]}' plainText
refused "a document that is not JSON" '{"records":[' 'parse error'
printf '{"password": "%s"}' "${long:1}" >"$WORK/pw259.json"
check "a password of 259 characters is taken" exits 0 "$KXTOOL" db build "$WORK/pw259.json" "$WORK/pw259.dat"
check "...and kept whole" bash -c "'$KXTOOL' db dump '$WORK/pw259.dat' | grep -q '\"${long:1}\"'"

# The checksum: one byte changed after the header (here in the padding, which the loader never reads) does not.
size=$(stat -c %s "$WORK/a.dat")
cp "$WORK/a.dat" "$WORK/badsum.dat"
printf '\x01' | dd of="$WORK/badsum.dat" bs=1 seek=$((size - 1)) conv=notrunc status=none
check "db check reports a checksum that does not match" \
  bash -c "'$KXTOOL' db check '$WORK/badsum.dat' | grep -q 'checksum does not match\$'"
check "db dump reports it too" \
  bash -c "'$KXTOOL' db dump '$WORK/badsum.dat' | grep -q '\"checksumMatches\": false'"

replay_hit() {
  printf 'type Sig \n' | "$KXTOOL" replay --shortcut 'sig=Best regards' >"$WORK/replay.txt" &&
  grep -qx 'lookup SIG hit' "$WORK/replay.txt" &&
  grep -q 'clipboard SetData CF_UNICODETEXT .* "Best regards "' "$WORK/replay.txt"
}
check "replay expands a keyword typed with a capital" replay_hit
printf 'type ok\nfrobnicate 1\n' >"$WORK/bad.keys"
check "replay refuses a bad line with exit 2" exits 2 "$KXTOOL" replay "$WORK/bad.keys"
check "...naming its line number" grep -q 'line 2' "$WORK/err"

printf '{\\rtf1\\ansi\\ansicpg1252 Caf\\'"'"'e9 {\\b bold}\\par}' >"$WORK/doc.rtf"
check "rtf2html converts a bold run" bash -c "'$KXTOOL' rtf2html '$WORK/doc.rtf' | grep -q 'font-weight:bold[^>]*>bold'"
check "rtf2html refuses a file that is not RTF" exits 2 "$KXTOOL" rtf2html "$WORK/shared.json"

printf "// greeting\r\nKBRD_CLICK 100 'c'\r\npause 3E8\r\n" >"$WORK/click.macro"
cat >"$WORK/click.want" <<'OUT'
line 2: KBRD_CLICK 100 'c'
  keyboard: kbrd_click, 4 records
    down vk 0x11
    down char U+0043 "C"
    up   vk 0x11
    up   char U+0043 "C"
line 3: pause 3E8
  other: pause 1000 ms
accepted
OUT
check "macro prints a click's records in order and accepts the script" \
  bash -c "'$KXTOOL' macro '$WORK/click.macro' | diff -u '$WORK/click.want' -"
printf 'kbrd_input "system date MM/DD/YY"\n' >"$WORK/date.macro"
check "macro types a short date in the order asked for" \
  bash -c "[ \"\$('$KXTOOL' macro --now 2026-03-07T09:05:02 --date-order dmy '$WORK/date.macro' |
                sed -n 's/^    down char U+.... \"\\(.\\)\"\$/\\1/p' | tr -d '\n')\" = 07/03/26 ]"
printf "kbrd_input \"hi\"\nkbrd_click 100 'ab'\nbeep\n" >"$WORK/bad.macro"
check "macro refuses a script the editor refuses, with exit 1" exits 1 "$KXTOOL" macro "$WORK/bad.macro"
check "...naming the first bad line and the editor's message" grep -qx "refused at line 2: Invalid Format: The line kbrd_click 100 'ab' is invalid.  Commands for click, press, and release must use single quotes and a single character between them.  See the help for details." "$WORK/out"
check "macro refuses a file it cannot read with exit 2" exits 2 "$KXTOOL" macro "$WORK/none.macro"

# backup and restore: kxtool's command line, exit codes and messages over
# the data layer, whose rules are the native backup tests'. This kxtool has
# no registry, so a backup with named groups is refused whole; what restore
# replaces is kept in the data folder it restores into.
DATA="$WORK/data"; DEST="$WORK/backups"
mkdir -p "$DATA/local" "$DEST"
printf '{"records":[{"keyword":"SIG","kind":0,"plainText":"regards"}]}' >"$WORK/sig.json"
"$KXTOOL" db build "$WORK/sig.json" "$DATA/local/abbrev.dat"
cp "$DATA/local/abbrev.dat" "$DATA/local/Work_abbrev.dat"
check "backup makes a folder named Kestrix_Backup_<date>_<time> holding the groups" bash -c "
  '$KXTOOL' backup '$DATA' '$DEST/' >'$WORK/out' && BK=\$(sed -n 's/^backup //p' '$WORK/out') &&
  [[ \$(basename \"\$BK\") =~ ^Kestrix_Backup_[0-9]{4}-[0-9]{2}-[0-9]{2}_[0-9]{2}-[0-9]{2}-[0-9]{2}$ ]] &&
  cmp -s '$DATA/local/Work_abbrev.dat' \"\$BK/local/Work_abbrev.dat\""
BK=$(sed -n 's/^backup //p' "$WORK/out")
check "backup into the data folder is refused (3)" exits 3 "$KXTOOL" backup "$DATA" "$DATA/local"
check "...with the program's message" \
  grep -qx "Invalid directory: You cannot backup to Kestrix's data directory. Please choose another folder." "$WORK/err"
printf '{"records":[{"keyword":"NEW","kind":0,"plainText":"since"}]}' >"$WORK/new.json"
"$KXTOOL" db build "$WORK/new.json" "$DATA/local/abbrev.dat"
cp "$DATA/local/abbrev.dat" "$WORK/changed.dat"
rm "$DATA/local/Work_abbrev.dat"
check "restore from a missing folder is refused (3)" exits 3 "$KXTOOL" restore "$WORK/none" "$DATA" --skip
check "restore needs --overwrite or --skip (2)" exits 2 "$KXTOOL" restore "$BK" "$DATA"
check "restore --user-hive is refused here (3)" exits 3 "$KXTOOL" restore "$BK" "$DATA" --skip --user-hive "$WORK/NTUSER.DAT"
check "restore of a backup with named groups is refused here (3)" exits 3 "$KXTOOL" restore "$BK" "$DATA" --skip
check "...naming them, and nothing is restored or said to be registered" bash -c "
  grep -qx 'kxtool: the backup holds the groups Work, which only kxtool.exe on Windows can register where Kestrix finds them; nothing was restored' '$WORK/err' &&
  ! grep -q registered '$WORK/out' && [ ! -e '$DATA/local/Work_abbrev.dat' ] && cmp -s '$WORK/changed.dat' '$DATA/local/abbrev.dat'"
rm "$BK/local/Work_abbrev.dat"  # the Default group needs no registration
check "restore --skip leaves the existing default group as it was" bash -c "
  '$KXTOOL' restore '$BK' '$DATA' --skip >/dev/null && cmp -s '$WORK/changed.dat' '$DATA/local/abbrev.dat'"
check "restore --overwrite brings back the backup's group" exits 0 "$KXTOOL" restore "$BK" "$DATA" --overwrite
KEPT=$(sed -n 's/^kept replaced files in //p' "$WORK/out")
check "...keeping the file it replaced in the data folder, not beside the backup" bash -c "
  '$KXTOOL' db dump '$DATA/local/abbrev.dat' | grep -q '\"SIG\"' &&
  [ '$(dirname "$KEPT")' = '$DATA' ] && [[ '$(basename "$KEPT")' == Kestrix_Before_Restore_* ]] &&
  cmp -s '$WORK/changed.dat' '$KEPT/local/abbrev.dat'"

# acdata dump: the phrases as the program loads them, damaged lines left out.
printf '52\r\nthank you very much\t1\t20\t0\t3\t1\t18\tZGSgZGRkZGRkZGRkZGRkZGRkZGRkZA==\r\nno\tfive\r\nfive fields only\t2\t9\t4\t1\r\ncut at the en' >"$WORK/acdata.txt"
check "acdata dump prints the counter and each phrase with its statistics" bash -c "
  '$KXTOOL' acdata dump '$WORK/acdata.txt' >'$WORK/out' &&
  grep -qx 'keystrokeCounter	52' '$WORK/out' && grep -qx 'phrases	2' '$WORK/out' &&
  grep -q '^thank you very much	1	3	0	18	20	1	100,100,160,100,' '$WORK/out' &&
  grep -q '^five fields only	2	1	4	0	9	0	100,100' '$WORK/out' && ! grep -q 'cut at' '$WORK/out'"
check "acdata dump of a missing file fails (1)" exits 1 "$KXTOOL" acdata dump "$WORK/none.txt"
check "acdata dump without a file is a usage error (2)" exits 2 "$KXTOOL" acdata dump

# mail: a Thunderbird mailbox as the sent-mail scan reads it.
printf 'From - Sat Dec 05 10:00:00 2026\r\nSubject: =?UTF-8?Q?Caf=C3=A9?= plans\r\nContent-Type: text/html\r\n\r\n<p>Lunch &amp; coffee<br>at noon</p>\r\n\r\nFrom - x\r\nSubject: Re: plans\r\n\r\nyes\r\n' >"$WORK/Sent"
check "mail prints each message with fed or skipped, its subject and its text" bash -c "
  '$KXTOOL' mail '$WORK/Sent' >'$WORK/out' &&
  grep -qx '1	fed	Café plans	Lunch & coffee\\\\r\\\\nat noon\\\\r\\\\n' '$WORK/out' &&
  grep -qx '2	skipped	Re: plans	yes\\\\r\\\\n' '$WORK/out' && grep -qx '2 messages, 1 fed' '$WORK/out'"
check "mail of a missing file fails (2)" exits 2 "$KXTOOL" mail "$WORK/none"

# import and export-csv: another expander's shortcuts into a group and out again.
ES=$WORK/espanso; IM=$WORK/import-data
mkdir -p "$ES/match"
printf 'imports: ["_shared.yml"]\nmatches:\n  - trigger: ":sig"\n    replace: "Best regards,\\nAnna"\n  - regex: "x(?P<a>y)"\n    replace: z\n' >"$ES/match/base.yml"
printf 'matches:\n  - trigger: addr\n    replace: "1 \\"Main\\" St, Town"\n' >"$ES/match/_shared.yml"
check "import --dry-run prints the report, writes nothing, and exits 1 for the skip" bash -c "
  '$KXTOOL' import espanso '$ES' --data '$IM' --group Default --dry-run >'$WORK/out'; [ \$? -eq 1 ] &&
  grep -qxF 'SIG	changed	Best regards,...	Type \"sig\" then a space: \":\" ends a keyword in Kestrix, so it is not part of it.' '$WORK/out' &&
  grep -qxF 'ADDR	imported	1 \"Main\" St, Town	' '$WORK/out' &&
  grep -qx '1 imported, 1 changed, 1 skipped' '$WORK/out' && [ ! -e '$IM' ]"
check "import writes the group's file, and db dump shows the shortcuts" bash -c "
  '$KXTOOL' import espanso '$ES' --data '$IM' --group Default >/dev/null; [ \$? -eq 1 ] &&
  '$KXTOOL' db dump '$IM/local/abbrev.dat' >'$WORK/dump1' &&
  grep -qF '\"keyword\": \"SIG\", \"kind\": 0, \"richText\": \"\", \"plainText\": \"Best regards,\\r\\nAnna\"' '$WORK/dump1' &&
  grep -qF '\"keyword\": \"ADDR\"' '$WORK/dump1'"
check "import of the same file again skips every keyword in use (2)" exits 2 "$KXTOOL" import espanso "$ES" --data "$IM" --group Default
check "a named group needs kxtool.exe's registry here (2)" exits 2 "$KXTOOL" import espanso "$ES" --data "$IM" --group Work
check "export-csv, then import of the CSV, gives the same keywords and texts" bash -c "
  '$KXTOOL' export-csv '$IM' Default '$WORK/out.csv' >/dev/null &&
  '$KXTOOL' import csv '$WORK/out.csv' --data '$WORK/csv-data' --group Default >/dev/null &&
  '$KXTOOL' db dump '$WORK/csv-data/local/abbrev.dat' >'$WORK/dump2' &&
  diff <(grep '\"keyword\"' '$WORK/dump1') <(grep '\"keyword\"' '$WORK/dump2')"
: >"$WORK/empty.json"
printf 'matches:\n  - trigger: [x\n' >"$WORK/damaged.yml"
printf '{"fileFormatVersion": 11, "combos": []}' >"$WORK/v11.json"
printf '#!/bin/sh\necho hello\n' >"$WORK/script.sh"
for bad in "beeftext empty.json is empty" "espanso damaged.yml is not readable YAML" \
           "beeftext v11.json has the file format version 11" "autohotkey script.sh holds no AutoHotkey hotstrings"; do
  set -- $bad
  check "import $1 of $2: one line, nothing written (2)" bash -c "
    '$KXTOOL' import $1 '$WORK/$2' --data '$WORK/bad-data' --group Default >'$WORK/out'; [ \$? -eq 2 ] &&
    [ \$(wc -l <'$WORK/out') -eq 2 ] && grep -q '\"[^\"]*$2\" ${bad#* * }' '$WORK/out' && [ ! -e '$WORK/bad-data' ]"
done

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
