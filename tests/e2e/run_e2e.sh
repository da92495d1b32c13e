#!/usr/bin/env bash
# Typing tests on a virtual display: real keys from xdotool, through Wine's
# low-level hooks and the hook module, to the hook link. Starts its own Xvfb
# and wineserver, stops both (and every program it started) on exit, and ends
# with "N passed, N failed".
#
#   tests/e2e/run_e2e.sh [BUILD_DIR]       (default build/win64)
#
# Scenarios are shell functions named scenario_*. Sourced with
# KX_E2E_LIBRARY=1 (as a benchmark does) it runs none, and leaves the
# harness and the link probe's helpers to its caller.
set -uo pipefail

KX_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
BUILD=$(cd "${1:-$KX_ROOT/build/win64}" && pwd)
APP=$BUILD/app
export WINEPREFIX=${WINEPREFIX:-$BUILD/e2e-wineprefix}
source "$KX_ROOT/tests/gui/gui_lib.sh"
WORK=$BUILD/e2e-work
ART=$BUILD/e2e-artifacts

# start_probe: the hook link with the x86_64 kxhook.dll, recording to $WORK/probe.txt.
start_probe() {
  rm -f "$WORK/probe.txt" "$WORK/probe.stop"
  run_bg probe "$BUILD/tests/e2e/kx_link_probe.exe" --module "$(winpath "$BUILD/hook/kxhook.dll")" \
    --out "$(winpath "$WORK/probe.txt")" --stop-file "$(winpath "$WORK/probe.stop")" --seconds "$KX_LIFETIME"
  wait_for "$WAIT_S" grep -q '^ready' "$WORK/probe.txt"
}

stop_probe() {
  touch "$WORK/probe.stop"
  wait_for "$WAIT_S" grep -q '^end' "$WORK/probe.txt"
}

# probe_mark NAME: remembers how far the probe's record has come; the
# helpers below look only at what came after that mark.
probe_mark() { wc -l <"$WORK/probe.txt" >"$WORK/mark-$1"; }
probe_lines_after() { tail -n +"$(( $(cat "$WORK/mark-$1") + 1 ))" "$WORK/probe.txt"; }
# The characters of the key presses seen since the mark, as UTF-16 units.
probe_chars() {
  probe_lines_after "$1" | awk '/^key / && / down=1 / { split($3, c, "="); if (c[2] != "0000") printf "%s ", c[2] }'
}
# probe_has MARK LINE: the probe wrote exactly this line after the mark.
probe_has() { probe_lines_after "$1" | grep -qxF "$2"; }
releases_carry_no_char() { ! probe_lines_after "$1" | grep ' down=0 ' | grep -qv ' ch=0000 '; }

# UTF-16 units of a text, as probe_chars prints them.
units() { printf '%s' "$1" | iconv -f UTF-8 -t UTF-16BE | od -An -tx1 -v | tr -s ' \n' ' ' |
          awk '{for (i = 1; i <= NF; i += 2) printf "%s%s ", toupper($i), toupper($(i+1))}'; }

scenario_keys_reach_link() {
  local id
  id=$(start_target plain --class KxPlainEdit) || { expect keys_reach_link false; return; }
  probe_mark 1
  type_into "$id" 'Sig x!' 40
  wait_for "$WAIT_S" grep -q 'Sig x!' "$WORK/plain.txt"
  sleep 0.5
  expect keys_reach_link_in_order [ "$(probe_chars 1)" = "$(units 'Sig x!')" ]
  expect target_holds_text [ "$(target_text plain)" = 'Sig x!' ]
  # Releases carry no character; SHIFT held shows in the modifiers.
  expect releases_without_char releases_carry_no_char 1
  expect shift_in_modifiers probe_has 1 "key vk=53 ch=0053 down=1 mods=01"
}

scenario_click_discards_word() {
  local id
  id=$(start_target clicked --class KxClicked) || { expect click_discards_word false; return; }
  type_into "$id" 'q' 40
  sleep 0.3
  probe_mark 3
  timeout "$WAIT_S" xdotool mousemove --window "$id" 40 40 click 1
  sleep 0.7
  expect click_discards_word probe_has 3 reset
}

# CTRL+ALT with a letter that has no AltGr character types nothing: the
# record carries no character (the word must not grow by the letter) and
# keeps the key and both modifiers, from which combinations are matched.
scenario_ctrl_alt_letter() {
  local id
  id=$(start_target combo --class KxCombo) || { expect ctrl_alt_letter false; return; }
  probe_mark 6
  type_into "$id" 'ab' 40
  timeout "$WAIT_S" xdotool key ctrl+alt+m
  type_into "$id" 'c' 40
  wait_for "$WAIT_S" grep -q 'abc' "$WORK/combo.txt"
  sleep 0.5
  expect ctrl_alt_m_has_no_char probe_has 6 "key vk=4D ch=0000 down=1 mods=48"
  expect ctrl_alt_m_not_typed [ "$(probe_chars 6)" = "$(units 'abc')" ]
}

main() {
  mkdir -p "$WORK" "$ART"
  rm -f "$WORK"/* "$ART"/*.png
  start_display   # KX_E2E_DISPLAYS="FIRST LAST" moves its range
  start_wine
  if start_probe; then
    local s
    for s in $(declare -F | awk '{print $3}' | grep '^scenario_'); do "$s"; done
    stop_probe
  else
    expect probe_starts false
  fi
  echo "$passed passed, $failed failed"
  [ "$failed" -eq 0 ]
}

[ -z "${KX_E2E_LIBRARY:-}" ] && main
