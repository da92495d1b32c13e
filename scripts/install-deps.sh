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
  libyaml-dev dpkg-dev
  wixl msitools
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
updated=no
if [ ${#missing[@]} -ne 0 ]; then
  echo "Installing: ${missing[*]}"
  $SUDO apt-get update -qq
  updated=yes
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# libyaml for the Windows builds: Debian's own source package, unpacked under
# build/deps, where cmake/libyaml.cmake compiles it with the cross compilers.
# Native builds link the system's libyaml (libyaml-dev above).
deps_dir="$(cd "$(dirname "$0")/.." && pwd)/build/deps"
if ! compgen -G "$deps_dir/libyaml-*/src/parser.c" >/dev/null; then
  # apt-get source needs a deb-src entry; a fresh Debian has only binaries.
  if ! grep -rqsE '^[[:space:]]*(deb-src[[:space:]]|Types:.*deb-src)' /etc/apt/sources.list /etc/apt/sources.list.d/; then
    codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
    echo "Adding Debian's source archive for $codename to apt's sources"
    printf '%s\n' "Types: deb-src" "URIs: http://deb.debian.org/debian" "Suites: $codename $codename-updates" \
      "Components: main" "Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg" \
      | $SUDO tee /etc/apt/sources.list.d/kestrix-deb-src.sources >/dev/null
    updated=no
  fi
  [ "$updated" = yes ] || $SUDO apt-get update -qq
  mkdir -p "$deps_dir"
  fetch=$(mktemp -d "$deps_dir/.fetch.XXXXXX")
  echo "Fetching Debian's libyaml source into $deps_dir"
  if ! (cd "$fetch" && apt-get source -qq libyaml </dev/null >apt-source.log 2>&1); then
    cat "$fetch/apt-source.log"; rm -rf "$fetch"; exit 1
  fi
  src=$(find "$fetch" -mindepth 1 -maxdepth 1 -type d -name 'libyaml-*' | head -1)
  [ -n "$src" ] && [ -f "$src/src/parser.c" ] || { echo "apt-get source libyaml gave no source folder"; rm -rf "$fetch"; exit 1; }
  mv "$src" "$deps_dir/"
  rm -rf "$fetch"
fi
