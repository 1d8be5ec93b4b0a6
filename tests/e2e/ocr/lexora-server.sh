#!/usr/bin/env bash
# Registers or unregisters the stand-in OCR server ("Lexora") in the Wine
# test bed chosen by WQ_BED (tests/bed/winebed.sh start must have run).
#   tests/e2e/ocr/lexora-server.sh register|unregister [BUILD_DIR]
# BUILD_DIR defaults to build/win64. Answers are scripted through
# ocrserver-script.txt beside the executable; calls land in
# ocrserver-calls.log there (see tools/ocrserver/server_script.h).
set -euo pipefail
root=$(cd "$(dirname "$0")/../../.." && pwd)
build=${2:-$root/build/win64}
exe=$build/bin/ocrserver.exe
[ -f "$exe" ] || { echo "lexora-server: $exe is not built" >&2; exit 1; }
case "${1:-}" in
  register) exec "$root/tests/bed/wine-run" "$exe" /regserver ;;
  unregister) exec "$root/tests/bed/wine-run" "$exe" /unregserver ;;
  *) echo "usage: $0 register|unregister [BUILD_DIR]" >&2; exit 2 ;;
esac
