#!/usr/bin/env bash
# Installs, with apt-get, what building and testing OrvhUpdate needs on Debian 12, only
# when something is missing. Safe to run again.
set -euo pipefail

packages=(cmake make g++ googletest mingw-w64 g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
          wine wine64 wixl msitools python3 xvfb xauth clang libclang-rt-14-dev
          openssl osslsigncode imagemagick)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "installing: ${missing[*]}"
    sudo_cmd=()
    [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
    "${sudo_cmd[@]}" apt-get update
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
fi
