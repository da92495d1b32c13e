#!/usr/bin/env bash
# Builds kestrix.exe and starts it under Wine with a demo shortcut database,
# then opens Wine's notepad: type "sig " there and watch it expand.
# Uses $DISPLAY when there is one; otherwise starts a virtual display and
# says how to look at it. Stays in the foreground until Kestrix ends.
#   KX_RUN_BUILD=DIR   build tree to use (default build/win64, the tree the
#                      test run builds the Windows programs in, configured the
#                      same way, so that make run and make test compile once)
#   KX_RUN_DISPLAYS="FIRST LAST"   virtual display numbers to try (default "170 179")
# Prints one line per step, and the build's progress.
set -euo pipefail
KX_ROOT=$(cd "$(dirname "$0")/.." && pwd)
cd "$KX_ROOT"
BUILD=${KX_RUN_BUILD:-$KX_ROOT/build/win64}
export WINEPREFIX=${WINEPREFIX:-$KX_ROOT/build/run-wineprefix}
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
mkdir -p build
LOGS=$KX_ROOT/build
step() { echo "==> $*"; }

# progress LOG: keeps the build's output in LOG and prints its own progress
# ("[ 42%]" from Makefiles, "[12/80]" from Ninja) every tenth of the way.
progress() {
  local line pct next=0 work=0
  : >"$1"
  while IFS= read -r line; do
    printf '%s\n' "$line" >>"$1"
    case $line in *" Building "* | *" Linking "*) work=1 ;; esac
    if [[ $line =~ ^\[\ *([0-9]+)%\] ]]; then pct=${BASH_REMATCH[1]}
    elif [[ $line =~ ^\[([0-9]+)/([0-9]+)\] ]]; then pct=$((100 * BASH_REMATCH[1] / BASH_REMATCH[2]))
    else continue; fi
    if [ $work = 1 ] && [ "$pct" -ge $next ]; then
      printf '    %3d%%\n' "$pct"
      next=$(((pct / 10 + 1) * 10))
    fi
  done
  [ $work = 1 ] || echo "    already up to date"
}

step "Checking the packages Kestrix needs (missing ones are installed with apt-get, which takes a few minutes)"
bash scripts/install-deps.sh
if [ ! -f "$BUILD/CMakeCache.txt" ]; then
  step "Configuring the Windows build in ${BUILD#"$KX_ROOT"/}"
  cmake -S . -B "$BUILD" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    >"$LOGS/run-app-configure.log" 2>&1 || { tail -30 "$LOGS/run-app-configure.log"; exit 1; }
  step "Building kestrix.exe (the first build takes several minutes; the compiler's output goes to build/run-app-build.log)"
else
  step "Building what changed in kestrix.exe (the compiler's output goes to build/run-app-build.log)"
fi
cmake --build "$BUILD" -j2 --target kestrix 2>&1 | progress "$LOGS/run-app-build.log" ||
  { tail -40 "$LOGS/run-app-build.log"; exit 1; }
step "Building kxtool.exe, which writes the demo shortcuts (output in build/run-app-kxtool.log)"
cmake --build "$BUILD" -j2 --target kxtool 2>&1 | progress "$LOGS/run-app-kxtool.log" ||
  { tail -40 "$LOGS/run-app-kxtool.log"; exit 1; }

