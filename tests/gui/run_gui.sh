#!/usr/bin/env bash
# Drives kestrix.exe as a user would, on a virtual display under Wine:
# starts it, creates, finds, expands, edits and deletes a shortcut, works the
# tray menu and Confirm Stop, and checks the start rules with real second
# starts. Prints "N passed, N failed"; screenshots go to docs/screenshots.
#
#   tests/gui/run_gui.sh [BUILD_DIR]        (default build/app-win64)
set -uo pipefail
KX_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
BUILD=$(cd "${1:-$KX_ROOT/build/app-win64}" && pwd)
APP=$BUILD/app
export WINEPREFIX=${WINEPREFIX:-$BUILD/gui-wineprefix}
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
ART=$BUILD/gui-artifacts
SHOTS=$KX_ROOT/docs/screenshots
mkdir -p "$ART" "$SHOTS"
passed=0; failed=0; XVFB_PID=""; KX_PID=""

cleanup() {
  [ -n "$KX_PID" ] && kill "$KX_PID" 2>/dev/null
  wineserver -k >/dev/null 2>&1 </dev/null
  [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null
}
trap cleanup EXIT

check() {  # check NAME COMMAND...
  local name=$1; shift
  if "$@"; then passed=$((passed + 1)); echo "ok   $name"
  else failed=$((failed + 1)); echo "FAIL $name"; fi
}
wait_for() {  # wait_for SECONDS COMMAND...
  local end=$((SECONDS + $1)); shift
  while [ $SECONDS -lt $end ]; do "$@" >/dev/null 2>&1 && return 0; sleep 0.2; done
  return 1
}
probe() { timeout 10 wine "$APP/kx_gui_probe.exe" "$@" 2>/dev/null </dev/null | tr -d '\r'; return "${PIPESTATUS[0]}"; }
window() { xdotool search --name "^$1\$" 2>/dev/null | head -1; }
has_window() { [ -n "$(window "$1")" ]; }
no_window() { [ -z "$(window "$1")" ]; }
# Presses a dialog's button once the dialog and the button exist, then waits
# until that dialog is gone, so that the next step cannot find it instead of
# its successor.
answer() { wait_for 10 probe click "$1" "$2" && wait_for 10 no_window "$1"; }
list_has() { probe list | grep -q "^$1	$2"; }
list_lacks() { ! probe list | grep -q "^$1	"; }
shot() { import -window root "$SHOTS/$1.png" 2>/dev/null; }
start_kx() { timeout 300 wine "$APP/kestrix.exe" "$@" >"$ART/kestrix.log" 2>&1 </dev/null & KX_PID=$!; }
kx_running() { kill -0 "$KX_PID" 2>/dev/null; }
kx_ended() { ! kill -0 "$KX_PID" 2>/dev/null; }
press() { local w; w=$(window "$1"); [ -n "$w" ] && xdotool windowactivate --sync "$w" 2>/dev/null; xdotool windowfocus --sync "$w" 2>/dev/null; shift; xdotool key --delay 80 "$@"; }

for n in $(seq 171 179); do
  [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >"$ART/xvfb.log" 2>&1 </dev/null & XVFB_PID=$!
  export DISPLAY=":$n"; break
done
wait_for 10 xdpyinfo || { echo "no display"; exit 1; }
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  wineboot -i >"$ART/wineboot.log" 2>&1 </dev/null; wineserver -w >/dev/null 2>&1 </dev/null
  wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1 </dev/null
fi
# Xvfb has no window manager. For the windows it manages, Wine's X11 driver
# waits up to 2 s for one to confirm each hide, so every closed dialog, the
# hidden main window and the tray icon's removal (Wine's tray window hides)
# would each stall the program 2 s. Unmanaged windows hide at once.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1 </dev/null
wine reg delete 'HKCU\Software\Tarvik Software' /f >/dev/null 2>&1 </dev/null
DATA="$WINEPREFIX/drive_c/users/$(whoami)/AppData/Roaming/Tarvik Software/Kestrix"
rm -rf "$DATA"
wineserver -p >"$ART/wineserver.log" 2>&1 </dev/null &

# First start: an empty Default group, the welcome after half a second.
start_kx
check "main window appears" wait_for 20 has_window "Kestrix Text Expander Software"
check "first start says the group file was created" wait_for 10 has_window "Load Shortcuts"
press "Load Shortcuts" Return
check "first start offers the welcome" wait_for 10 has_window "Welcome to Kestrix Typing Shortcut Expander"
shot welcome
press "Welcome to Kestrix Typing Shortcut Expander" Escape
check "the list starts empty" test -z "$(probe list)"

# New simple-text shortcut through the dialog, typed with xdotool.
probe command 2010
check "New opens the simple text editor" wait_for 10 has_window "New Simple Text Shortcut"
w=$(window "New Simple Text Shortcut"); xdotool windowfocus --sync "$w" 2>/dev/null
xdotool type --delay 40 "gm"; xdotool key Tab; xdotool type --delay 40 "Good morning, team"
sleep 0.3; shot simple-text-editor
check "the editor closes on OK" answer "New Simple Text Shortcut" "OK"
check "the new shortcut is listed in upper case" wait_for 10 list_has GM "Good morning, team"
shot main-window

# An empty keyword keeps the editor open.
probe command 2010; wait_for 10 has_window "New Simple Text Shortcut"
wait_for 10 probe click "New Simple Text Shortcut" "OK"; sleep 1
check "an empty keyword is refused" has_window "New Simple Text Shortcut"
answer "New Simple Text Shortcut" "Cancel"

# The rich-text editor.
probe command 2011
check "the rich text editor opens" wait_for 10 has_window "New Rich Text Shortcut"
w=$(window "New Rich Text Shortcut"); xdotool windowfocus --sync "$w" 2>/dev/null
xdotool type --delay 40 "ty"; xdotool key Tab; xdotool type --delay 40 "Thank you"; sleep 0.3
shot rich-text-editor
answer "New Rich Text Shortcut" "OK"
check "a rich text shortcut is listed" wait_for 10 list_has TY "Thank you"

# Typing the keyword in another program expands it.
timeout 120 wine notepad >/dev/null 2>&1 </dev/null &
wait_for 15 has_window "Untitled - Notepad"; sleep 2
w=$(window "Untitled - Notepad"); xdotool windowactivate --sync "$w" 2>/dev/null; xdotool windowfocus --sync "$w" 2>/dev/null
sleep 0.5; xdotool type --delay 80 "gm "
expanded() { probe text "Untitled - Notepad" | grep -q "Good morning, team"; }
check "typing gm in notepad expands it" wait_for 10 expanded
shot expansion-in-notepad

# Edit, then delete.
probe select GM; probe command 2003
check "Edit opens the editor" wait_for 10 has_window "Edit Simple Text Shortcut"
w=$(window "Edit Simple Text Shortcut"); xdotool windowfocus --sync "$w" 2>/dev/null
xdotool key Tab ctrl+a; xdotool type --delay 40 "Good evening"
answer "Edit Simple Text Shortcut" "OK"
check "the edited expansion is listed" wait_for 10 list_has GM "Good evening"
probe select TY; probe command 2002
check "Delete asks first" wait_for 10 has_window "Confirm Delete"
answer "Confirm Delete" "Delete"
check "the deleted shortcut leaves the list" wait_for 10 list_lacks TY

# A second group: the new group starts with Default's shortcuts.
probe command 4997
check "New Group opens its dialog" wait_for 10 has_window "Add New Group"
w=$(window "Add New Group"); xdotool windowfocus --sync "$w" 2>/dev/null; xdotool type --delay 40 "Work"
answer "Add New Group" "OK"
check "the new group is a copy of Default" wait_for 10 list_has GM "Good evening"
probe command 4001   # back to the first group in enumeration order
sleep 1

# The tray menu and Confirm Stop.
probe tray 517
sleep 1; shot tray-menu
xdotool key Escape
probe command 3003
check "Exit (Turn Off) asks Confirm Stop" wait_for 10 has_window "Confirm Stop"
shot confirm-stop
answer "Confirm Stop" "Cancel"
check "Cancel keeps the program running" kx_running
probe command 3003; wait_for 10 has_window "Confirm Stop"
answer "Confirm Stop" "Stop"
check "Stop ends the program" wait_for 5 kx_ended

# Starting again finds the shortcut; later starts forward their arguments.
start_kx -hide
check "the second run starts hidden with -hide" wait_for 20 has_window "Kestrix"
sleep 2
check "the shortcut is still there" wait_for 10 list_has GM "Good evening"
timeout 30 wine "$APP/kestrix.exe" -show >/dev/null 2>&1 </dev/null
check "a second start ends at once and the first stays" kx_running
probe copydata 100
check "a block of the wrong size changes nothing" kx_running
args=(); for i in $(seq 1 199); do args+=("a$i"); done
timeout 30 wine "$APP/kestrix.exe" "${args[@]}" -exit >/dev/null 2>&1 </dev/null; sleep 2
check "an -exit beyond argument 128 is cut off" kx_running
args=(); for i in $(seq 1 126); do args+=("a$i"); done
timeout 30 wine "$APP/kestrix.exe" "${args[@]}" -exit >/dev/null 2>&1 </dev/null
check "an -exit as argument 127 ends the running copy" wait_for 5 kx_ended

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
