# Sourced by a bench's run.sh after it has set root. bench_setup NAME DIR
# PROGRAM... sets build and bin (DIR, else WQ_BUILD, else build/win64),
# checks the programs are built, picks the Wine that runs them (wine, bits),
# takes the test bed's environment, makes a scratch folder work that goes
# at exit, and defines win PATH (the path as Wine's Z: sees it).
bench_setup() {
  local name=$1 dir=$2 f
  shift 2
  build=$(cd "${dir:-${WQ_BUILD:-$root/build/win64}}" && pwd)
  bin=$build/bin
  for f in "$@"; do
    [ -f "$bin/$f" ] || { echo "$name bench: $bin/$f missing (build ${build##*/} first)"; exit 1; }
  done
  # The PE header says which Wine runs it.
  if objdump -f "$bin/$1" 2>/dev/null | grep -q 'pei-i386'; then
    wine=/usr/lib/wine/wine; bits=32
  else
    wine=/usr/lib/wine/wine64; bits=64
  fi
  eval "$(bash "$root/tests/bed/winebed.sh" env)"
  work=$(mktemp -d "/tmp/wq-$name-bench.XXXXXX")
  trap 'rm -rf "$work"' EXIT
}
win() { echo "Z:${1//\//\\}"; }
