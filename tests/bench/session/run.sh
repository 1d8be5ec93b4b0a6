#!/usr/bin/env bash
# Session benchmark: a whole session over a generated 21-minute disc at
# 128 kbit/s, against the same LAME build in a plain loop over the same WAV
# files, and against Debian's lame command; then the plain path taken apart
# and what the user-interface thread did. Prints figures and ratios only.
# Each side runs WQ_SESSION_ROUNDS times (default 3), turn about, and each
# stretch between two encode events counts its best round: this machine's
# speed drifts too much for one run.
#   run.sh [BUILD_DIR]   (default build/win64; build/win32 runs under 32-bit Wine)
set -euo pipefail
root=$(cd "$(dirname "$0")/../../.." && pwd)
. "$root/tests/bench/common/wine_bench.sh"
bench_setup session "${1:-}" session_bench.exe discimage.exe
mkdir -p "$work/out" "$work/wav" "$work/disc"
run() { "$wine" "$@"; }
# WQ_SESSION_TRACKS: track lengths in seconds, for a shorter look.
run "$bin/discimage.exe" --out "$(win "$work/disc/long.cue")" --tracks "${WQ_SESSION_TRACKS:-240,240,240,240,300}" >/dev/null
rounds=${WQ_SESSION_ROUNDS:-3}
run "$bin/session_bench.exe" "$(win "$work/disc/long.cue")" "$(win "$work/out")" "$(win "$work/wav")" "$rounds" \
  | tr -d '\r' >"$work/figures"
# Debian's lame, timed the same way: each track's best of the rounds.
now() { date +%s.%N; }
debian=0
cpu0=$(awk '{ print $14 + $15 + $16 + $17 }' /proc/$$/stat)
for w in "$work"/wav/Track*.wav; do
  best=
  for ((r = 0; r < rounds; r++)); do
    a=$(now)
    lame --quiet -b 128 "$w" "${w%.wav}.deb.mp3"
    best=$(awk -v a="$a" -v b="$(now)" -v best="$best" 'BEGIN { t = b - a; print (best == "" || t < best) ? t : best }')
  done
  debian=$(awk -v d="$debian" -v t="$best" 'BEGIN { printf "%.3f", d + t }')
