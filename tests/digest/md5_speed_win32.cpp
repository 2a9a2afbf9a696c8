// Measures MD5 throughput of the Windows build over 256 MiB of memory and prints MB/s by the wall
// clock, best of five runs (on a busy machine the best run is the least disturbed). A plain
// executable, run by hand; it is not a test.
#include <windows.h>

#include <cstdio>
#include <vector>

#include "digest/algorithms.h"
#include "tests/digest/test_support.h"

int main() {
  const std::vector<uint8_t> buffer = digest_test::GeneratedBytes(1 << 20, 1);
  const int passes = 256;
  LARGE_INTEGER frequency, begin, end;
  QueryPerformanceFrequency(&frequency);
  std::string text;
  double best = 0;
  for (int run = 0; run < 5; ++run) {
    TMDContext context;
    MDInit(context);
    QueryPerformanceCounter(&begin);
    for (int i = 0; i < passes; ++i) {
      MDUpdate(context, buffer.data(), static_cast<uint32_t>(buffer.size()), MD5Transform);
    }
    MDFinal(context, MD5Transform, text);
    QueryPerformanceCounter(&end);
    const double wall = static_cast<double>(end.QuadPart - begin.QuadPart) /
                        static_cast<double>(frequency.QuadPart);
    const double megabytes = passes * 1.048576;
    std::printf("run %d: %d MiB in %.3f s = %.1f MB/s (%s)\n", run + 1, passes, wall,
                megabytes / wall, text.c_str());
    if (megabytes / wall > best) best = megabytes / wall;
  }
  std::printf("best: %.1f MB/s\n", best);
  return 0;
}
