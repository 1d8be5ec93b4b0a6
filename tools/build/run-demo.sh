#!/usr/bin/env bash
# make run: starts wavequill (64-bit build) under Wine with a demo disc image
# of nine tracks, and waits until it is closed. With a DISPLAY it shows on
# that display (prefix made once under build/wine-desktop); without one it
# runs on the test bed's own Xvfb display.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
cd "$root"
bin=$root/build/win64/bin
[ -n "${WQ_BIN:-}" ] && bin=$(realpath "$WQ_BIN")
wine=/usr/lib/wine/wine64
bed=${WQ_BED:-$root/build/wine}
demo=$root/build/demo
cue=$demo/demo.cue

for f in wavequill.exe discimage.exe; do
  [ -f "$bin/$f" ] || { echo "run-demo: $bin/$f is missing; build win64 first (make win64)" >&2; exit 1; }
done

winpath() { echo "Z:$(realpath -m "$1" | tr / '\\')"; }

if [ -z "${DISPLAY:-}" ]; then
  echo "run-demo: no DISPLAY; using the test bed's Xvfb display"
  WQ_BED=$bed bash tests/bed/winebed.sh start
  eval "$(WQ_BED=$bed bash tests/bed/winebed.sh env)"
  echo "run-demo: wavequill shows on $DISPLAY; to look at it: DISPLAY=$DISPLAY xwd -root | convert xwd:- shot.png"
else
  # Not the test bed's prefix: that one leaves windows to no window manager.
  bed=${WQ_BED:-$root/build/wine-desktop}
  export WINEPREFIX=$bed/prefix WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES="mscoree,mshtml="
  if [ ! -f "$WINEPREFIX/.wq-ready" ]; then
    echo "run-demo: creating the Wine prefix $WINEPREFIX (once)"
    mkdir -p "$bed"
    "$wine" wineboot -i >"$bed/wineboot.log" 2>&1 || true
    /usr/lib/wine/wineserver -w
    mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
    cp -n /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
    touch "$WINEPREFIX/.wq-ready"
  fi
fi

if [ ! -f "$cue" ]; then
  mkdir -p "$demo"
  echo "run-demo: writing the demo disc image $cue"
  "$wine" "$bin/discimage.exe" --out "$(winpath "$cue")" \
    --tracks 21,34.5,18,47,26,39,15.5,52,30 >/dev/null
fi

echo "run-demo: starting wavequill; close its window (or Quit) to end"
"$wine" "$bin/wavequill.exe" --disc-image "$(winpath "$cue")" "$@"
