#!/usr/bin/env bash
# The Thunderbird scanner's own CPU while it scans, under Wine: a mailbox of
# 40 short messages (about 95 s of feeding at ten units a second), the
# program started with the scan on, and the CPU time of each of its threads
# read from /proc/PID/task/TID/stat (utime + stime) at 5 s and at 65 s. The
# scanner's thread is the one that ends when the scan writes its Done flag.
# Prints that thread's share of one core over the minute.
#
#   bench/mail_scan_cpu.sh [BUILD_DIR]        (default build/win64)
set -uo pipefail
KX_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=$(cd "${1:-$KX_ROOT/build/win64}" && pwd)
APP=$BUILD/app
source "$KX_ROOT/tests/gui/gui_lib.sh"
gui_setup 421 429 mailcpu

KEY='HKCU\Software\Tarvik Software\Kestrix\Settings'
SENT="$WINEPREFIX/drive_c/users/$(whoami)/AppData/Roaming/Thunderbird/Profiles/cpu.default/Mail/Local Folders/Sent"
rm -rf "$WINEPREFIX/drive_c/users/$(whoami)/AppData/Roaming/Thunderbird"
mkdir -p "$(dirname "$SENT")"
for i in $(seq 1 40); do
  [ "$i" = 1 ] || printf '\r\n'
  printf 'From - Sat Dec 05 10:00:00 2026\r\nSubject: Note %d\r\n\r\nNote number %d reads.\r\n' "$i" "$i"
done >"$SENT"
mkdir -p "$DATA/local"
kxdb '{"records":[{"keyword":"SIG","kind":0,"plainText":"Best regards, Kim"}]}' "$DATA/local/abbrev.dat"
setting Settings Runs 9
setting Settings ScanThunderbirdSentItems 1

# Clock ticks of CPU time per thread: "TID TICKS" lines.
ticks() { for t in /proc/"$1"/task/*; do awk -v t="${t##*/}" '{ print t, $14 + $15 }' "$t/stat" 2>/dev/null; done; }
done_flag() { wine reg query "$KEY" /v ScanThunderbirdSentItemsDone 2>/dev/null </dev/null | grep -q 'REG_SZ *1'; }

start_kx
wait_for 60 has_window "Kestrix Text Expander Software" || { echo "the program did not start"; exit 1; }
PID=$(pgrep -P "$KX_PID" | head -1)
[ -n "$PID" ] || { echo "no Wine process"; exit 1; }
sleep 5; ticks "$PID" >"$ART/t0"
sleep 60; ticks "$PID" >"$ART/t1"
done_flag && { echo "the scan finished within the minute: make the mailbox longer"; exit 1; }
wait_for 120 done_flag || { echo "the scan did not finish"; exit 1; }
sleep 1; ticks "$PID" >"$ART/t2"
timeout 60 wine "$APP/kestrix.exe" -exit >/dev/null 2>&1 </dev/null; wait_for 60 kx_ended

HZ=$(getconf CLK_TCK)
# Threads alive over the minute that ended with the scan.
ended=$(join <(sort "$ART/t1") <(sort "$ART/t2") -v1 | cut -d' ' -f1)
[ "$(echo "$ended" | grep -c .)" = 1 ] || { echo "not one thread ended with the scan: $ended"; exit 1; }
used=$(( $(awk -v t="$ended" '$1 == t { print $2 }' "$ART/t1") - $(awk -v t="$ended" '$1 == t { print $2 }' "$ART/t0") ))
echo "scanner thread $ended: $used ticks of $((60 * HZ)) in 60 s = $(awk -v u="$used" -v h="$HZ" 'BEGIN { printf "%.3f", 100 * u / (60 * h) }')% of one core"
echo "the whole program over the same minute: $(( $(awk '{ s += $2 } END { print s }' "$ART/t1") - $(awk '{ s += $2 } END { print s }' "$ART/t0") )) ticks"
