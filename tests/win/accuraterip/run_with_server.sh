#!/usr/bin/env bash
# Makes a three-track disc's WAVs, builds its answer file with
# tools/arserver/make_bin.py (checksums from whipper's accuraterip-checksum),
# starts tools/arserver/arserver.py on it, runs the Windows test in the Wine
# bed against it, stops the server.
exe=${1:?test executable}
source "$(dirname "$0")/../common/server_bed.sh"

# Tracks of 500, 800 and 600 sectors laid end to end: TOC 0, 500, 1300,
# lead-out 1900. The test knows this layout.
/usr/bin/python3 - "$work" <<'PY' || exit 1
import random, sys, wave
random.seed(21)
for i, sectors in enumerate((500, 800, 600), start=1):
    w = wave.open('%s/t%d.wav' % (sys.argv[1], i), 'wb')
    w.setnchannels(2); w.setsampwidth(2); w.setframerate(44100)
    w.writeframes(random.randbytes(sectors * 2352))
    w.close()
PY
python3 "$root/tools/arserver/make_bin.py" --root "$work/db" --confidence 12 --v1-chunk 3 \
  "$work/t1.wav" "$work/t2.wav" "$work/t3.wav" >"$work/binpath" || exit 1
oracle=${WQ_AR_ORACLE:-$root/build/deps/whipper/accuraterip-checksum}
expect=
for t in 1 2 3; do
  expect+=$("$oracle" --accuraterip-v2 "$work/t$t.wav" $t 3),
done

start_server "AccurateRip stand-in server" \
  python3 "$root/tools/arserver/arserver.py" --root "$work/db" --port 0 --port-file "$work/port" --quiet
export WQ_AR_TEST_URL="http://127.0.0.1:$port"
export WQ_AR_TEST_NAME=$(basename "$(cat "$work/binpath")" .bin)
export WQ_AR_TEST_V2=${expect%,}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
"$root/tests/bed/wine-run" "$exe"
