#!/usr/bin/env bash
# Checks the export table and shared section of menulink.dll (32-bit) or
# menulink64.dll (64-bit):
#   check-menulink-exports.sh path/to/menulink.dll [path/to/menulink64.dll ...]
# - the export table carries the file's own name;
# - every export name is undecorated (no stdcall "@N", no leading "_");
# - every name listed in menulink/registry/menulink.def is exported;
# - the ten names of the hook and the management interface are exported,
#   and nothing else (by name or by ordinal);
# - GTHook is ordinal 1 and CallWndHook ordinal 3;
# - the .sdata section carries the SHARED flag.
set -uo pipefail
[ $# -ge 1 ] || { echo "usage: check-menulink-exports.sh menulink.dll [menulink64.dll ...]" >&2; exit 2; }
if [ $# -gt 1 ]; then
  # Each library on its own; any failure fails the whole check.
  rc=0
  for f in "$@"; do bash "$0" "$f" || rc=1; done
  exit $rc
fi
dll=$1
root=$(cd "$(dirname "$0")/../.." && pwd)
def=$root/menulink/registry/menulink.def
od=objdump
command -v i686-w64-mingw32-objdump >/dev/null && od=i686-w64-mingw32-objdump
if ! "$od" -p "$dll" >/dev/null 2>&1; then od=objdump; fi
fail=0
err() { echo "FAIL: $(basename "$dll"): $*"; fail=1; }

pe=$("$od" -p "$dll") || { err "objdump cannot read it"; exit 1; }
# The name table lists "[index] name"; the ordinal is index + base.
base=$(awk '/Ordinal Base/ {print $NF; exit}' <<<"$pe")
[ -n "$base" ] || { err "no export table"; exit 1; }
names=$(awk '/\[Ordinal\/Name Pointer\] Table/ {t=1; next} t && /^[[:space:]]*$/ {exit} t && /^[[:space:]]*\[/ {print $NF}' <<<"$pe")
ordinal_of() {
  awk -v want="$1" -v base="$base" '
    /\[Ordinal\/Name Pointer\] Table/ {t=1; next}
    t && /^[[:space:]]*$/ {exit}
    t && /^[[:space:]]*\[/ { gsub(/[\[\]]/, " "); if ($NF == want) { print $1 + base; exit } }' <<<"$pe"
}

for n in $names; do
  if [[ $n == *@* || $n == _* ]]; then err "decorated export name $n"; fi
done

# The name the export table gives the library must be its file's: the two
# widths' hook DLLs have different names.
own=$(awk '/^Name[[:space:]]/ {print $NF; exit}' <<<"$pe")
[ "${own,,}" = "$(basename "${dll,,}")" ] || err "export table names it ${own:-nothing}"

while read -r name; do
  [ -n "$name" ] || continue
  grep -qx "$name" <<<"$names" || err "$name is listed in menulink.def but not exported"
done < <(sed -e 's/;.*//' "$def" | awk '/^[[:space:]]*EXPORTS/ {e=1; next} /^[[:space:]]*[A-Z]+[[:space:]]*$/ {e=0} e && NF {print $1}')

# Required whatever the .def file says, and nothing else: test entry points
# in a shipped library would let any process read and change the table.
ten="GTHook CallWndHook GTGetModules GTRegisterNewApp GTUnregisterApp GTListUpdate
     GTShutDown GTDisableGlyphtap GTEnableGlyphtap GTGetRunningApps"
for name in $ten; do
  grep -qx "$name" <<<"$names" || err "$name is not exported"
done
for n in $names; do
  grep -qw -- "$n" <<<"$ten" || err "exports $n, which is not one of the ten names"
done
# Exports by ordinal only have no name to list.
count=$(awk '/^Export Address Table -- Ordinal Base/ {t=1; next} t && /^[[:space:]]*$/ {exit} t && /Export RVA/ {n++} END {print n+0}' <<<"$pe")
[ "$count" -le 10 ] || err "$count exported entries, more than the ten names"

for pair in GTHook:1 CallWndHook:3; do
  name=${pair%%:*} want=${pair##*:}
  if grep -qx "$name" <<<"$names"; then
    got=$(ordinal_of "$name")
    [ "$got" = "$want" ] || err "$name has ordinal ${got:-?}, expected $want"
  fi
done

flags=$("$od" -h "$dll" | awk '$2 == ".sdata" {getline; print; exit}')
[ -n "$flags" ] || err "no .sdata section"
[[ $flags == *SHARED* ]] || err ".sdata is not marked shared (flags: $flags)"

[ $fail = 0 ] && echo "$(basename "$dll") exports: ok ($(wc -w <<<"$names") names)"
exit $fail
