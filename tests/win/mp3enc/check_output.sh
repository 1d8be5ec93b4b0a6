#!/usr/bin/env bash
# check_output.sh ENCODE_EXE WINE_RUN WORKDIR
# Encodes generated WAV files under Wine with the ripper's encoder and checks
# the MP3s natively: byte identity with Debian's lame at the same bit rate,
# the bit rate ffprobe reports, and the decoded length against the WAV's.
set -uo pipefail
exe=$(realpath "$1") wine_run=$(realpath "$2") work=$(realpath -m "$3")
rm -rf "$work" && mkdir -p "$work" && cd "$work" || exit 1
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
winpath() { echo "Z:${1//\//\\}"; }

# Pink noise with a tone: ffmpeg also writes a LIST chunk before the data.
gen() {  # gen NAME RATE LAYOUT SECONDS
  ffmpeg -loglevel error -y -f lavfi -i "anoisesrc=d=$4:c=pink:a=0.3:r=$2" \
    -f lavfi -i "sine=f=660:d=$4:r=$2" -filter_complex \
    "[0][1]amix=inputs=2,aformat=sample_fmts=s16:channel_layouts=$3" -ar "$2" "$1.wav"
}
probe() {  # probe FIELD FILE: one field of the first audio stream
  ffprobe -v error -select_streams a:0 -show_entries "stream=$1" -of default=nw=1:nk=1 "$2" | head -n 1
}
wav_frames() {  # sample frames of a 16-bit WAV: decoded bytes / (2 * channels)
  local ch; ch=$(probe channels "$1")
  echo $(( $(ffmpeg -v error -i "$1" -f s16le - | wc -c) / (2 * ch) ))
}

encode() {  # encode WAV MP3 KBIT
  "$wine_run" "$exe" "$(winpath "$PWD/$1")" "$(winpath "$PWD/$2")" "$3" 2>&1 | tr -d '\r' >"$2.log"
  return "${PIPESTATUS[0]}"
}

check() {  # check NAME KBIT COMPARE(yes|no)
  local name=$1 kbit=$2 cmp=$3 out="$1-$2.mp3"
  encode "$name.wav" "$out" "$kbit"; local rc=$?
  if [ $rc -ne 0 ] && [ ! -s "$out.log" ]; then
    # A Wine process that died before printing anything says nothing about
    # the encoder; try once more and say so.
    echo "note $out: encoder process ended with $rc and no output; retrying"
    encode "$name.wav" "$out" "$kbit"; rc=$?
  fi
  if [ $rc -ne 0 ]; then fail "$out: encoder exit $rc: $(cat "$out.log")"; return; fi
  grep -q " done 1$" "$out.log" || fail "$out: not exactly one EncodeDone: $(cat "$out.log")"
  [ -f "$out" ] || { fail "$out missing"; return; }
  ls "$out".* 2>/dev/null | grep -v '\.log$' && fail "$out: temporary file left"
  if [ "$cmp" = yes ]; then
    lame --silent -b "$kbit" "$name.wav" "ref-$out"
    if head -c 64 "ref-$out" | grep -q Info; then
      cmp -s "$out" "ref-$out" || fail "$out differs from lame -b $kbit"
    else
      # Where one frame at this bit rate cannot hold the tag, lame writes no
      # info frame; ours goes in front of audio that is otherwise the same.
      local extra=$(( $(stat -c %s "$out") - $(stat -c %s "ref-$out") ))
      [ "$extra" -gt 0 ] && head -c "$extra" "$out" | grep -q Info &&
        cmp -s <(tail -c +$((extra + 1)) "$out") "ref-$out" ||
        fail "$out is not an info frame followed by lame -b $kbit's output"
      echo "note $out: lame writes no info frame at $kbit kbit/s; ours adds $extra bytes"
    fi
  fi
  local rate brate
  rate=$(probe sample_rate "$out")
  brate=$(probe bit_rate "$out")
  [ "$brate" = "$((kbit * 1000))" ] || fail "$out: bit rate $brate, wanted ${kbit}000"
  # Decoded length, honouring the info frame's gapless data.
  local bytes samples inframes inrate
  bytes=$(ffmpeg -v error -i "$out" -ac 1 -f s16le - | wc -c)
  samples=$((bytes / 2))
  inframes=$(wav_frames "$name.wav")
  inrate=$(probe sample_rate "$name.wav")
  # |samples/rate - inframes/inrate| <= 1152/rate, in integers
  local diff=$((samples * inrate - inframes * rate))
  [ "${diff#-}" -le $((1152 * inrate)) ] ||
    fail "$out: decodes to $samples samples at $rate Hz, WAV has $inframes at $inrate Hz"
  echo "ok $out ($rate Hz, $brate bit/s, $samples samples)"
}

gen stereo44 44100 stereo 6
gen mono44 44100 mono 3
gen stereo48 48000 stereo 2
gen mono22 22050 mono 2

# The bit-rate menu's 13 rates, and 320 which the encoder also takes.
for kbit in 256 224 192 160 128 112 96 80 64 56 48 40 32 320; do
  check stereo44 "$kbit" yes
done
for name in mono44 stereo48 mono22; do
  check "$name" 128 yes
done
check mono44 320 yes

[ "$failures" -eq 0 ] && echo "all MP3 checks passed" || echo "$failures failure(s)"
exit $((failures != 0))
