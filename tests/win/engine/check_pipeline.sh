#!/usr/bin/env bash
# check_pipeline.sh TEST_EXE WINE_RUN WORKDIR
# Rips one disc at K = 1, 2 and 4 encoders under Wine (the pipeline test
# copies the MP3s and each track's audio out), then checks natively that
# every MP3 is Debian's "lame -b 128" output behind our ID3v2 tag.
set -uo pipefail
exe=$(realpath "$1") wine_run=$(realpath "$2") work=$(realpath -m "$3")
rm -rf "$work" && mkdir -p "$work" || exit 1
WQ_PIPELINE_OUT="Z:${work//\//\\}" "$wine_run" "$exe" --gtest_filter='*EveryKRipsTheSameInTrackOrder' ||
  { echo "FAIL: the session test failed"; exit 1; }
failures=0 checked=0
for ref in "$work"/ref-Track*.wav; do
  t=$(basename "$ref" .wav); t=${t#ref-}
  lame --silent -b 128 "$ref" "$work/lame-$t.mp3" || { echo "FAIL: lame on $ref"; exit 1; }
  for k in 1 2 4; do
    ours=$work/K$k-$t.mp3
    [ -f "$ours" ] || { echo "FAIL: $ours missing"; failures=$((failures + 1)); continue; }
    # Skip the ID3v2 tag: 10 bytes of header, then a syncsafe size.
    python3 - "$ours" "$work/stripped.mp3" <<'PY' || { failures=$((failures + 1)); continue; }
import sys
b = open(sys.argv[1], 'rb').read()
if b[:3] != b'ID3':
    sys.exit("FAIL: %s has no ID3v2 tag" % sys.argv[1])
n = ((b[6] & 127) << 21) | ((b[7] & 127) << 14) | ((b[8] & 127) << 7) | (b[9] & 127)
open(sys.argv[2], 'wb').write(b[10 + n:])
PY
    if cmp -s "$work/stripped.mp3" "$work/lame-$t.mp3"; then
      checked=$((checked + 1))
    else
      echo "FAIL: K=$k $t differs from lame -b 128"; failures=$((failures + 1))
    fi
  done
done
[ "$checked" -eq 12 ] || { echo "FAIL: $checked of 12 MP3s checked"; failures=$((failures + 1)); }
[ "$failures" -eq 0 ] && echo "all $checked MP3s match lame -b 128 at K = 1, 2, 4"
exit $((failures != 0))
