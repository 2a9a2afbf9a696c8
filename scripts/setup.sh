#!/usr/bin/env bash
# Installs every Debian package the two builds and the tests need. Safe to run again: it only
# installs what is missing and only regenerates locales that are absent.
set -euo pipefail

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive

packages=(
  build-essential cmake ninja-build git pkg-config
  g++-mingw-w64-i686 binutils-mingw-w64-i686 mingw-w64-i686-dev
  googletest libgtest-dev libbenchmark-dev libssl-dev
  clang libclang-rt-14-dev llvm
  wine wine32:i386 wine64 xvfb xauth x11-utils xdotool imagemagick
  locales coreutils findutils python3 fonts-wqy-microhei fonts-symbola
)

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
  need_update=1
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ] || [ -n "${need_update:-}" ]; then
  $SUDO apt-get update -q
fi
if [ ${#missing[@]} -gt 0 ]; then
  $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# Wine maps Unix file names through the C library's locale and takes the ANSI code page from it:
# without zh_CN.UTF-8 Chinese names do not round-trip, and without en_US.UTF-8 (code page 1252)
# and ja_JP.UTF-8 (code page 932) the tests on other code pages cannot run.
gen=0
for loc in zh_CN.UTF-8 en_US.UTF-8 ja_JP.UTF-8; do
  if ! locale -a 2>/dev/null | grep -qi "^${loc%%.*}\.utf-\?8$"; then
    $SUDO sed -i "s/^# *\(${loc} UTF-8\)/\1/" /etc/locale.gen
    grep -q "^${loc} UTF-8" /etc/locale.gen || echo "${loc} UTF-8" | $SUDO tee -a /etc/locale.gen >/dev/null
    gen=1
  fi
done
[ "$gen" -eq 0 ] || $SUDO locale-gen
echo "setup: all packages present"
