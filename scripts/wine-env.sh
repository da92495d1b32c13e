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

kx_xvfb_stop() {
  [ -n "${KX_XVFB_PID:-}" ] && kill "$KX_XVFB_PID" 2>/dev/null || true
  KX_XVFB_PID=""
}
