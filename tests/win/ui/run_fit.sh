#!/usr/bin/env bash
# Runs the fit test at 96, 120 and 144 DPI with a wide message font, in a
# Wine bed of its own (the settings are the whole prefix's): a copy of the
# main bed, shared by both builds' runs under a lock.
#   run_fit.sh FIT_TEST_EXE [DPI...]
set -uo pipefail
root=$(cd "$(dirname "$0")/../../.." && pwd)
exe=$1
shift
dpis=${*:-96 120 144}
main_bed=${WQ_BED:-$root/build/wine}
fit_bed=${WQ_FIT_BED:-$root/build/wine-fit}
face=${WQ_FIT_FONT:-DejaVu Sans}
points=${WQ_FIT_POINTS:-9}
mkdir -p "$fit_bed"
exec 9>"$fit_bed.lock"
flock 9
export WQ_BED=$fit_bed
WQ_BED_TEMPLATE=$main_bed bash "$root/tests/bed/winebed.sh" start >/dev/null || exit 1
trap 'bash "$root/tests/bed/winebed.sh" stop' EXIT
eval "$(bash "$root/tests/bed/winebed.sh" env)"
fonts=$WINEPREFIX/drive_c/windows/Fonts
for f in /usr/share/fonts/truetype/dejavu/DejaVuSans*.ttf /usr/share/fonts/truetype/liberation*/LiberationSans-*.ttf; do
  [ -f "$f" ] && cp -n "$f" "$fonts/" 2>/dev/null
done
reg() { /usr/lib/wine/wine64 reg "$@" >/dev/null 2>&1; }
# LOGFONTW of the face at the given points and DPI, as reg.exe's hex.
logfont() {
  python3 - "$1" "$2" "$3" <<'PY'
import struct, sys
face, pt, dpi = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
name = face.encode("utf-16-le")[:62].ljust(64, b"\0")
# Wine keeps these at 96 DPI and scales them to the DPI in use.
lf = struct.pack("<lllllBBBBBBBB", -round(pt * 96 / 72), 0, 0, 0, 400, 0, 0, 0, 1, 0, 0, 0, 0) + name
print(lf.hex())
PY
}
status=0
for dpi in $dpis; do
  reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f
  reg add 'HKCC\Software\Fonts' /v LogPixels /t REG_DWORD /d "$dpi" /f
  lf=$(logfont "$face" "$points" "$dpi")
  for v in MessageFont MenuFont StatusFont CaptionFont SmCaptionFont IconFont; do
    reg add 'HKCU\Control Panel\Desktop\WindowMetrics' /v $v /t REG_BINARY /d "$lf" /f
  done
  echo "== fit at $dpi DPI, $face $points pt"
  log=$(mktemp)
  "$root/tests/bed/wine-run" "$exe" >"$log" 2>&1
  rc=$?
  tr -d '\r' <"$log" | grep -v '^\[  *\(RUN\|OK\)\|^wine: Read access'
  rm -f "$log"
  [ "$rc" = 0 ] || { echo "== fit at $dpi DPI failed (exit $rc)"; status=1; }
done
exit $status
