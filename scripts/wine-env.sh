# Sourced by the scripts that run Windows executables: one X server and one persistent
# wineserver for a whole session, so each executable pays only its own start.
#   wine_session_start PREFIX ARCH  ARCH win32 (32-bit programs, 32-bit Wine) or win64 (64-bit
#                                   programs, wine64; 32-bit ones too where the machine runs
#                                   them); returns 1 after one line on stderr when the session
#                                   cannot start. Exports HT_WINE, the loader for programs of ARCH.
#   wine_session_stop               ends what the start began (safe to call at any point, and twice)
# Callers set their trap for wine_session_stop before the start, so that a failure or Ctrl+C
# half-way leaves nothing running.
source "$(dirname "${BASH_SOURCE[0]}")/machine.sh"

# Starts Xvfb on the first free display from :90 and exports DISPLAY. Xvfb writes its display
# number to the -displayfd file only once it accepts connections, and exits when another server
# holds the display.
wine_session_xvfb() {
  local n ready
  ready=$(mktemp /tmp/hashtally-xvfb.XXXXXX) || return 1
  for n in $(seq 90 120); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp -displayfd 3 3>"$ready" >/dev/null 2>&1 &
    HT_XVFB_PID=$!
    for _ in $(seq 300); do  # a hang guard only: Xvfb is up within a second
      [ -s "$ready" ] && { rm -f "$ready"; export DISPLAY=":$n"; return 0; }
      kill -0 "$HT_XVFB_PID" 2>/dev/null || break
      sleep 0.1
    done
    kill "$HT_XVFB_PID" 2>/dev/null || true
    wait "$HT_XVFB_PID" 2>/dev/null || true
    unset HT_XVFB_PID
    [ -e "/tmp/.X$n-lock" ] && continue  # another server took the display meanwhile
    rm -f "$ready"
    echo "${0##*/}: could not start Xvfb on display :$n" >&2
    return 1
  done
  rm -f "$ready"
  echo "${0##*/}: could not start Xvfb: displays :90 to :120 are all taken" >&2
  return 1
}

wine_session_start() {
  export HT_WINEPREFIX=$1
  export WINEPREFIX=$1
  export WINEDEBUG=-all
  # Without its debugger a program that crashes ends at once instead of waiting in it.
  export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
  export WINEARCH=$2
  # /usr/bin/wine takes the 32-bit loader whenever it is installed, even where it cannot start.
  if [ "$WINEARCH" = win64 ]; then
    HT_WINE=$(machine_wine64)
    export WINELOADER=$HT_WINE
  else
    HT_WINE=wine
    unset WINELOADER
  fi
  export HT_WINE
  if [ -z "${DISPLAY:-}" ]; then wine_session_xvfb || return 1; fi
  # The persistent server comes first: a first-time wineboot would otherwise leave its own
  # short-lived server behind, and "wineserver -p" exits with status 2, silently, while any
  # server runs for the prefix. The server needs the prefix folder to exist.
  local fresh=0
  [ -f "$WINEPREFIX/system.reg" ] || fresh=1
  if ! mkdir -p "$WINEPREFIX"; then
    echo "${0##*/}: could not create the Wine prefix folder $WINEPREFIX" >&2
    return 1
  fi
  local status=0
  LC_ALL=zh_CN.UTF-8 wineserver -p || status=$?
  if [ "$status" -eq 2 ]; then
    echo "${0##*/}: a wineserver already runs for $WINEPREFIX (end it with:" \
      "WINEPREFIX=$WINEPREFIX wineserver -k)" >&2
    return 1
  elif [ "$status" -ne 0 ]; then
    echo "${0##*/}: could not start a wineserver for $WINEPREFIX (status $status)" >&2
    return 1
  fi
  HT_WINESERVER_STARTED=1
  if [ "$fresh" -eq 1 ]; then
    if ! LC_ALL=zh_CN.UTF-8 "$HT_WINE" wineboot -i >/dev/null 2>&1; then
      echo "${0##*/}: wineboot -i could not set up the Wine prefix $WINEPREFIX" >&2
      return 1
    fi
  else
    LC_ALL=zh_CN.UTF-8 "$HT_WINE" wineboot >/dev/null 2>&1 || true
  fi
}

wine_session_stop() {
  if [ -n "${HT_WINESERVER_STARTED:-}" ]; then
    wineserver -k >/dev/null 2>&1 || true  # ends the prefix's programs, then the server
    wineserver -w >/dev/null 2>&1 || true
    unset HT_WINESERVER_STARTED
  fi
  if [ -n "${HT_XVFB_PID:-}" ]; then
    kill "$HT_XVFB_PID" 2>/dev/null || true
    wait "$HT_XVFB_PID" 2>/dev/null || true
    unset DISPLAY HT_XVFB_PID
  fi
}
