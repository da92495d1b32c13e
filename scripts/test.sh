#!/usr/bin/env bash
# Builds every configuration and runs every test suite: native, sanitized,
# Windows under Wine, the end-to-end tests on a virtual display, and short
# fuzzing runs. Ends with "N passed, N failed" and fails on any failure.
set -uo pipefail
KX_ROOT=$(cd "$(dirname "$0")/.." && pwd)
cd "$KX_ROOT"
source scripts/wine-env.sh

JOBS=${JOBS:-$(nproc)}
FUZZ_SECONDS=${FUZZ_SECONDS:-30}
LOGS=build/logs
mkdir -p "$LOGS"

total_pass=0
total_fail=0
failed_suites=()

cleanup() {
  # Fuzzers still running when the run ends early stop with it.
  if [ -n "${fuzz_pid:-}" ]; then
    kill "$fuzz_pid" 2>/dev/null
    pkill -f "^build/fuzz/fuzz/fuzz_" 2>/dev/null
  fi
  kx_xvfb_stop
  kx_wine_stop
}
trap cleanup EXIT

START=$(date +%s)
step() { printf '\n==> %s  (%ss)\n' "$*" "$(( $(date +%s) - START ))"; }

# [TARGETS="..."] build DIR [cmake args...]: configures DIR and builds its
# TARGETS, or all its targets when TARGETS is unset.
build() {
  local dir=$1; shift
  local targets=()
  [ -n "${TARGETS:-}" ] && targets=(--target $TARGETS)
  step "build $dir"
  if ! cmake -S . -B "build/$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >"$LOGS/$dir-configure.log" 2>&1; then
    cat "$LOGS/$dir-configure.log"; echo "configure of $dir failed"; exit 1
  fi
  if ! cmake --build "build/$dir" -j "$JOBS" "${targets[@]}" >"$LOGS/$dir-build.log" 2>&1; then
    grep -E 'error|Error' "$LOGS/$dir-build.log" | head -40; echo "build of $dir failed"; exit 1
  fi
}

# Counts a gtest run's results from its output.
count_gtest() {
  local name=$1 log=$2 rc=$3 p f
  p=$(grep -aoE '\[  PASSED  \] [0-9]+ tests?' "$log" | awk '{s+=$4} END {print s+0}')
  # Each failed test once, whether or not the summary lists it again.
  f=$(grep -aoE '\[  FAILED  \] [A-Za-z0-9_/]+\.[A-Za-z0-9_/]+' "$log" | sort -u | wc -l)
  if [ "$rc" -ne 0 ] && [ "$f" -eq 0 ]; then f=1; fi   # crashed or timed out
  total_pass=$((total_pass + p)); total_fail=$((total_fail + f))
  echo "$name: $p passed, $f failed"
  [ "$f" -ne 0 ] && { failed_suites+=("$name"); grep -aE '^(\S+: )?(.*Failure|\[  FAILED  \]|Expected|Which is|  Actual)' "$log" | head -60; }
  return 0
}

ctest_suite() {
  local name=$1 dir=$2 log="$LOGS/$1.log" rc
  step "test $name"
  (cd "build/$dir" && ctest -V --timeout 900 </dev/null) >"$log" 2>&1
  rc=$?
  count_gtest "$name" "$log" "$rc"
}

# A suite of our own scripts: its last "N passed, N failed" line counts.
script_suite() {
  local name=$1; shift
  local log="$LOGS/$name.log" rc p f line
  step "test $name"
  "$@" >"$log" 2>&1 </dev/null
  rc=$?
  line=$(grep -aE '^([A-Za-z0-9_-]+: )?[0-9]+ passed, [0-9]+ failed' "$log" | tail -1)
  p=$(echo "$line" | grep -oE '[0-9]+ passed' | grep -oE '[0-9]+' || echo 0)
  f=$(echo "$line" | grep -oE '[0-9]+ failed' | grep -oE '[0-9]+' || echo 0)
  p=${p:-0}; f=${f:-0}
  if [ "$rc" -ne 0 ] && [ "$f" -eq 0 ]; then f=1; fi
  total_pass=$((total_pass + p)); total_fail=$((total_fail + f))
  echo "$name: $p passed, $f failed"
  [ "$f" -ne 0 ] && { failed_suites+=("$name"); tail -40 "$log"; }
  return 0
}

