#!/usr/bin/env bash
# Wine's notepad, registered as NOTEPAD.EXE in the registry before the
# library first loads, hooked by the controller stand-in. Runs in a bed of
# its own: the library must not be loaded anywhere yet when it starts.
#   run_notepad.sh BINDIR BEDDIR
set -uo pipefail
bin=$1; export WQ_BED=$2
root=$(cd "$(dirname "$0")/../../.." && pwd)
bed=$root/tests/bed/winebed.sh
bash "$bed" start >/dev/null || exit 1
trap 'bash "$bed" stop >/dev/null 2>&1' EXIT
eval "$(bash "$bed" env)"
# Wine's notepad of the build's own width: a hook DLL loads only into
# processes of its own bitness.
wine=$("$root/tests/bed/wine-loader" "$bin/menulink_notepad_driver.exe") || exit $?
tmp=$WINEPREFIX/drive_c/users/${USER:-$(id -un)}/Temp
[ -d "$tmp" ] || tmp=$(ls -d "$WINEPREFIX"/drive_c/users/*/Temp | head -1)
rm -f "$tmp"/menulink-e2e-*
"$wine" reg add 'HKCU\Software\Korvane Corp\Lexora9.0\Direct' /v App_1 /t REG_SZ \
  /d 'NOTEPAD.EXE, C:\windows\system32\notepad.exe, Notepad' /f >/dev/null 2>&1
MENULINK_CAPTURE_MESSAGES_TO='C:\windows\temp\menulink-e2e-messages.txt' "$wine" notepad >/dev/null 2>&1 &
"$wine" "$bin/menulink_notepad_driver.exe" &
driver=$!
shot=$WQ_BED/notepad-file-menu.png
for _ in $(seq 300); do
  if [ -f "$tmp/menulink-e2e-menu-open.flag" ]; then
    # The open menu is an X window of its own; xwd -root draws it black.
    win=$(xwininfo -root -children | awk '/\(has no name\)/ && $0 ~ /[0-9]+x[0-9]+\+/ {print $1}' | while read -r id; do
      g=$(xwininfo -id "$id" | awk '/Map State/ {m=$3} /Width/ {w=$2} /Height/ {h=$2} END {print m, w, h}')
      set -- $g; [ "$1" = IsViewable ] && [ "$2" -lt 400 ] && [ "$3" -gt 60 ] && echo "$id"
    done | tail -1)
    if [ -n "$win" ]; then xwd -id "$win" -silent | convert xwd:- "$shot" && echo "screenshot: $shot"; fi
    touch "$tmp/menulink-e2e-shot.done"; break
  fi
  kill -0 $driver 2>/dev/null || break
  sleep 0.1
done
wait $driver; rc=$?
"$wine" reg delete 'HKCU\Software\Korvane Corp\Lexora9.0\Direct' /f >/dev/null 2>&1
exit $rc
