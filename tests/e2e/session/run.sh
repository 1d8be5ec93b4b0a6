#!/usr/bin/env bash
# Runs the session driver under the Wine bed, then checks each MP3 it left
# with a native decoder: duration within one MP3 frame, and the bit rate.
set -uo pipefail
root=$(cd "$(dirname "$0")/../../.." && pwd)
driver=$1
bed=${WQ_BED:-$root/build/wine}
out=$bed/prefix/drive_c/wq-session-e2e
rm -f "$out/expect.txt"
"$root/tests/bed/wine-run" "$driver" || exit 1
[ -s "$out/expect.txt" ] || { echo "session e2e: the driver left no expect.txt" >&2; exit 1; }
status=0
while read -r file seconds kbit; do
  f=$out/$file
  rate=$(ffprobe </dev/null -v error -select_streams a:0 -show_entries stream=bit_rate -of default=nw=1:nk=1 "$f")
  # Both decoders skip the encoder delay and padding that the LAME info
  # frame records, so they give the track's own sample count.
  ff=$(( $(ffmpeg -nostdin -v error -i "$f" -f s16le -ac 2 -ar 44100 - | wc -c) / 4 ))
  mp=$(( $(mpg123 -q -s "$f" 2>/dev/null </dev/null | wc -c) / 4 ))
  ok=$(awk -v s="$seconds" -v a="$ff" -v b="$mp" 'BEGIN {
    want = s * 44100; d1 = a - want; d2 = b - want
    print ((d1 < 1152 && -d1 < 1152 && d2 < 1152 && -d2 < 1152) ? 1 : 0) }')
  echo "session e2e: $file: ffmpeg $ff samples, mpg123 $mp samples, ${rate} bit/s (want ${seconds} s at ${kbit} kbit/s)"
  [ "$ok" = 1 ] || { echo "session e2e: $file: wrong duration" >&2; status=1; }
  [ "$rate" = "$((kbit * 1000))" ] || { echo "session e2e: $file: wrong bit rate" >&2; status=1; }
done < <(tr -d '\r' <"$out/expect.txt")
exit $status