bash scripts/install-deps.sh

# Each configuration builds what this run uses of it: natively, the unit
# tests and kxtool under AddressSanitizer and UBSan (and the benchmarks,
# only compiled, so that they keep compiling; `make bench` runs them in an
# optimized build), the threaded code's tests under ThreadSanitizer and the
# fuzzers alone for fuzzing; everything for 64-bit Windows and the packaged
# program alone for 32 bits. A plain native build would run the same tests
# as the sanitized one, with less watching them.
# The builds go in two streams side by side: one build alone leaves a core
# idle while it configures, links and compiles its last file; two keep both
# cores busy. The fuzzers' build sits in the native stream, which is the
# shorter one without it. A failed build ends the run once both streams have
# stopped.
(
  TARGETS="kx_tests kxtool kx_bench" build asan -DKX_SANITIZE=address,undefined -DKX_BENCH=ON
  TARGETS=kx_tests build tsan -DKX_SANITIZE=thread
  if ls fuzz/*.cpp >/dev/null 2>&1; then
    CC=clang CXX=clang++ TARGETS=kx_fuzzers build fuzz -DKX_FUZZ=ON -DKX_TESTS=OFF
  fi
) & native_builds=$!
(
  build win64 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake
  TARGETS=kestrix build win32 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DKX_TESTS=OFF
  step "build msi"
  bash installer/build_msi.sh build/win64 build/win32 build/msi >"$LOGS/msi-build.log" 2>&1 ||
    { tail -40 "$LOGS/msi-build.log"; echo "build of the packages failed"; exit 1; }
) & windows_builds=$!
builds_ok=1
wait "$native_builds" || builds_ok=0
wait "$windows_builds" || builds_ok=0
[ "$builds_ok" = 1 ] || exit 1

ctest_suite asan asan
TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" ctest_suite tsan tsan
script_suite kxtool bash tests/tool/run_tool_tests.sh build/asan/kxtool

# Each fuzzer runs briefly over its corpus; the long runs are done by hand.
# They run one after another on one core at the lowest priority beside the
# Wine suites below, which wait on windows and keys far more than they
# compute, and leave the other core to them (not beside the first three
# suites: those time fast typing or load the cores on purpose); those not
# started when the suites end share both cores then. Each fuzzer still gets
# its full time over a corpus folder of its own. Results go to a file,
# counted at the end.
FUZZ_RESULTS=$LOGS/fuzz-results.txt
fuzz_run() {  # fuzz_run FUZZER: runs it; its output goes to its log
  local f=$1 name corpus work
  name=$(basename "$f")
  corpus="fuzz/corpus/${name#fuzz_}"
  work="build/fuzz/corpus-${name#fuzz_}"
  mkdir -p "$work"
  # A finding is written beside the log, not into the checkout.
  nice -n 19 "$f" -max_total_time="$FUZZ_SECONDS" -timeout=10 -rss_limit_mb=4096 -artifact_prefix="$LOGS/$name-" "$work" $( [ -d "$corpus" ] && echo "$corpus" ) \
    >"$LOGS/$name.log" 2>&1 </dev/null
}
# fuzz_all: runs each fuzzer that no other fuzz_all has claimed yet, so that
# a second one started later shares out the rest.
FUZZ_CLAIMS=$LOGS/fuzz-claims
fuzz_all() {
  local f
  for f in build/fuzz/fuzz/fuzz_*; do
    [ -x "$f" ] || continue
    mkdir "$FUZZ_CLAIMS/$(basename "$f")" 2>/dev/null || continue
    if fuzz_run "$f"; then echo "$(basename "$f") 0"; else echo "$(basename "$f") 1"; fi >>"$FUZZ_RESULTS"
  done
}
fuzz_count() {
  local name rc
  step "fuzzers (run beside the Wine suites, ${FUZZ_SECONDS}s each)"
  # The suites are over: the fuzzers not started yet share both cores.
  fuzz_all & local second=$!
  wait "$fuzz_pid"
  wait "$second"
  while read -r name rc; do
    if [ "$rc" = 0 ]; then
      total_pass=$((total_pass + 1)); echo "$name: 1 passed, 0 failed"
    else
      total_fail=$((total_fail + 1)); failed_suites+=("$name"); tail -40 "$LOGS/$name.log"
    fi
  done <"$FUZZ_RESULTS"
}

step "boot Wine"
# The display first: Wine's desktop process, started with the prefix, must
# find it, or no Wine program can open a window for the rest of the run.
kx_xvfb_start
# One prefix booted for the run; every suite's prefix, this one's too, is a
# fresh copy of it (scripts/wine-boot.sh).
kx_wine_template "$KX_ROOT/build/wine-template" "$LOGS/wine-template.log"
kx_wine_start
ctest_suite wine64 win64
# Real keys on the virtual display, through Wine's hooks to the program.
# Two Wine processes saving and loading one shared shortcuts file.
KX_WIN64_BUILD=build/win64 KX_WINE_RUNNING=1 script_suite shared-file bash tests/shared_file/run.sh
# Shortcuts expanding in real windows, on this run's display and prefix;
# fifty of them typed at 20 keys a second must keep every key in order.
script_suite e2e-expansion bash tests/e2e/run_expansion.sh build/win64
# The user's clipboard around expansions in notepad, given back and under
# load: its own busy loops fill both cores, so it runs alone.
script_suite e2e-clipboard env -u WINEPREFIX -u DISPLAY bash tests/e2e/run_clipboard.sh build/win64
# The other typing and GUI suites bring their own display and Wine prefix,
# so what one leaves in the registry or on screen cannot change another's
# outcome. They run one at a time: two side by side with the fuzzers, on
# two cores, failed a check in two runs of three (a click on a dialog's
# button that did not take, a registry value not yet seen).
: >"$FUZZ_RESULTS"
rm -rf "$FUZZ_CLAIMS"; mkdir -p "$FUZZ_CLAIMS"
fuzz_all & fuzz_pid=$!
script_suite gui-options env -u WINEPREFIX -u DISPLAY bash tests/gui/run_gui_options.sh build/win64
script_suite gui env -u WINEPREFIX -u DISPLAY bash tests/gui/run_gui.sh build/win64
script_suite e2e-macro env -u WINEPREFIX -u DISPLAY bash tests/e2e/run_macro.sh build/win64
script_suite e2e-autocomplete env -u WINEPREFIX -u DISPLAY bash tests/e2e/run_autocomplete.sh build/win64
script_suite gui-backup env -u WINEPREFIX -u DISPLAY bash tests/gui/run_gui_backup.sh build/win64
script_suite e2e-learning env -u WINEPREFIX -u DISPLAY bash tests/e2e/run_learning.sh build/win64
script_suite msi env -u WINEPREFIX -u DISPLAY bash tests/e2e/run_msi.sh build/win64 build/msi
script_suite e2e-picture env -u WINEPREFIX -u DISPLAY bash tests/e2e/run_picture.sh build/win64
# Thunderbird's sent mail learned end to end, and resumed after an exit.
script_suite e2e-mailscan env -u WINEPREFIX -u DISPLAY bash tests/e2e/run_mailscan.sh build/win64
script_suite gui-app env -u WINEPREFIX -u DISPLAY bash tests/gui/run_gui_app.sh build/win64
# Pending shortcut suggestions in their window at start-up, on -show and from the tray.
script_suite e2e-suggestions env -u WINEPREFIX -u DISPLAY bash tests/e2e/run_suggestions.sh build/win64
script_suite e2e-hook env -u WINEPREFIX -u DISPLAY bash tests/e2e/run_e2e.sh build/win64

fuzz_count

echo
[ ${#failed_suites[@]} -gt 0 ] && echo "Failed suites: ${failed_suites[*]} (logs in $LOGS)"
echo "$total_pass passed, $total_fail failed"
[ "$total_fail" -eq 0 ] && [ "$total_pass" -gt 0 ]
