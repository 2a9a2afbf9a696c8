#!/usr/bin/env bash
# Installs every Debian package the builds and the tests need. Safe to run again: it only installs
# what is missing and only regenerates locales that are absent.
# Where this machine runs 32-bit programs (a probe decides, see machine.sh) the 32-bit Wine is
# installed beside wine64; where it does not, no i386 architecture or package is added.
# A package mirror in the middle of an update must not stop it: the index download is tried a few
# times, an index that still fails is reported but does not stop the install, and an install that
# fails on versions that disagree is tried again with the release's own versions. What still cannot
# be installed stops the script with the sources that failed, except the 32-bit Wine alone: without
# it the 32-bit build is built but not run, which the script and the test command both say.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/machine.sh"

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive

packages=(
  build-essential cmake ninja-build git pkg-config
  g++-mingw-w64-i686 binutils-mingw-w64-i686 mingw-w64-i686-dev
  g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev
  googletest libgtest-dev libbenchmark-dev libssl-dev
  clang libclang-rt-14-dev llvm
  wine wine64 xvfb xauth x11-utils xdotool imagemagick
  locales coreutils findutils python3 fonts-wqy-microhei fonts-symbola
)
packages32=()

need_update=0
if machine_runs_32bit; then
  packages32=(wine32:i386)
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
    need_update=1
  fi
  echo "setup: this machine runs 32-bit programs: the 32-bit Wine beside wine64"
else
  echo "setup: this machine cannot run 32-bit programs: wine64 only, no i386 packages"
fi

missing_of() {  # package... -> those not installed
  local p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || echo "$p"
  done
}
mapfile -t missing < <(missing_of "${packages[@]}")
mapfile -t missing32 < <(missing_of "${packages32[@]}")

update_log=$(mktemp /tmp/hashtally-apt-update.XXXXXX)
install_log=$(mktemp /tmp/hashtally-apt-install.XXXXXX)
trap 'rm -f "$update_log" "$install_log"' EXIT

# apt-get update, up to four times with a pause between; its last output stays in $update_log.
update_indexes() {
  local attempt
  for attempt in 1 2 3 4; do
    if $SUDO apt-get update -q >"$update_log" 2>&1; then return 0; fi
    [ "$attempt" -eq 4 ] ||
      { echo "setup: apt-get update failed (try $attempt of 4); again in 15 s"; sleep 15; }
  done
  return 1
}
# The sources that failed in the last update, one per line (apt-get update fails on some broken
# indexes and only warns about others).
failed_sources() {
  grep -E '^(Err:|E:|W:)' "$update_log" | grep -v -E '^W: (Target|Skipping)' | sed 's/^/    /' || true
}

# Installs the packages given, trying the release's own versions when the current ones disagree
# (one architecture's index older than the other's). False, with apt-get's words shown, when
# neither way works.
install_packages() {  # package...
  echo "setup: installing $*"
  $SUDO apt-get install -y -q --no-install-recommends "$@" >"$install_log" 2>&1 && return 0
  echo "setup: the install failed:"
  grep -E '^(E:| )' "$install_log" | tail -8 | sed 's/^/    /'
  local release
  release=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
  [ -n "$release" ] || return 1
  echo "setup: trying again with the release's own versions (-t $release)"
  $SUDO apt-get install -y -q --no-install-recommends -t "$release" "$@" >"$install_log" 2>&1 &&
    return 0
  grep -E '^(E:| )' "$install_log" | tail -8 | sed 's/^/    /'
  return 1
}
# What to do about a failed install, on stderr.
advise() {
  if [ -n "$(failed_sources)" ]; then
    echo "  These package sources failed to download:"
    failed_sources
    echo "  The mirror is probably being updated: wait a few minutes and run this again, or point"
    echo "  /etc/apt/sources.list at another mirror."
  else
    echo "  See the apt-get messages above; mend the package sources and run this again."
  fi
}

if [ ${#missing[@]} -gt 0 ] || [ ${#missing32[@]} -gt 0 ] || [ "$need_update" -eq 1 ]; then
  update_indexes || true
  if [ -n "$(failed_sources)" ]; then
    echo "setup: some package indexes could not be fetched (a mirror being updated?); going on with"
    echo "  the indexes that did arrive:"
    failed_sources
  fi
fi
if [ ${#missing[@]} -gt 0 ] && ! install_packages "${missing[@]}"; then
  { echo "setup: FAILED: the packages could not be installed; this machine is not set up."
    advise; } >&2
  exit 1
fi
without32=0
if [ ${#missing32[@]} -gt 0 ] && ! install_packages "${missing32[@]}"; then
  without32=1
  { echo "setup: WARNING: the 32-bit Wine could not be installed: the 32-bit build will be built"
    echo "  but not run on this machine until it is. Everything else is set up."
    advise; } >&2
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
if [ "$without32" -eq 0 ]; then echo "setup: all packages present"
else echo "setup: all packages present but the 32-bit Wine (see the warning above)"; fi
