// The progress arithmetic: units, the smoothed speed and the time left; see progress_meter.h.
#include "catalogue/progress_meter.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace {

using std::chrono::milliseconds;

// The speed is the average since the start for its first seconds, then follows the latest pieces
// with this time constant: a burst of small files or one slow file barely moves it.
constexpr milliseconds kSmoothing{4000};
// Running time before the speed, and the time left computed from it, mean something.
constexpr milliseconds kSpeedAfter{1000};
constexpr milliseconds kTimeLeftAfter{3000};

using texts::TText;

const char kSeparator[] = " · ";

double Seconds(milliseconds time) { return static_cast<double>(time.count()) / 1000; }

// "剩余约 40 秒", "剩余约 5 分钟", "剩余约 2 小时 5 分钟", "剩余约 3 天 4 小时": coarser as it
// grows, so that it does not flicker from one sample to the next.
std::string TimeLeftText(double seconds, texts::TLanguage language) {
  const auto s = std::max<std::uint64_t>(1, static_cast<std::uint64_t>(std::ceil(seconds)));
  const auto part = [language](std::uint64_t count, TText unit, std::uint64_t rest,
                               TText restUnit) {
    std::string amount = texts::CountText(language, unit, count);
    if (rest > 0) amount += " " + texts::CountText(language, restUnit, rest);
    return texts::Fill(texts::Text(language, TText::TimeLeft), {amount});
  };
  if (s < 10) return part(s, TText::Seconds, 0, TText::Seconds);
  if (s < 55) return part((s + 4) / 5 * 5, TText::Seconds, 0, TText::Seconds);
  const std::uint64_t minutes = (s + 30) / 60;
  if (minutes < 60) return part(minutes, TText::Minutes, 0, TText::Minutes);
  if (minutes < 24 * 60) return part(minutes / 60, TText::Hours, minutes % 60, TText::Minutes);
  const std::uint64_t hours = (s + 1800) / 3600;
  return part(hours / 24, TText::Days, hours % 24, TText::Hours);
}

}  // namespace

std::string ByteCountText(std::uint64_t bytes, texts::TLanguage language) {
  if (bytes < 1000) return texts::CountText(language, TText::Bytes, bytes);
  // Each unit is 1024 of the one before and holds counts below 1000; the last holds the rest.
  static const char* const kUnits[] = {"KB", "MB", "GB", "TB"};
  std::uint64_t unit = 1024;
  std::size_t i = 0;
  for (; i + 1 < std::size(kUnits) && bytes >= 1000 * unit; ++i) unit *= 1024;
  // Three significant digits, the rest cut off: a count never reads as more than it is.
  const std::uint64_t hundredths = bytes / unit * 100 + bytes % unit * 100 / unit;
  const std::uint64_t whole = hundredths / 100;
  std::string text = std::to_string(whole);
  if (whole < 10) {
    text += "." + std::to_string(hundredths / 10 % 10) + std::to_string(hundredths % 10);
  } else if (whole < 100) {
    text += "." + std::to_string(hundredths / 10 % 10);
  }
  return text + " " + kUnits[i];
}

void TProgressMeter::Add(const TProgressSample& sample) {
  if (!started_) {
    started_ = true;
    last_ = sample;
    return;
  }
  const milliseconds step = sample.time - last_.time;
  // An interval counts when the run was going at its start; the caller samples at once when a
  // pause begins or ends.
  if (!last_.paused && step.count() > 0) {
    const std::uint64_t bytes = sample.done > last_.done ? sample.done - last_.done : 0;
    const bool settling = running_ < kSmoothing;
    running_ += step;
    runningBytes_ += bytes;
    if (settling) {
      speed_ = static_cast<double>(runningBytes_) / Seconds(running_);
    } else {
      const double weight = 1 - std::exp(-Seconds(step) / Seconds(kSmoothing));
      speed_ += (static_cast<double>(bytes) / Seconds(step) - speed_) * weight;
    }
  }
  last_ = sample;
}

TProgressShown TProgressMeter::Shown(texts::TLanguage language) const {
  TProgressShown shown;
  const std::uint64_t done = last_.done, total = last_.total;
  if (last_.totalKnown) {
    shown.permille =
        total == 0
            ? 1000
            : static_cast<int>(std::min<double>(1000, 1000 * static_cast<double>(done) / total));
  }
  shown.text = ByteCountText(done, language);
  if (last_.totalKnown || total > 0) shown.text += " / " + ByteCountText(total, language);
  if (running_ >= kSpeedAfter)
    shown.text += kSeparator + ByteCountText(static_cast<std::uint64_t>(speed_), language) + "/s";
  if (!last_.totalKnown) {
    shown.text += kSeparator + std::string(texts::Text(language, TText::ListingFiles));
  } else if (running_ >= kTimeLeftAfter && speed_ >= 1) {  // a stalled run tells none
    const double left = done < total ? static_cast<double>(total - done) : 0;
    shown.text += kSeparator + TimeLeftText(left / speed_, language);
  }
  return shown;
}
