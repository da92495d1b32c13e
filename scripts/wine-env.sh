# Sourced by the scripts that run Windows programs: one Wine prefix of the
# project's own under build/, never waiting for a person.
KX_ROOT=${KX_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
export WINEPREFIX=${WINEPREFIX:-$KX_ROOT/build/wineprefix}
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64
source "$KX_ROOT/scripts/wine-boot.sh"

# Boots the prefix once and keeps one wineserver for the whole run, so each
# Wine process starts in a fraction of a second. Wine's background services
# get no terminal and write to a log, never to our caller's pipes.
kx_wine_start() {
  mkdir -p "$KX_ROOT/build"
  local log="$KX_ROOT/build/wine.log"
  kx_wine_boot "$log"
  wineserver -p >>"$log" 2>&1 </dev/null &
  disown || true
  wine cmd /c exit >>"$log" 2>&1 </dev/null || true
}

kx_wine_stop() {
  wineserver -k >/dev/null 2>&1 </dev/null || true
}

# Starts Xvfb on a free display numbered FIRST to LAST (default 91-140),
# logging to LOG; sets DISPLAY and KX_XVFB_PID. Test suites that run side by
# side each take a range of their own.
kx_xvfb_start() {
  local first=${1:-91} last=${2:-140} xlog=${3:-$KX_ROOT/build/xvfb.log} n
  mkdir -p "$(dirname "$xlog")"
  for n in $(seq "$first" "$last"); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >"$xlog" 2>&1 </dev/null &
    KX_XVFB_PID=$!
    export DISPLAY=":$n"
    for _ in $(seq 1 50); do
      xdpyinfo >/dev/null 2>&1 && return 0
      sleep 0.1
    done
    kill "$KX_XVFB_PID" 2>/dev/null || true
    KX_XVFB_PID=""
  done
  echo "Could not start Xvfb on a display from $first to $last" >&2
  return 1
}

# kx_give_keyboard ID: the keyboard to that X window of a Windows program,
# as a user gives it: the window comes to the top and a click on its caption
# makes its program activate it, after which Wine gives it the X focus.
# xdotool windowfocus alone moves the X focus first and leaves the programs
# to settle which window is active: the one losing the X focus can make the
# desktop active last, and the keys then reach no window (see take_focus in
# tests/gui/gui_lib.sh). Succeeds once the window holds the X focus; a
# windowfocus follows the click only where Wine's own focus request was
# refused. Clicks stay more than a double-click time apart.
# A search by title can find the X window of the client area, inside the
# frame: the click goes to the caption of the top-level X window around it.
kx_give_keyboard() {
  local id top width _
  top=$(kx_x_toplevel "$1") || return 1; id=$((top))
  width=$(xdotool getwindowgeometry "$id" 2>/dev/null | sed -n 's/.*Geometry: \([0-9]*\)x.*/\1/p')
  [ -n "$width" ] || return 1
  # Wine draws the caption only of the windows it shows unmanaged
  # (override-redirect; the GUI suites' prefixes). A managed window's frame
  # is left to a window manager, and there is none: 10 pixels from its top is
  # its client area, where a click would move the caret. Those keep to
  # windowfocus.
  if ! xwininfo -id "$id" 2>/dev/null | grep -q 'Override Redirect State: yes'; then
    timeout 10 xdotool windowfocus --sync "$id" && sleep 0.2; return
  fi
  sleep 0.6
  xdotool windowraise "$id" 2>/dev/null
  xdotool mousemove --sync --window "$id" $((width / 3)) 10 click 1 || return 1
  for _ in $(seq 1 50); do
    [ "$(xdotool getwindowfocus -f 2>/dev/null)" = "$id" ] && return 0
    sleep 0.2
  done
  xdotool windowfocus --sync "$id" 2>/dev/null
}
# kx_x_toplevel ID: the X window that holds ID and is a child of the root.
kx_x_toplevel() {
  local w=$1 line n
  for n in 1 2 3 4 5 6; do
    line=$(xwininfo -tree -id "$w" 2>/dev/null | grep 'Parent window id:') || return 1
    case $line in *"(the root window)"*) echo "$w"; return 0 ;; esac
    w=$(printf '%s' "$line" | sed -n 's/.*Parent window id: \(0x[0-9a-fA-F]*\).*/\1/p')
  done
  return 1
}

kx_xvfb_stop() {
  [ -n "${KX_XVFB_PID:-}" ] && kill "$KX_XVFB_PID" 2>/dev/null || true
  KX_XVFB_PID=""
}
