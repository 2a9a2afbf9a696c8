// The per-drive choice of how many files to digest at once, and the setting that overrides it.
#include "platform/drive.h"

#include <cstdlib>
#include <thread>

namespace platform {

unsigned DigestThreadsFor(const TDriveFacts& drive, unsigned processors) {
  constexpr unsigned kMostThreads = 8;
  if (drive.Kind != TDriveKind::Fixed || drive.SeekPenalty == TSeekPenalty::Yes) return 1;
  const bool external = drive.Bus == TDriveBus::Usb || drive.Bus == TDriveBus::FireWire ||
                        drive.Bus == TDriveBus::Sd || drive.Bus == TDriveBus::Mmc;
  if (external && drive.SeekPenalty == TSeekPenalty::Unknown) return 1;
  if (processors == 0) return 1;
  return processors < kMostThreads ? processors : kMostThreads;
}

unsigned DigestThreads(const std::string& path) {
  if (const char* forced = std::getenv("HASHTALLY_THREADS")) {
    char* end = nullptr;
    const long value = std::strtol(forced, &end, 10);
    if (end != forced && *end == '\0' && value >= 1 && value <= 64)
      return static_cast<unsigned>(value);
  }
  return DigestThreadsFor(DescribeDrive(path), std::thread::hardware_concurrency());
}

}  // namespace platform
