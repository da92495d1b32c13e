#!/usr/bin/env bash
# Builds kestrix.exe and starts it under Wine with a demo shortcut database,
# then opens Wine's notepad: type "sig " there and watch it expand.
# Uses $DISPLAY when there is one; otherwise starts a virtual display and
# says how to look at it. Stays in the foreground until Kestrix ends.
#   KX_RUN_BUILD=DIR   build tree to use (default build/run-win64)
set -euo pipefail
KX_ROOT=$(cd "$(dirname "$0")/.." && pwd)
cd "$KX_ROOT"
BUILD=${KX_RUN_BUILD:-$KX_ROOT/build/run-win64}
export WINEPREFIX=${WINEPREFIX:-$KX_ROOT/build/run-wineprefix}
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
mkdir -p build

bash scripts/install-deps.sh
if [ ! -f "$BUILD/CMakeCache.txt" ]; then
  cmake -S . -B "$BUILD" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DKX_TESTS=OFF >build/run-app-configure.log 2>&1 || { tail -30 build/run-app-configure.log; exit 1; }
fi
cmake --build "$BUILD" -j2 --target kestrix >build/run-app-build.log 2>&1 || { tail -40 build/run-app-build.log; exit 1; }
cmake -S . -B build/native -DCMAKE_BUILD_TYPE=RelWithDebInfo >build/run-configure.log 2>&1
cmake --build build/native -j2 --target kxtool >build/run-build.log 2>&1 || { tail -40 build/run-build.log; exit 1; }

XVFB_PID=""
cleanup() {
  wineserver -k >/dev/null 2>&1 </dev/null || true
  [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null || true
}
trap cleanup EXIT

if [ -z "${DISPLAY:-}" ]; then
  for n in $(seq 170 179); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >build/run-app-xvfb.log 2>&1 </dev/null &
    XVFB_PID=$!
    export DISPLAY=":$n"
    break
  done
  [ -n "$XVFB_PID" ] || { echo "No free display in :170-:179" >&2; exit 1; }
  sleep 1
  for _ in $(seq 1 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
  echo "No display was set: Kestrix runs on the virtual display $DISPLAY."
  echo "To see it:  DISPLAY=$DISPLAY import -window root /tmp/kestrix.png   (then open the PNG)"
  echo "To type:    DISPLAY=$DISPLAY xdotool type 'sig '   (notepad has the keyboard focus)"
fi

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "Preparing the Wine prefix (once)..."
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
  build/native/kxtool db build app/res/demo_shortcuts.json "$data/local/abbrev.dat"
  echo "Demo shortcuts: SIG, ADDR, BRB, TY"
fi

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
