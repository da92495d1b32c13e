#!/usr/bin/env bash
# The sent-mail scan as a user meets it, under Wine on a virtual display: a
# Thunderbird profile with a "Sent" mailbox in the roaming application-data
# folder, the scan switched on, the program started and, once the scan is
# done, ended with "-exit"; "acdata.txt" then holds the phrases of the mail
# that was fed (plain, quoted-printable, HTML) and none of the replies.
# A second mailbox is scanned in two runs, the first ended while the scan is
# under way: no message is learned twice and none is missed.
# Prints "N passed, N failed".
#
#   tests/e2e/run_mailscan.sh [BUILD_DIR]        (default build/win64)
#
# The dictionary's mail feeder passes on ten code units a second, and the
# scan waits for it after each message: the bodies are short so that the
# suite stays within two minutes.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../gui/gui_lib.sh"
gui_suite 421 429 mailscan "${1:-}"

ACDATA="$DATA/acdata.txt"
PROFILE="$WINEPREFIX/drive_c/users/$(whoami)/AppData/Roaming/Thunderbird/Profiles/k3x7.default"
SENT="$PROFILE/Mail/Local Folders/Sent"
rm -rf "$(dirname "$(dirname "$PROFILE")")"
mkdir -p "$(dirname "$SENT")"
sig_user

scan_done() { [ "$(reg_value Settings ScanThunderbirdSentItemsDone)" = 1 ]; }
fed_at_least() { local n; n=$(reg_value Settings ScanThunderbirdCurrentSentItem); [ "${n:-0}" -ge "$1" ]; }
learned_once() { [ "$(record "$1" | cut -f4)" = 1 ]; }
never_learned() { [ -s "$ACDATA" ] && ! grep -qi -- "$1" "$ACDATA"; }

# mail FIRST SUBJECT [HEADER...] < BODY: one message in mbox form, lines
# ending in CR LF; the separator line starts the file or follows a CR LF.
mail() {
  local first=$1 subject=$2 h; shift 2
  [ "$first" = 1 ] || printf '\r\n'
  printf 'From - Sat Dec 05 10:00:00 2026\r\nFrom: Kim <kim@example.com>\r\nTo: ann@example.com\r\n'
  printf 'Subject: %s\r\n' "$subject"
  for h in "$@"; do printf '%s\r\n' "$h"; done
  printf '\r\n'
  sed 's/$/\r/'
}

# 1. One mailbox, scanned to the end. How a message's text is decoded
# (quoted-printable, HTML) is the mail reader's unit test; here the HTML
# message shows that the scan feeds the decoded text.
{
  echo "Plain kiwi note." | mail 1 "Plans"
  echo "<html><body><p>Html <b>lemon</b> &amp; lime.</p></body></html>" | mail 0 "Menu" \
    "Content-Type: text/html; charset=utf-8"
  echo "Reply grape words." | mail 0 "RE: Plans"
} >"$SENT"
setting Settings ScanThunderbirdSentItems 1
rm -f "$ACDATA"

start_kx
check "the program starts with the scan switched on" main_up
check "the scan marks itself done" wait_for 60 scan_done
check "...having fed the two new messages" eval '[ "$(reg_value Settings ScanThunderbirdCurrentSentItem)" = 2 ]'
check "-exit ends the program" stop_kx
cp "$ACDATA" "$ART/acdata-scan.txt" 2>/dev/null
check "the plain message's phrase is learned once" learned_once "Plain kiwi note."
check "the HTML message's, as text" learned_once "Html lemon & lime."
check "the shorter phrases of a message are learned too" learned_once "kiwi note."
check "nothing of the RE: reply" never_learned grape

# 2. A new mailbox, the scan's progress cleared. Between the second and the
# last two messages lie 90 that feed nothing to learn (no body) and 10
# replies: ten seconds of scanning, 100 ms a message, in which the program
# is ended.
for v in SentItemsDone CurrentSentItem SentItemsSeekPos; do unset_setting Settings "ScanThunderbird$v"; done
EMPTY=90
{
  echo "Alpha resume one." | mail 1 "One"
  echo "Bravo resume two." | mail 0 "Two"
  for i in $(seq 1 100); do
    if [ $((i % 10)) = 5 ]; then echo "Reply fig words." | mail 0 "RE: Two"
    else printf '' | mail 0 "Empty $i"; fi
  done
  echo "Charlie resume three." | mail 0 "Three"
  echo "Delta resume four." | mail 0 "Four"
} >"$SENT"

# The saved position: the 8 bytes of its Base64 text, least significant
# first, are the offset of the separator in front of the next message.
saved_position() {
  printf '%s' "$(reg_value Settings ScanThunderbirdSentItemsSeekPos)" | base64 -d 2>/dev/null | od -An -tu8 | tr -d ' '
}
at_separator() {
  local pos; pos=$(saved_position)
  [ -n "$pos" ] && [ "$(tail -c +$((pos + 1)) "$SENT" | head -c 9 | tr '\r\n' 'RN')" = "RNFrom - " ]
}
subject_at_position() { tail -c +$(($(saved_position) + 1)) "$SENT" | tr -d '\r' | grep -m1 '^Subject: '; }
all_learned_once() {
  local p
  for p in "$@"; do learned_once "$p" || return 1; done
}

start_kx
check "the program starts on the new mailbox" main_up
check "the first two messages are fed" wait_for 60 fed_at_least 2
check "-exit in the middle of the scan ends the program" stop_kx
STOPPED_AT=$(reg_value Settings ScanThunderbirdCurrentSentItem)
echo "stopped after ${STOPPED_AT:-?} messages fed, before: $(subject_at_position 2>/dev/null)"
check "the scan stopped part way: not done" eval '! scan_done'
check "...with its count between the first two and the last two" \
  eval '[ "${STOPPED_AT:-0}" -ge 2 ] && [ "${STOPPED_AT:-0}" -le $((2 + EMPTY)) ]'
check "...and its position at a message's separator" at_separator
cp "$ACDATA" "$ART/acdata-stopped.txt" 2>/dev/null
check "what was fed before the stop is learned" all_learned_once "Alpha resume one." "Bravo resume two."
check "...and nothing after it" never_learned charlie

start_kx
check "the program starts again" main_up
check "the scan resumes and finishes" wait_for 60 scan_done
check "-exit ends it" stop_kx
cp "$ACDATA" "$ART/acdata-resumed.txt" 2>/dev/null
check "every message without RE: was fed once: the count" \
  eval '[ "$(reg_value Settings ScanThunderbirdCurrentSentItem)" = $((4 + EMPTY)) ]'
check "no message learned twice, none missed" all_learned_once "Alpha resume one." "Bravo resume two." \
  "Charlie resume three." "Delta resume four."
check "the first mailbox's phrases are kept" learned_once "Plain kiwi note."
check "nothing of the replies" never_learned fig

finish
