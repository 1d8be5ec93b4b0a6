#!/usr/bin/env bash
# Installs the Debian packages that building and testing need, only when
# something is missing, so that a warm machine pays nothing.
set -euo pipefail

need=()
have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }
pkgs=(cmake ninja-build make g++-mingw-w64-i686 g++-mingw-w64-x86-64 mingw-w64-tools
      clang-14 libclang-rt-14-dev googletest wine64 xvfb x11-apps xdotool imagemagick
      lame ffmpeg mpg123 zip dpkg-dev python3 binutils-mingw-w64-i686 fonts-dejavu-core)
for p in "${pkgs[@]}"; do have_pkg "$p" || need+=("$p"); done
# The shipped build is 32-bit: its tests run under Debian's 32-bit Wine,
# which installs beside wine64 by multiarch.
have_pkg wine32:i386 || need+=(wine32:i386)
# libsndfile1 for whipper's accuraterip-checksum, unpacked below.
have_pkg libsndfile1 || need+=(libsndfile1)
oracle() { bash "$(dirname "$0")/get-ar-oracle.sh" "$(dirname "$0")/../../build/deps"; }
[ ${#need[@]} -eq 0 ] && { oracle; exit 0; }

if [ "$(id -u)" != 0 ]; then
  echo "Missing packages: ${need[*]}; run as root (or install them) and try again." >&2
  exit 1
fi
echo "Installing: ${need[*]}"
export DEBIAN_FRONTEND=noninteractive
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
fi
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
oracle
