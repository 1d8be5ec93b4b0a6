#!/usr/bin/env bash
# Pipeline benchmark: reads overlapping encodes on every core.
#   full speed: session wall / plain sequential LAME loop over the same
#     tracks (the ideal on K cores is 1/K);
#   8x drive: session wall / the drive's read time alone (1.0 when every
#     encode hides inside the reads).
# Each side runs WQ_PIPELINE_ROUNDS times (default 2), turn about; each
# counts its best run. Other work on the machine slows both sides.
#   run.sh [BUILD_DIR]   (default build/win64)
set -euo pipefail
root=$(cd "$(dirname "$0")/../../.." && pwd)
. "$root/tests/bench/common/wine_bench.sh"
bench_setup pipeline "${1:-}" pipeline_bench.exe discimage.exe
mkdir -p "$work/full" "$work/slow" "$work/out" "$work/wav"
# At full speed a 21-minute disc of ten tracks of uneven length, as an
# album has: with five, the last and longest track alone would hold one
# encoder busy after the other has run out of work, whatever the session
# did. At 8x long tracks and a shorter last one, as on most discs.
"$wine" "$bin/discimage.exe" --out "$(win "$work/full/full.cue")" \
  --tracks "${WQ_PIPELINE_FULL_TRACKS:-128,96,142,117,153,109,135,121,148,111}" >/dev/null
"$wine" "$bin/discimage.exe" --out "$(win "$work/slow/slow.cue")" --speed 8 \
  --tracks "${WQ_PIPELINE_SLOW_TRACKS:-40,40,40,40,20}" >/dev/null
"$wine" "$bin/pipeline_bench.exe" "$(win "$work/full/full.cue")" "$(win "$work/slow/slow.cue")" \
  "$(win "$work/out")" "$(win "$work/wav")" "${WQ_PIPELINE_ROUNDS:-2}" | tr -d '\r' >"$work/figures"
vars=()
while IFS='=' read -r k v; do vars+=(-v "$k=$v"); done <"$work/figures"
load=$(cut -d' ' -f1-3 /proc/loadavg)
awk "${vars[@]}" -v bits="$bits" -v load="$load" 'BEGIN {
  printf "pipeline bench (%d-bit build): %d encoders on %d logical processors, best of %d rounds each side\n", \
    bits, slots, processors, rounds
  printf "  the machine is shared with other work (load average %s): both sides slow down with it\n", load
  printf "  full speed, %d tracks: reads alone %.3f s, plain sequential LAME loop %.3f s, session %.3f s\n", \
    tracks, full_reads_seconds, plain_seconds, session_seconds
  r = session_seconds / plain_seconds
  printf "  ideal on %d encoders: %.3f; session ratio / ideal: %.3f\n", slots, 1 / slots, r * slots
  printf "  processors the session kept busy (its own CPU / its wall): %.2f\n", session_cores
  printf "  CPU use of each processor during the full-speed session (whole machine): %s\n", core_use
  printf "  UI thread CPU / session wall (all rounds; window shown and closed included): full speed %.2f%% (%d events), 8x %.2f%% (%d events)\n", \
    ui_share * 100, events, slow_ui_share * 100, slow_events
  printf "  the same in the worst round: full speed %.2f%%, 8x %.2f%%\n", ui_share_worst * 100, slow_ui_share_worst * 100
  printf "  8x drive: drive read time alone %.3f s, session %.3f s\n", slow_reads_seconds, slow_session_seconds
  printf "pipeline: session / sequential plain loop: %.3f\n", r
  printf "pipeline: session / drive read time at 8x: %.3f\n", slow_session_seconds / slow_reads_seconds
}'
