#!/usr/bin/env bash
# Runs every test: native (sanitizers, fuzz runs), then the whole Windows
# suite twice in the Wine test bed: the 64-bit build under wine64 and the
# 32-bit build, the one that ships, under 32-bit Wine. Then the checks of the
# shipped 32-bit binaries. Exits non-zero when anything failed.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
cd "$root"
bed=tests/bed/winebed.sh
status=0
logs=$(mktemp -d)
summary=()

# run_ctest NAME PRESET: one ctest run (the test preset of that build, see
# CMakePresets.json), its result kept for the closing summary. WQ_WIN_JOBS
# overrides the preset's job count.
run_ctest() {
  local name=$1 preset=$2 rc line
  ctest --preset "$preset" ${WQ_WIN_JOBS:+-j "$WQ_WIN_JOBS"} 2>&1 | tee "$logs/$name.log"
  rc=${PIPESTATUS[0]}
  line=$(grep -E '^[0-9]+% tests passed' "$logs/$name.log" | tail -n 1)
  summary+=("$name: ${line:-no ctest summary}$(grep -q '(Skipped)' "$logs/$name.log" && echo ' (some skipped)')")
  [ "$rc" = 0 ] || status=1
  return "$rc"
}

echo "== native tests"
run_ctest native native

bash "$bed" start || exit 1
trap 'bash "$bed" stop; rm -rf "$logs"' EXIT

echo "== Windows tests, 64-bit build under wine64"
rm -f build/win64/tests-passed
# menulink64.dll and its host ship beside the 32-bit files.
if run_ctest "64-bit build" win64; then
  (cd build/win64/bin && sha256sum menulink64.dll menulink64host.exe) >build/win64/tests-passed
fi

echo "== Windows tests, 32-bit build under 32-bit Wine (the build that ships)"
rm -f build/win32/tests-passed
if ! bash tests/bed/wine-loader --can-run-i386; then
  echo "32-bit build: its tests are reported as skipped, not passed"
fi
if run_ctest "32-bit build" win32 && ! grep -q '(Skipped)' "$logs/32-bit build.log"; then
  # make release zips only the very files that this run passed with.
  (cd build/win32/bin && sha256sum wavequill.exe menulink.dll libmp3lame-0.dll) >build/win32/tests-passed
fi

echo "== shipped 32-bit binaries"
bash tools/build/check-binaries.sh build/win32/bin build/win64/bin || status=1

echo "== summary"
printf '%s\n' "${summary[@]}"
exit $status
