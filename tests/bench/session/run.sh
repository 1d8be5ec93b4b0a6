#!/usr/bin/env bash
# Session benchmark: a whole session over a generated 21-minute disc at
# 128 kbit/s, against the same LAME build in a plain loop over the same WAV
# files, and against Debian's lame command. Prints figures and ratios only.
set -euo pipefail
root=$(cd "$(dirname "$0")/../../.." && pwd)
build=${WQ_BUILD:-$root/build/win64}
bin=$build/bin
for f in session_bench.exe discimage.exe; do
  [ -f "$bin/$f" ] || { echo "session bench: $bin/$f missing (build win64 first)"; exit 1; }
done
eval "$(bash "$root/tests/bed/winebed.sh" env)"
work=$(mktemp -d /tmp/wq-session-bench.XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/out" "$work/wav" "$work/disc"
win() { echo "Z:${1//\//\\}"; }
run() { "$root/tests/bed/wine-run" "$@"; }
run "$bin/discimage.exe" --out "$(win "$work/disc/long.cue")" --tracks 240,240,240,240,300 >/dev/null
run "$bin/session_bench.exe" "$(win "$work/disc/long.cue")" "$(win "$work/out")" "$(win "$work/wav")" \
  | tr -d '\r' >"$work/figures"
# shellcheck disable=SC1090
source "$work/figures"
start=$(date +%s.%N)
cpu0=$(awk '{ print $14 + $15 + $16 + $17 }' /proc/$$/stat)
for w in "$work"/wav/Track*.wav; do lame --quiet -b 128 "$w" "${w%.wav}.deb.mp3"; done
end=$(date +%s.%N)
cpu1=$(awk '{ print $14 + $15 + $16 + $17 }' /proc/$$/stat)
debian=$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f", b - a }')
debian_cpu=$(awk -v a="$cpu0" -v b="$cpu1" -v hz="$(getconf CLK_TCK)" 'BEGIN { printf "%.3f", (b - a) / hz }')
same=0
for w in "$work"/wav/Track*.wav; do
  n=${w##*/Track}; n=${n%.wav}
  # The session's files start with an ID3v2 tag; compare what follows it.
  python3 -c 'import sys
d = open(sys.argv[1], "rb").read()
if d[:3] == b"ID3":
    d = d[10 + ((d[6] << 21) | (d[7] << 14) | (d[8] << 7) | d[9]):]
sys.exit(0 if d == open(sys.argv[2], "rb").read() else 1)' "$work/out/Track$n.mp3" "${w%.wav}.deb.mp3" &&
    same=$((same + 1))
done
awk -v audio="$audio_seconds" -v tracks="$tracks" -v read="$read_seconds" -v s="$session_seconds" \
    -v ui="$ui_cpu_seconds" -v p="$plain_seconds" -v d="$debian" -v same="$same" \
    -v sc="$session_cpu_seconds" -v pc="$plain_cpu_seconds" -v dc="$debian_cpu" 'BEGIN {
  printf "session bench: %d tracks, %.1f min of audio at 128 kbit/s\n", tracks, audio / 60
  printf "  whole session (read + encode, wavequill under wine64): %8.3f s\n", s
  printf "  reads alone (same reader, no encode):                  %8.3f s\n", read
  printf "  plain loop, same LAME build (under wine64):            %8.3f s\n", p
  printf "  Debian lame -b 128 (native):                           %8.3f s\n", d
  printf "  session / plain loop:            %.3f  (overhead %+.1f%%)\n", s / p, (s / p - 1) * 100
  printf "  session / (reads + plain loop):  %.3f\n", s / (read + p)
  printf "  session / Debian lame:           %.3f\n", s / d
  printf "  CPU time: session %.3f s, plain loop %.3f s, Debian lame %.3f s\n", sc, pc, dc
  printf "  CPU session / plain loop:        %.3f  (overhead %+.1f%%)\n", sc / pc, (sc / pc - 1) * 100
  printf "  CPU session / Debian lame:       %.3f\n", sc / dc
  printf "  UI thread CPU during the session: %.3f s (%.2f%% of the session)\n", ui, ui / s * 100
  printf "  MP3 audio identical to Debian lame (after the ID3v2 tag): %d of %d\n", same, tracks
}'
