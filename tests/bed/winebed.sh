#!/usr/bin/env bash
# The Wine test bed: its own prefix (with Wine's fonts), its own Xvfb display
# and one wineserver kept alive for a whole run.
#   winebed.sh start | stop | env | status
# WQ_BED chooses the bed's folder (default build/wine), so that several
# people or runs on one machine keep out of each other's way. `stop` ends only
# what `start` started.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
bed=${WQ_BED:-$root/build/wine}
mkdir -p "$bed"
bed=$(cd "$bed" && pwd)
prefix=$bed/prefix
wine=/usr/lib/wine/wine64
export WINEPREFIX=$prefix WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES="mscoree,mshtml="

alive() { local st; st=$(ps -o stat= -p "$1" 2>/dev/null) && [ -n "$st" ] && [ "${st:0:1}" != Z ]; }
xvfb_running() {
  [ -f "$bed/xvfb.pid" ] && [ -f "$bed/display" ] && alive "$(cat "$bed/xvfb.pid")" &&
    [ -e "/tmp/.X11-unix/X$(cut -c2- "$bed/display")" ]
}

start_xvfb() {
  xvfb_running && return 0
  local n
  for n in $(seq 91 140); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    # setsid: the display must outlive the shell that started the bed.
    setsid Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >"$bed/xvfb.log" 2>&1 </dev/null &
    echo $! >"$bed/xvfb.pid"
    for _ in $(seq 50); do
      # The display is ours only if our Xvfb holds its lock: a bed started at
      # the same moment may have won the number, and its server goes away
      # with that bed.
      if [ -e "/tmp/.X11-unix/X$n" ] && [ "$(tr -d ' \n' <"/tmp/.X$n-lock" 2>/dev/null)" = "$(cat "$bed/xvfb.pid")" ]; then
        echo ":$n" >"$bed/display"
        return 0
      fi
      alive "$(cat "$bed/xvfb.pid")" || break
      sleep 0.1
    done
    kill "$(cat "$bed/xvfb.pid")" 2>/dev/null || true
  done
  echo "winebed: could not start Xvfb" >&2
  return 1
}

make_prefix() {
  [ -f "$prefix/.wq-ready" ] && return 0
  rm -rf "$prefix"
  # A ready bed named by WQ_BED_TEMPLATE is copied instead of booted anew.
  local tpl=${WQ_BED_TEMPLATE:-}
  if [ -n "$tpl" ] && [ -f "$tpl/prefix/.wq-ready" ]; then
    cp -a "$tpl/prefix" "$prefix" && return 0
    rm -rf "$prefix"
  fi
  DISPLAY=$(cat "$bed/display") "$wine" wineboot -i >"$bed/wineboot.log" 2>&1 || true
  DISPLAY=$(cat "$bed/display") /usr/lib/wine/wineserver -w
  mkdir -p "$prefix/drive_c/windows/Fonts"
  cp -n /usr/share/wine/fonts/* "$prefix/drive_c/windows/Fonts/" 2>/dev/null || true
  touch "$prefix/.wq-ready"
}

# Xvfb has no window manager, yet Wine waits up to two seconds for one at
# every show and hide of a managed window. Unmanaged windows skip the wait,
# which takes most of the time out of the window tests.
unmanage_windows() {
  grep -qs '^"Managed"="N"' "$prefix/user.reg" && return 0
  DISPLAY=$(cat "$bed/display") "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f \
    >/dev/null 2>&1 || true
}

case "${1:-}" in
  start)
    start_xvfb
    make_prefix
    # A persistent wineserver keeps process starts warm for the whole run.
    DISPLAY=$(cat "$bed/display") setsid /usr/lib/wine/wineserver -p </dev/null >/dev/null 2>&1 || true  # already running is fine
    unmanage_windows
    # Start Wine's services now, detached: started later by a test they would
    # inherit its output pipe and keep ctest waiting for ever.
    DISPLAY=$(cat "$bed/display") setsid "$wine" cmd.exe /c exit </dev/null >/dev/null 2>&1 || true
    echo "winebed: prefix $prefix on display $(cat "$bed/display")"
    ;;
  stop)
    /usr/lib/wine/wineserver -k 2>/dev/null || true
    if xvfb_running; then kill "$(cat "$bed/xvfb.pid")" 2>/dev/null || true; fi
    rm -f "$bed/xvfb.pid" "$bed/display"
    ;;
  env)
    echo "export WINEPREFIX='$prefix' DISPLAY='$(cat "$bed/display" 2>/dev/null)' WINEDEBUG='$WINEDEBUG' WINEDLLOVERRIDES='$WINEDLLOVERRIDES'"
    ;;
  status)
    xvfb_running && echo "Xvfb on $(cat "$bed/display")" || echo "no Xvfb"
    [ -f "$prefix/.wq-ready" ] && echo "prefix ready: $prefix" || echo "no prefix"
    ;;
  *) echo "usage: $0 start|stop|env|status" >&2; exit 2 ;;
esac
