#!/usr/bin/env bash
# make release: the shipped 32-bit deliverables, the README and LAME's
# licence in dist/wavequill-VERSION-win32.zip.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
cd "$root"
bin=${WQ_RELEASE_BIN:-build/win32/bin}
# menulink's 64-bit library and its host come from the 64-bit build.
bin64=${WQ_RELEASE_BIN64:-build/win64/bin}
version=$(sed -n 's/^project(wavequill VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
[ -n "$version" ] || { echo "make-release: no version in CMakeLists.txt" >&2; exit 1; }
files=("$bin/wavequill.exe" "$bin/menulink.dll" "$bin64/menulink64.dll" "$bin64/menulink64host.exe"
       "$bin/libmp3lame-0.dll" README.md)
for f in "${files[@]}"; do
  [ -f "$f" ] || { echo "make-release: $f is missing (make win32 win64 first)" >&2; exit 1; }
done
# Ship only the very files that the 32-bit test run passed with.
stamp=$(realpath -m "$(dirname "$bin")/tests-passed")
if ! (cd "$bin" && sha256sum --quiet -c "$stamp" >/dev/null 2>&1) ||
   ! (cd "$bin64" && sha256sum --quiet -c "$(realpath -m "$(dirname "$bin64")/tests-passed")" >/dev/null 2>&1); then
  echo "make-release: $bin has not passed its 32-bit test run as it is now (make test first)" >&2
  exit 1
fi

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
name=wavequill-$version-win32
mkdir -p "$stage/$name"
cp "${files[@]}" "$stage/$name/"
# LAME is LGPL: its licence travels with its DLL.
orig=$(ls build/deps/lame-src/lame_*.orig.tar.gz 2>/dev/null | head -n 1)
[ -n "$orig" ] || { echo "make-release: LAME's source archive is missing (make lame)" >&2; exit 1; }
tar -xzOf "$orig" --wildcards '*/COPYING' >"$stage/$name/LAME-COPYING.txt"
[ -s "$stage/$name/LAME-COPYING.txt" ] || { echo "make-release: no COPYING in $orig" >&2; exit 1; }

mkdir -p dist
out=$root/dist/$name.zip
rm -f "$out"
(cd "$stage" && zip -qr -X "$out" "$name")
echo "make-release: $out"
unzip -l "$out"
