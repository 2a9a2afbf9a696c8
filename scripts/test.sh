#!/usr/bin/env bash
# Installs what is missing, builds the host, sanitizer, fuzzing and Windows configurations, and
# runs every test: the host suites natively, the Windows suites under Wine inside Xvfb with the
# Simplified-Chinese locale (ANSI code page 936). Before the builds it makes the README's run
# command prove a first run: scripts/run.sh --smoke without a display and from a fresh Wine prefix.
# Ends with one "N passed, N failed" line.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build"
jobs=$(nproc)
failed_steps=()
total_passed=0
total_failed=0

bash "$root/scripts/setup.sh" || exit 1
source "$root/scripts/wine-env.sh"
trap wine_session_stop EXIT
trap 'exit 130' INT
trap 'exit 143' TERM HUP

configure_and_build() {  # dir, cmake args...
  local dir=$1; shift
  cmake -S "$root" -B "$build/$dir" -G Ninja "$@" >"$build/$dir.configure.log" 2>&1 ||
    { cat "$build/$dir.configure.log"; return 1; }
  cmake --build "$build/$dir" -j"$jobs"
}

run_ctest() {  # dir, extra ctest args...
  local dir=$1; shift
  local log="$build/$dir.ctest.log"
  (cd "$build/$dir" && ctest --output-on-failure "$@") 2>&1 | tee "$log"
  local line passed total
  line=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -1)
  if [ -z "$line" ]; then
    failed_steps+=("$dir: no test ran"); return
  fi
  total=$(sed -E 's/.*out of ([0-9]+).*/\1/' <<<"$line")
  local nfailed
  nfailed=$(sed -E 's/.*tests passed, ([0-9]+) tests? failed.*/\1/' <<<"$line")
  passed=$((total - nfailed))
  total_passed=$((total_passed + passed))
  total_failed=$((total_failed + nfailed))
  [ "$nfailed" -eq 0 ] || failed_steps+=("$dir: $nfailed failed")
}

# The processes of a smoke run still alive after it: its Xvfb, wineserver and Wine programs all
# have the run's own temporary prefix, named in its log, in their environment.
smoke_leftovers() {  # log
  local prefix env
  prefix=$(sed -n 's/^Starting a Wine session with the prefix \(.*\)$/\1/p' "$1")
  if [ -z "$prefix" ]; then echo "none known: the log names no Wine prefix"; return; fi
  for env in $(grep -lzxF "WINEPREFIX=$prefix" /proc/[0-9]*/environ 2>/dev/null); do
    echo "${env//[!0-9]/} $(tr '\0' ' ' 2>/dev/null <"${env%environ}cmdline")"
  done
}

mkdir -p "$build"

# Into a file, not a pipe: a process left running would hold a pipe open and stall this script.
echo "== the run command in smoke mode: no display, a fresh Wine prefix, the window closed"
env -u DISPLAY bash "$root/scripts/run.sh" --smoke >"$build/smoke.log" 2>&1
smoke_status=$?
cat "$build/smoke.log"
leftovers=$(smoke_leftovers "$build/smoke.log")
if [ "$smoke_status" -eq 0 ] && [ -z "$leftovers" ]; then total_passed=$((total_passed + 1))
else
  [ -z "$leftovers" ] || printf 'still running after the smoke run: %s\n' "$leftovers"
  failed_steps+=("run.sh --smoke"); total_failed=$((total_failed + 1))
fi

echo "== host build"
if configure_and_build host -DCMAKE_BUILD_TYPE=Release; then run_ctest host
else failed_steps+=("host build"); fi

echo "== host build with AddressSanitizer and UBSan"
if configure_and_build asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DHT_SANITIZE=ON -DHT_BENCH=OFF; then
  ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 run_ctest asan -LE slow
else failed_steps+=("asan build"); fi

if [ -x "$root/scripts/fuzz.sh" ]; then
  echo "== fuzzing the checkfile reader briefly"
  if "$root/scripts/fuzz.sh" --seconds 45; then total_passed=$((total_passed + 1))
  else failed_steps+=("fuzz"); total_failed=$((total_failed + 1)); fi
fi

echo "== Windows build"
if configure_and_build win -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
     -DCMAKE_BUILD_TYPE=Release; then
  if wine_session_start "$build/win/wineprefix"; then run_ctest win
  else failed_steps+=("Windows tests: no Wine session"); fi
  wine_session_stop
else failed_steps+=("Windows build"); fi

echo "$total_passed passed, $total_failed failed"
if [ ${#failed_steps[@]} -gt 0 ]; then
  printf 'FAILED: %s\n' "${failed_steps[@]}"
  exit 1
fi
