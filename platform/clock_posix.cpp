// Local time from the C library on the host.
#include <sys/time.h>

#include <ctime>

#include "platform/clock.h"
#include "platform/file_time_posix.h"

namespace platform {

LocalDateTime LocalNow() {
  timeval now;
  gettimeofday(&now, nullptr);
  std::tm local{};
  const std::time_t seconds = now.tv_sec;
  localtime_r(&seconds, &local);
  return {local.tm_year + 1900,
          local.tm_mon + 1,
          local.tm_mday,
          local.tm_hour,
          local.tm_min,
          local.tm_sec,
          static_cast<int>(now.tv_usec / 1000)};
}

LocalDateTime LocalTimeOf(long long utcSeconds) {
  std::tm local{};
  const std::time_t seconds = static_cast<std::time_t>(utcSeconds);
  localtime_r(&seconds, &local);
  return {local.tm_year + 1900,
          local.tm_mon + 1,
          local.tm_mday,
          local.tm_hour,
          local.tm_min,
          local.tm_sec,
          0};
}

long long FileTimeNow() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  return FileTimeOf(now);
}

}  // namespace platform
