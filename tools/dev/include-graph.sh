#!/usr/bin/env bash
# Which folder includes which: one line per edge, "from -> to  count".
# With --dot, a Graphviz graph instead. Only project headers (quoted
# includes of the form "folder/.../file.h") count; tests and tools are left
# out unless named.
#   include-graph.sh [--dot] [FOLDER ...]   (default: common components menulink ripper)
set -euo pipefail
cd "$(dirname "$0")/../.."
dot=0
if [ "${1:-}" = --dot ]; then dot=1; shift; fi
[ $# -gt 0 ] || set -- common components menulink ripper
edges=$(grep -rHoE '^\s*#\s*include\s+"[^"]+"' --include='*.cpp' --include='*.h' "$@" |
  sed -E 's|^([^:]+):\s*#\s*include\s+"([^"]+)"|\1 \2|' |
  awk '{
    from = $1; sub(/\/[^\/]*$/, "", from)
    to = $2
    if (to !~ /\//) next            # a file beside the includer
    sub(/\/[^\/]*$/, "", to)
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
