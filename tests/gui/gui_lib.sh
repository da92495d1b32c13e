# The one harness of the suites that drive Windows programs under Wine on a
# virtual display: the display and the Wine prefix, kestrix.exe's start and
# stop, the registry, notepad, kx_target, the test host and the probes.
# A suite sources it (with WINEPREFIX set for a prefix of its choosing) and
# calls gui_suite with a display range, a prefix name and its build folder,
# and ends with finish. The typing suites set BUILD and APP, then call
# start_display and start_wine.
KX_ROOT=${KX_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)}
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
# wine-env.sh names a default prefix; the GUI suites pick their own in
# gui_setup, so a prefix the caller has not set stays unset.
_kx_caller_prefix=${WINEPREFIX-}
source "$KX_ROOT/scripts/wine-env.sh"
[ -n "$_kx_caller_prefix" ] || unset WINEPREFIX
# Screenshots go under the build's artifacts (gui_setup), or to KX_SHOTS when
# it is set: `make screenshots` points it at docs/screenshots.
SHOTS=""
passed=0; failed=0; XVFB_PID=""; KX_PID=""; HOST_PID=""; PIDS=()
WAIT_S=10          # the usual limit of a single wait
# KX_CALLERS_WINE=1: the prefix's wineserver is the caller's, who ends it.
KX_CALLERS_WINE=${KX_CALLERS_WINE:-}

