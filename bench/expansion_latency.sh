#!/usr/bin/env bash
# Latency of an expansion under Wine: from the delimiter key arriving in the
# target window to the expansion standing complete in its Edit control, with
# "RestoreClipboard" off and on, against a baseline program that does the
# same work with nothing else around it: its low-level hook sees the keyword
# and the delimiter, and its thread puts the same text on the clipboard,
# erases the keyword and the delimiter with Backspaces and sends Ctrl+V.
# All are measured in one run, on the same display, by the same target
# window's clock (kx_target --timeline: the time of each WM_KEYDOWN it takes
# from its queue and of each change of its text). The setting on is also
# measured beside a clipboard history tool (kx_clip_probe watch, on the same
# clock, which reads every change at once), which times how long after the
# paste the user's clipboard is back.
#
#   bench/expansion_latency.sh [BUILD_DIR] [TRIALS] [ROUNDS]     (build/win64, 30, 6)
#
# The trials of each measure are spread over ROUNDS rounds of all of them in
# turn, so that a change of the machine's load during the run falls on each
# alike; each block of trials begins with one warm-up expansion that is not
# counted. A trial whose text does not grow by the expansion is reported as
# failed, and left out. Prints the load average before and after each
# round, one line per measure (median, mean, 90th percentile, in ms), the
# medians of the steps each expansion goes through, the failed trials, and
# the ratios of the medians. Display and Wine prefix as
# tests/e2e/run_expansion.sh.
set -uo pipefail

KX_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=$(cd "${1:-$KX_ROOT/build/win64}" && pwd)
TRIALS=${2:-30}
ROUNDS=${3:-6}
PER_ROUND=$(( (TRIALS + ROUNDS - 1) / ROUNDS ))
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

