#!/usr/bin/env bash
# The session's data path under callgrind: instruction counts of the native
# build of the same pure code and the same LAME version, repeatable however
# busy the machine is. Kernel work (file reads and writes) is not counted.
#   callgrind.sh [TRACK_SECONDS]   (default 10,10: a short disc, callgrind is slow)
set -euo pipefail
root=$(cd "$(dirname "$0")/../../.." && pwd)
command -v valgrind >/dev/null || { echo "callgrind: valgrind is not installed"; exit 1; }
lib=$(ls "/usr/lib/$(gcc -dumpmachine)/libmp3lame.so.0" 2>/dev/null || true)
[ -n "$lib" ] || { echo "callgrind: no native libmp3lame (Debian's lame package brings it)"; exit 1; }
inc=/usr/include
[ -f "$inc/lame/lame.h" ] || inc=$root/build/deps/lame-win64/include  # same LAME source
[ -f "$inc/lame/lame.h" ] || { echo "callgrind: no lame.h (make lame)"; exit 1; }
discimage=$root/build/native/bin/discimage
[ -x "$discimage" ] || { echo "callgrind: $discimage missing (build native first)"; exit 1; }
# Kept for callgrind_annotate; the audio files are removed at the end.
work=$root/build/bench-callgrind
rm -rf "$work"
mkdir -p "$work"
trap 'rm -rf "$work/disc" "$work/out"' EXIT
src=$root/components
c++ -std=c++20 -O2 -g -I"$root" -isystem "$inc" -o "$work/native_path" \
  "$root/tests/bench/session/native_path.cpp" \
  "$src"/cdreader/{cue_sheet,disc_toc,image_device,track_read,wav_header,progress_pace}.cpp \
  "$src"/mp3enc/{wav_header,progress}.cpp "$src"/accuraterip/ar_checksum.cpp "$lib"
mkdir -p "$work/disc" "$work/out"
"$discimage" --out "$work/disc/disc.cue" --tracks "${1:-10,10}" >/dev/null
valgrind --tool=callgrind --callgrind-out-file="$work/cg.out" "$work/native_path" "$work/disc/disc.cue" \
  "$work/out" >"$work/figures" 2>"$work/valgrind.log" || { cat "$work/valgrind.log"; exit 1; }
# Inclusive counts of the functions that mark each part.
callgrind_annotate --inclusive=yes --threshold=100 "$work/cg.out" 2>/dev/null >"$work/annotated"
count() {  # inclusive Ir of the first function whose name matches $1
  awk -v pat="$1" '$0 ~ pat { gsub(",", "", $1); print $1; exit }' "$work/annotated"
}
session=$(count '::Session\(')
plain=$(count '::PlainLoop\(')
read=$(count '::ReadTrack\(')
image=$(count 'cdr::ImageDevice::ReadFrames')
encode=$(count '::EncodeTrack\(')
# What EncodeTrack spends inside LAME: its calls into the library.
lame_in_session=$(callgrind_annotate --inclusive=yes --tree=calling --threshold=100 "$work/cg.out" 2>/dev/null |
  awk '!seen && /[*]  .*::EncodeTrack\(/ { want = 1; seen = 1; next }
       want && /^$/ { want = 0 }
       want && /  >   .*(lame_encode_buffer_interleaved|lame_encode_flush|lame_get_lametag_frame|lame_close|NewLame)/ {
         gsub(",", "", $1); s += $1 }
       END { print s + 0 }')
awk -v s="$session" -v p="$plain" -v r="$read" -v i="$image" -v e="$encode" -v l="$lame_in_session" \
    -v posts="$(sed -n 's/^posts=//p' "$work/figures")" 'BEGIN {
  printf "callgrind, native build of the same code and LAME (%s): instructions\n", "user space only"
  printf "  session path (read + encode):   %14.0f\n", s
  printf "  plain loop (encode only):       %14.0f\n", p
  printf "  session / plain loop:           %.4f\n", s / p
  printf "  reading the track (ReadTrack):  %14.0f  %6.3f%% of the session\n", r, r / s * 100
  printf "    of which the image drive:     %14.0f\n", i
  printf "  encoding (EncodeTrack):         %14.0f  %6.3f%% of the session\n", e, e / s * 100
  if (l > 0) {
    printf "    of which LAME:                %14.0f  %6.3f%% of the encode\n", l, l / e * 100
    printf "    of which our own loop:        %14.0f  %6.3f%% of the encode\n", e - l, (e - l) / e * 100
  }
  printf "  encode / plain loop:            %.4f\n", e / p
  printf "  progress events that would be posted: %d\n", posts
}'
