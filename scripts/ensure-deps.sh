#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, only those that are missing.
# Safe to run again; needs root (or sudo) only when something is missing.
set -euo pipefail

packages=(cmake ninja-build g++ googletest python3
          g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
          wine64 xvfb xauth x11-utils imagemagick fonts-wqy-microhei zip locales osslsigncode openssl
          msitools wixl faketime)

missing=()
for package in "${packages[@]}"; do
    [ "$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null)" = "install ok installed" ] || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    as_root=()
    [ "$(id -u)" -eq 0 ] || as_root=(sudo)
    bash "$(dirname "$0")/apt-update.sh"
    DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
# The 32-bit lane's 32-bit Wine and qemu-i386 come with the test command (ensure-wine32.sh):
# running and building the wizard need neither.
