#!/usr/bin/env bash
# Expansion as a user sees it: real keys typed by xdotool into windows of
# our own, through the hook module and the hook link, to the matcher and the
# keystroke output of kx_test_host, and back into the window. Each test reads
# what the control really holds (or what the clipboard really holds) and
# keeps a screenshot in BUILD/e2e-artifacts when it fails. Ends with
# "N passed, N failed".
#
#   tests/e2e/run_expansion.sh [BUILD_DIR]       (default build/win64)
#
# Uses the running display ($DISPLAY) and Wine prefix ($WINEPREFIX) when the
# caller has them; otherwise starts Xvfb on a display of 180-189 and uses
# BUILD/e2e-wineprefix, and stops both at the end. Every program it starts
# is stopped by its process id.
set -uo pipefail

KX_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
BUILD=$(cd "${1:-$KX_ROOT/build/win64}" && pwd)
APP=$BUILD/app
# The caller's prefix and wineserver when it has them, else our own.
CALLER_PREFIX=${WINEPREFIX:-}
export WINEPREFIX=${WINEPREFIX:-$BUILD/e2e-wineprefix}
source "$KX_ROOT/tests/gui/gui_lib.sh"
WORK=$BUILD/e2e-expansion-work
ART=$BUILD/e2e-artifacts
E2E=$BUILD/tests/e2e
TYPE_DELAY_MS=50   # 20 keys a second

suite_cleanup() { unset_setting Settings ExpansionCasing; }

# The shortcuts every test types.
SHORTCUTS='{"records": ['"$FAST_RECORDS"',
  {"keyword": "ADDR", "kind": 0, "plainText": "12 High Street\r\nLeeds"},
  {"keyword": "BOLD", "kind": 1, "plainText": "Plain Strong end",
   "richText": "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 Plain \\b Strong\\b0  end}"}
]}'

# ---------------------------------------------------------------- helpers

# Text is typed with type_into at 20 keys a second. (xdotool types "\n" as
# the Linefeed key, not as Enter: use press_key for Enter.)
press_key() { timeout "$WAIT_S" xdotool key --delay "$TYPE_DELAY_MS" "$@"; }

# new_target NAME [kx_target options]: a new target window, its X id in
# TARGET_ID and its text in $WORK/NAME.txt. Started from this shell, not a
# subshell, so that cleanup knows its process; the title carries our process
# id, so a window left by another run is never the one typed into. Only a
# mapped window can take the focus: one found before it is shown makes
# xdotool's windowfocus fail (BadMatch) on a busy machine.
new_target() {
  local name=$1; shift
  rm -f "$WORK/$name.txt"
  run_bg "target-$name" "$E2E/kx_target.exe" --title "$name.$$" --text-file "$(winpath "$WORK/$name.txt")" "$@"
  TARGET_ID=$(timeout "$WAIT_S" xdotool search --sync --onlyvisible --name "^$name\\.$$\$" 2>/dev/null | head -1)
  [ -n "$TARGET_ID" ]
}

# ---------------------------------------------------------------- tests

# One keyword ended by a space, a full stop and Enter; text around it stays.
test_simple_delimiters() {
  new_target delims --class KxDelims || { expect simple_delimiters_target false; return; }
  type_into "$TARGET_ID" 'Hello sig ' && check_text keyword_then_space delims 'Hello Kind regards, Anna Berg '
  type_into "$TARGET_ID" 'x sig.' && check_text keyword_then_full_stop delims 'Hello Kind regards, Anna Berg x Kind regards, Anna Berg.'
  type_into "$TARGET_ID" ' sig' && press_key Return && check_text keyword_then_enter delims \
    $'Hello Kind regards, Anna Berg x Kind regards, Anna Berg. Kind regards, Anna Berg\r\n'
  # A word that merely starts like a keyword, or a keyword inside a word, is typed as is.
  type_into "$TARGET_ID" 'sigs xsig ' && check_text non_keywords_stay delims \
    $'Hello Kind regards, Anna Berg x Kind regards, Anna Berg. Kind regards, Anna Berg\r\nsigs xsig '
  # A line break inside the expansion arrives as one.
  type_into "$TARGET_ID" 'addr ' && check_text multi_line_expansion delims \
    $'Hello Kind regards, Anna Berg x Kind regards, Anna Berg. Kind regards, Anna Berg\r\nsigs xsig 12 High Street\r\nLeeds '
}

# A keyword that is no longer on screen never comes back: once the field was
# cleared with Ctrl+A and Backspace, or the caret moved off the word, a
# Backspace must not revive the keyword for the next delimiter to expand.
test_cleared_words() {
  local before
  new_target cleared --class KxCleared || { expect cleared_target false; return; }
  type_into "$TARGET_ID" 'ty ' && check_text cleared_field_first_expansion cleared 'thank you for your help '
  press_key ctrl+a BackSpace Return && check_text cleared_field_takes_only_enter cleared $'\r\n'

  new_target moved --class KxMoved || { expect moved_target false; return; }
  type_into "$TARGET_ID" 'ty ' && check_text moved_caret_first_expansion moved 'thank you for your help '
  before=$(word_notices 11)
  press_key Left BackSpace space && check_text moved_caret_no_second_expansion moved 'thank you for your hel  '
  expect moved_caret_one_expansion_only [ "$(word_notices 11)" -eq "$before" ]
}

