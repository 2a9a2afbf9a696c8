// What the window shows of a run's progress in bytes: the bar's fraction and one line of text with
// the bytes done of the total, a smoothed speed and the time left. Fed with samples of the run's
// counts; it never sees a window or a clock, so tests feed it any time line they like.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

#include "texts/texts.h"

struct TProgressSample {
  std::chrono::milliseconds time;  // on a monotonic clock
  std::uint64_t done = 0;          // bytes digested
  std::uint64_t total = 0;         // bytes to digest, as far as listed
  bool totalKnown = false;         // the listing has ended
  bool paused = false;             // the user holds the run
};

struct TProgressShown {
  int permille = -1;  // the bar's position in thousandths; -1 while the total is not known
  // A program text, e.g. "12.3 GB / 40.1 GB · 85.2 MB/s · 剩余约 5 分钟" in Chinese.
  std::string text;
};

class TProgressMeter {
 public:
  // Takes the run's counts now; the first sample marks the run's start. Paused time is left out of
  // the speed and the running time, so a sample is due also right as a pause begins and ends.
  void Add(const TProgressSample& sample);
  TProgressShown Shown(texts::TLanguage language = texts::TLanguage::Chinese) const;

 private:
  bool started_ = false;
  TProgressSample last_;
  std::chrono::milliseconds running_{0};  // time since the start, paused time left out
  std::uint64_t runningBytes_ = 0;        // bytes done in that time
  double speed_ = 0;                      // bytes per second, smoothed
};

// A byte count as the shell's copy dialog shows it: "512 字节", "1.50 KB", "12.3 GB".
std::string ByteCountText(std::uint64_t bytes,
                          texts::TLanguage language = texts::TLanguage::Chinese);
