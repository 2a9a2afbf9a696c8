// Local time from the system clock on Windows.
#include <windows.h>

#include "platform/clock.h"

namespace platform {

LocalDateTime LocalNow() {
  SYSTEMTIME st;
  GetLocalTime(&st);
  return {st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, st.wMilliseconds};
}

}  // namespace platform
