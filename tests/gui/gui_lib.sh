# Shared by the GUI suites: the display, the Wine prefix and the helpers
# that drive kestrix.exe as a user would. Source it after setting KX_ROOT,
# BUILD and APP, then call gui_setup with a display range and a prefix name.
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
source "$KX_ROOT/scripts/wine-boot.sh"
# Screenshots go under the build's artifacts (gui_setup), or to KX_SHOTS when
# it is set: `make screenshots` points it at docs/screenshots.
SHOTS=""
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
window() { xdotool search --name "^$(printf '%s' "$1" | sed 's/[][\\.*^$?+(){}|]/\\&/g')\$" 2>/dev/null | head -1; }
has_window() { [ -n "$(window "$1")" ]; }
no_window() { [ -z "$(window "$1")" ]; }
# click_at X Y [BUTTON]: the mouse goes there and clicks (1 left, 3 right).
click_at() { xdotool mousemove --sync "$1" "$2" click "${3:-1}"; }
# click_button TITLE LABEL: a left click in the middle of the window's visible
# control of that label, once there is one.
click_button() {
  local x y
  wait_for 10 probe where "$1" "$2" || return 1
  read -r x y < <(probe where "$1" "$2")
  [ -n "$y" ] && click_at "$x" "$y"
}
# click_toolbar COMMAND: a click on the main toolbar's button of that command.
click_toolbar() {
  local x y
  read -r x y < <(probe toolbar "$1")
  [ -n "$y" ] && click_at "$x" "$y"
}
# select_rows KEYWORD...: a click on the first row, Ctrl+click on the others.
select_rows() {
  local x y first=1 kw
  for kw in "$@"; do
    read -r x y < <(probe row "$kw")
    [ -n "$y" ] || return 1
    if [ $first = 1 ]; then click_at "$x" "$y"; first=0
    else xdotool keydown ctrl; click_at "$x" "$y"; xdotool keyup ctrl; fi
  done
}
# The open popup menus (menu bar, context and tray menus), as
# "STATE<TAB>TEXT" lines: state "-" enabled, "g" grayed, with "c" when ticked.
popups() { probe popups; }
popup_has() { popups | grep -qxF -e "$1"; }      # popup_has "STATE<TAB>TEXT"
popup_open() { popups | grep -q .; }
popup_closed() { ! popup_open; }
# click_popup LABEL: a click on the open popup menu's item of that label
# (its text without "&" and key).
click_popup() {
  local x y
  read -r x y < <(probe popupitem "$1")
  [ -n "$y" ] && click_at "$x" "$y"
}
# The tray icon has no window under Xvfb (no notification area), so its
# right click is posted as the shell would post it (WM_RBUTTONUP); the menu
# then opens at the mouse, as at the tray.
open_tray_menu() {
  xdotool mousemove --sync 1200 1000
  probe tray 517 && wait_for 10 popup_has "-	Open Kestrix"
}
# State of the menu bar's item and of the toolbar's button for a command.
menu_state() { probe menu "$1" | cut -f1; }
tb_state() { probe tbstate "$1"; }
# Clicks a dialog's button as a user does once the dialog and the button
# exist, then waits until that dialog is gone, so that the next step cannot
# find it instead of its successor.
answer() { click_button "$1" "$2" && wait_for 10 no_window "$1"; }
list_has() { probe list | grep -q "^$1	$2"; }
list_lacks() { ! probe list | grep -q "^$1	"; }
# shot NAME [TITLE [AREA]]: the whole screen, or only the window of that
# title, or the screen's AREA (WIDTHxHEIGHT+LEFT+TOP). A window is taken
# once it is painted: a new window is black (X's background) until Wine
# draws it, and dialogs are mostly light.
shot() {
  local target=root w crop=() file=$SHOTS/$1.png
  if [ -n "${2:-}" ]; then w=$(window "$2"); [ -n "$w" ] && target=$w; fi
  [ -n "${3:-}" ] && crop=(-crop "$3" +repage)
  mkdir -p "$SHOTS" || return 1
  if [ "$target" = root ]; then import -window root "${crop[@]}" "$file" 2>/dev/null; return; fi
  _shot_painted() {
    import -window "$target" "$file" 2>/dev/null &&
      [ "$(convert "$file" -colorspace Gray -format '%[fx:mean>0.5]' info: 2>/dev/null)" = 1 ]
  }
  wait_for 5 _shot_painted
}
centred() {  # the window's middle within 2 pixels of the work area's
  local l t r b L T R B
  read -r l t r b < <(probe rect "$1"); read -r L T R B < <(probe workarea)
  [ -n "$l" ] && [ $(( (l + r - L - R) / 2 )) -ge -2 ] && [ $(( (l + r - L - R) / 2 )) -le 2 ] &&
    [ $(( (t + b - T - B) / 2 )) -ge -2 ] && [ $(( (t + b - T - B) / 2 )) -le 2 ]
}
active() { probe foreground | cut -f1 | grep -qxF "$1"; }
says() { local want=$1; shift; [ "$("$@")" = "$want" ]; }  # says TEXT COMMAND...
# The dialog is there and has that button, hidden.
hidden_button() { probe shown "$1" "$2"; [ $? -eq 1 ]; }
# The window exists and, once its thread has caught up, is not visible.
hidden_window() { probe visible "$1"; [ $? -eq 1 ]; }
keywords() { probe list | cut -f1 | tr '\n' ' '; }
winpath() { winepath -w "$1" 2>/dev/null </dev/null | tr -d '\r'; }
kxdb() {  # kxdb JSON_TEXT FILE: a shortcut database built by kxtool
  printf '%s' "$1" >"$ART/db.json"
  timeout 30 wine "$BUILD/kxtool.exe" db build "$(winpath "$ART/db.json")" "$(winpath "$2")" >/dev/null 2>&1 </dev/null
}
setting() { wine reg add "HKCU\\Software\\Tarvik Software\\Kestrix\\$1" /v "$2" /t REG_SZ /d "$3" /f >/dev/null 2>&1 </dev/null; }
start_kx() { timeout 300 wine "$APP/kestrix.exe" "$@" >"$ART/kestrix.log" 2>&1 </dev/null & KX_PID=$!; }
kx_running() { kill -0 "$KX_PID" 2>/dev/null; }
kx_ended() { ! kill -0 "$KX_PID" 2>/dev/null; }
# take_focus TITLE: the keyboard to that window. There is no window manager
# on the virtual display, and Wine leaves the X keyboard focus of a window it
# activates to the manager; while the focus stays on another program's X
# window, keys typed there reach nobody. So the test does the manager's part.
# The program whose window loses the X focus makes the desktop the
# foreground if that window still is: when it gets there after the new
# window became the foreground, the desktop keeps it, and the X focus, set
# already, moves no more. Then a click on the title bar brings the window to
# the front, as a user would. The focus counts once it has stayed.
take_focus() {
  local w try l t r b; w=$(window "$1")
  for try in 1 2 3; do
    xdotool windowraise "$w" 2>/dev/null; xdotool windowfocus --sync "$w" 2>/dev/null
    kept_focus "$1" && return 0
    read -r l t r b < <(probe rect "$1")
    [ -n "$b" ] && click_at $(((l + r) / 2)) $((t + 10))
    kept_focus "$1" && return 0
  done
  return 1
}
kept_focus() { wait_for 2 active "$1" && sleep 0.5 && active "$1"; }
# retype TITLE TEXT [DELAY_MS]: the window takes the keyboard, its text is
# selected and erased, and TEXT is typed, a key each DELAY_MS (80).
retype() { take_focus "$1"; xdotool key ctrl+a BackSpace; sleep 0.3; xdotool type --delay "${3:-80}" "$2"; }
# press TITLE KEY...: the window comes to the top and a click on its
# caption makes it the active window, as for a user; then the keys.
press() {
  local l t r b
  read -r l t r b < <(probe rect "$1")
  xdotool windowraise "$(window "$1")" 2>/dev/null; sleep 0.2
  [ -n "$b" ] && xdotool mousemove $(( l + (r - l) / 3 )) $(( t + 10 )) click 1
  wait_for 5 active "$1"; shift; xdotool key --delay 80 "$@"
}


