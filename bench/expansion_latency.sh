#!/usr/bin/env bash
# Latency of an expansion under Wine: from the delimiter key arriving in the
# target window to the expansion standing complete in its Edit control, with
# "RestoreClipboard" off and on, against a baseline program that only puts
# the same text on the clipboard and sends Ctrl+V when it sees the
# delimiter. All are measured in one run, on the same display, by the same
# target window's clock (kx_target --timeline: the time of each WM_KEYDOWN it
# takes from its queue and of each change of its text). With the setting on,
# a clipboard watcher (kx_clip_probe watch, on the same clock) times how long
# after the paste the user's clipboard is back.
#
#   bench/expansion_latency.sh [BUILD_DIR] [TRIALS]     (build/win64, 30)
#
# Prints one line per measure (median, mean, 90th percentile, in ms) and the
# ratios of the medians. Display and Wine prefix as tests/e2e/run_expansion.sh.
set -uo pipefail

KX_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=$(cd "${1:-$KX_ROOT/build/win64}" && pwd)
TRIALS=${2:-30}
CALLER_PREFIX=${WINEPREFIX:-}
KX_E2E_LIBRARY=1 source "$KX_ROOT/tests/e2e/run_e2e.sh" "$BUILD"
source "$KX_ROOT/bench/latency_lib.sh"
WORK=$BUILD/latency-work
ARTIFACTS=$BUILD/latency-work
E2E=$BUILD/tests/e2e
TEXT='Latency probe text for the benchmark'
SETTINGS_KEY='HKCU\Software\Tarvik Software\Kestrix\Settings'
USER_TEXT='The user clipboard'
WE_STARTED_WINE=""

start_display() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then return 0; fi
  local n
  for n in $(seq 189 -1 180); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >"$WORK/xvfb.log" 2>&1 </dev/null &
    XVFB_PID=$!
    export DISPLAY=":$n"
    for _ in $(seq 1 50); do xdpyinfo >/dev/null 2>&1 && return 0; sleep 0.1; done
    kill "$XVFB_PID" 2>/dev/null; XVFB_PID=""
  done
  return 1
}

