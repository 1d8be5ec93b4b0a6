#!/usr/bin/env bash
# make bench: runs every benchmark under tests/bench/*/run.sh and prints what
# each measured. Timings are reported, never judged; only a benchmark that
# could not run makes this fail.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
cd "$root"
bed=tests/bed/winebed.sh
# Stop the bed afterwards only when this run started it.
if ! bash "$bed" status | grep -q '^Xvfb on'; then
  bash "$bed" start >/dev/null || exit 1
  trap 'bash "$bed" stop >/dev/null 2>&1' EXIT
fi
status=0
for b in tests/bench/*/run.sh; do
  [ -f "$b" ] || continue
  if [ "$b" = tests/bench/session/run.sh ]; then
    # The session runs on every Windows build that has the bench built.
    for build in build/win64 build/win32; do
      echo "== ${b%/run.sh} (${build#build/})"
      if [ "$build" = build/win32 ] && [ ! -f "$build/bin/session_bench.exe" ]; then
        echo "   not run: $build has no session_bench.exe (configure it with tests on)"
        continue
      fi
      if ! bash "$b" "$build"; then
        echo "   (did not run to the end)"
        status=1
      fi
    done
    echo "== tests/bench/session (callgrind)"
    if ! bash tests/bench/session/callgrind.sh; then
      echo "   (did not run to the end)"
      status=1
    fi
    continue
  fi
  echo "== ${b%/run.sh}"
  if ! bash "$b"; then
    echo "   (did not run to the end)"
    status=1
  fi
done
exit $status
