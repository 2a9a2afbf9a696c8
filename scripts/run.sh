#!/usr/bin/env bash
# Builds hashtally.exe (the Windows configuration in build/win, as scripts/test.sh does) and starts
# it under Wine as on a Simplified-Chinese Windows (locale zh_CN.UTF-8, ANSI code page 936). With
# DISPLAY set the window opens on that display; without one it opens in a fresh Xvfb, and the
# script says how to look at it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/win"

bash "$root/scripts/setup.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
  -DCMAKE_BUILD_TYPE=Release
cmake --build "$build" --target hashtally
program="$build/app/hashtally.exe"

source "$root/scripts/wine-env.sh"
own_display=0
[ -n "${DISPLAY:-}" ] || own_display=1
wine_session_start "$build/wineprefix"
trap wine_session_stop EXIT

echo "Starting $program on display $DISPLAY"
if [ "$own_display" -eq 1 ]; then
  echo "No DISPLAY was set, so the window is on the private X server $DISPLAY (1280x1024)."
  echo "Take a picture of it from another shell with:"
  echo "  DISPLAY=$DISPLAY import -window root hashtally.png"
  echo "or watch it with a VNC server on that display (x11vnc -display $DISPLAY)."
  echo "Close the program's window (or press Ctrl+C here) to end."
fi
LC_ALL=zh_CN.UTF-8 wine "$program"
