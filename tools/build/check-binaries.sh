#!/usr/bin/env bash
# Checks the shipped binaries: they import only system DLLs (and LAME's
# DLL, shipped beside the program), and menulink.dll and menulink64.dll
# export their ten names undecorated at their ordinals with the shared
# section marked shared.
#   check-binaries.sh BIN32 [BIN64]
set -uo pipefail
bin=${1:?bin folder}
bin64=${2:-}
fail=0
allowed='^(KERNEL32|USER32|GDI32|ADVAPI32|SHELL32|COMCTL32|OLE32|OLEAUT32|WINHTTP|WINMM|VERSION|msvcrt|COMDLG32|libmp3lame-0)\.dll$'
for f in "$bin"/wavequill.exe "$bin"/menulink.dll ${bin64:+"$bin64"/menulink64.dll "$bin64"/menulink64host.exe}; do
  [ -f "$f" ] || continue
  while read -r dll; do
    if ! grep -qiE "$allowed" <<<"$dll"; then echo "FAIL: $(basename "$f") imports $dll"; fail=1; fi
  done < <(objdump -p "$f" | awk '/DLL Name:/ {print $3}')
done
if [ -f "$bin/menulink.dll" ] && [ -f tools/build/check-menulink-exports.sh ]; then
  bash tools/build/check-menulink-exports.sh "$bin/menulink.dll" || fail=1
fi
if [ -n "$bin64" ]; then
  if [ -f "$bin64/menulink64.dll" ]; then
    bash tools/build/check-menulink-exports.sh "$bin64/menulink64.dll" || fail=1
  else
    echo "FAIL: $bin64/menulink64.dll is missing"; fail=1
  fi
fi
[ $fail = 0 ] && echo "binaries: ok"
exit $fail
