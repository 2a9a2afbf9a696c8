#!/usr/bin/env bash
# Builds the checkfile fuzz target with clang (libFuzzer, AddressSanitizer, UBSan) in build/fuzz
# and runs it from the seed corpus for a while. Exits non-zero when the fuzzer finds a crash or a
# sanitizer reports a fault; the crashing input is left in build/fuzz/artifacts/.
# Usage: scripts/fuzz.sh [--seconds N] [--jobs N]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out="$root/build/fuzz"
seconds=60
jobs=1
while [ $# -gt 0 ]; do
  case $1 in
    --seconds) seconds=$2; shift 2 ;;
    --jobs) jobs=$2; shift 2 ;;
    *) echo "usage: $0 [--seconds N] [--jobs N]" >&2; exit 2 ;;
  esac
done

mkdir -p "$out/corpus" "$out/artifacts"
# Only the sources the target needs: clang cannot turn the Chinese literals of other sources into
# GBK, and these have none.
sources=(
  "$root/tests/fuzz/checkfile_fuzz.cpp"
  "$root/catalogue/checkfile_text.cpp"
  "$root/platform/text.cpp"
  "$root/platform/text_posix.cpp"
)
clang++ -std=c++17 -O1 -g -I"$root" -fsanitize=fuzzer,address,undefined \
  -fno-sanitize-recover=all -fno-omit-frame-pointer "${sources[@]}" -o "$out/checkfile_fuzz"

cp -n "$root"/tests/fuzz/corpus/* "$out/corpus/" 2>/dev/null || true
cd "$out"
extra=()
[ "$jobs" -gt 1 ] && extra=(-jobs="$jobs" -workers="$jobs")
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ./checkfile_fuzz -max_total_time="$seconds" -rss_limit_mb=2048 -max_len=262144 -timeout=20 \
  -print_final_stats=1 -artifact_prefix="$out/artifacts/" "${extra[@]}" "$out/corpus"
