#!/usr/bin/env bash
# The x64 Windows Installer package as an administrator and a user meet it,
# under Wine's msiexec in a fresh prefix: install silently, start the
# installed program from its Start-menu shortcut with nothing prepared in the
# registry, type "sig " in notepad, upgrade to a newer package while the
# program runs (it runs again afterwards as it ran before: with its window,
# or in the tray), remove it while it runs. Both scopes: for all users (the
# default; a folder remembered in the user's registry by an earlier install
# for this user alone must not move it), then for this user (ALLUSERS
# empty) in the same prefix once the first install is gone and the program's
# settings and data with it.
# Prints "N passed, N failed".
#
#   tests/e2e/run_msi.sh [BUILD_DIR [MSI_DIR]]   (default build/win64, build/msi)
#
# BUILD_DIR gives kxtool.exe and the GUI probe, and the programs of the
# upgrade package this suite builds (its version one above the package's).
set -uo pipefail
export WINEPREFIX=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)/build/msi-wineprefix-suite
rm -rf "$WINEPREFIX"
source "$(dirname "${BASH_SOURCE[0]}")/../gui/gui_lib.sh"
gui_suite 371 379 msi "${1:-}"
MSI_DIR=$(cd "${2:-$KX_ROOT/build/msi}" && pwd)
START=$SECONDS

WELCOME="Welcome to Kestrix Typing Shortcut Expander"
INSTALLER='HKCU\Software\Tarvik Software\Kestrix\Installer'
RUN_KEY='Software\Microsoft\Windows\CurrentVersion\Run'
UNINSTALL_KEY='Software\Microsoft\Windows\CurrentVersion\Uninstall'
C=$WINEPREFIX/drive_c
USER_DIR=$C/users/$(whoami)
MENU="$USER_DIR/AppData/Roaming/Microsoft/Windows/Start Menu/Programs"
SHARED_DIR="$C/ProgramData/Tarvik Software/Kestrix"
PACKAGE=$MSI_DIR/kestrix-x64.msi
NEXT_DIR=$ART/next

# ---------------------------------------------------------------- helpers

msiexec() { timeout 120 wine msiexec "$@" >>"$ART/msiexec.log" 2>&1 </dev/null; }
same_text() { [ "$(printf '%s' "$1" | tr 'a-z' 'A-Z')" = "$(printf '%s' "$2" | tr 'a-z' 'A-Z')" ]; }
# A running copy of the installed program: a process has its kestrix.exe
# mapped (the instance window alone could belong to any copy).
mapped() { grep -qsF "$1" /proc/[0-9]*/maps 2>/dev/null; }
kx_pid() { grep -lsF "$FOLDER/kestrix.exe" /proc/[0-9]*/maps 2>/dev/null | head -1 | cut -d/ -f3; }
kx_up() { mapped "$FOLDER/kestrix.exe"; }
kx_gone() { ! mapped "$FOLDER/kestrix.exe" && ! mapped "$FOLDER/kestrix64.exe" && no_window "$MAIN"; }
# The Uninstall entry of the installed Kestrix (msiexec names it by product code).
arp_entry() {
  local hive key
  for hive in HKLM HKCU; do
    for key in $(wine reg query "$hive\\$UNINSTALL_KEY" 2>/dev/null </dev/null | tr -d '\r' | grep -o '{[-0-9A-F]*}$'); do
      [ "$(reg_value "$hive\\$UNINSTALL_KEY\\$key" DisplayName)" = Kestrix ] && echo "$hive\\$UNINSTALL_KEY\\$key"
    done
  done
}
arp() { reg_value "$(arp_entry | head -1)" "$1"; }
one_entry() { [ "$(arp_entry | wc -l)" -eq 1 ]; }
# The product's icon as msiexec published it: a file it cached. A product
# for all users is published in the machine's registry, one for this user in
# the user's.
product_icon() {
  local icon
  icon=$(for key in 'HKLM\Software\Classes\Installer\Products' 'HKCU\Software\Microsoft\Installer\Products'; do
    wine reg query "$key" /s 2>/dev/null </dev/null; done | tr -d '\r' |
    sed -n 's/^ *ProductIcon *REG_SZ *//p' | grep -i 'kestrix.ico' | head -1)
  [ -n "$icon" ] && [ -s "$(winepath -u "$icon" 2>/dev/null </dev/null)" ]
}
# The four programs and the help pages stand in the folder.
programs_there() {
  local f
  for f in kestrix.exe kxhook.dll kestrix64.exe kxhook64.dll help/index.html help/quickstart.html; do
    [ -s "$FOLDER/$f" ] || { echo "missing $FOLDER/$f"; return 1; }
  done
}
# The Start-menu shortcut "Kestrix" points at the installed kestrix.exe.
shortcut_there() {
  [ -f "$MENU/Kestrix.lnk" ] &&
    iconv -f UTF-16LE -t UTF-8 "$MENU/Kestrix.lnk" 2>/dev/null | tr -d '\0' | grep -qiF "$WIN_FOLDER\\kestrix.exe" ||
    strings "$MENU/Kestrix.lnk" | grep -qiF "$WIN_FOLDER\\kestrix.exe"
}
run_entry() {
  local hive
  for hive in HKCU HKLM; do reg_value "$hive\\$RUN_KEY" Kestrix; done | grep -qiF "$WIN_FOLDER\\kestrix.exe"
}
# The same, saying what the two values and the first-run flag held when
# the entry is missing.
run_entry_or_say() {
  run_entry && return 0
  log "  HKCU Run: '$(reg_value "HKCU\\$RUN_KEY" Kestrix)', HKLM Run: '$(reg_value "HKLM\\$RUN_KEY" Kestrix)'," \
    "ProgramsFirstRun: '$(reg_value "$SETTINGS" ProgramsFirstRun)', ExePath: '$(reg_value "$SETTINGS" ExePath)'"
  return 1
}
no_run_entry() {
  [ -z "$(reg_value "HKCU\\$RUN_KEY" Kestrix)" ] && [ -z "$(reg_value "HKLM\\$RUN_KEY" Kestrix)" ]
}
exe_path_is_installed() { same_text "$(reg_value "$SETTINGS" ExePath)" "$WIN_FOLDER\\kestrix.exe"; }
# Files of a folder with their checksums, one a line.
sums() { (cd "$1" 2>/dev/null && find . -type f -print0 | sort -z | xargs -0 -r sha256sum); }
# The program's own exit may write the learned phrases anew; every other
# file of the data folder must stay byte for byte, and none may go.
data_kept() {
  [ "$(sums "$DATA" | grep -v ' \./acdata.txt$')" = "$DATA_SUMS" ] &&
    { [ "$HAD_ACDATA" = 0 ] || [ -f "$DATA/acdata.txt" ]; }
}

