#!/bin/sh
# Runs one Windows executable under Wine as on a Simplified-Chinese Windows (ANSI code page 936).
# scripts/test.sh sets HT_WINEPREFIX and keeps one persistent wineserver for the whole run.
# --win64 (given by the 64-bit toolchain): a 64-bit executable, run by the 64-bit loader in a win64
# prefix.
if [ "${1:-}" = --win64 ]; then
  shift
  : "${HT_WINEPREFIX:=${HOME}/.hashtally-wine64}"
  export WINEARCH=win64
  loader=$(command -v wine64 2>/dev/null || echo /usr/lib/wine/wine64)
  export WINELOADER="$loader"
else
  : "${HT_WINEPREFIX:=${HOME}/.hashtally-wine}"
  loader=wine
fi
export WINEPREFIX="$HT_WINEPREFIX"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=;winedbg.exe=d}"
export LC_ALL="${HT_WINE_LOCALE:-zh_CN.UTF-8}"
exec "$loader" "$@"
