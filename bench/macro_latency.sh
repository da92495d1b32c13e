#!/usr/bin/env bash
# Latency of a macro's typing under Wine: from the combination's key (CTRL+
# ALT+B) arriving in the target window to 1,000 characters standing in its
# Edit control, typed by a macro of five kbrd_input lines of 200 characters
# (a line is cut at 259 characters, so one line cannot carry 1,000), against
# a baseline program that sends the same records, one SendInput call per
# line, when it sees the same key. Both are measured in one run, on the same
# display, by the same kind of target window's clock (kx_target --timeline:
# the time of each WM_KEYDOWN it takes from its queue and of each change of
# its text). A first press of each warms up (the program's hook starts a
# second after the program) and is not counted.
#
#   bench/macro_latency.sh [BUILD_DIR] [TRIALS]     (build/win64, 20)
#
# Prints one line per measure (median, mean, 90th percentile, in ms) and the
# ratio of the medians.
set -uo pipefail
KX_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=$(cd "${1:-$KX_ROOT/build/win64}" && pwd)
APP=$BUILD/app
TRIALS=${2:-20}
E2E=$BUILD/tests/e2e
source "$KX_ROOT/tests/gui/gui_lib.sh"
source "$KX_ROOT/bench/latency_lib.sh"
gui_setup 381 389 macro-latency
LOCAL="$DATA/local"
mkdir -p "$LOCAL"
rm -f "$ART"/*.timeline "$ART"/*.start "$ART"/*.ready "$ART"/*.ms
LINES=5
LENGTH=200
TOTAL=$((LINES * LENGTH))
LINE=$(printf 'abcdefghij%.0s' $(seq $((LENGTH / 10))))
SCRIPT=""
for _ in $(seq "$LINES"); do SCRIPT+="kbrd_input \\\"$LINE\\\"\\r\\n"; done
kxdb "{\"records\":[{\"keyword\":\"CTRL+ALT+B\",\"kind\":2,\"plainText\":\"$SCRIPT\"}]}" "$LOCAL/abbrev.dat" ||
  { echo "the database could not be built"; exit 1; }
setting Settings Runs 9

text_length() { awk '$1 == "change" { n = $3 } END { print n + 0 }' "$ART/$1.timeline"; }
length_is() { [ "$(text_length "$1")" = "$2" ]; }
# A press before the program's hook is up types nothing: press until one
# plays, and go on from whatever length that left once the text is still.
warm_up() {
  local name=$1 tries
  for tries in $(seq 6); do
    xdotool key ctrl+alt+b
    wait_for 15 eval '[ "$(text_length "$name")" -gt 0 ]' && break
  done
  wait_for 60 eval '[ $(( $(text_length "$name") % TOTAL )) = 0 ] && [ "$(text_length "$name")" -gt 0 ]' || return 1
  sleep 1
  [ $(( $(text_length "$name") % TOTAL )) = 0 ]
}

# run_trials NAME: presses the combination TRIALS times in a new target,
# after the warm-up; each trial ends when the text has grown by TOTAL
# characters. Writes where the trials start in the timeline to NAME.start.
run_trials() {
  local name=$1 id i base
  timeout 300 wine "$E2E/kx_target.exe" --title "$name" --class KxMacroLatency \
    --timeline "$(winpath "$ART/$name.timeline")" >/dev/null 2>&1 </dev/null &
  wait_for 30 has_window "$name" || { echo "$name: no target window"; return 1; }
  id=$(window "$name")
  xdotool windowfocus --sync "$id" 2>/dev/null
  warm_up "$name" || { echo "$name: the warm-up press did not play"; return 1; }
  base=$(text_length "$name")
  echo "$(wc -l <"$ART/$name.timeline") $base" >"$ART/$name.start"
  for i in $(seq 1 "$TRIALS"); do
    xdotool key ctrl+alt+b
    wait_for 30 length_is "$name" $(( base + i * TOTAL )) || { echo "$name: trial $i did not complete"; return 1; }
    sleep 0.3
  done
  xdotool windowclose "$id" 2>/dev/null
}

# Milliseconds from each B key to the change that completes its 1,000
# characters, one per line, the warm-up left out.
latencies() {
  local skip base
  read -r skip base <"$ART/$1.start"
  awk -v total="$TOTAL" -v skip="$skip" -v want="$base" '
    NR <= skip { next }
    $1 == "key" && $2 == 66 { t0 = $3; want += total; next }
    $1 == "change" && t0 && $3 == want { printf "%.3f\n", ($2 - t0) / 1000; t0 = 0 }
  ' "$ART/$1.timeline"
}

# The macro, played by the program.
start_kx
wait_for 30 has_window "Kestrix Text Expander Software" || { echo "the program did not start"; exit 1; }
run_trials macro-run || exit 1
timeout 30 wine "$APP/kestrix.exe" -exit >/dev/null 2>&1 </dev/null
wait_for 20 kx_ended || { echo "the program did not end"; exit 1; }

# The baseline: only one program may type on the combination at a time.
rm -f "$ART/baseline.ready" "$ART/baseline.stop"
timeout 300 wine "$E2E/kx_macro_baseline.exe" --ready "$(winpath "$ART/baseline.ready")" --key 0x42 \
  --lines "$LINES" --length "$LENGTH" --stop-file "$(winpath "$ART/baseline.stop")" --seconds 280 \
  >/dev/null 2>&1 </dev/null &
wait_for 30 grep -qs '^ready' "$ART/baseline.ready" || { echo "baseline did not start"; exit 1; }
run_trials baseline || exit 1
touch "$ART/baseline.stop"

latencies macro-run >"$ART/macro-run.ms"
latencies baseline >"$ART/baseline.ms"
summary macro <"$ART/macro-run.ms"
summary baseline <"$ART/baseline.ms"
awk -v k="$(median <"$ART/macro-run.ms")" -v b="$(median <"$ART/baseline.ms")" \
  'BEGIN { printf "ratio of medians (macro / baseline): %.2f\n", k / b }'
