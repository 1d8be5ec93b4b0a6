#!/usr/bin/env bash
# Prints the hook's cost as ratios (see hookbench.cpp). Uses the win64 build.
root=$(cd "$(dirname "$0")/../../.." && pwd)
bin=${WQ_WIN64_BIN:-$root/build/win64/bin}
[ -f "$bin/hookbench.exe" ] || { echo "hook bench: $bin/hookbench.exe not built"; exit 1; }
bash "$root/tests/bed/winebed.sh" start >/dev/null || exit 1
bash "$root/tests/bed/wine-run" "$bin/hookbench.exe"
