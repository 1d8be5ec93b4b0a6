#!/usr/bin/env bash
# Both widths in one wine64 prefix: the shipped 32-bit library and
# controller (this build) beside the 64-bit library and host (the 64-bit
# build), Wine's 64-bit and 32-bit notepads registered and running at once.
#   run_widths.sh BIN32 BIN64 BEDDIR
set -uo pipefail
bin32=$1 bin64=$2; export WQ_BED=$3
root=$(cd "$(dirname "$0")/../../.." && pwd)
bed=$root/tests/bed/winebed.sh
for f in "$bin32/menulink.dll" "$bin32/controller.exe" "$bin32/menulink_widths_driver.exe" \
         "$bin32/menu_probe_cli.exe" "$bin32/menu_probe.dll" "$bin32/ocrserver.exe" \
         "$bin64/menulink64.dll" "$bin64/menulink64host.exe" "$bin64/menu_probe_cli.exe" "$bin64/menu_probe.dll"; do
  [ -f "$f" ] || { echo "FAIL: $f is missing (make win64 win32)"; exit 1; }
done
"$root/tests/bed/wine-loader" "$bin32/controller.exe" >/dev/null || exit $?
bash "$bed" start >/dev/null || exit 1
trap 'bash "$bed" stop >/dev/null 2>&1' EXIT
eval "$(bash "$bed" env)"
stage=$WINEPREFIX/drive_c/menulink-widths
rm -rf "$stage" && mkdir -p "$stage"
cp "$bin32/menulink.dll" "$bin32/controller.exe" "$bin64/menulink64.dll" "$bin64/menulink64host.exe" "$stage/"
# Menus are read from a process of each notepad's own width.
mkdir -p "$stage/probe32" "$stage/probe64" "$stage/ocr"
cp "$bin32/menu_probe_cli.exe" "$bin32/menu_probe.dll" "$stage/probe32/"
cp "$bin64/menu_probe_cli.exe" "$bin64/menu_probe.dll" "$stage/probe64/"
# The OCR stand-in of the OCR application's own width (32-bit).
cp "$bin32/ocrserver.exe" "$stage/ocr/"
w64=/usr/lib/wine/wine64 w32=/usr/lib/wine/wine
"$w32" 'C:\menulink-widths\ocr\ocrserver.exe' /regserver >/dev/null 2>&1
"$w64" reg add 'HKCU\Software\Korvane Corp\Lexora9.0\Direct' /v App_1 /t REG_SZ \
  /d 'NOTEPAD.EXE, C:\windows\system32\notepad.exe, Notepad' /f >/dev/null 2>&1
"$w64" 'C:\windows\system32\notepad.exe' >/dev/null 2>&1 &
"$w32" 'C:\windows\syswow64\notepad.exe' >/dev/null 2>&1 &
"$w32" "$bin32/menulink_widths_driver.exe" 'C:\menulink-widths' 'C:\menulink-widths\controller.log'
rc=$?
"$w32" 'C:\menulink-widths\ocr\ocrserver.exe' /unregserver >/dev/null 2>&1
echo "controller log:"; cat "$stage/controller.log" 2>/dev/null | tr -d '\r'
"$w64" reg delete 'HKCU\Software\Korvane Corp\Lexora9.0\Direct' /f >/dev/null 2>&1
# No host may be left behind (it may take a moment to leave after it let
# go of its mutex).
for _ in $(seq 50); do
  pgrep -f "$stage/menulink64host|menulink-widths.menulink64host" >/dev/null || break
  sleep 0.2
done
if pgrep -f "$stage/menulink64host|menulink-widths.menulink64host" >/dev/null; then
  echo "FAIL: menulink64host.exe is still running"; rc=1
else
  echo "ok: no menulink64host.exe left"
fi
exit $rc
