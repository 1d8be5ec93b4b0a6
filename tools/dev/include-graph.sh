#!/usr/bin/env bash
# Which folder includes which: one line per edge, "from -> to  count".
# With --dot, a Graphviz graph instead; with --files, file to file (by base
# name) inside the folders named. Only project headers (quoted includes of
# the form "folder/.../file.h") count; tests and tools are left out unless
# named.
#   include-graph.sh [--dot] [--files] [FOLDER ...]   (default: common components menulink ripper)
set -euo pipefail
cd "$(dirname "$0")/../.."
dot=0 files=0
while [ $# -gt 0 ]; do
  case $1 in
    --dot) dot=1 ;;
    --files) files=1 ;;
    *) break ;;
  esac
  shift
done
[ $# -gt 0 ] || set -- common components menulink ripper
edges=$(grep -rHoE '^\s*#\s*include\s+"[^"]+"' --include='*.cpp' --include='*.h' "$@" |
  sed -E 's|^([^:]+):\s*#\s*include\s+"([^"]+)"|\1 \2|' |
  awk -v files=$files '{
    from = $1; to = $2
    if (to !~ /\//) next            # a system or generated header
    if (files) {
      # both ends by base name, and only inside the folders named
      dir = from; sub(/\/[^\/]*$/, "", dir)
      tdir = to; sub(/\/[^\/]*$/, "", tdir)
      if (dir != tdir) next
      sub(/.*\//, "", from); sub(/\.(cpp|h)$/, "", from)
      sub(/.*\//, "", to); sub(/\.(cpp|h)$/, "", to)
    } else {
      sub(/\/[^\/]*$/, "", from); sub(/\/[^\/]*$/, "", to)
    }
    if (from != to) print from " -> " to
  }' | sort | uniq -c | awk '{ printf "%s %s %s  %d\n", $2, $3, $4, $1 }')
if [ $dot = 1 ]; then
  echo 'digraph includes {'
  echo '  rankdir=LR; node [shape=box, fontname="sans-serif"];'
  printf '%s\n' "$edges" | awk 'NF { printf "  \"%s\" -> \"%s\" [label=\"%s\"];\n", $1, $3, $4 }'
  echo '}'
else
  printf '%s\n' "$edges"
fi