# With "ExpansionCasing", a keyword typed with a capital first letter
# capitalises the text: SHIFT as the hook saw it reaches the engine. The
# other casing rules are the matcher's and the output's unit tests.
test_casing() {
  new_target casing --class KxCasing || { expect casing_target false; return; }
  type_into "$TARGET_ID" 'Ty ' && check_text casing_first_capital casing 'Thank you for your help '
}

# A word processor gets the keyword selected and pasted over.
test_word_processor() {
  new_target opus --class OpusApp --rich || { expect word_processor_target false; return; }
  type_into "$TARGET_ID" 'Dear all, sig ' && check_text word_processor_select_paste opus 'Dear all, Kind regards, Anna Berg '
  type_into "$TARGET_ID" 'omw.' && check_text word_processor_full_stop opus 'Dear all, Kind regards, Anna Berg on my way.'
}

# Rich text arrives formatted in a RichEdit: the RTF the control holds has
# "Strong" in a bold run that ends before "end". (Wine's RichEdit reader
# stretches a bold run back to the start of its paragraph, so "Plain" comes
# out bold too; it does the same with the RTF streamed in directly, without
# the clipboard.) Pasted as plain text, there would be no bold run at all.
rtf_has_bold_strong() {
  tr -d '\r\n' <"$WORK/richtext.rtf" | grep -Eq '\\b[ \\][^}]*Strong\\b0 +end'
}
test_rich_text() {
  new_target richtext --class KxRichTarget --rich --rtf-file "$(winpath "$WORK/richtext.rtf")" ||
    { expect rich_text_target false; return; }
  type_into "$TARGET_ID" 'bold ' && check_text rich_text_plain_words richtext 'Plain Strong end'
  expect rich_text_bold_run rtf_has_bold_strong
  [ -f "$WORK/richtext.rtf" ] && cp "$WORK/richtext.rtf" "$ART/richtext.rtf"
}

html_clip_ok() {
  rm -f "$WORK/clip.html"
  clip_probe save --format 'HTML Format' --out "$(winpath "$WORK/clip.html")" || return 1
  local f=$WORK/clip.html
  head -c 107 "$f" | grep -q '^Version:1.0' || return 1
  # The header's offsets point at the body's content.
  local start end
  start=$(head -c 107 "$f" | tr -d '\r' | sed -n 's/^StartFragment:0*//p')
  end=$(head -c 107 "$f" | tr -d '\r' | sed -n 's/^EndFragment:0*//p')
  [ -n "$start" ] && [ -n "$end" ] && [ "$end" -gt "$start" ] || return 1
  local fragment
  fragment=$(tail -c +"$((start + 1))" "$f" | head -c "$((end - start))")
  printf '%s' "$fragment" | grep -Eq '<(b|strong)[^>]*>Strong</(b|strong)>|font-weight: ?bold[^>]*>Strong<'
}
test_browser() {
  new_target browser --class Chrome_WidgetWin_1 || { expect browser_target false; return; }
  type_into "$TARGET_ID" 'bold ' && check_text browser_gets_plain_text browser 'Plain Strong end '
  expect browser_clipboard_html html_clip_ok
  [ -f "$WORK/clip.html" ] && cp "$WORK/clip.html" "$ART/clip.html"
  # Browsers get HTML, not RTF.
  clip_probe save --format 'Rich Text Format' --out "$(winpath "$WORK/clip.rtf")"
  expect browser_clipboard_no_rtf [ $? -eq 1 ]
}

# keys_in_order TYPED: the window took the user's keys (letters, spaces and
# full stops) in the order typed, and each group of the program's own keys
# (Backspace, CTRL, V) right after a delimiter, never after a key typed
# behind it. Read from the target's timeline of key presses.
keys_in_order() {
  local typed=$1 expected='' c i
  for ((i = 0; i < ${#typed}; i++)); do
    c=${typed:i:1}
    case $c in ' ') expected+='32,' ;; '.') expected+='190,' ;; *) expected+="$(printf '%d' "'${c^^}"),"
    esac
  done
  awk -v expected="$expected" '
    $1 != "key" { next }
    $2 == 8 || $2 == 17 || $2 == 86 {
      if (!own && prev != 32 && prev != 190) { print "own keys after key " prev " at press " NR; bad = 1 }
      own = 1; next
    }
    { own = 0; prev = $2; got = got $2 "," }
    END {
      if (got != expected) { print "typed keys out of order"; bad = 1 }
      exit bad
    }' "$WORK/fast.timeline"
}

