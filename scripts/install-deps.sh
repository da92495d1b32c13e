#!/usr/bin/env bash
# Installs what building, running and testing Kestrix need on Debian 12, and
# nothing that is there already. Run as root (or with sudo available).
set -euo pipefail

packages=(
  build-essential cmake make git python3
  mingw-w64 g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
  wine wine64 fonts-wine xvfb xdotool x11-utils imagemagick
  googletest libgtest-dev libbenchmark-dev
  clang libclang-rt-14-dev
  unicode-data nlohmann-json3-dev
  wixl msitools
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
