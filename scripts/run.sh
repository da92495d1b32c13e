#!/usr/bin/env bash
# Builds kxtool and shows what Kestrix does with a short typing session.
set -euo pipefail
KX_ROOT=$(cd "$(dirname "$0")/.." && pwd)
cd "$KX_ROOT"
bash scripts/install-deps.sh
cmake -S . -B build/native -DCMAKE_BUILD_TYPE=RelWithDebInfo >build/run-configure.log 2>&1 || { cat build/run-configure.log; exit 1; }
cmake --build build/native -j "$(nproc)" --target kxtool >build/run-build.log 2>&1 || { tail -40 build/run-build.log; exit 1; }

echo "Kestrix matcher: replaying demo/typing.keys"
echo "(lookup = a keyword looked up, output = what would be erased and pasted,"
echo " notice = what the main window is told, balloon = a notification)"
echo
build/native/kxtool replay \
  --shortcut 'SIG=Best regards,\nAlex Carter' \
  --shortcut 'ADDR=1 Harbour Street, Leeds' \
  --shortcut 'BRB=be right back' \
  --setting Settings/ExpansionCasing=1 \
  --setting Settings/DoubleSpace=1 \
  --setting Settings/ToggleExpansions=1 \
  demo/typing.keys | grep -v -E '^notice (2|3 10)'
