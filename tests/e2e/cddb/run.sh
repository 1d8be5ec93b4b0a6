#!/usr/bin/env bash
# Use CDDB end to end: a generated disc, the CDDB test server on 127.0.0.1
# with a record for it, wavequill driven under the Wine bed, and the MP3
# files' tags read back with ffprobe.
set -uo pipefail
root=$(cd "$(dirname "$0")/../../.." && pwd)
driver=$1
discimage=$2
bed=${WQ_BED:-$root/build/wine}
out=$bed/prefix/drive_c/wq-cddb-e2e
discs=$bed/prefix/drive_c/wq-cddb-e2e-discs
rm -rf "$out" "$discs"
mkdir -p "$out" "$discs"
# An Enhanced CD: three audio tracks, then a data track, which counts in
# the disc ID and has a title of its own in the record.
"$root/tests/bed/wine-run" "$discimage" --out 'C:\wq-cddb-e2e-discs\disc.cue' --tracks 3,4,2.5,d20 >/dev/null ||
  { echo "cddb e2e: no disc image" >&2; exit 1; }
# The server puts the disc's own ID on this record.
cat >"$discs/disc.xmcd" <<'XMCD'
# xmcd
DISCID=00000000
DTITLE=Test Bed Artist / Caf\u00e9 Album
DYEAR=2021
DGENRE=Rock
TTITLE0=Intro
TTITLE1=AC/DC
TTITLE2=..\\..\\Caf
TTITLE2=é ★
TTITLE3=Videos
EXTD=
PLAYORDER=
XMCD
sed -i 's/\\u00e9/é/' "$discs/disc.xmcd"

python3 "$root/tests/bed/cddb_server.py" --port 0 --port-file "$discs/port" \
  --disc-image "$discs/disc.cue" --quiet &
server=$!
trap 'kill $server 2>/dev/null; wait $server 2>/dev/null' EXIT
for _ in $(seq 100); do [ -s "$discs/port" ] && break; sleep 0.1; done
[ -s "$discs/port" ] || { echo "cddb e2e: the server did not start" >&2; exit 1; }
export WQ_CDDB_BASE="http://127.0.0.1:$(cat "$discs/port")"

"$root/tests/bed/wine-run" "$driver" || exit 1
[ -s "$out/expect.txt" ] || { echo "cddb e2e: the driver left no expect.txt" >&2; exit 1; }

status=0
tag() { ffprobe </dev/null -v error -show_entries "format_tags=$1" -of default=nw=1:nk=1 "$2"; }
while IFS=$'\t' read -r file title track; do
  f=$out/$file
  [ -f "$f" ] || { echo "cddb e2e: missing $file" >&2; status=1; continue; }
  got="$(tag title "$f")|$(tag artist "$f")|$(tag album "$f")|$(tag track "$f")|$(tag date "$f")|$(tag genre "$f")"
  want="$title|Test Bed Artist|Café Album|$track|2021|Rock"
  echo "cddb e2e: $file: $got"
  [ "$got" = "$want" ] || { echo "cddb e2e: $file: tags wrong, want $want" >&2; status=1; }
  # Behind the tag both decoders still find the info frame: the same exact
  # sample count, of a track at least 2.5 s long.
  ff=$(( $(ffmpeg -nostdin -v error -i "$f" -f s16le -ac 2 -ar 44100 - | wc -c) / 4 ))
  mp=$(( $(mpg123 -q -s "$f" 2>/dev/null </dev/null | wc -c) / 4 ))
  echo "cddb e2e: $file: ffmpeg $ff samples, mpg123 $mp samples"
  [ "$ff" = "$mp" ] && [ "$ff" -ge 110250 ] || { echo "cddb e2e: $file: audio wrong" >&2; status=1; }
done < <(tr -d '\r' <"$out/expect.txt")
exit $status
