#!/usr/bin/env bash
# Builds the two Windows Installer packages from built programs:
#   OUT/kestrix-x64.msi  the 64-bit kestrix.exe and kxhook.dll, with
#                        kestrix64.exe and kxhook64.dll
#   OUT/kestrix-x86.msi  the 32-bit kestrix.exe and kxhook.dll, with the same
#                        64-bit kestrix64.exe and kxhook64.dll
#
#   installer/build_msi.sh WIN64_BUILD WIN32_BUILD OUT [ARCH...]
#   installer/build_msi.sh --print-version
#
# WIN64_BUILD and WIN32_BUILD are CMake build folders of the x86_64 and i686
# toolchains; ARCH (x64, x86) limits the packages built (default both).
#
# The version is the version resource's (app/res/kestrix.rc, FILEVERSION),
# read in version_from_resource below and nowhere else. Windows Installer
# compares only the first three numbers when it decides that a package is
# newer, so a release raises one of those. KX_MSI_VERSION=A.B.C builds a
# package under another version: the tests use it to make "the next release".
#
# Signing: set KX_SIGN to a command that signs one file in place, e.g.
#   KX_SIGN='osslsigncode-wrapper.sh' make msi
# It is run on each program before it is packaged and on each package after
# it is built (a signed package must hold signed programs). Unset, nothing
# is signed.
set -euo pipefail

KX_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# "FILEVERSION 1,2,3,4" -> "1.2.3": the numbers Windows Installer compares.
version_from_resource() {
  local numbers
  numbers=$(sed -n 's/^ *FILEVERSION *\([0-9]*\) *, *\([0-9]*\) *, *\([0-9]*\) *, *[0-9]*.*/\1.\2.\3/p' \
    "$KX_ROOT/app/res/kestrix.rc" | head -1)
  [ -n "$numbers" ] || { echo "No FILEVERSION in app/res/kestrix.rc" >&2; return 1; }
  printf '%s\n' "$numbers"
}

if [ "${1:-}" = --print-version ]; then version_from_resource; exit; fi
[ $# -ge 3 ] || { echo "usage: $0 WIN64_BUILD WIN32_BUILD OUT [x64|x86...] | --print-version" >&2; exit 2; }
WIN64=$(cd "$1" && pwd)
WIN32=$(cd "$2" && pwd)
mkdir -p "$3"
OUT=$(cd "$3" && pwd)
shift 3
ARCHES=("$@")
[ ${#ARCHES[@]} -eq 0 ] && ARCHES=(x64 x86)

VERSION=${KX_MSI_VERSION:-$(version_from_resource)}
[[ $VERSION =~ ^[0-9]+\.[0-9]+\.[0-9]+$ ]] || { echo "Bad package version: $VERSION" >&2; exit 1; }

sign() {
  [ -z "${KX_SIGN:-}" ] && return 0
  $KX_SIGN "$1" || { echo "Signing $1 failed" >&2; return 1; }
}

rel() { realpath -m --relative-to="$KX_ROOT" "$1"; }

need() {
  [ -f "$1" ] || { echo "Missing $1: build it first" >&2; exit 1; }
}

# The help pages, one component: a fragment listing every page of docs/help.
write_help_fragment() {
  local arch=$1 guid f name id
  if [ "$arch" = x64 ]; then guid=1A1EA627-29B5-49A0-B25D-BB5399B82698; else guid=81AB966A-1EA9-47B2-A1DF-CDE31AB26FF2; fi
  need "$KX_ROOT/docs/help/index.html"
  {
    echo '<?xml version="1.0" encoding="utf-8"?>'
    echo '<Wix xmlns="http://schemas.microsoft.com/wix/2006/wi"><Fragment>'
    echo '  <DirectoryRef Id="HELPFOLDER">'
    echo "    <Component Id=\"HelpPages\" Guid=\"$guid\" Win64=\"$([ "$arch" = x64 ] && echo yes || echo no)\">"
    echo "      <File Id=\"help_index.html\" Name=\"index.html\" Source=\"docs/help/index.html\" KeyPath=\"yes\"/>"
    for f in "$KX_ROOT"/docs/help/*; do
      name=$(basename "$f")
      [ "$name" = index.html ] && continue
      id="help_$(printf '%s' "$name" | tr -c 'A-Za-z0-9_.' '_')"
      echo "      <File Id=\"$id\" Name=\"$name\" Source=\"docs/help/$name\"/>"
    done
    echo '    </Component>'
    echo '  </DirectoryRef>'
    echo '</Fragment></Wix>'
  } >"$2"
}

build_package() {
  local arch=$1 stage=$OUT/stage-$arch main=$WIN64 f
  [ "$arch" = x86 ] && main=$WIN32
  rm -rf "$stage"
  mkdir -p "$stage"
  need "$main/app/kestrix.exe"; need "$main/hook/kxhook.dll"
  need "$WIN64/hook/kestrix64.exe"; need "$WIN64/hook/kxhook64.dll"
  cp "$main/app/kestrix.exe" "$main/hook/kxhook.dll" "$WIN64/hook/kestrix64.exe" "$WIN64/hook/kxhook64.dll" "$stage/"
  # The builds carry debugging information, which users have no use for.
  x86_64-w64-mingw32-strip --strip-debug "$stage/kestrix64.exe" "$stage/kxhook64.dll"
  if [ "$arch" = x64 ]; then x86_64-w64-mingw32-strip --strip-debug "$stage/kestrix.exe" "$stage/kxhook.dll"
  else i686-w64-mingw32-strip --strip-debug "$stage/kestrix.exe" "$stage/kxhook.dll"; fi
  for f in "$stage"/*; do sign "$f"; done
  write_help_fragment "$arch" "$OUT/help-$arch.wxs"
  # wixl finds sources only by paths relative to where it runs.
  (cd "$KX_ROOT" && wixl -a "$arch" -D Arch="$arch" -D Version="$VERSION" -D Programs="$(rel "$stage")" \
    -D Icon=app/res/icons/app.ico -o "$OUT/kestrix-$arch.msi" installer/kestrix.wxs "$(rel "$OUT/help-$arch.wxs")")
  # wixl writes HKMU as root 4, which Windows Installer does not know; the
  # Registry table's root for "the user's registry for a per-user install,
  # the machine's for a per-machine one" is -1.
  msibuild "$OUT/kestrix-$arch.msi" -q 'UPDATE `Registry` SET `Root` = -1 WHERE `Root` = 4'
  sign "$OUT/kestrix-$arch.msi"
  echo "$OUT/kestrix-$arch.msi ($VERSION)"
}

for arch in "${ARCHES[@]}"; do
  case $arch in x64 | x86) build_package "$arch" ;; *) echo "Unknown architecture $arch" >&2; exit 1 ;; esac
done
