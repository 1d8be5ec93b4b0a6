#!/usr/bin/env bash
# get-ar-oracle.sh DEPS: unpacks Debian's whipper (without installing its
# dependencies) for its accuraterip-checksum, the independent reference the
# AccurateRip tests and the stand-in database check against. It needs only
# Debian's python3 and libsndfile1. Leaves DEPS/whipper/accuraterip-checksum,
# a wrapper that runs it. Cached: nothing happens when it is there.
set -euo pipefail
deps=$(realpath -m "${1:?deps folder}")
dir=$deps/whipper
[ -x "$dir/accuraterip-checksum" ] && exit 0
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(cd "$work" && apt-get download whipper >/dev/null 2>&1) || { echo "get-ar-oracle: apt-get download whipper failed" >&2; exit 1; }
rm -rf "$dir"
mkdir -p "$dir"
dpkg-deb -x "$work"/whipper_*.deb "$dir/root"
# The module is built for Debian's own python3, whatever else is on PATH.
cat >"$dir/accuraterip-checksum" <<'SH'
#!/usr/bin/env bash
here=$(cd "$(dirname "$0")" && pwd)
PYTHONPATH=$here/root/usr/lib/python3/dist-packages exec /usr/bin/python3 "$here/root/usr/bin/accuraterip-checksum" "$@"
SH
chmod +x "$dir/accuraterip-checksum"