cleanup() {
  local p
  for p in "${PIDS[@]}"; do kill "$p" 2>/dev/null; done
  [ -n "$WE_STARTED_WINE" ] && wineserver -k >/dev/null 2>&1 </dev/null
  [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null
}

length_is() { [ "$(tail -1 "$WORK/$1.timeline" | awk '$1 == "change" {print $3}')" = "$2" ]; }

# run_trials NAME GROWTH: types "lat " TRIALS times into a new target; each
# trial ends when the text has grown by GROWTH characters.
run_trials() {
  local name=$1 growth=$2 id length=0 i
  run_bg "target-$name" "$E2E/kx_target.exe" --title "$name" --class KxLatency \
    --timeline "$(winpath "$WORK/$name.timeline")"
  id=$(timeout "$WAIT_S" xdotool search --sync --name "^$name\$" 2>/dev/null | head -1)
  [ -n "$id" ] || { log "no target window"; return 1; }
  timeout "$WAIT_S" xdotool windowfocus --sync "$id" || return 1
  sleep 0.3
  for i in $(seq 1 "$TRIALS"); do
    timeout "$WAIT_S" xdotool type --delay 50 'lat '
    length=$((length + growth))
    wait_for "$WAIT_S" length_is "$name" "$length" || { log "$name: trial $i did not complete"; return 1; }
    sleep 0.2
  done
}

# Milliseconds from each space key to the first change that reaches the
# trial's final length, one per line.
latencies() {
  awk -v growth="$2" '
    $1 == "key" && $2 == 32 { t0 = $3; want += growth; next }
    $1 == "change" && t0 && $3 == want { printf "%.3f\n", ($2 - t0) / 1000; t0 = 0 }
  ' "$WORK/$1.timeline"
}

# Milliseconds from each trial's paste standing complete to the watcher
# seeing the user's clipboard back, one per line.
restore_times() {
  { awk -v growth="$1" '$1 == "change" { want = want ? want : growth; if ($3 == want) { print $2, "paste"; want += growth } }' \
      "$WORK/kestrix-on.timeline"
    awk -v user="$USER_TEXT" '$1 == "update" { t = $2; $1 = $2 = ""; sub(/^ +/, ""); if ($0 == user) print t, "back" }' \
      "$WORK/watch.txt"
  } | sort -n | awk '$2 == "paste" { t0 = $1; next } $2 == "back" && t0 { printf "%.3f\n", ($1 - t0) / 1000; t0 = 0 }'
}
set_restore() {
  timeout 60 wine reg add "$SETTINGS_KEY" /v RestoreClipboard /t REG_SZ /d "$1" /f >>"$WORK/reg.log" 2>&1 </dev/null
}

main() {
  mkdir -p "$WORK"; rm -f "$WORK"/*
  trap cleanup EXIT
  start_display || { log "no display"; exit 1; }
  if [ -n "$CALLER_PREFIX" ] && [ -f "$WINEPREFIX/system.reg" ]; then
    wineserver -p >>"$WORK/wineserver.log" 2>&1 </dev/null &
  else
    WE_STARTED_WINE=1; start_wine
  fi
  printf '{"records": [{"keyword": "LAT", "kind": 0, "plainText": "%s"}]}\n' "$TEXT" >"$WORK/lat.json"
  timeout 60 wine "$BUILD/kxtool.exe" db build "$(winpath "$WORK/lat.json")" "$(winpath "$WORK/lat.dat")" \
    >"$WORK/kxtool.log" 2>&1 </dev/null || { log "kxtool db build failed"; exit 1; }

  # The expansion: "lat " becomes the text and the space (grows by length + 1).
  set_restore 0
  run_bg host "$E2E/kx_test_host.exe" --db "$(winpath "$WORK/lat.dat")" --ready "$(winpath "$WORK/host.ready")" \
    --stop-file "$(winpath "$WORK/host.stop")" --seconds 280
  local host=${PIDS[-1]}
  wait_for "$WAIT_S" grep -qs '^ready' "$WORK/host.ready" || { log "host did not start"; exit 1; }
  run_trials kestrix-off $(( ${#TEXT} + 1 )) || exit 1
  # The same with the user's clipboard given back; the host reads the
  # setting at each expansion.
  set_restore 1
  timeout "$WAIT_S" wine "$E2E/kx_clip_probe.exe" put --text "$USER_TEXT" </dev/null || { log "probe failed"; exit 1; }
  run_bg watch "$E2E/kx_clip_probe.exe" watch --out "$(winpath "$WORK/watch.txt")" --stop-file "$(winpath "$WORK/watch.stop")"
  wait_for "$WAIT_S" grep -qs '^ready' "$WORK/watch.txt" || { log "watcher did not start"; exit 1; }
  run_trials kestrix-on $(( ${#TEXT} + 1 )) || exit 1
  touch "$WORK/watch.stop"
  set_restore 0
  # Only one program may paste on the space at a time.
  touch "$WORK/host.stop"
  wait_for "$WAIT_S" bash -c "! kill -0 $host 2>/dev/null" || { log "host did not stop"; exit 1; }

  # The baseline: "lat " stays and the text follows it (grows by 4 + length).
  run_bg baseline "$E2E/kx_paste_baseline.exe" --text "$TEXT" --ready "$(winpath "$WORK/baseline.ready")" \
    --stop-file "$(winpath "$WORK/baseline.stop")" --seconds 280
  wait_for "$WAIT_S" grep -qs '^ready' "$WORK/baseline.ready" || { log "baseline did not start"; exit 1; }
  run_trials baseline $(( ${#TEXT} + 4 )) || exit 1
  touch "$WORK/baseline.stop"

  latencies kestrix-off $(( ${#TEXT} + 1 )) >"$WORK/kestrix-off.ms"
  latencies kestrix-on $(( ${#TEXT} + 1 )) >"$WORK/kestrix-on.ms"
  latencies baseline $(( ${#TEXT} + 4 )) >"$WORK/baseline.ms"
  restore_times $(( ${#TEXT} + 1 )) >"$WORK/restore.ms"
  summary "restore off" 24 <"$WORK/kestrix-off.ms"
  summary "restore on" 24 <"$WORK/kestrix-on.ms"
  summary baseline 24 <"$WORK/baseline.ms"
  summary "paste to clipboard back" 24 <"$WORK/restore.ms"
  awk -v off="$(median <"$WORK/kestrix-off.ms")" -v on="$(median <"$WORK/kestrix-on.ms")" \
      -v b="$(median <"$WORK/baseline.ms")" 'BEGIN {
    printf "ratio of medians (restore off / baseline): %.2f\n", off / b
    printf "ratio of medians (restore on / baseline): %.2f\n", on / b
    printf "ratio of medians (restore on / restore off): %.2f\n", on / off }'
}

main
