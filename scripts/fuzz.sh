#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, AddressSanitizer, UBSan) in build/fuzz and runs
# them from their seed corpora: the checkfile reader for two thirds of the time, the executable
# version-resource parser for the rest. Exits non-zero when a target crashes or a sanitizer reports
# a fault; the input that did it is left in build/fuzz/artifacts/.
# Usage: scripts/fuzz.sh [--seconds N] [--target checkfile|version|all]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out="$root/build/fuzz"
seconds=60
target=all
while [ $# -gt 0 ]; do
  case $1 in
    --seconds) seconds=$2; shift 2 ;;
    --target) target=$2; shift 2 ;;
    *) echo "usage: $0 [--seconds N] [--target checkfile|version|all]" >&2; exit 2 ;;
  esac
done
mkdir -p "$out/artifacts"

# Only the sources each target needs: clang cannot turn the Chinese literals of other sources
# into GBK, and these have none.
build() {  # name, sources...
  local name=$1; shift
  clang++ -std=c++17 -O1 -g -I"$root" -fsanitize=fuzzer,address,undefined \
    -fno-sanitize-recover=all -fno-omit-frame-pointer "$@" -o "$out/$name"
}

run() {  # name, seconds, max_len, corpus
  local name=$1 time=$2 maxlen=$3 corpus=$4
  echo "== $name for $time s"
  (cd "$out" && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    "./$name" -max_total_time="$time" -rss_limit_mb=2048 -max_len="$maxlen" -timeout=20 \
    -print_final_stats=1 -artifact_prefix="$out/artifacts/$name-" "$corpus")
}

version_seeds() {  # small DLLs with the version resources of the tests, when MinGW is there
  local dir=$1 rc
  command -v i686-w64-mingw32-windres >/dev/null && command -v i686-w64-mingw32-gcc >/dev/null ||
    return 0
  for rc in "$root/widgets/version_resource.rc" "$root"/tests/version/fixtures/*.rc; do
    local name
    name=$(basename "$rc" .rc)
    [ -f "$dir/$name.dll" ] && continue
    i686-w64-mingw32-windres -I"$root" -O coff -o "$out/$name.res.o" "$rc" &&
      i686-w64-mingw32-gcc -shared -s -nostdlib -Wl,--entry=0 -o "$dir/$name.dll" \
        "$root/tests/version/fixtures/fixture.c" "$out/$name.res.o" || true
  done
}

status=0
if [ "$target" = all ]; then
  checkfile_seconds=$((seconds - seconds / 3))
  version_seconds=$((seconds / 3 > 0 ? seconds / 3 : 1))
else
  checkfile_seconds=$seconds
  version_seconds=$seconds
fi

if [ "$target" = all ] || [ "$target" = checkfile ]; then
  build checkfile_fuzz "$root/tests/fuzz/checkfile_fuzz.cpp" "$root/catalogue/checkfile_text.cpp" \
    "$root/catalogue/path_gate.cpp" "$root/platform/path_root.cpp" "$root/platform/path_posix.cpp" \
    "$root/platform/text.cpp" "$root/platform/text_posix.cpp" "$root/platform/sync_posix.cpp"
  mkdir -p "$out/corpus"
  cp -n "$root"/tests/fuzz/corpus/* "$out/corpus/" 2>/dev/null || true
  run checkfile_fuzz "$checkfile_seconds" 262144 "$out/corpus" || status=1
fi

if [ "$target" = all ] || [ "$target" = version ]; then
  build version_resource_fuzz "$root/tests/fuzz/version_resource_fuzz.cpp" \
    "$root/widgets/version_info_parser.cpp"
  mkdir -p "$out/version_corpus"
  version_seeds "$out/version_corpus"
  run version_resource_fuzz "$version_seconds" 65536 "$out/version_corpus" || status=1
fi
exit $status
