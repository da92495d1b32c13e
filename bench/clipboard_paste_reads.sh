#!/usr/bin/env bash
# When a paste reads the clipboard, under Wine: the figures behind the
# expansion's quiet period (how far apart the reads of one paste fall) and
# behind the time given to a paste it cannot see (how long after the
# delimiter the target gets to its paste). The engine (kx_test_host, with
# "RestoreClipboard" on) expands a rich-text shortcut TRIALS times in a
# target that reads the text and then, 50 ms later in a second opening, the
# rich text (kx_target --second-read); then as many times again with a
# history tool beside it that reads every change (kx_clip_probe watch). All
# times come from the target's own clock: the delimiter key taken from its
# queue (--timeline), and the start of each read (--paste-log).
#
#   bench/clipboard_paste_reads.sh [BUILD_DIR] [TRIALS]        (build/win64, 20)
#
# Prints the load average, then per phase: the reads' gap, the delimiter to
# the first read, and how many pastes got the expansion in both reads.
# Starts Xvfb on a display of 311-319 and a Wine prefix of its own, and
# stops both at the end.
set -uo pipefail

KX_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=$(cd "${1:-$KX_ROOT/build/win64}" && pwd)
TRIALS=${2:-20}
export WINEPREFIX=$BUILD/pastereads-wineprefix
KX_E2E_LIBRARY=1 source "$KX_ROOT/tests/e2e/run_e2e.sh" "$BUILD"
source "$KX_ROOT/bench/latency_lib.sh"
WORK=$BUILD/pastereads-work
ARTIFACTS=$WORK
E2E=$BUILD/tests/e2e
SETTINGS_KEY='HKCU\Software\Tarvik Software\Kestrix\Settings'
RICH_TEXT='Rich regards'

make_database() {
  cat >"$WORK/reads.json" <<'JSON'
{"records": [
  {"keyword": "RICH", "kind": 1, "plainText": "Rich regards", "richText": "{\\rtf1\\ansi Rich \\b regards\\b0}"}
]}
JSON
  timeout 60 wine "$BUILD/kxtool.exe" db build "$(winpath "$WORK/reads.json")" \
    "$(winpath "$WORK/reads.dat")" >"$WORK/kxtool.log" 2>&1 </dev/null
}

# phase NAME: TRIALS pastes into a fresh target, one every 1.5 s.
phase() {
  local name=$1 id i
  rm -f "$WORK/$name.timeline" "$WORK/$name.paste"
  id=$(start_target "$name" --second-read 'Rich Text Format' --paste-log "$(winpath "$WORK/$name.paste")" \
    --timeline "$(winpath "$WORK/$name.timeline")") || { echo "$name: no target"; return 1; }
  kx_give_keyboard "$id" || return 1
  for i in $(seq 1 "$TRIALS"); do
    xdotool type --delay 50 'rich '
    sleep 1.5
  done
  # The gap between the two reads, and the last delimiter (key 32) before
  # each paste's first read, in ms.
  awk '$1 == "reads" { printf "%.1f\n", ($3 - $2) / 1000 }' "$WORK/$name.paste" | summary "$name reads' gap" 40
  sort -n -k2 <(awk '$1 == "key" && $2 == 32 { print "space", $3 }' "$WORK/$name.timeline") \
              <(awk '$1 == "reads" { print "read", $2 }' "$WORK/$name.paste") |
    awk '$1 == "space" { s = $2 } $1 == "read" && s { printf "%.1f\n", ($2 - s) / 1000; s = 0 }' |
    summary "$name delimiter to first read" 40
  echo "$name pastes with the expansion in both reads: $(grep -c "^text $RICH_TEXT \$" "$WORK/$name.paste") text," \
       "$(grep -c '^second {\\rtf1\\ansi Rich \\b regards\\b0}$' "$WORK/$name.paste") rich, of $TRIALS"
}

main() {
  mkdir -p "$WORK"
  rm -f "$WORK"/*
  trap cleanup EXIT
  KX_E2E_DISPLAYS="311 319" start_display || { echo "no display"; exit 1; }
  start_wine
  make_database || { echo "database build failed"; exit 1; }
  timeout 60 wine reg add "$SETTINGS_KEY" /v RestoreClipboard /t REG_SZ /d 1 /f >"$WORK/reg.log" 2>&1 </dev/null
  timeout 300 wine "$E2E/kx_test_host.exe" --db "$(winpath "$WORK/reads.dat")" \
    --ready "$(winpath "$WORK/host.ready")" --log "$(winpath "$WORK/host.log")" \
    --seconds 280 >"$WORK/host.out" 2>&1 </dev/null &
  PIDS+=($!)
  wait_for "$WAIT_S" grep -qs '^ready' "$WORK/host.ready" || { echo "host did not start"; exit 1; }
  echo "load average before: $(load_average)"
  phase alone
  run_bg watch "$E2E/kx_clip_probe.exe" watch --out "$(winpath "$WORK/watch.txt")" \
    --stop-file "$(winpath "$WORK/watch.stop")"
  wait_for "$WAIT_S" grep -qs '^ready' "$WORK/watch.txt"
  phase beside_history
  touch "$WORK/watch.stop"
  echo "load average after: $(load_average)"
}

main
