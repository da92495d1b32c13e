#!/usr/bin/env bash
# Two processes on one shared shortcuts file under Wine: one saves new
# versions over and over while the other loads the file over and over.
# Every load must give one complete version (or wait within the reader's
# retry); at the end the file must hold the last version saved. Then the
# program's watcher, in one process, sees each save that another process
# makes within 1 s of its write (the folder's change notices; without them
# it would take up to 10 s).
#
#   KX_WIN64_BUILD     build folder of the x86_64 Windows build (build/win64)
#   KX_SHARED_SECONDS  how long both run (30)
#   KX_WINE_RUNNING=1  the caller has started Wine and stops it itself
# Ends with "N passed, N failed" and fails on any failure.
set -uo pipefail
KX_ROOT=$(cd "$(dirname "$0")/../.." && pwd)
BUILD=${KX_WIN64_BUILD:-$KX_ROOT/build/win64}
APP=$BUILD/app
export WINEPREFIX=${WINEPREFIX:-$KX_ROOT/build/wineprefix}
[ "${KX_WINE_RUNNING:-0}" = 1 ] && KX_CALLERS_WINE=1
source "$KX_ROOT/tests/gui/gui_lib.sh"
DURATION=${KX_SHARED_SECONDS:-30}

PEER=""
for p in "$BUILD/tests/shared_file/shared_file_peer.exe" "$BUILD/shared_file_peer.exe"; do
  [ -f "$p" ] && { PEER=$p; break; }
done
if [ -z "$PEER" ]; then
  echo "shared_file_peer.exe not found under $BUILD"
  echo "0 passed, 1 failed"
  exit 1
fi

WORK=$(mktemp -d /tmp/kx-shared-file.XXXXXX)
suite_cleanup() { rm -rf "$WORK"; }
[ -n "$KX_CALLERS_WINE" ] || kx_wine_start

FILE="$(winpath "$WORK")\\shared_abbrev.dat"

# The first version exists before the reader starts.
check "first save" eval 'wine "$PEER" write "$FILE" 0 >"$WORK/init.log" 2>&1 </dev/null'

wine "$PEER" write "$FILE" "$DURATION" >"$WORK/writer.log" 2>&1 </dev/null &
writer=$!
timeout $((DURATION + 60)) wine "$PEER" read "$FILE" "$DURATION" >"$WORK/reader.log" 2>&1 </dev/null
reader_rc=$?
wait "$writer"
writer_rc=$?
grep -a '^writer:' "$WORK/writer.log" || cat "$WORK/writer.log"
grep -a '^reader:' "$WORK/reader.log" || cat "$WORK/reader.log"
check "every save succeeded" test "$writer_rc" = 0
check "every load saw one whole version" test "$reader_rc" = 0

last=$(sed -n 's/^writer:.* last=\([0-9]*\).*/\1/p' "$WORK/writer.log")
holds_last() { [ -n "$last" ] && { wine "$PEER" check "$FILE" "$last" </dev/null 2>&1 | grep -a '^check:'; [ "${PIPESTATUS[0]}" = 0 ]; }; }
check "the file holds the last version saved" holds_last

# The watcher is ready (its notices asked for) before the first save.
CHANGES=3
timeout 90 wine "$PEER" watch "$FILE" 60 "$CHANGES" >"$WORK/watch.log" 2>&1 </dev/null &
watcher=$!
for _ in $(seq 1 200); do grep -qa '^watch: ready' "$WORK/watch.log" && break; sleep 0.1; done
sleep 1
for _ in $(seq 1 "$CHANGES"); do
  wine "$PEER" write "$FILE" 0 >>"$WORK/changes.log" 2>&1 </dev/null
  sleep 3
done
wait "$watcher"
watch_rc=$?
grep -a '^watch:' "$WORK/watch.log" || cat "$WORK/watch.log"
check "each save by another process is seen within 1 s" test "$watch_rc" = 0

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