# "lat " becomes the text and the space, with Kestrix and with the baseline.
GROWTH=$(( ${#TEXT} + 1 ))

focus_window() { timeout 2 xdotool windowfocus --sync "$1" 2>/dev/null; }
text_length() { awk '$1 == "change" { n = $3 } END { print n + 0 }' "$WORK/$1.timeline"; }
length_is() { [ "$(tail -1 "$WORK/$1.timeline" | awk '$1 == "change" {print $3}')" = "$2" ]; }

# run_trials NAME: types "lat " into a new target, once to warm up and then
# PER_ROUND times; each trial ends when the text has grown by GROWTH. A
# trial that does not is written to NAME.failed, and the next goes on from
# the text as it stands.
run_trials() {
  local name=$1 id length=0 i target grown
  run_bg "target-$name" "$E2E/kx_target.exe" --title "$name" --class KxLatency \
    --timeline "$(winpath "$WORK/$name.timeline")"
  target=${PIDS[-1]}
  id=$(timeout "$WAIT_S" xdotool search --sync --name "^$name\$" 2>/dev/null | head -1)
  [ -n "$id" ] || { log "no target window"; return 1; }
  # A window just mapped may refuse the focus once (BadMatch): ask again.
  wait_for "$WAIT_S" focus_window "$id" || { log "$name: no focus"; return 1; }
  sleep 0.3
  for i in $(seq 0 "$PER_ROUND"); do
    timeout "$WAIT_S" xdotool type --delay 50 'lat '
    length=$((length + GROWTH))
    if ! wait_for "$WAIT_S" length_is "$name" "$length"; then
      grown=$(( $(text_length "$name") - length + GROWTH ))
      echo "$name: trial $i: the text grew by $grown characters, not $GROWTH" \
        "$([ "$grown" = "${#USER_TEXT}" ] && echo "(the user's clipboard was pasted)")" >>"$WORK/$name.failed"
      length=$(text_length "$name")
    fi
    sleep 0.2
  done
  kill "$target" 2>/dev/null
}

# The completed trials of a target's timeline after the warm-up, one a
# line: the times (microseconds) of the space key, of the first Backspace
# and of the V that follow it, and of the change that reaches the trial's
# final length (the length before "lat " was typed, plus GROWTH).
trials() {
  awk -v growth="$GROWTH" '
    $1 == "key" && $2 == 32 { t0 = $3; bs = v = 0; want = last - 3 + growth; next }
    $1 == "key" && $2 == 8 && t0 && !bs { bs = $3; next }
    $1 == "key" && $2 == 86 && t0 && bs && !v { v = $3; next }
    $1 == "change" { last = $3; if (t0 && $3 == want) { if (++n > 1) print t0, bs, v, $2; t0 = 0 } }
  ' "$WORK/$1.timeline"
}

# Milliseconds from each space key to the text standing complete, from the
# trials on standard input.
latencies() { awk '{ printf "%.3f\n", ($4 - $1) / 1000 }'; }

# Medians of the steps, in ms: space to the first Backspace (the program's
# own path: hook, matching, clipboard), the erase as the target takes it
# (first Backspace to V), and V to the text standing (the paste).
steps() {
  local all=$1 col
  for col in 2 3 4; do
    awk -v c="$col" '{ printf "%.3f\n", ($c - $(c - 1)) / 1000 }' "$all" | median
  done | paste -sd' ' | awk -v name="$2" '{ printf "%-24s space to first Backspace %.1f ms  erase %.1f ms  paste %.1f ms\n", name, $1, $2, $3 }'
}

# Milliseconds from each trial's paste standing complete to the watcher
# seeing the user's clipboard back, one per line, for round R.
restore_times() {
  { trials "kestrix-watched-$1" | awk '{ print $4, "paste" }'
    awk -v user="$USER_TEXT" '$1 == "update" { t = $2; $1 = $2 = ""; sub(/^ +/, ""); if ($0 == user) print t, "back" }' \
      "$WORK/watch-$1.txt"
  } | sort -n | awk '$2 == "paste" { t0 = $1; next } $2 == "back" && t0 { printf "%.3f\n", ($1 - t0) / 1000; t0 = 0 }'
}
set_restore() {
  timeout 60 wine reg add "$SETTINGS_KEY" /v RestoreClipboard /t REG_SZ /d "$1" /f >>"$WORK/reg.log" 2>&1 </dev/null
}
ended() { ! kill -0 "$1" 2>/dev/null; }

# round R: Kestrix with the setting off, on, and on beside a clipboard
# history tool (kx_clip_probe watch, which reads every change at once and
# times the user's clipboard coming back); then the baseline. Only one
# program may replace the keyword at a time.
round() {
  local r=$1 host baseline
  set_restore 0
  run_bg "host-$r" "$E2E/kx_test_host.exe" --db "$(winpath "$WORK/lat.dat")" \
    --ready "$(winpath "$WORK/host-$r.ready")" --stop-file "$(winpath "$WORK/host-$r.stop")" --seconds 110
  host=${PIDS[-1]}
  wait_for "$WAIT_S" grep -qs '^ready' "$WORK/host-$r.ready" || { log "host did not start"; return 1; }
  run_trials "kestrix-off-$r" || return 1
  # The host reads the setting at each expansion.
  set_restore 1
  timeout "$WAIT_S" wine "$E2E/kx_clip_probe.exe" put --text "$USER_TEXT" </dev/null || { log "probe failed"; return 1; }
  run_trials "kestrix-on-$r" || return 1
  run_bg "watch-$r" "$E2E/kx_clip_probe.exe" watch --out "$(winpath "$WORK/watch-$r.txt")" \
    --stop-file "$(winpath "$WORK/watch-$r.stop")"
  wait_for "$WAIT_S" grep -qs '^ready' "$WORK/watch-$r.txt" || { log "watcher did not start"; return 1; }
  run_trials "kestrix-watched-$r" || return 1
  touch "$WORK/host-$r.stop" "$WORK/watch-$r.stop"
  set_restore 0
  wait_for "$WAIT_S" ended "$host" || { log "host did not stop"; return 1; }

  run_bg "baseline-$r" "$E2E/kx_paste_baseline.exe" --text "$TEXT" --keyword lat \
    --ready "$(winpath "$WORK/baseline-$r.ready")" --stop-file "$(winpath "$WORK/baseline-$r.stop")" --seconds 110
  baseline=${PIDS[-1]}
  wait_for "$WAIT_S" grep -qs '^ready' "$WORK/baseline-$r.ready" || { log "baseline did not start"; return 1; }
  run_trials "baseline-$r" || return 1
  touch "$WORK/baseline-$r.stop"
  wait_for "$WAIT_S" ended "$baseline" || { log "baseline did not stop"; return 1; }
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

  local r name
  for r in $(seq 1 "$ROUNDS"); do
    echo "round $r of $ROUNDS, load average $(load_average)"
    round "$r" || exit 1
  done
  echo "after the last round, load average $(load_average)"

  for name in kestrix-off kestrix-on kestrix-watched baseline; do
    for r in $(seq 1 "$ROUNDS"); do trials "$name-$r"; done >"$WORK/$name.trials"
    latencies <"$WORK/$name.trials" >"$WORK/$name.ms"
  done
  for r in $(seq 1 "$ROUNDS"); do restore_times "$r"; done >"$WORK/restore.ms"
  summary "restore off" 24 <"$WORK/kestrix-off.ms"
  summary "restore on" 24 <"$WORK/kestrix-on.ms"
  summary baseline 24 <"$WORK/baseline.ms"
  summary "on, history tool" 24 <"$WORK/kestrix-watched.ms"
  summary "paste to clipboard back" 24 <"$WORK/restore.ms"
  steps "$WORK/kestrix-off.trials" "restore off"
  steps "$WORK/kestrix-on.trials" "restore on"
  steps "$WORK/baseline.trials" baseline
  steps "$WORK/kestrix-watched.trials" "on, history tool"
  cat "$WORK"/*.failed 2>/dev/null | sed 's/^/failed: /'
  awk -v off="$(median <"$WORK/kestrix-off.ms")" -v on="$(median <"$WORK/kestrix-on.ms")" \
      -v b="$(median <"$WORK/baseline.ms")" 'BEGIN {
    printf "ratio of medians (restore off / baseline): %.2f\n", off / b
    printf "ratio of medians (restore on / baseline): %.2f\n", on / b
    printf "ratio of medians (restore on / restore off): %.2f\n", on / off }'
}

main
