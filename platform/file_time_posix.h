// The host's file times in the system's file time of Windows, which the core holds: 100-nanosecond
// ticks since 1601-01-01 UTC.
#pragma once

#include <time.h>

#include <cstdint>

namespace platform {

inline std::int64_t FileTimeOf(const timespec& time) {
  constexpr std::int64_t kUnixEpochInFileTime = 11644473600LL;  // seconds from 1601 to 1970
  return (static_cast<std::int64_t>(time.tv_sec) + kUnixEpochInFileTime) * 10000000 +
         time.tv_nsec / 100;
}

}  // namespace platform
