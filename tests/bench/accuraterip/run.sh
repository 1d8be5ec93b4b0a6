#!/usr/bin/env bash
# Prints what the AccurateRip checksums of a track cost against reading the
# track's bytes from a file (see arbench.cpp). Uses the win64 build.
root=$(cd "$(dirname "$0")/../../.." && pwd)
bin=${WQ_WIN64_BIN:-$root/build/win64/bin}
if [ ! -f "$bin/arbench.exe" ]; then
  echo "arbench: $bin/arbench.exe not built"
  exit 1
fi
bash "$root/tests/bed/winebed.sh" start >/dev/null || exit 1
bash "$root/tests/bed/wine-run" "$bin/arbench.exe"
