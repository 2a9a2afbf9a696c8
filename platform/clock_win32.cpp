// Local time from the system clock on Windows.
#include <windows.h>

#include "platform/clock.h"

namespace platform {

LocalDateTime LocalNow() {
  SYSTEMTIME st;
  GetLocalTime(&st);
  return {st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, st.wMilliseconds};
}

long long FileTimeNow() {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  return static_cast<long long>((static_cast<unsigned long long>(now.dwHighDateTime) << 32) |
                                now.dwLowDateTime);
}

LocalDateTime LocalTimeOf(long long utcSeconds) {
  // File time counts 100-nanosecond ticks from 1601, 11644473600 seconds before 1970.
  const unsigned long long ticks = (utcSeconds + 11644473600LL) * 10000000ULL;
  const FILETIME utc = {static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
  SYSTEMTIME universal{}, st{};
  if (!FileTimeToSystemTime(&utc, &universal) ||
      !SystemTimeToTzSpecificLocalTime(nullptr, &universal, &st))
    st = universal;
  return {st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, st.wMilliseconds};
}

}  // namespace platform
