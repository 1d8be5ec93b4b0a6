# Sourced by the run_with_server.sh scripts: a scratch folder ($work) and a
# stand-in server, both gone when the script exits. Sets root to the tree.
set -u
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../.." && pwd)
work=$(mktemp -d)
pid=
cleanup() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

# start_server WHAT COMMAND...: runs COMMAND in the background and waits until
# it has written its port to $work/port; sets port, or stops the script.
start_server() {
  local what=$1
  shift
  "$@" &
  pid=$!
  for _ in $(seq 100); do [ -s "$work/port" ] && break; sleep 0.1; done
  if [ ! -s "$work/port" ]; then
    echo "run_with_server: the $what did not start" >&2
    exit 1
  fi
  port=$(cat "$work/port")
}
