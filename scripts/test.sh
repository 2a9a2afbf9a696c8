#!/usr/bin/env bash
# Installs what is missing, builds the host, sanitizer, fuzzing and both Windows configurations
# (32- and 64-bit), and runs every test this machine can run: the host suites natively, the
# Windows suites under Wine inside Xvfb with the Simplified-Chinese locale (ANSI code page 936).
# Before the builds it makes the README's run command prove a first run: scripts/run.sh --smoke
# without a display and from a fresh Wine prefix. Ends with a line naming the Windows builds that
# ran and one "N passed, N failed" line. HASHTALLY_NO_32BIT=1: as on a machine that cannot run
# 32-bit programs.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build"
jobs=$(nproc)
failed_steps=()
total_passed=0
total_failed=0

bash "$root/scripts/setup.sh" || exit 1
source "$root/scripts/wine-env.sh"  # and machine.sh
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

# Both Windows builds are always built. The 64-bit build's suites always run, under wine64 in a
# win64 prefix; the 32-bit build's where this machine runs 32-bit programs, in a win32 prefix as on
# 32-bit Windows, and once more in the win64 prefix for what 64-bit Windows does to a 32-bit program.
run_windows_suites() {  # dir, toolchain, prefix arch
  local dir=$1 toolchain=$2 arch=$3
  echo "== Windows build: $dir ($toolchain)"
  if ! configure_and_build "$dir" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/$toolchain.cmake" \
       -DCMAKE_BUILD_TYPE=Release; then
    failed_steps+=("Windows build $dir"); return 1
  fi
  [ -n "$arch" ] || return 0
  if wine_session_start "$build/$dir/wineprefix" "$arch"; then run_ctest "$dir"
  else failed_steps+=("Windows tests $dir: no Wine session"); fi
}
if machine_runs_win32; then
  run_windows_suites win mingw-i686 win32
  ran="the 32-bit and the 64-bit builds' Windows suites ran"
else
  run_windows_suites win mingw-i686 ""
  ran="$(machine_no_win32_why): the 32-bit build was built, not run; the 64-bit build's suites ran"
fi
wine_session_stop
if run_windows_suites win64 mingw-x86_64 win64 && machine_runs_win32 &&
   [ -x "$build/win/tests/passes/passes_tests.exe" ]; then
  echo "== the 32-bit build under 64-bit Windows (WoW64)"
  if env -u WINELOADER "$root/cmake/wine-run.sh" "$build/win/tests/passes/passes_tests.exe" \
       --gtest_color=no --gtest_filter='WindowsFiles.ThirtyTwoBit*' >"$build/wow64.log" 2>&1 &&
     grep -q '^\[  PASSED  \] 1 test' "$build/wow64.log"; then
    total_passed=$((total_passed + 1))
  else
    cat "$build/wow64.log"
    failed_steps+=("the 32-bit build under WoW64"); total_failed=$((total_failed + 1))
  fi
fi
wine_session_stop

echo "$ran"
echo "$total_passed passed, $total_failed failed"
if [ ${#failed_steps[@]} -gt 0 ]; then
  printf 'FAILED: %s\n' "${failed_steps[@]}"
  exit 1
fi
