#!/usr/bin/env bash
# Installs what is missing, builds the host, sanitizer, fuzzing and Windows configurations, and
# runs every test: the host suites natively, the Windows suites under Wine inside Xvfb with the
# Simplified-Chinese locale (ANSI code page 936). Ends with one "N passed, N failed" line.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build"
jobs=$(nproc)
failed_steps=()
total_passed=0
total_failed=0

bash "$root/scripts/setup.sh" || exit 1

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

mkdir -p "$build"

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
  source "$root/scripts/wine-env.sh"
  wine_session_start "$build/win/wineprefix"
  run_ctest win
  wine_session_stop
else failed_steps+=("Windows build"); fi

echo "$total_passed passed, $total_failed failed"
if [ ${#failed_steps[@]} -gt 0 ]; then
  printf 'FAILED: %s\n' "${failed_steps[@]}"
  exit 1
fi