# gui_setup FIRST LAST NAME: a display numbered FIRST to LAST of its own and
# the prefix $BUILD/NAME-wineprefix, booted once, with a fresh registry and
# data folder for the program. Artifacts go to $BUILD/NAME-artifacts.
gui_setup() {
  local first=$1 last=$2 name=$3 n
  export WINEPREFIX=${WINEPREFIX:-$BUILD/$name-wineprefix}
  ART=$BUILD/$name-artifacts
  SHOTS=${KX_SHOTS:-$ART/screenshots}
  mkdir -p "$ART" "$SHOTS"
  for n in $(seq "$first" "$last"); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >"$ART/xvfb.log" 2>&1 </dev/null & XVFB_PID=$!
    export DISPLAY=":$n"; break
  done
  wait_for 10 xdpyinfo || { echo "no display"; exit 1; }
  kx_wine_boot "$ART/wineboot.log"
  # Caption buttons are drawn with Marlett, which this Wine does not find in
  # fonts-wine's folder by itself.
  if [ -f /usr/share/wine/fonts/marlett.ttf ] && [ -d "$WINEPREFIX/drive_c/windows/Fonts" ]; then
    cp -n /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
  fi
  # Xvfb has no window manager. For the windows it manages, Wine's X11 driver
  # waits up to 2 s for one to confirm each hide, so every closed dialog, the
  # hidden main window and the tray icon's removal (Wine's tray window hides)
  # would each stall the program 2 s. Unmanaged windows hide at once.
  # Without a window manager nobody sends WM_TAKE_FOCUS either: Wine then
  # activates a window when it receives the X focus (xdotool windowfocus).
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1 </dev/null
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v UseTakeFocus /t REG_SZ /d N /f >/dev/null 2>&1 </dev/null
  wine reg delete 'HKCU\Software\Tarvik Software' /f >/dev/null 2>&1 </dev/null
  DATA="$WINEPREFIX/drive_c/users/$(whoami)/AppData/Roaming/Tarvik Software/Kestrix"
  rm -rf "$DATA"
  wineserver -p >"$ART/wineserver.log" 2>&1 </dev/null &
}