XVFB_PID=""
cleanup() {
  wineserver -k >/dev/null 2>&1 </dev/null || true
  [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null || true
}
trap cleanup EXIT

if [ -z "${DISPLAY:-}" ]; then
  read -r first last <<<"${KX_RUN_DISPLAYS:-170 179}"
  for n in $(seq "$first" "$last"); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >build/run-app-xvfb.log 2>&1 </dev/null &
    XVFB_PID=$!
    export DISPLAY=":$n"
    break
  done
  [ -n "$XVFB_PID" ] || { echo "No free display in :$first-:$last" >&2; exit 1; }
  step "Starting the virtual display $DISPLAY (no DISPLAY was set)"
  for _ in $(seq 1 300); do
    xdpyinfo >/dev/null 2>&1 && break
    kill -0 "$XVFB_PID" 2>/dev/null || break
    sleep 0.1
  done
  xdpyinfo >/dev/null 2>&1 || { echo "The virtual display did not start; see build/run-app-xvfb.log" >&2; exit 1; }
  echo "No display was set: Kestrix runs on the virtual display $DISPLAY."
  echo "To see it:  DISPLAY=$DISPLAY import -window root /tmp/kestrix.png   (then open the PNG)"
  echo "To type:    DISPLAY=$DISPLAY xdotool type 'sig '   (notepad has the keyboard focus)"
fi

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  step "Preparing Wine in ${WINEPREFIX#"$KX_ROOT"/} (the first time only; about a minute)"
  wineboot -i >build/run-app-wineboot.log 2>&1 </dev/null || true
  wineserver -w >/dev/null 2>&1 </dev/null || true
  wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1 </dev/null || true
fi
# Caption buttons are drawn with Marlett, which this Wine does not find in
# fonts-wine's folder by itself.
if [ -f /usr/share/wine/fonts/marlett.ttf ] && [ -d "$WINEPREFIX/drive_c/windows/Fonts" ]; then
  cp -n /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
fi
# A virtual display has no window manager, and Wine would wait 2 s for one
# at every window it hides and activate no window on a focus change: let
# Wine place its windows itself and activate what gets the X focus.
for value in Managed UseTakeFocus; do
  if [ -n "$XVFB_PID" ]; then
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v $value /t REG_SZ /d N /f >/dev/null 2>&1 </dev/null || true
  else
    wine reg delete 'HKCU\Software\Wine\X11 Driver' /v $value /f >/dev/null 2>&1 </dev/null || true
  fi
done

# The demo database in the user's data folder, unless one is there already.
appdata=$(wine cmd /c 'echo %APPDATA%' 2>/dev/null </dev/null | tr -d '\r')
data=$(winepath -u "$appdata" 2>/dev/null)/Tarvik\ Software/Kestrix
mkdir -p "$data/local"
if [ ! -f "$data/local/abbrev.dat" ]; then
  step "Writing the demo shortcuts SIG, ADDR, BRB and TY"
  wine "$BUILD/kxtool.exe" db build "$(winepath -w app/res/demo_shortcuts.json 2>/dev/null)" \
    "$(winepath -w "$data/local/abbrev.dat" 2>/dev/null)" >"$LOGS/run-app-demo.log" 2>&1 </dev/null ||
    { cat "$LOGS/run-app-demo.log" >&2; exit 1; }
fi

step "Starting kestrix.exe, then Wine's notepad"
wine "$BUILD/app/kestrix.exe" >build/run-app-kestrix.log 2>&1 </dev/null &
KX_PID=$!
# Notepad once the engine is up (it starts a second after the window).
for _ in $(seq 1 100); do
  xdotool search --name '^Kestrix Text Expander Software$' >/dev/null 2>&1 && break
  kill -0 "$KX_PID" 2>/dev/null || { echo "Kestrix ended at once; see build/run-app-kestrix.log" >&2; exit 1; }
  sleep 0.1
done
sleep 2
wine notepad >/dev/null 2>&1 </dev/null &
for _ in $(seq 1 100); do
  w=$(xdotool search --name '^Untitled - Notepad$' 2>/dev/null | head -1) && [ -n "$w" ] && break
  sleep 0.1
done
[ -n "${w:-}" ] && xdotool windowfocus --sync "$w" >/dev/null 2>&1 || true
echo "Kestrix is running with Wine's notepad beside it: type \"sig \" in notepad."
echo "This command stays here until Kestrix ends. To end it: its tray menu (Exit (Turn Off), then Stop),"
echo "  or WINEPREFIX=$WINEPREFIX wine $BUILD/app/kestrix.exe -exit, or Ctrl+C here."
wait "$KX_PID" || true
echo "Kestrix has ended."
