#!/usr/bin/env bash
# Prints the hook's cost as ratios (see hookbench.cpp) and what the library
# costs an application while something else is slow (see waitbench.cpp).
# Uses the win64 build.
root=$(cd "$(dirname "$0")/../../.." && pwd)
bin=${WQ_WIN64_BIN:-$root/build/win64/bin}
status=0
bash "$root/tests/bed/winebed.sh" start >/dev/null || exit 1
for b in hookbench waitbench; do
  if [ -f "$bin/$b.exe" ]; then
    bash "$root/tests/bed/wine-run" "$bin/$b.exe" || status=1
  else
    echo "$b: $bin/$b.exe not built"; status=1
  fi
done
exit $status
