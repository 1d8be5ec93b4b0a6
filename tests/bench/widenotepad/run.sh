#!/usr/bin/env bash
# The hook's cost in Wine's 64-bit notepad, served through the 32-bit
# controller (see widebench.cpp). Needs both Windows builds.
set -uo pipefail
root=$(cd "$(dirname "$0")/../../.." && pwd)
bin64=${WQ_WIN64_BIN:-$root/build/win64/bin}
bin32=${WQ_WIN32_BIN:-$root/build/win32/bin}
for f in "$bin64/widebench.exe" "$bin64/costprobe.dll" "$bin64/menulink64.dll" "$bin64/menulink64host.exe" \
         "$bin32/menulink.dll" "$bin32/controller.exe"; do
  [ -f "$f" ] || { echo "widebench: $f not built"; exit 1; }
done
# A bed of its own: the registration below and the libraries' shared
# state must not meet those of another run.
export WQ_BED=$root/build/widebench-bed
[ -d "$root/build/wine/prefix" ] && export WQ_BED_TEMPLATE=${WQ_BED_TEMPLATE:-$root/build/wine}
bed=$root/tests/bed/winebed.sh
bash "$bed" start >/dev/null || exit 1
trap 'bash "$bed" stop >/dev/null 2>&1' EXIT
eval "$(bash "$bed" env)"
stage=$WINEPREFIX/drive_c/menulink-bench
rm -rf "$stage" && mkdir -p "$stage"
cp "$bin32/menulink.dll" "$bin32/controller.exe" "$bin64/menulink64.dll" "$bin64/menulink64host.exe" \
   "$bin64/widebench.exe" "$bin64/costprobe.dll" "$stage/"
w64=/usr/lib/wine/wine64
key='HKCU\Software\Korvane Corp\Lexora9.0\Direct'
"$w64" reg add "$key" /v App_1 /t REG_SZ /d 'NOTEPAD.EXE, C:\windows\system32\notepad.exe, Notepad' /f >/dev/null 2>&1
"$w64" 'C:\menulink-bench\widebench.exe' 'C:\menulink-bench'
rc=$?
"$w64" reg delete "$key" /f >/dev/null 2>&1
exit $rc
