#!/usr/bin/env bash
# Runs every test: native (sanitizers, fuzz runs), Windows under the Wine test
# bed (unit, integration, end-to-end), and the checks of the shipped 32-bit
# binaries. Exits non-zero when anything failed.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
cd "$root"
bed=tests/bed/winebed.sh
status=0

echo "== native tests"
ctest --test-dir build/native --output-on-failure -j 2 || status=1

bash "$bed" start || exit 1
trap 'bash "$bed" stop' EXIT
echo "== Windows tests under wine64"
ctest --test-dir build/win64 --output-on-failure -j "${WQ_WIN_JOBS:-2}" || status=1

echo "== shipped 32-bit binaries"
bash tools/build/check-binaries.sh build/win32/bin || status=1
exit $status
