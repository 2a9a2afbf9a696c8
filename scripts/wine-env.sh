# Sourced by the scripts that run Windows executables: one X server and one persistent
# wineserver for a whole session, so each executable pays only its own start.
# wine_session_start PREFIX   wine_session_stop

wine_session_start() {
  export HT_WINEPREFIX=$1
  export WINEPREFIX=$1
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml="
  export WINEARCH=win32
  if [ -z "${DISPLAY:-}" ]; then
    local n
    for n in $(seq 90 120); do
      [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
      Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
      HT_XVFB_PID=$!
      export DISPLAY=":$n"
      break
    done
    for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X${DISPLAY#:}" ] && break; sleep 0.1; done
  fi
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    LC_ALL=zh_CN.UTF-8 wineboot -i >/dev/null 2>&1
  fi
  LC_ALL=zh_CN.UTF-8 wineserver -p
  LC_ALL=zh_CN.UTF-8 wineboot >/dev/null 2>&1 || true
}

wine_session_stop() {
  wineserver -k >/dev/null 2>&1 || true
  if [ -n "${HT_XVFB_PID:-}" ]; then kill "$HT_XVFB_PID" 2>/dev/null || true; unset DISPLAY HT_XVFB_PID; fi
}