# Starts the program as a user does, from the Start-menu shortcut, and waits
# until its window is up and it has loaded the hook module from its folder.
start_from_menu() {
  timeout 60 wine start "$(winepath -w "$MENU/Kestrix.lnk" 2>/dev/null </dev/null)" >>"$ART/start.log" 2>&1 </dev/null
  wait_for 40 kx_up && wait_for 30 has_window "$MAIN" && wait_for 10 hook_loaded "$FOLDER"
}
# The first start offers the welcome, and after it once the first-run
# setup; a user closes both.
close_welcome() {
  wait_for 10 has_window "$WELCOME" || return 0
  answer "$WELCOME" "Close"
  wait_for 10 has_window "General Setup" && answer "General Setup" "Cancel"
  return 0
}

# The package of the next release: the same programs, a higher version.
build_next() {
  local v next
  v=$(bash "$KX_ROOT/installer/build_msi.sh" --print-version) || return 1
  next=${v%.*}.$(( ${v##*.} + 1 ))
  KX_MSI_VERSION=$next bash "$KX_ROOT/installer/build_msi.sh" "$BUILD" "$BUILD" "$NEXT_DIR" x64 \
    >"$ART/build-next.log" 2>&1 || return 1
  VERSION=$v NEXT=$next
}

# ---------------------------------------------------------------- one scope

# Puts the running program in the tray as a user does: Exit (Turn Off),
# then Background.
to_tray() {
  open_tray_menu && click_popup "Exit (Turn Off)" && wait_for 10 has_window "Confirm Stop" &&
    answer "Confirm Stop" "Background" && wait_for 5 hidden_window "$MAIN"
}
# A copy of the installed program other than process $1 runs.
restarted() { local pid; pid=$(kx_pid); [ -n "$pid" ] && [ "$pid" != "$1" ]; }

# scope NAME AS [msiexec properties...]: install, run, upgrade while the
# program runs AS "window" or "tray", remove.
scope() {
  local name=$1 as=$2; shift 2
  local props=("$@")
  # Nothing prepared: no settings of the program; only the user's database,
  # and the folder an earlier install remembered, if the caller says so.
  wine reg delete 'HKCU\Software\Tarvik Software' /f >/dev/null 2>&1 </dev/null
  [ -n "${REMEMBERED:-}" ] &&
    setting "$INSTALLER" InstallFolder "$REMEMBERED"
  rm -rf "$DATA"; mkdir -p "$DATA/local"
  kxdb '{"records":[{"keyword":"SIG","kind":0,"plainText":"Best regards, Kim"}]}' "$DATA/local/abbrev.dat"

  check "$name: msiexec /i /qn installs" msiexec /i "$(winepath -w "$PACKAGE")" /qn "${props[@]}"
  check "$name: the four programs and the help pages stand in $WIN_FOLDER" programs_there
  check "$name: the Start-menu shortcut Kestrix points at kestrix.exe" shortcut_there
  check "$name: Add/Remove Programs lists Kestrix $VERSION by Tarvik Software" \
    eval '[ "$(arp DisplayVersion)" = "$VERSION" ] && [ "$(arp Publisher)" = "Tarvik Software" ]'
  check "$name: its help link names the installed help" \
    eval 'same_text "$(arp HelpLink)" "$WIN_FOLDER\\help\\index.html"'
  check "$name: its icon is published" product_icon

  check "$name: the shortcut starts the installed program, which loads kxhook.dll from its folder" start_from_menu
  close_welcome
  check "$name: sig expands in notepad" expands
  [ -z "${props[*]}" ] && shot installed-program   # the README's picture
  check "$name: ExePath names the installed program" exe_path_is_installed
  check "$name: the first run added a run-at-log-on entry" run_entry_or_say
  local exe_path db_sum
  exe_path=$(reg_value "$SETTINGS" ExePath)
  db_sum=$(sha256sum <"$DATA/local/abbrev.dat")

  # The next release over the running program, which then runs again.
  [ "$as" = tray ] && check "$name: the program goes to the tray" to_tray
  local old_pid
  old_pid=$(kx_pid)
  check "$name: the newer package installs over the running program" \
    msiexec /i "$(winepath -w "$NEXT_DIR/kestrix-x64.msi")" /qn "${props[@]}"
  check "$name: one Kestrix remains, version $NEXT" eval 'one_entry && [ "$(arp DisplayVersion)" = "$NEXT" ]'
  check "$name: the programs stand in the same folder" programs_there
  check "$name: the upgrade ended the program and started the new one" wait_for 30 restarted "$old_pid"
  if [ "$as" = tray ]; then
    check "$name: in the tray, as it ran before" eval 'wait_for 20 hidden_window "$MAIN" && sleep 2 && hidden_window "$MAIN"'
  else
    check "$name: with its window, as it ran before" wait_for 30 eval 'probe visible "$MAIN"'
    close_welcome   # still offered: the program was never hidden to the tray
  fi
  check "$name: the upgrade left no note of itself" eval '[ -z "$(reg_value "$INSTALLER" Upgrading)" ]'
  check "$name: the database is kept" eval '[ "$(sha256sum <"$DATA/local/abbrev.dat")" = "$db_sum" ]'
  check "$name: the settings are kept" eval '[ "$(reg_value "$SETTINGS" ExePath)" = "$exe_path" ] && run_entry'
  check "$name: and sig still expands" eval 'wait_for 10 hook_loaded "$FOLDER" && expands'

  # Removal, while the program runs.
  echo "shared" >"$SHARED_DIR/shared_abbrev.dat"
  local shared_sum
  shared_sum=$(sums "$SHARED_DIR")
  DATA_SUMS=$(sums "$DATA" | grep -v ' \./acdata.txt$')
  HAD_ACDATA=0; [ -f "$DATA/acdata.txt" ] && HAD_ACDATA=1
  check "$name: msiexec /x /qn removes it" msiexec /x "$(winepath -w "$NEXT_DIR/kestrix-x64.msi")" /qn "${props[@]}"
  check "$name: removal ended the running program" wait_for 20 kx_gone
  check "$name: the program folder is gone" test ! -e "$FOLDER"
  check "$name: the shortcut is gone" test ! -e "$MENU/Kestrix.lnk"
  check "$name: Add/Remove Programs no longer lists it" eval '[ -z "$(arp_entry)" ]'
  check "$name: the run-at-log-on entries are gone" no_run_entry
  check "$name: the user's data folder is as it was" data_kept
  check "$name: the machine-wide shared file is untouched" eval '[ "$(sums "$SHARED_DIR")" = "$shared_sum" ]'
}

# ---------------------------------------------------------------- run

[ -f "$PACKAGE" ] || { echo "no $PACKAGE: run make msi"; echo "0 passed, 1 failed"; exit 1; }
mkdir -p "$SHARED_DIR"
# check always succeeds: the build's own result is whether it named the version.
check "the next release's package builds" build_next
[ -n "${NEXT:-}" ] || { finish; exit 1; }
start_notepad 0 760 1280 230

FOLDER="$C/Program Files/Kestrix"; WIN_FOLDER='C:\Program Files\Kestrix'
REMEMBERED="C:\\users\\$(whoami)\\AppData\\Local\\Programs\\Kestrix\\" scope "for all users" window

# Wine's msiexec installs for all users when asked with MSIINSTALLPERUSER=1
# (ALLUSERS becomes 1), and removes a product installed for this user in the
# scope of all users; Windows honours both requests and removes in the scope
# the product was installed in. So every msiexec of this scope is told the
# scope with ALLUSERS empty, which Wine honours. Wine keeps Program Files
# for this user; the package itself points the folder at the user's
# programs folder.
FOLDER="$USER_DIR/AppData/Local/Programs/Kestrix"; WIN_FOLDER="C:\\users\\$(whoami)\\AppData\\Local\\Programs\\Kestrix"
scope "for this user" tray ALLUSERS=

echo "run time $((SECONDS - START)) s"
finish
