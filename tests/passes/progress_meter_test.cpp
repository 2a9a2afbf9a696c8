// The progress line and the bar's fraction after a run's samples: units and their rounding, the
// smoothed speed, paused time, and when the time left first appears.
#include "catalogue/progress_meter.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr std::uint64_t kMiB = 1 << 20, kGiB = kMiB << 10;

TProgressSample At(long ms, std::uint64_t done, std::uint64_t total, bool known = true,
                   bool paused = false) {
  return {std::chrono::milliseconds(ms), done, total, known, paused};
}

TEST(ProgressMeter, TextAndFractionAfterTheSamples) {
  // Each run starts with nothing done at 0 ms.
  const struct {
    const char* text;
    int permille;
    std::vector<TProgressSample> samples;
    texts::TLanguage language = texts::TLanguage::Chinese;
  } kCases[] = {
      {"300 MB / 2.00 GB · 100 MB/s · 正在列出文件...",
       -1,
       {At(3000, 300 * kMiB, 2 * kGiB, false)}},
      // Counts of 1000 or more take the next unit; digits beyond three are cut (here and below).
      {"512 字节 / 0.97 TB", 0, {At(500, 512, 1000 * kGiB)}},
      // The speed after a second of running, the time left after three.
      {"400 MB / 732 GB · 100 MB/s · 剩余约 2 小时 5 分钟",
       0,
       {At(4000, 400 * kMiB, 750400 * kMiB)}},
      // A stalled second after eight steady ones moves the speed by a fifth, not to nothing; the
      // 12.8 s left read in fives of seconds.
      {"800 MB / 1.75 GB · 77.8 MB/s · 剩余约 15 秒",
       444,
       {At(4000, 400 * kMiB, 0), At(8000, 800 * kMiB, 0), At(9000, 800 * kMiB, 1800 * kMiB)}},
      // Ten seconds paused (a piece in flight ended meanwhile) count neither in the speed nor as
      // running time: 2.5 s of running is too early for the time left.
      {"251 MB / 0.97 GB · 100 MB/s",
       251,
       {At(1000, 100 * kMiB, 0), At(1000, 100 * kMiB, 0, true, true),
        At(11000, 101 * kMiB, 0, true, true), At(11000, 101 * kMiB, 0),
        At(12500, 251 * kMiB, 1000 * kMiB)}},
      // In English, a count of one takes its singular.
      {"1 byte / 1.00 KB", 0, {At(500, 1, 1024)}, texts::TLanguage::English},
      {"400 MB / 6.25 GB · 100 MB/s · about 1 minute left",
       62,
       {At(4000, 400 * kMiB, 6400 * kMiB)},
       texts::TLanguage::English},
  };
  for (const auto& c : kCases) {
    TProgressMeter meter;
    meter.Add(At(0, 0, 0));
    for (const TProgressSample& sample : c.samples) meter.Add(sample);
    EXPECT_EQ(c.text, meter.Shown(c.language).text);
    EXPECT_EQ(c.permille, meter.Shown(c.language).permille) << c.text;
  }
}

}  // namespace
