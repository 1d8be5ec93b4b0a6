#!/usr/bin/env bash
# Secure reading's read cost: a 4-minute track of a generated disc image
# read plainly and securely through the read loop (see reader_bench.cpp),
# as a ratio to the plain read. Uses the win64 build.
set -euo pipefail
root=$(cd "$(dirname "$0")/../../.." && pwd)
bin=${WQ_WIN64_BIN:-$root/build/win64/bin}
for f in reader_bench.exe discimage.exe; do
  [ -f "$bin/$f" ] || { echo "reader bench: $bin/$f missing (build win64 first)"; exit 1; }
done
eval "$(bash "$root/tests/bed/winebed.sh" env)"
work=$(mktemp -d /tmp/wq-reader-bench.XXXXXX)
trap 'rm -rf "$work"' EXIT
win() { echo "Z:${1//\//\\}"; }
/usr/lib/wine/wine64 "$bin/discimage.exe" --out "$(win "$work/disc.cue")" --tracks 240 >/dev/null
/usr/lib/wine/wine64 "$bin/reader_bench.exe" "$(win "$work/disc.cue")" "${WQ_READER_ROUNDS:-5}" | tr -d '\r'
