# Sourced for kx_wine_boot and kx_wine_template: a Wine prefix made ready
# to run the program, by a boot or, during a whole test run, by a copy of
# one booted prefix. Needs WINEPREFIX (and WINEARCH and the other Wine
# settings of scripts/wine-env.sh) set by the caller.

# kx_wine_boot LOG: makes $WINEPREFIX a booted prefix unless it is one.
# With KX_WINE_TEMPLATE naming a booted prefix, the new one is a fresh copy
# of it: a copy takes seconds where a boot takes most of half a minute, and
# each suite still gets a prefix of its own that no other suite writes to.
# Otherwise wineboot makes it, with Wine's crash dialog off, as the
# template was made.
kx_wine_boot() {
  local log=$1
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$(dirname "$log")"
    if [ -n "${KX_WINE_TEMPLATE:-}" ] && [ -f "$KX_WINE_TEMPLATE/system.reg" ] && mkdir -p "$WINEPREFIX" &&
       cp -a --reflink=auto "$KX_WINE_TEMPLATE/." "$WINEPREFIX/" >"$log" 2>&1; then :
    else
      [ -n "${KX_WINE_TEMPLATE:-}" ] && echo "copy of $KX_WINE_TEMPLATE failed; booting instead" >>"$log"
      wineboot -i >>"$log" 2>&1 </dev/null || true
      wineserver -w >>"$log" 2>&1 </dev/null || true
      wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >>"$log" 2>&1 </dev/null || true
    fi
  fi
  kx_wine_own_folders
}

# A booted prefix links the user's Documents, Desktop, Downloads, Music,
# Pictures, Videos and Templates to the Unix home folder, which every prefix
# shares: what the program saved there in one suite, a later suite (or a
# later run of it) would find, and the home folder would fill up. Each
# prefix gets folders of its own instead.
kx_wine_own_folders() {
  local link
  for link in "$WINEPREFIX"/drive_c/users/*/*; do
    if [ -L "$link" ]; then rm -f "$link" && mkdir -p "$link"; fi
  done
}

# kx_wine_template DIR LOG: boots DIR (an absolute path, as Wine wants its
# prefixes) once (kept when it is booted already)
# and exports KX_WINE_TEMPLATE, so that every kx_wine_boot after it copies
# DIR. Waits until DIR's wineserver has written the registry and ended: the
# copies must not catch its files half written.
kx_wine_template() {
  local dir=$1 log=$2
  (
    export WINEPREFIX=$dir
    unset KX_WINE_TEMPLATE
    kx_wine_boot "$log"
    wineserver -w >>"$log" 2>&1 </dev/null || true
  )
  [ -f "$dir/system.reg" ] && export KX_WINE_TEMPLATE=$dir
}
