# Shared by the scripts that run Windows programs under Wine: the environment every run
# needs, and a session of a private X server with a fresh Wine prefix.
# shellcheck shell=bash

export WINEDEBUG=-all
# No .NET or browser engine to install, a crash ends the program instead of opening a dialog,
# and a Start-menu entry stays in the prefix instead of becoming the desktop's menu entry.
export WINEDLLOVERRIDES="mscoree=;mshtml=;winedbg.exe=d;winemenubuilder.exe=d"

wine_xvfb_pid=

# wine_session_start DIR [SCREEN]: starts Xvfb and exports its DISPLAY, then makes a fresh
# prefix DIR/prefix (exported as WINEPREFIX) with a server that stays up between programs:
# Wine's first start takes seconds, every later one a fraction of a second. Logs go to DIR.
wine_session_start() {
  local dir=$1 screen=${2:-1024x768x24}
  Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp </dev/null >/dev/null \
    3>"$dir/display" 2>"$dir/xvfb.log" &
  wine_xvfb_pid=$!
  for _ in $(seq 100); do
    [ -s "$dir/display" ] && break
    sleep 0.1
  done
  [ -s "$dir/display" ] || { cat "$dir/xvfb.log" >&2; echo "Xvfb did not start" >&2; return 1; }
  export DISPLAY=":$(head -n 1 "$dir/display")"
  export WINEPREFIX="$dir/prefix"
  mkdir -p "$WINEPREFIX"
  wineserver -p </dev/null >/dev/null 2>&1
  wineboot -i </dev/null >"$dir/wineboot.log" 2>&1
}

# Ends every Wine program of the prefix, its server and the X server.
wine_session_stop() {
  wineserver -k >/dev/null 2>&1 || true
  if [ -n "$wine_xvfb_pid" ]; then kill "$wine_xvfb_pid" 2>/dev/null || true; fi
}
