#!/usr/bin/env bash
# Verified rips end to end: noise discs made here (one with a drive file
# for a read offset, two with faults for secure reading), the stand-in
# AccurateRip server on 127.0.0.1 with answers built by the oracle, and
# wavequill driven under the Wine bed. The driver gets the oracle's and
# zlib's checksums through expected.txt.
set -uo pipefail
root=$(cd "$(dirname "$0")/../../.." && pwd)
driver=$1
bed=${WQ_BED:-$root/build/wine}
discs=$bed/prefix/drive_c/wq-verify-e2e-discs
out=$bed/prefix/drive_c/wq-verify-e2e
oracle=${WQ_AR_ORACLE:-$root/build/deps/whipper/accuraterip-checksum}
arserver=$root/tools/arserver
[ -x "$oracle" ] || { echo "verify e2e: no AccurateRip oracle at $oracle (make deps)" >&2; exit 1; }
[ -f "$arserver/arserver.py" ] || { echo "verify e2e: no stand-in server in tools/arserver" >&2; exit 1; }
rm -rf "$discs" "$out"
mkdir -p "$discs/db" "$out"
expect=$discs/expected.txt
: >"$expect"

# disc NAME SECONDS SEED [make_bin options]: the image, its WAVs, its answer
# file; expected.txt gets "NAME disc dBAR-..." and "NAME NN v1 v2 crc".
disc() {
  local name=$1 lengths=$2 seed=$3
  shift 3
  python3 "$(dirname "$0")/make_disc.py" "$discs" "$name" "$lengths" "$seed" >"$discs/$name.crc" || return 1
  local wavs=("$discs/$name"-??.wav) n=${#wavs[@]}
  local bin
  bin=$(python3 "$arserver/make_bin.py" --root "$discs/db" --oracle "$oracle" "$@" "${wavs[@]}") || return 1
  echo "$name disc $(basename "$bin" .bin)" >>"$expect"
  local t=1
  while read -r nn crc; do
    v1=$("$oracle" --accuraterip-v1 "${wavs[$((t - 1))]}" "$t" "$n") || return 1
    v2=$("$oracle" --accuraterip-v2 "${wavs[$((t - 1))]}" "$t" "$n") || return 1
    echo "$name $nn ${v1^^} ${v2^^} $crc" >>"$expect"
    t=$((t + 1))
  done <"$discs/$name.crc"
}
# Track 2's answer holds a checksum no rip gives: one non-match.
disc plain 10,10,10 1 --wrong 2 || { echo "verify e2e: cannot make the plain disc" >&2; exit 1; }
# The same audio on a drive that reads 6 samples late.
cp "$discs/plain.cue" "$discs/offset6.cue"
printf 'offset +6\n' >"$discs/offset6.drive"
# Secure reading: sectors of track 2 (750..1574) that read wrong twice, or
# never the same.
disc faults 10,11,10 2 || { echo "verify e2e: cannot make the faults disc" >&2; exit 1; }
for f in flaky random; do
  cp "$discs/faults.cue" "$discs/$f.cue"
done
printf 'flaky 1100-1109 2\n' >"$discs/flaky.drive"
printf 'random 1100-1109\n' >"$discs/random.drive"

python3 "$arserver/arserver.py" --root "$discs/db" --port-file "$discs/port" --quiet &
server=$!
trap 'kill $server 2>/dev/null; wait $server 2>/dev/null' EXIT
for _ in $(seq 100); do [ -s "$discs/port" ] && break; sleep 0.1; done
[ -s "$discs/port" ] || { echo "verify e2e: the stand-in server did not start" >&2; exit 1; }
export WQ_AR_BASE="http://127.0.0.1:$(cat "$discs/port")"
"$root/tests/bed/wine-run" "$driver"
