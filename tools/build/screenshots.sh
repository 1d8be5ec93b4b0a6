#!/usr/bin/env bash
# Takes a picture of every window of wavequill under Xvfb, and of notepad's
# File menu with the menulink items, in a Wine bed of its own.
#   screenshots.sh [DPI]      (default 96; WQ_SHOTS_FONT="DejaVu Sans" for a wide font)
# All pictures land in build/screenshots/DPI/; at 96 DPI with Wine's own font
# three of them are copied, made small, to docs/ for the README.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
dpi=${1:-96}
build=${WQ_SHOTS_BUILD:-$root/build/win64}
bin=$build/bin
out=$root/build/screenshots/$dpi
mkdir -p "$out"
export WQ_BED=$root/build/wine-shots
bed=$root/tests/bed/winebed.sh
WQ_BED_TEMPLATE=${WQ_BED_TEMPLATE:-$root/build/wine} bash "$bed" start >/dev/null
trap 'bash "$bed" stop >/dev/null 2>&1' EXIT
eval "$(bash "$bed" env)"
wine() { "$root/tests/bed/wine-run" "$@"; }
px() { echo $(( ($1 * dpi + 720) / 1440 )); }

wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
wine reg add 'HKCC\Software\Fonts' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
if [ -n "${WQ_SHOTS_FONT:-}" ]; then
  cp -n /usr/share/fonts/truetype/dejavu/DejaVuSans*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
  lf=$(python3 -c 'import struct,sys; n=sys.argv[1].encode("utf-16-le")[:62].ljust(64,b"\0"); print((struct.pack("<lllllBBBBBBBB",-12,0,0,0,400,0,0,0,1,0,0,0,0)+n).hex())' "$WQ_SHOTS_FONT")
  wine reg add 'HKCU\Control Panel\Desktop\WindowMetrics' /v MessageFont /t REG_BINARY /d "$lf" /f >/dev/null 2>&1
else
  wine reg delete 'HKCU\Control Panel\Desktop\WindowMetrics' /v MessageFont /f >/dev/null 2>&1 || true
fi

# X window of a top-level window by its exact title.
xwin() { timeout 30 xdotool search --sync --onlyvisible --name "^$1\$" 2>/dev/null | head -1; }
shoot() {  # X window, file
  xdotool windowraise "$1"
  sleep 0.3
  xwd -id "$1" -silent | convert xwd:- "$2"
  echo "screenshot: $2"
}
# A click at a point of a window's client area given in twips from its
# left (or, for x < 0, from its right) edge. The X window holds the frame
# Wine draws; the client area may be wider than the design where a caption
# needed room, so right-hand buttons are found from the right.
click() {  # X window, client height in twips, x, y, [repeat]
  local w h bx cy x
  eval "$(xwininfo -id "$1" | awk '/Width:/ {print "w=" $2} /Height:/ {print "h=" $2}')"
  bx=$(( (3 * dpi + 48) / 96 ))
  cy=$(( h - $(px "$2") - bx ))
  if [ "$3" -lt 0 ]; then x=$(( w - bx - $(px $(( -$3 ))) )); else x=$(( bx + $(px "$3") )); fi
  xdotool mousemove --window "$1" "$x" $(( cy + $(px "$4") )) click --repeat "${5:-1}" --delay 120 1
}
# The newest open menu: an unnamed X window of its own (xwd -root draws it black).
menu_window() {
  xwininfo -root -children | awk '/\(has no name\)/ {print $1}' | while read -r id; do
    g=$(xwininfo -id "$id" 2>/dev/null | awk '/Map State/ {m=$3} /Width/ {w=$2} /Height/ {h=$2} END {print m, w, h}')
    set -- $g
    [ $# = 3 ] && [ "$1" = IsViewable ] && [ "$3" -gt 60 ] && [ "$2" -lt 600 ] && echo "$id"
  done | tail -1
}

c=$WINEPREFIX/drive_c/wq-shots
rm -rf "$c" && mkdir -p "$c"
wine "$bin/discimage.exe" --out 'C:\wq-shots\demo.cue' --tracks 245,187,302,62,218 >/dev/null
wine "$bin/wavequill.exe" --disc-image 'C:\wq-shots\demo.cue' >/dev/null 2>&1 &
main=$(xwin 'wavequill v[0-9.]*')
[ -n "$main" ] || { echo "screenshots: no main window" >&2; exit 1; }
sleep 3
# The disc image is the first drive: a double click lists its tracks, then
# the first three tracks are chosen.
click "$main" 5685 4520 330 2
sleep 1.5
click "$main" 5685 600 300
xdotool key Down space Down space
sleep 0.5
shoot "$main" "$out/main-window.png"

click "$main" 5685 -$((8145 - 4200 - 2880 - 427)) $((2160 + 2160 + 127))
d=$(xwin 'Make Directory')
[ -n "$d" ] || { echo "screenshots: Make Directory did not open" >&2; exit 1; }
sleep 0.5
shoot "$d" "$out/make-directory.png"
click "$d" 1035 -$((3765 - 2280 - 607)) $((600 + 187))

click "$main" 5685 $((5640 + 487)) $((5160 + 187))
d=$(xwin 'About wavequill')
[ -n "$d" ] || { echo "screenshots: the About box did not open" >&2; exit 1; }
sleep 0.5
shoot "$d" "$out/about.png"
click "$d" 5340 -$((5790 - 4440 - 630)) $((4920 + 172))

# The Bitrate menu: its title sits at the left end of the menu bar.
eval "$(xwininfo -id "$main" | awk '/Width:/ {print "w=" $2} /Height:/ {print "h=" $2}')"
bx=$(( (3 * dpi + 48) / 96 ))
xdotool mousemove --window "$main" $(( bx + 20 )) $(( h - $(px 5685) - bx - 8 )) click 1
sleep 0.7
m=$(menu_window || true)
[ -n "$m" ] && shoot "$m" "$out/bitrate-menu.png"
xdotool key Escape Escape
sleep 0.3

click "$main" 5685 $((4440 + 487)) $((5160 + 187))
p=$(xwin 'Ripping and Encoding')
[ -n "$p" ] || { echo "screenshots: no progress window" >&2; exit 1; }
sleep 2.5
shoot "$p" "$out/progress-window.png"

# notepad's File menu with the menulink items, by the menulink e2e run.
if [ -f "$bin/menulink_notepad_driver.exe" ]; then
  rm -f "$root/build/wine-shots-notepad/notepad-file-menu.png"
  bash "$root/tests/e2e/menulink/run_notepad.sh" "$bin" "$root/build/wine-shots-notepad" >/dev/null 2>&1 || true
  if [ -f "$root/build/wine-shots-notepad/notepad-file-menu.png" ]; then
    cp "$root/build/wine-shots-notepad/notepad-file-menu.png" "$out/"
    echo "screenshot: $out/notepad-file-menu.png"
  fi
fi

if [ "$dpi" = 96 ] && [ -z "${WQ_SHOTS_FONT:-}" ]; then
  for f in main-window progress-window notepad-file-menu; do
    [ -f "$out/$f.png" ] || continue
    # Few colours are enough for a window: a few tens of kB.
    convert "$out/$f.png" -strip -dither None -colors 48 "PNG8:$root/docs/$f.png"
    echo "docs/$f.png: $(( $(stat -c %s "$root/docs/$f.png") / 1024 )) kB"
  done
fi
