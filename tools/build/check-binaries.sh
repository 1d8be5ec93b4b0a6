#!/usr/bin/env bash
# Checks the 32-bit deliverables: they import only system DLLs (and LAME's
# DLL, shipped beside the program), and menulink.dll exports its names
# undecorated at their ordinals with its shared section marked shared.
set -uo pipefail
bin=${1:?bin folder}
fail=0
allowed='^(KERNEL32|USER32|GDI32|ADVAPI32|SHELL32|COMCTL32|OLE32|OLEAUT32|WINHTTP|WINMM|VERSION|msvcrt|COMDLG32|libmp3lame-0)\.dll$'
for f in "$bin"/wavequill.exe "$bin"/menulink.dll; do
  [ -f "$f" ] || continue
  while read -r dll; do
    if ! grep -qiE "$allowed" <<<"$dll"; then echo "FAIL: $(basename "$f") imports $dll"; fail=1; fi
  done < <(objdump -p "$f" | awk '/DLL Name:/ {print $3}')
done
if [ -f "$bin/menulink.dll" ] && [ -f tools/build/check-menulink-exports.sh ]; then
  bash tools/build/check-menulink-exports.sh "$bin/menulink.dll" || fail=1
fi
[ $fail = 0 ] && echo "binaries: ok"
exit $fail