# Ends every program the suite started, then the prefix's processes and the
# display, and waits until they are gone: the next suite starts on an idle
# machine. A suite with more to undo defines suite_cleanup.
cleanup() {
  # Bash 5.2 runs the EXIT trap in a subshell that ends on an error, such as
  # an unset variable under `set -u` in a pipeline's command: that must not
  # end the suite's programs and display halfway through it.
  [ "$BASHPID" = "$$" ] || return 0
  rm -f "${TMPDIR:-/tmp}/kx-last-click.$$"
  local p
  for p in $KX_PID $HOST_PID "${PIDS[@]}"; do kill "$p" 2>/dev/null; done
  declare -F suite_cleanup >/dev/null && suite_cleanup
  if [ -n "${WINEPREFIX:-}" ] && [ -z "$KX_CALLERS_WINE" ]; then
    wineserver -k >/dev/null 2>&1 </dev/null
    timeout 30 wineserver -w >/dev/null 2>&1 </dev/null
  fi
  [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null && wait "$XVFB_PID" 2>/dev/null
  XVFB_PID=""
}
trap cleanup EXIT

# finish: the tally the test run counts, and the suite's exit status.
finish() { echo "$passed passed, $failed failed"; [ "$failed" -eq 0 ]; }
# check NAME COMMAND...: a failure keeps a screenshot of that moment in
# $SHOTS (failed-N.png), when the suite has one.
check() {
  local name=$1; shift
  if "$@"; then passed=$((passed + 1)); echo "ok   $name"; return; fi
  failed=$((failed + 1)); echo "FAIL $name"
  [ -n "$SHOTS" ] && import -window root "$SHOTS/failed-$failed.png" >/dev/null 2>&1
  return 1
}
# expect NAME COMMAND...: check as the typing suites count, on the error
# output; a failure keeps a screenshot and the tail of the hook link's record.
log() { printf '%s\n' "$*" >&2; }
expect() {
  check "$@" >&2 && return
  import -window root "$ART/$1.png" >/dev/null 2>&1
  [ -f "$WORK/probe.txt" ] && tail -30 "$WORK/probe.txt" >&2
  return 0
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
# mouse_to X Y: the pointer goes there, and is there when this returns.
# Under Wine, `xdotool mousemove --sync` to the place where the pointer
# already is waits for a motion that never comes, until xdotool gives up
# after 15 s; so the move is made only when the pointer is elsewhere.
mouse_to() {
  local here
  here=$(xdotool getmouselocation 2>/dev/null | sed -E 's/^x:([0-9]+) y:([0-9]+).*/\1 \2/')
  [ "$here" = "$1 $2" ] || xdotool mousemove --sync "$1" "$2"
}
# click_at X Y [BUTTON]: the mouse goes there and clicks (1 left, 3 right).
# Two clicks within the double-click time (GetDoubleClickTime, 500 ms unless
# the user changed it) make a double click, as a list row's second click
# opens its editor: a click of its own comes at least 600 ms after the last.
click_at() {
  local stamp="${TMPDIR:-/tmp}/kx-last-click.$$" now last
  mouse_to "$1" "$2" || return 1
  now=$(date +%s%3N)
  if read -r last 2>/dev/null < "$stamp" && [ $((now - last)) -lt 600 ]; then
    sleep "$(printf '0.%03d' $((600 - (now - last))))"
  fi
  xdotool click "${3:-1}"
  date +%s%3N > "$stamp"
}
# click_button TITLE LABEL: a left click in the middle of the window's visible
# control of that label, once there is one.
click_button() {
  local x y
  wait_for 10 probe where "$1" "$2" || return 1
  read -r x y < <(probe where "$1" "$2")
  [ -n "$y" ] && click_at "$x" "$y"
}
# click_id TITLE ID: a left click in the middle of the window's control of
# that ID, once there is one.
click_id() {
  local x y
  wait_for 10 probe whereid "$1" "$2" || return 1
  read -r x y < <(probe whereid "$1" "$2")
  [ -n "$y" ] && click_at "$x" "$y"
}
# tip_says TEXT: a balloon or tooltip on screen says exactly TEXT.
tip_says() { probe tips | grep -qxF -e "$1"; }
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
# Kestrix makes its main window the foreground window for the menu, as
# TrackPopupMenu requires, but Wine's request for the X focus that goes with
# it can be refused (its time stamp is older than the last focus change):
# the X focus then stays with the program in front before, whose keys do not
# reach the menu. A failure says where the focus was.
open_tray_menu() {
  mouse_to 1200 1000
  probe tray 517 && wait_for 10 popup_has "-	Open Kestrix" && return 0
  echo "     no tray menu: $(where_focus), open popups '$(popups | tr '\t\n' ' |')'"; return 1
}
# file_menu ITEM: File opened with Alt+F, then a click on its item.
file_menu() { press "$MAIN" alt+f && wait_for 5 popup_open && click_popup "$1"; }
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
# told WANT TEXT: after a wait for WANT ran out, says what stood there instead.
told() { echo "     expected '$1', found '$(printf '%s' "$2" | tr '\n' '|')'"; return 1; }
# The window exists and, once its thread has caught up, is not visible.
hidden_window() { probe visible "$1"; [ $? -eq 1 ]; }
keywords() { probe list | cut -f1 | tr '\n' ' '; }
# The Auto Complete window: the text of its row of that ID (9101 the first),
# and whether it is on screen.
AC="Auto Complete"
ac_row() { probe item "$AC" "$1"; }
ac_shown() { probe visible "$AC"; }
ac_hidden() { probe visible "$AC"; [ $? -eq 1 ]; }
# offers PATTERN: the window comes up and its first row matches PATTERN (a
# shell pattern) once the dictionary's search and the window's timer have run.
offers() {
  local want=$1
  wait_for 10 ac_shown && wait_for 5 eval '[[ "$(ac_row 9101)" == $want ]]' ||
    { echo "     window shown: $(ac_shown && echo yes || echo no), first row '$(ac_row 9101)'"; return 1; }
}
# winpath PATH: the Windows name of a Linux path, as Wine's own drive
# mapping gives it: C: is the prefix's drive_c and Z: the root. Worked out
# here, not by asking winepath, which is a Wine program: run while the
# prefix's other programs start it came back empty, and notepad was given
# no file at all.
winpath() {
  local p prefix
  p=$(realpath -m -- "$1")
  prefix=$(realpath -m -- "${WINEPREFIX:-$HOME/.wine}")/drive_c
  case $p in
    "$prefix") p='C:/' ;;
    "$prefix"/*) p="C:${p#"$prefix"}" ;;
    *) p="Z:$p" ;;
  esac
  printf '%s' "${p//\//\\}"
}
kxdb() {  # kxdb JSON_TEXT FILE: a shortcut database built by kxtool
  printf '%s' "$1" >"$ART/db.json"
  timeout 60 wine "$BUILD/kxtool.exe" db build "$(winpath "$ART/db.json")" "$(winpath "$2")" >/dev/null 2>&1 </dev/null
}
# The program's settings: `setting KEY NAME VALUE` writes one, as text, and
# `reg_value KEY NAME` reads one (nothing when it is absent). KEY is under
# the program's own key, or a whole key when it starts with HK.
KX_KEY='HKCU\Software\Tarvik Software\Kestrix'
SETTINGS="$KX_KEY\\Settings"
_reg_key() { case $1 in HK*) printf '%s' "$1" ;; *) printf '%s\\%s' "$KX_KEY" "$1" ;; esac; }
# sig_user: a user past the welcome (shown below 5 runs) whose Default
# group holds the signature that expands checks.
sig_user() {
  mkdir -p "$DATA/local" && setting Settings Runs 9 &&
    kxdb '{"records":[{"keyword":"SIG","kind":0,"plainText":"Best regards, Kim"}]}' "$DATA/local/abbrev.dat"
}
# db_dump FILE: a shortcut database as kxtool dumps it, in JSON.
db_dump() { timeout 30 wine "$BUILD/kxtool.exe" db dump "$(winpath "$1")" 2>/dev/null </dev/null | tr -d '\r'; }
unset_setting() { wine reg delete "$(_reg_key "$1")" /v "$2" /f >/dev/null 2>&1 </dev/null; }
setting() { wine reg add "$(_reg_key "$1")" /v "$2" /t REG_SZ /d "$3" /f >/dev/null 2>&1 </dev/null; }
reg_value() {
  wine reg query "$(_reg_key "$1")" /v "$2" 2>/dev/null </dev/null | tr -d '\r' | sed -n "s/^ *$2 *REG_[A-Z_]* *//Ip"
}
# The programs a suite starts live until it ends them. Their time limit only
# ends them should the suite be killed before its cleanup: a limit shorter
# than a slow machine's run of the suite would end them halfway through it.
KX_LIFETIME=3600
start_kx() { timeout "$KX_LIFETIME" wine "$APP/kestrix.exe" "$@" >"$ART/kestrix.log" 2>&1 </dev/null & KX_PID=$!; }
kx_running() { kill -0 "$KX_PID" 2>/dev/null; }
kx_ended() { ! kill -0 "${1:-$KX_PID}" 2>/dev/null; }  # kx_ended [PID]
# forward ARG...: a second start, which hands its arguments to the running copy.
forward() { timeout 30 wine "$APP/kestrix.exe" "$@" >/dev/null 2>&1 </dev/null; }
# stop_kx: the program ends on -exit.
stop_kx() { forward -exit; wait_for 60 kx_ended; }
# hook_loaded [FOLDER]: the program start_kx started (or, given FOLDER, any
# program) has loaded the hook module of $APP (of FOLDER). Timer 1, a second
# after the start, loads it and sets the hooks on its thread, within
# milliseconds of the load. Its hooks are low-level ones, which Windows
# never loads into other programs.
hook_loaded() {
  local maps=/proc/[0-9]*/maps
  [ -n "${1:-}" ] || maps=/proc/$(pgrep -P "${KX_PID:-0}" | head -1)/maps
  grep -qsF "$(realpath -m "${1:-$APP}/kxhook.dll")" $maps && sleep 0.3
}
# main_up: the main window is up and the hook runs.
main_up() { wait_for 60 has_window "$MAIN" && wait_for 30 eval 'probe visible "$MAIN"' && wait_for 10 hook_loaded; }
# A key typed with xdotool travels twice: the X server hands it to the
# program whose window holds the X input focus, and Wine hands it on to the
# focused control of the active window, wherever that is. With no window
# manager on the virtual display, two programs set these two:
# - a click on a window makes its program activate it, and Wine then gives
#   that window the X focus itself. The program losing the X focus sees that
#   its window is no longer active and leaves things as they are.
# - `xdotool windowfocus` moves the X focus first, and each program learns
#   of it in its own time: the window's program activates it, while the
#   program losing the X focus makes the desktop the active window if its
#   own window still is. When that program comes last, the desktop stays
#   active with the X focus on the wanted window, and no later windowfocus
#   changes anything, as the X focus is there already: every key then goes
#   to the desktop, until something else activates a window.
# So take_focus clicks the caption, and uses windowfocus only once the window
# is active (when the X server refused Wine's own focus request), where it
# cannot race. A window counts as holding the keyboard when it is active and
# holds the X focus, and still does half a second later.

# where_focus: where the keyboard is, for a failure message.
where_focus() {
  local x; x=$(xdotool getwindowfocus 2>/dev/null)
  printf "active window '%s', X focus on %s '%s'" "$(probe foreground | tr '\t' ' ')" "${x:-none}" \
    "$(xdotool getwindowname "$x" 2>/dev/null)"
}
holds_keys() { active "$1" && [ "$(xdotool getwindowfocus 2>/dev/null)" = "$(window "$1")" ]; }
kept_keys() { wait_for 2 holds_keys "$1" && sleep 0.5 && holds_keys "$1"; }
# take_focus TITLE: the keyboard to that window, as a user gives it: the
# window comes to the top and a click on its caption activates it.
# A click is never lost: a busy program activates its window once it reads
# the click, so the wait for that is long.
take_focus() {
  local w l t r b try
  for try in 1 2 3; do
    w=$(window "$1"); read -r l t r b < <(probe rect "$1")
    if [ -n "$w" ] && [ -n "$b" ]; then
      xdotool windowraise "$w" 2>/dev/null
      click_at $(( l + (r - l) / 3 )) $(( t + 10 ))
      if wait_for 10 active "$1"; then
        holds_keys "$1" || xdotool windowfocus --sync "$w" 2>/dev/null
        kept_keys "$1" && return 0
      fi
    else sleep 1; fi
  done
  echo "     $1 did not take the keyboard: $(where_focus)"; return 1
}
# typing_reaches TITLE: a key typed now arrives in the window's focused
# control: a probe letter is typed, read back from the control, and erased.
typing_reaches() {
  local before with
  before=$(probe focustext)
  xdotool type x
  if wait_for 5 _typed_into "$1" "$before"; then
    with=$(probe focustext); xdotool key BackSpace
    wait_for 5 _typed_into "$1" "$with" && return 0
  fi
  echo "     a key typed into $1 did not arrive: $(where_focus)"; return 1
}
_typed_into() { active "$1" && [ "$(probe focustext)" != "$2" ]; }
# retype TITLE TEXT [DELAY_MS]: the window takes the keyboard, its text is
# selected and erased, and TEXT is typed, a key each DELAY_MS (80).
retype() {
  take_focus "$1" && typing_reaches "$1" || return 1
  xdotool key ctrl+a BackSpace
  wait_for 5 says "" probe focustext || { echo "     $1 still holds '$(probe focustext)'"; return 1; }
  xdotool type --delay "${3:-80}" "$2"
}
# press TITLE KEY...: the window takes the keyboard, then the keys.
press() { local title=$1; shift; take_focus "$title" && xdotool key --delay 80 "$@"; }
# close_window TITLE: closed as a user closes it, with Alt+F4. Destroying its
# X window (xdotool windowclose) would leave Windows a window that shows
# nowhere yet stays visible, active and in the stacking order.
close_window() { press "$1" alt+F4 && wait_for 10 no_window "$1"; }
# notepad_at X Y WIDTH HEIGHT: where the next Notepad opens; it reads its
# place from its registry key. Windows are placed through Windows, never
# with xdotool windowmove or windowsize: Wine does not learn of a move of a
# window it shows without a window manager, and clicks aimed from the
# window's rectangle would land where Windows believes it is.
notepad_at() {
  printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Microsoft\\Notepad]\r\n"iWindowPosX"=dword:%08x\r\n"iWindowPosY"=dword:%08x\r\n"iWindowPosDX"=dword:%08x\r\n"iWindowPosDY"=dword:%08x\r\n' \
    "$@" >"$ART/notepad-place.reg"
  wine regedit /S "$(winpath "$ART/notepad-place.reg")" >/dev/null 2>&1 </dev/null
}
MAIN="Kestrix Text Expander Software"
NOTEPAD="Untitled - Notepad"
# start_notepad [X Y WIDTH HEIGHT]: an untitled Notepad, placed there.
start_notepad() {
  [ $# = 4 ] && notepad_at "$@"
  timeout "$KX_LIFETIME" wine notepad >/dev/null 2>&1 </dev/null &
  wait_for 20 has_window "$NOTEPAD"
}
notepad_text() { probe text "$NOTEPAD"; }
notepad_is() { [ "$(notepad_text)" = "$1" ]; }
# focus_notepad [X Y]: notepad takes the keyboard by a click on its caption;
# or, given X Y, by a click that far into its page, as a user gives a window
# back the focus that another took (without a window manager Wine gives it
# back only so).
focus_notepad() {
  [ $# = 2 ] || { take_focus "$NOTEPAD"; return; }
  local l t r b
  read -r l t r b < <(probe rect "$NOTEPAD")
  [ -n "${b:-}" ] && click_at $((l + $1)) $((t + $2)) && wait_for 5 active "$NOTEPAD"
}
# type_in_notepad TEXT [DELAY_MS]: TEXT typed into notepad's emptied page.
type_in_notepad() { retype "$NOTEPAD" "$1" "${2:-80}"; }
# expands: "sig " typed into notepad's emptied page becomes the signature.
expands() { type_in_notepad "sig "; wait_for 10 eval 'notepad_text | grep -q "Best regards, Kim"'; }
# type_into WINDOW TEXT [DELAY_MS]: WINDOW (an X window id, or a title)
# takes the keyboard, then TEXT is typed, a key each DELAY_MS (50).
type_into() {
  local delay=${3:-50}
  case $1 in
    ''|*[!0-9]*) take_focus "$1" ;;
    *) kx_give_keyboard "$1" ;;
  esac || return 1
  timeout $(( ${#2} * delay / 1000 + WAIT_S )) xdotool type --delay "$delay" "$2"
}
# The fields of a phrase's record in acdata.txt, after the phrase (accepted,
# lastSeen, impressions, typedCount, suggestable, firstSeen, confidence).
record() { tr -d '\r' <"$DATA/acdata.txt" | awk -F'\t' -v p="$1" '$1 == p { $1 = ""; print substr($0, 2) }' OFS='\t'; }
# clip_probe ARG...: kx_clip_probe, which puts and reads the clipboard.
clip_probe() { timeout 30 wine "$BUILD/tests/e2e/kx_clip_probe.exe" "$@" 2>>"$ART/clip-probe.log" </dev/null; }


# gui_suite FIRST LAST NAME [BUILD_DIR]: the Windows build (build/win64 by
# default), then gui_setup.
gui_suite() {
  BUILD=$(cd "${4:-$KX_ROOT/build/win64}" && pwd) || exit 1
  APP=$BUILD/app E2E=$BUILD/tests/e2e
  gui_setup "$1" "$2" "$3"
}
# gui_setup FIRST LAST NAME: a display numbered FIRST to LAST of its own and
# the prefix $BUILD/NAME-wineprefix, booted once, with a fresh registry and
# data folder for the program. Artifacts go to $BUILD/NAME-artifacts.
gui_setup() {
  local first=$1 last=$2 name=$3
  export WINEPREFIX=${WINEPREFIX:-$BUILD/$name-wineprefix}
  ART=$BUILD/$name-artifacts
  WORK=$ART          # kx_target's text, unless the suite says otherwise
  SHOTS=${KX_SHOTS:-$ART/screenshots}
  mkdir -p "$ART" "$SHOTS"
  start_display "$first" "$last"
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
  # Each Wine process reads these once, as it starts, and the first command
  # above started the desktop's process before they were written. Ended now,
  # the desktop starts again with them, as in a prefix used before: its tray
  # window is unmanaged like every other window.
  wineserver -k >/dev/null 2>&1 </dev/null; timeout 30 wineserver -w >/dev/null 2>&1 </dev/null
  wine reg delete 'HKCU\Software\Tarvik Software' /f >/dev/null 2>&1 </dev/null
  DATA="$WINEPREFIX/drive_c/users/$(whoami)/AppData/Roaming/Tarvik Software/Kestrix"
  rm -rf "$DATA"
  wineserver -p >"$ART/wineserver.log" 2>&1 </dev/null &
}

# start_display [FIRST LAST]: a display of the suite's own, numbered FIRST
# to LAST; by default from KX_E2E_DISPLAYS ("FIRST LAST"), or 160 to 169.
start_display() {
  local range=(${KX_E2E_DISPLAYS:-160 169})
  [ $# = 2 ] && range=("$1" "$2")
  kx_xvfb_start "${range[@]}" "$ART/xvfb.log" || { echo "no display"; echo "0 passed, 1 failed"; exit 1; }
  XVFB_PID=$KX_XVFB_PID
}

# ---------------------------------------------------------------- typing suites
# The typing suites keep the windows managed, as a Wine prefix has them, and
# give the keyboard with kx_give_keyboard; they work in $WORK and keep their
# artifacts in $ART.

# start_wine: the prefix, booted once, with a wineserver for the suite.
start_wine() {
  kx_wine_boot "$ART/wineboot.log"
  wineserver -p >>"$ART/wineserver.log" 2>&1 </dev/null &   # ends at once if one runs
  PIDS+=($!)
}
# run_bg NAME PROGRAM ARGS...: a Windows program in the background, its
# output in $ART/NAME.log. It lives until cleanup ends it.
run_bg() {
  local name=$1; shift
  timeout "$KX_LIFETIME" wine "$@" >"$ART/$name.log" 2>&1 </dev/null &
  PIDS+=($!)
}
# start_target TITLE [kx_target options]: a kx_target window; prints its X
# window id. Its text is written to $WORK/TITLE.txt.
start_target() {
  local title=$1 id; shift
  run_bg "target-$title" "$BUILD/tests/e2e/kx_target.exe" --title "$title" \
    --text-file "$(winpath "$WORK/$title.txt")" "$@"
  id=$(timeout 20 xdotool search --sync --name "^$title\$" 2>/dev/null | head -1)
  [ -n "$id" ] && echo "$id"
}
# target_text NAME: the text kx_target NAME holds, exactly as it wrote it.
# (The x keeps a trailing line break, which $(...) would strip.)
target_text() { local t; t=$(cat "$WORK/$1.txt" 2>/dev/null; printf x); printf '%s' "${t%x}"; }
text_is() { local t; t=$(target_text "$1"; printf x); [ "${t%x}" = "$2" ]; }
# text_becomes NAME EXPECTED: waits until kx_target NAME holds exactly
# EXPECTED and stays so for half a second (a late paste or key would change
# it). While the text still changes the program is working through what was
# typed, however far behind a busy machine puts it: the wait ends once the
# text has not changed for WAIT_S seconds, or after SETTLE_LIMIT_S in all.
SETTLE_LIMIT_S=120
text_becomes() {
  local title=$1 expected=$2 last now still=$SECONDS end=$((SECONDS + SETTLE_LIMIT_S))
  last=$(target_text "$title"; printf x)
  while [ $SECONDS -lt $end ] && [ $((SECONDS - still)) -lt "$WAIT_S" ]; do
    if text_is "$title" "$expected"; then sleep 0.5; text_is "$title" "$expected"; return; fi
    sleep 0.2
    now=$(target_text "$title"; printf x)
    [ "$now" != "$last" ] && { last=$now; still=$SECONDS; }
  done
  return 1
}
# check_text NAME TARGET EXPECTED: one test on a kx_target's final text.
check_text() {
  local name=$1 title=$2 expected=$3
  if text_becomes "$title" "$expected"; then
    expect "$name" true
  else
    log "  expected: $(printf '%q' "$expected")"
    log "  actual:   $(printf '%q' "$(target_text "$title")")"
    expect "$name" false
  fi
}
# The five shortcuts the typing suites type fast, as database records, and
# fast_text COUNT [FIRST]: in TYPED, COUNT of their keywords in turn (from
# the FIRST), each followed by a filler word, and in EXPECTED what that
# expands to; with DOTS=1 every seventh keyword ends in a full stop.
FAST_RECORDS='{"keyword": "SIG", "kind": 0, "plainText": "Kind regards, Anna Berg"},
  {"keyword": "TY", "kind": 0, "plainText": "thank you for your help"},
  {"keyword": "BRB", "kind": 0, "plainText": "be right back"},
  {"keyword": "OMW", "kind": 0, "plainText": "on my way"},
  {"keyword": "IMO", "kind": 0, "plainText": "in my opinion"}'
fast_text() {
  local keywords=(sig ty brb omw imo) fillers=(a so and x ok) i k f d texts=(
    'Kind regards, Anna Berg' 'thank you for your help' 'be right back' 'on my way' 'in my opinion')
  TYPED='' EXPECTED=''
  for ((i = 0; i < $1; i++)); do
    k=$(( (i + ${2:-0}) % 5 )) f=$(( (i / 5) % 5 )) d=' '
    [ "${DOTS:-}" = 1 ] && [ $((i % 7)) -eq 3 ] && d='.'
    TYPED+="${keywords[$k]}$d${fillers[$f]} " EXPECTED+="${texts[$k]}$d${fillers[$f]} "
  done
}
# make_database JSON: the shortcuts the host expands, $WORK/shortcuts.dat.
make_database() { kxdb "$1" "$WORK/shortcuts.dat"; }
# start_host NAME SECONDS: the engine over the hook module, for SECONDS at
# most, logging to $HOST_LOG; waits for its ready file.
start_host() {
  local name=$1 seconds=$2
  rm -f "$WORK/host.ready" "$WORK/host.stop"
  HOST_LOG=$WORK/host-$name.log
  timeout $((seconds + 60)) wine "$BUILD/tests/e2e/kx_test_host.exe" --db "$(winpath "$WORK/shortcuts.dat")" \
    --ready "$(winpath "$WORK/host.ready")" --log "$(winpath "$HOST_LOG")" \
    --stop-file "$(winpath "$WORK/host.stop")" --seconds "$seconds" >"$ART/host-$name.out" 2>&1 </dev/null &
  HOST_PID=$!
  wait_for "$WAIT_S" grep -qs '^ready' "$WORK/host.ready" || { cat "$WORK/host.ready" >&2 2>/dev/null; return 1; }
}
# stop_host: the host ends on its stop file, and says it ended cleanly.
stop_host() {
  [ -z "$HOST_PID" ] && return 0
  touch "$WORK/host.stop"
  local ok=0
  wait_for "$WAIT_S" grep -q '^end 1' "$HOST_LOG" || ok=1
  wait_for "$WAIT_S" eval '! kill -0 "$HOST_PID" 2>/dev/null' || { kill "$HOST_PID" 2>/dev/null; ok=1; }
  HOST_PID=""
  return $ok
}
# word_notices VALUE: the notices "3 VALUE" the host logged: 11 expanded,
# 12 failed, 13 no shortcut.
word_notices() { grep -c "^notice 3 $1\$" "$HOST_LOG" 2>/dev/null; }