done
cpu1=$(awk '{ print $14 + $15 + $16 + $17 }' /proc/$$/stat)
debian_cpu=$(awk -v a="$cpu0" -v b="$cpu1" -v hz="$(getconf CLK_TCK)" -v r="$rounds" 'BEGIN { printf "%.3f", (b - a) / hz / r }')
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
# Every figure of the Windows side goes to awk by name.
vars=()
while IFS='=' read -r k v; do vars+=(-v "$k=$v"); done <"$work/figures"
awk "${vars[@]}" -v d="$debian" -v dc="$debian_cpu" -v same="$same" -v bits="$bits" 'BEGIN {
  s = session_seconds; p = plain_seconds; sc = session_cpu_seconds; pc = plain_cpu_seconds
  printf "session bench (%d-bit build): %d tracks, %.1f min of audio at 128 kbit/s\n", bits, tracks, audio_seconds / 60
  if (best_of == "stretch")
    printf "  each side: every stretch between two encode events (%d and %d) counts its best of %d rounds,\n" \
      "  turn about (whole runs in brackets)\n", session_stretches, plain_stretches, rounds
  else
    printf "  each side: every track'"'"'s best of %d rounds, turn about (whole runs in brackets)\n", rounds
  printf "  whole session (read + encode, wavequill under Wine):  %8.3f s  (%s)\n", s, session_runs
  printf "  reads alone (same reader, no encode):                  %8.3f s\n", read_seconds
  printf "  plain loop, same LAME build (under Wine):              %8.3f s  (%s)\n", p, plain_runs
  printf "  Debian lame -b 128 (native):                           %8.3f s\n", d
  printf "  session / plain loop:            %.3f  (overhead %+.1f%%)\n", s / p, (s / p - 1) * 100
  printf "  session / plain loop, each track its best round: %.3f\n", session_track_seconds / plain_track_seconds
  printf "  session / plain loop, best whole runs: %.3f\n", session_best_run_seconds / plain_best_run_seconds
  printf "  session / (reads + plain loop):  %.3f\n", s / (read_seconds + p)
  printf "  session / Debian lame:           %.3f\n", s / d
  printf "  CPU time (best whole run; Debian: mean): session %.3f s, plain loop %.3f s, Debian lame %.3f s\n", sc, pc, dc
  printf "  CPU session / plain loop:        %.3f  (overhead %+.1f%%)\n", sc / pc, (sc / pc - 1) * 100
  printf "  CPU session / Debian lame:       %.3f\n", sc / dc
  printf "  UI thread CPU / session wall:    %.2f%%  (all rounds together; rounds from %.2f%% to %.2f%%)\n", \
    ui_share * 100, ui_share_min * 100, ui_share_max * 100
  printf "  breakdown, wall s / CPU s / share of the session wall:\n"
  part("reading the image", image_read_seconds, image_read_cpu_seconds)
  part("writing the WAV (reads alone - image)", read_seconds - image_read_seconds, -1)
  part("reading the WAV back", wav_read_seconds, wav_read_cpu_seconds)
  part("LAME from memory", lame_seconds, lame_cpu_seconds)
  part("writing the MP3", mp3_write_seconds, mp3_write_cpu_seconds)
  part("flushing the MP3", mp3_flush_seconds, mp3_flush_cpu_seconds)
  part("renaming the MP3", mp3_rename_seconds, mp3_rename_cpu_seconds)
  part("session start to the first event", start_seconds, -1)
  part("last event to the session end", end_seconds, -1)
  rest = s - read_seconds - p
  part("rest: session - reads - plain loop", rest, -1)
  printf "  sample conversion: none in our code (16-bit PCM goes to LAME as read)\n"
  printf "  events the UI thread handled in the session: ReadProgress %d, EncodeProgress %d, Done/Error %d\n", \
    read_progress_events, encode_progress_events, final_events
  printf "  UI thread per kind of message (a second session over track 1, its handlers clocked, messages counted):\n"
  printf "    UI thread CPU %.3f s over %d events; in handlers: ReadProgress %d, %.4f s; EncodeProgress %d, %.4f s; Done/Error %d, %.4f s\n", \
    probe_ui_cpu_seconds, probe_read_progress_events + probe_encode_progress_events + probe_final_events, \
    probe_read_progress_events, probe_read_progress_handler_seconds, probe_encode_progress_events, \
    probe_encode_progress_handler_seconds, probe_final_events, probe_final_handler_seconds
  printf "    before the first event (window shown, log opened): %.4f s CPU; after the last: %.4f s CPU\n", \
    probe_ui_start_cpu_seconds, probe_ui_end_cpu_seconds
  printf "    rest (taking messages from the queue, waiting, painting): %.4f s CPU\n", \
    probe_ui_cpu_seconds - probe_read_progress_handler_seconds - probe_encode_progress_handler_seconds \
    - probe_final_handler_seconds - probe_ui_start_cpu_seconds - probe_ui_end_cpu_seconds
  printf "    messages taken from the queue: events %d, paint %d, erase %d, timer %d, other %d\n", \
    posted_event, posted_paint, posted_erase, posted_timer, posted_other
  printf "    messages sent: bar/window moves %d, erase %d, settext %d, list lines %d, other %d\n", \
    sent_move, sent_erase, sent_settext, sent_addline, sent_other
  printf "  MP3 audio identical to Debian lame (after the ID3v2 tag): %d of %d\n", same, tracks
}
function part(name, w, c) {
  if (c < 0) printf "    %-40s %7.3f s            %5.1f%%\n", name, w, w / s * 100
  else printf "    %-40s %7.3f s  %7.3f s  %5.1f%%\n", name, w, c, w / s * 100
}'
