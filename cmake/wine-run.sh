#!/bin/sh
# Runs one Windows executable under Wine as on a Simplified-Chinese Windows (ANSI code page 936).
# scripts/test.sh sets HT_WINEPREFIX and keeps one persistent wineserver for the whole run.
: "${HT_WINEPREFIX:=${HOME}/.hashtally-wine}"
export WINEPREFIX="$HT_WINEPREFIX"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
export LC_ALL="${HT_WINE_LOCALE:-zh_CN.UTF-8}"
exec wine "$@"
