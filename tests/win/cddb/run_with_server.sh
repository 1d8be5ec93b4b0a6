#!/usr/bin/env bash
# Starts the CDDB test server (records of this folder plus a generated disc
# image), runs the Windows test in the Wine bed against it, stops the server.
exe=${1:?test executable}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../common/server_bed.sh"

# Three tracks at 0, 9000 and 20260 frames, lead-out at 31500: the test
# knows this layout.
cat >"$work/bedimage.cue" <<'CUE'
FILE "bedimage.bin" BINARY
  TRACK 01 AUDIO
    INDEX 01 00:00:00
  TRACK 02 AUDIO
    INDEX 01 02:00:00
  TRACK 03 AUDIO
    INDEX 01 04:30:10
CUE
truncate -s $((31500 * 2352)) "$work/bedimage.bin"
# A mixed-mode disc: a data track, then audio tracks at 4500, 13500 and
# 22500 frames, lead-out at 30000.
cat >"$work/mixed.cue" <<'CUE'
FILE "mixed.bin" BINARY
  TRACK 01 MODE1/2352
    INDEX 01 00:00:00
  TRACK 02 AUDIO
    INDEX 01 01:00:00
  TRACK 03 AUDIO
    INDEX 01 03:00:00
  TRACK 04 AUDIO
    INDEX 01 05:00:00
CUE
truncate -s $((30000 * 2352)) "$work/mixed.bin"

start_server "CDDB test server" \
  python3 "$root/tests/bed/cddb_server.py" --port 0 --port-file "$work/port" --records "$here/records" \
  --disc-image "$work/bedimage.cue" --disc-image "$work/mixed.cue" --slow-seconds 2 --quiet
export WQ_CDDB_TEST_URL="http://127.0.0.1:$port"
"$root/tests/bed/wine-run" "$exe"
rc=$?
exit $rc
