#!/bin/bash
# Installs what building and testing Quillmoor needs on Debian 12, once:
# a later run finds everything present and installs nothing.
set -euo pipefail

packages=(
  cmake ninja-build
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev
  googletest
  wine wine64 fonts-wine
  xvfb xauth x11-utils xdotool imagemagick
  tango-icon-theme fonts-dejavu-core librsvg2-bin
  clang libclang-rt-14-dev
  wixl msitools osslsigncode openssl zip unzip jq
  libhivex-bin reglookup
  libssl-dev
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  if [ "$(id -u)" -ne 0 ]; then
    echo "setup: run as root (or install: ${missing[*]})" >&2
    exit 1
  fi
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
