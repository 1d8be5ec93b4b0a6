#!/usr/bin/env bash
# build-lame.sh TRIPLET PREFIX
# Builds LAME from Debian's source package as a DLL for one MinGW target and
# installs it under PREFIX (include/, lib/, bin/libmp3lame-0.dll). A DLL keeps
# the LGPL's relinking promise. Cached: nothing happens when PREFIX is done.
set -euo pipefail
triplet=$1
prefix=$(realpath -m "$2")
# -O2 explicitly: without it the cross build is unoptimised and about three
# times slower. The i686 compiler does floating point on the x87 unit by
# default, which rounds differently from Debian's native lame; SSE2 makes the
# 32-bit DLL's output byte-identical.
cflags="-O2"
case "$triplet" in i686-*) cflags="-O2 -msse2 -mfpmath=sse" ;; esac
# The stamp holds the flags, so that a cached build made with others is redone.
[ "$(cat "$prefix/.done" 2>/dev/null)" = "$cflags" ] && exit 0
rm -rf "$prefix"

cache=$(dirname "$prefix")/lame-src
mkdir -p "$cache"
if ! ls "$cache"/lame_*.orig.tar.gz >/dev/null 2>&1; then
  if ! (cd "$cache" && apt-get source --download-only lame >/dev/null 2>&1); then
    # The source index needs a deb-src entry for bookworm main.
    # Reuse the mirror (and its keyring option) that apt is already set up with.
    list=/etc/apt/sources.list.d/wq-deb-src.list
    if [ ! -f "$list" ]; then
      line=$(python3 "$(dirname "$0")/deb-src-line.py") || { echo "No Debian mirror found in apt's sources" >&2; exit 1; }
      echo "$line" > "$list"
    fi
    apt-get update -qq
    (cd "$cache" && apt-get source --download-only lame >/dev/null)
  fi
fi
orig=$(ls "$cache"/lame_*.orig.tar.gz | head -n 1)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
tar -xzf "$orig" -C "$work"
src=$(find "$work" -maxdepth 1 -mindepth 1 -type d | head -n 1)
cd "$src"
# 3.100 lists a symbol it no longer defines; a DLL link refuses that.
sed -i '/^lame_init_old$/d' include/libmp3lame.sym
echo "Building LAME for $triplet ($cflags)"
./configure --host="$triplet" --prefix="$prefix" --enable-shared --disable-static \
  --disable-frontend --disable-gtktest --disable-analyzer-hooks \
  CFLAGS="$cflags" LDFLAGS="-static-libgcc" >configure.log 2>&1 || { tail -n 30 configure.log; exit 1; }
make -j"$(nproc)" >make.log 2>&1 || { tail -n 30 make.log; exit 1; }
make install >>make.log 2>&1
echo "$cflags" >"$prefix/.done"