# Fifty expansions in a row at 20 keys a second: every character typed and
# every expansion stands in order, and nothing from an older clipboard.
test_fast_typing() {
  clip_probe put --text 'OLD CLIPBOARD'
  new_target fast --class KxFast --timeline "$(winpath "$WORK/fast.timeline")" ||
    { expect fast_typing_target false; return; }
  DOTS=1 fast_text 50
  local before
  before=$(word_notices 11)
  type_into "$TARGET_ID" "$TYPED"
  check_text fast_typing_fifty_expansions fast "$EXPECTED"
  expect fast_typing_keys_in_order keys_in_order "$TYPED"
  expect fast_typing_fifty_notices [ "$(( $(word_notices 11) - before ))" -eq 50 ]
  expect fast_typing_no_old_clipboard bash -c "! grep -q 'OLD CLIPBOARD' '$WORK/fast.txt'"
}

# Nothing typed into a password box expands; an ordinary box expands again after.
test_password_box() {
  new_target secret --class KxSecret --password || { expect password_target false; return; }
  type_into "$TARGET_ID" 'sig ty ' && check_text password_box_no_expansion secret 'sig ty '
  expect password_box_suspends grep -q '^notice 1 2$' "$HOST_LOG"
  new_target after-secret --class KxAfterSecret || { expect after_password_target false; return; }
  type_into "$TARGET_ID" 'brb ' && check_text expands_after_password_box after-secret 'be right back '
}

# The program itself loads its code from its own folder only. "ExePath" in
# the user's registry, which anything the user runs can change, names a
# program in another folder whose kxhook.dll is damaged (the first 4 KB of
# the real one): Kestrix still loads its own module and "sig " expands, and
# "ExePath" names the running program again.
PROGRAM_DATA="$WINEPREFIX/drive_c/users/$(whoami)/AppData/Roaming/Tarvik Software/Kestrix"
exe_path_is_ours() { reg_value Settings ExePath | grep -qiF "$(winpath "$BUILD/app/kestrix.exe")"; }
test_modules_from_own_folder() {
  local elsewhere=$WORK/elsewhere kx_pid
  rm -rf "$elsewhere"
  mkdir -p "$elsewhere" "$PROGRAM_DATA/local"
  cp "$BUILD/app/kestrix.exe" "$elsewhere/kestrix.exe"
  head -c 4096 "$BUILD/app/kxhook.dll" >"$elsewhere/kxhook.dll"
  cp "$WORK/shortcuts.dat" "$PROGRAM_DATA/local/abbrev.dat"
  setting Settings Runs 9
  setting Settings ExePath "$(winpath "$elsewhere/kestrix.exe")"
  run_bg kestrix "$BUILD/app/kestrix.exe" -logon
  kx_pid=${PIDS[-1]}
  # The value is written just before the hook module is loaded.
  expect exe_path_names_the_running_program wait_for 30 exe_path_is_ours
  new_target ownmodule --class KxOwnModule || { expect own_module_target false; return; }
  if type_into "$TARGET_ID" 'sig '; then
    check_text own_module_loaded_despite_exe_path ownmodule 'Kind regards, Anna Berg '
  else
    expect own_module_typed false
  fi
  forward -exit
  expect own_module_program_ends wait_for 30 kx_ended "$kx_pid"
  rm -rf "$elsewhere"
}

main() {
  mkdir -p "$WORK" "$ART"
  rm -f "$WORK"/* "$ART"/*.png
  local started=$SECONDS
  # The caller's display when it answers, else one of our own.
  [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1 || start_display 180 189
  [ -n "$CALLER_PREFIX" ] && [ -f "$WINEPREFIX/system.reg" ] && KX_CALLERS_WINE=1
  start_wine
  if ! make_database "$SHORTCUTS"; then
    expect database_builds false
  else
    # Casing on: every other test types its keywords in lower case.
    setting Settings ExpansionCasing 1
    if start_host plain 280; then
      test_simple_delimiters
      test_cleared_words
      test_casing
      test_word_processor
      test_rich_text
      test_browser
      test_password_box
      test_fast_typing
      test_shifted_delimiters
      expect host_no_failed_expansions [ "$(word_notices 12)" -eq 0 ]
      expect host_stops_cleanly stop_host
    else
      expect host_starts false
    fi
    test_modules_from_own_folder
  fi
  log "run time $((SECONDS - started)) s"
  echo "$passed passed, $failed failed"
  [ "$failed" -eq 0 ]
}

# ---------------------------------------------------------------- shifted delimiters
# (the hook module's key hold). A delimiter typed with SHIFT ends a keyword
# like any other. Its SHIFT, let go while the program replaces the keyword,
# must reach neither the Backspaces nor the paste, and must not stay down for
# what is typed after.
test_shifted_delimiters() {
  local sig='Kind regards, Anna Berg'
  new_target shifted --class KxShifted || { expect shifted_target false; return; }
  type_into "$TARGET_ID" 'sig! more' && check_text shifted_exclamation_then_more shifted "$sig! more"
  type_into "$TARGET_ID" ' sig? yes' && check_text shifted_question_then_more shifted "$sig! more $sig? yes"
  type_into "$TARGET_ID" ' sig:x y' && check_text shifted_colon_then_more shifted "$sig! more $sig? yes $sig:x y"
}

main
