#!/usr/bin/env bash
# What a picture costs an expansion into a browser: kestrix.exe expands a
# simple-text shortcut and a picture shortcut (a 2000 x 2000 picture, its PNG
# made when the database loaded) into the same browser-class window, typed
# alternately. Both paste the same 42 characters of text (the picture's
# placeholder); the picture also puts its HTML clip on the clipboard. Timed
# by the target window's clock, from the space key to the text complete.
#
#   bench/picture_latency.sh [BUILD_DIR] [TRIALS]     (build/pic-win64, 20)
#
# Prints the median, mean and 90th percentile of each, and the difference of
# the medians. Display and Wine prefix as tests/e2e/run_picture.sh.
set -uo pipefail
KX_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=$(cd "${1:-$KX_ROOT/build/pic-win64}" && pwd)
TRIALS=${2:-20}
APP=$BUILD/app
E2E=$BUILD/tests/e2e
source "$KX_ROOT/tests/gui/gui_lib.sh"
source "$KX_ROOT/bench/latency_lib.sh"
gui_setup 321 329 picture-latency
MAIN="Kestrix Text Expander Software"
PLACEHOLDER="[This application does not support images]"
WORK=$ART/work
rm -rf "$WORK"; mkdir -p "$DATA/local" "$WORK"
setting Settings Runs 9
setting Settings PicShortcutsConvertedToWindowMetaFile 1

python3 - "$WORK/big.bmp" <<'PY'
import struct, sys
w = h = 2000
row = b"".join(bytes((x % 256, (x * 3) % 256, 120)) for x in range(w))
rows = b"".join(row[3 * (y % 7):] + row[:3 * (y % 7)] for y in range(h))
with open(sys.argv[1], "wb") as f:
    f.write(b"BM" + struct.pack("<IHHI", 54 + len(rows), 0, 0, 54) +
            struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(rows), 2835, 2835, 0, 0) + rows)
PY
timeout 120 wine "$BUILD/kxtool.exe" picture "$(winpath "$WORK/big.bmp")" >"$WORK/big.rtf" 2>/dev/null </dev/null
python3 - "$WORK/big.rtf" "$PLACEHOLDER" >"$WORK/db.json" <<'PY'
import json, sys
rtf = open(sys.argv[1], "rb").read().decode("latin-1")
print(json.dumps({"records": [{"keyword": "PIC", "kind": 3, "richText": rtf},
                              {"keyword": "TXT", "kind": 0, "plainText": sys.argv[2]}]}))
PY
kxdb "$(cat "$WORK/db.json")" "$DATA/local/abbrev.dat"

start_kx
wait_for 120 has_window "$MAIN" && wait_for 60 eval 'probe visible "$MAIN"' || { echo "no main window"; exit 1; }
sleep 2  # timer 1 starts the hook a second after start-up
timeout 600 wine "$E2E/kx_target.exe" --class Chrome_WidgetWin_1 --title lat-browser \
  --timeline "$(winpath "$WORK/timeline")" >/dev/null 2>&1 </dev/null &
wait_for 20 has_window lat-browser || { echo "no target"; exit 1; }
w=$(window lat-browser)
xdotool windowraise "$w"; xdotool windowfocus --sync "$w"; wait_for 5 active lat-browser; sleep 0.3

last_length() { awk '$1 == "change" { n = $3 } END { print n + 0 }' "$WORK/timeline"; }
# One trial: the keyword and a space; done when the text grew by `want`.
trial() {  # trial KEYWORD TAG
  local before; before=$(last_length)
  echo "trial $2" >>"$WORK/marks"
  xdotool type --delay 60 "$1 "
  wait_for 20 grown_and_still "$before"
}
# The text grew past `before` and stays as it is for half a second.
grown_and_still() { local a; a=$(last_length); [ "$a" -gt "$1" ] && sleep 0.5 && [ "$a" = "$(last_length)" ]; }
for i in $(seq 1 "$TRIALS"); do trial txt text; trial pic picture; done

# Each trial's time from its space key to the last change before the next
# trial's first key, tagged in the order typed.
awk '
  $1 == "key" && $2 == 32 { if (t0 && tl) printf "%.3f\n", (tl - t0) / 1000; t0 = $3; tl = 0; next }
  $1 == "key" && ($2 == 84 || $2 == 80) { if (t0 && tl) { printf "%.3f\n", (tl - t0) / 1000; t0 = 0 } next }
  $1 == "change" && t0 { tl = $2 }
  END { if (t0 && tl) printf "%.3f\n", (tl - t0) / 1000 }' "$WORK/timeline" >"$WORK/all.ms"
awk 'NR % 2 == 1' "$WORK/all.ms" >"$WORK/text.ms"
awk 'NR % 2 == 0' "$WORK/all.ms" >"$WORK/picture.ms"
# The steps of each trial: space key to the first Backspace (matching and
# filling the clipboard, where the picture's HTML clip is put), the erase up
# to the Ctrl+V, and the paste to the text complete.
awk '
  function flush() { if (t0 && tv && tl) printf "%.3f %.3f %.3f\n", (tb - t0) / 1000, (tv - tb) / 1000, (tl - tv) / 1000 }
  $1 == "key" && $2 == 32 { flush(); t0 = $3; tb = tv = tl = 0; next }
  $1 == "key" && ($2 == 84 || $2 == 80) { flush(); t0 = 0; next }
  $1 == "key" && $2 == 8 && t0 && !tb { tb = $3; next }
  $1 == "key" && $2 == 86 && t0 { tv = $3; next }
  $1 == "change" && t0 && tv { tl = $2 }
  END { flush() }' "$WORK/timeline" >"$WORK/steps.ms"
step_medians() {  # step_medians NAME PARITY
  awk -v p="$2" 'NR % 2 == p' "$WORK/steps.ms" | awk -v name="$1" '
    { a[NR] = $1; b[NR] = $2; c[NR] = $3 }
    function med(v, n,   i, j, t) { for (i = 1; i <= n; i++) for (j = i + 1; j <= n; j++) if (v[j] < v[i]) { t = v[i]; v[i] = v[j]; v[j] = t }
                                   return n % 2 ? v[(n + 1) / 2] : (v[n / 2] + v[n / 2 + 1]) / 2 }
    END { printf "%-8s steps, medians: to the first Backspace %.1f ms, erase %.1f ms, paste %.1f ms\n", name, med(a, NR), med(b, NR), med(c, NR) }'
}
step_medians text 1
step_medians picture 0
summary text 8 <"$WORK/text.ms"
summary picture 8 <"$WORK/picture.ms"
awk -v p="$(median <"$WORK/picture.ms")" -v t="$(median <"$WORK/text.ms")" \
  'BEGIN { printf "picture minus text, medians: %.1f ms\n", p - t }'
printf 'stored picture document: %s bytes\n' "$(stat -c %s "$WORK/big.rtf")"
timeout 30 wine "$APP/kestrix.exe" -exit >/dev/null 2>&1 </dev/null
