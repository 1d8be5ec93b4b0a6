#!/usr/bin/env bash
# Runs a Windows test with a 4 MiB file system mounted under the Wine drive
# (WQ_SMALL_FS names it), so that a disk really fills up. Where mounting is
# not allowed it says so and exits 77, which ctest reports as skipped.
set -u
root=$(cd "$(dirname "$0")/../../.." && pwd)
bed=${WQ_BED:-$root/build/wine}
name=wq-small-fs-$$
dir=$bed/prefix/drive_c/$name
mkdir -p "$dir"
if mount -t tmpfs -o size=4m tmpfs "$dir" 2>/dev/null; then
  export WQ_SMALL_FS="C:\\$name"
  trap 'umount "$dir" 2>/dev/null || umount -l "$dir"; rmdir "$dir"' EXIT
else
  echo "run_small_fs: no small file system can be mounted here; the full-disk case is skipped" >&2
  rmdir "$dir"
  exit 77
fi
"$root/tests/bed/wine-run" "$@"
