#!/usr/bin/env bash
# Builds the window program and starts it under Wine as on a Simplified-Chinese Windows (locale
# zh_CN.UTF-8, ANSI code page 936): hashtally.exe (the 32-bit build in build/win, as
# scripts/test.sh makes it) where this machine runs 32-bit programs, else hashtally64.exe (the
# 64-bit build in build/win64) under wine64. HASHTALLY_NO_32BIT=1 takes the second way anywhere.
# With DISPLAY set the window opens on that display; without one it opens in a fresh Xvfb, and the
# script says how to look at it. Any failure ends the script with one line on stderr, and no Xvfb
# or wineserver of its own is left behind, whatever the way it ends.
# --smoke: the check scripts/test.sh makes of this command. It always uses a private Xvfb and a
# fresh Wine prefix of its own (removed afterwards), waits for the window, closes it with WM_CLOSE
# (Wine's taskkill without /f) and succeeds when the program then ends with status 0.
# Usage: scripts/run.sh [--smoke]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
smoke=0
case "${1:-}" in
  "") ;;
  --smoke) smoke=1 ;;
  *) echo "usage: $0 [--smoke]" >&2; exit 2 ;;
esac

source "$root/scripts/wine-env.sh"
temporary_prefix=""
cleanup() {
  wine_session_stop
  [ -z "$temporary_prefix" ] || rm -rf "$temporary_prefix"
}
fail() { echo "run.sh: $*" >&2; exit 1; }
trap cleanup EXIT
trap 'echo "run.sh: interrupted" >&2; exit 130' INT
trap 'echo "run.sh: terminated" >&2; exit 143' TERM HUP
trap 'echo "run.sh: line $LINENO failed: $BASH_COMMAND" >&2' ERR

bash "$root/scripts/setup.sh" || fail "installing the packages failed (scripts/setup.sh)"
if machine_runs_win32; then
  build="$root/build/win" toolchain=mingw-i686 name=hashtally.exe arch=win32
else
  build="$root/build/win64" toolchain=mingw-x86_64 name=hashtally64.exe arch=win64
  echo "$(machine_no_win32_why): starting the 64-bit $name"
fi
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/$toolchain.cmake" \
  -DCMAKE_BUILD_TYPE=Release || fail "configuring $build failed"
cmake --build "$build" --target hashtally || fail "building $name failed"
program="$build/app/$name"

prefix="$build/wineprefix"
if [ "$smoke" -eq 1 ]; then
  unset DISPLAY
  temporary_prefix=$(mktemp -d /tmp/hashtally-smoke-prefix.XXXXXX)
  prefix=$temporary_prefix
fi
own_display=0
[ -n "${DISPLAY:-}" ] || own_display=1
echo "Starting a Wine session with the prefix $prefix"
wine_session_start "$prefix" "$arch" || exit 1

echo "Starting $program on display $DISPLAY"
if [ "$own_display" -eq 1 ] && [ "$smoke" -eq 0 ]; then
  echo "No DISPLAY was set, so the window is on the private X server $DISPLAY (1280x1024)."
  echo "Take a picture of it from another shell with:"
  echo "  DISPLAY=$DISPLAY import -window root hashtally.png"
  echo "or watch it with a VNC server on that display (x11vnc -display $DISPLAY)."
  echo "Close the program's window (or press Ctrl+C here) to end."
fi
# In the background, so that Ctrl+C reaches this script's trap at once.
LC_ALL=zh_CN.UTF-8 "$HT_WINE" "$program" &
program_pid=$!

if [ "$smoke" -eq 1 ]; then
  window=""
  deadline=$((SECONDS + 120))  # hang guards only
  while [ -z "$window" ] && [ "$SECONDS" -lt "$deadline" ]; do
    kill -0 "$program_pid" 2>/dev/null || fail "$name ended before its window appeared"
    sleep 0.2
    window=$(xdotool search --onlyvisible --name '^Hashtally' 2>/dev/null | head -1) || true
  done
  [ -n "$window" ] || fail "no window named Hashtally appeared on $DISPLAY within 2 minutes"
  echo "The window \"$(xdotool getwindowname "$window")\" is up; closing it with WM_CLOSE"
  LC_ALL=zh_CN.UTF-8 "$HT_WINE" taskkill /im "$name" >/dev/null 2>&1 ||
    fail "taskkill could not send WM_CLOSE to $name"
  deadline=$((SECONDS + 120))
  while kill -0 "$program_pid" 2>/dev/null; do
    [ "$SECONDS" -lt "$deadline" ] || fail "$name still runs 2 minutes after WM_CLOSE"
    sleep 0.2
  done
fi
status=0
wait "$program_pid" || status=$?
[ "$status" -eq 0 ] || fail "$name ended with status $status"
[ "$smoke" -eq 0 ] || echo "Smoke run passed: the window came up and closed on WM_CLOSE"
