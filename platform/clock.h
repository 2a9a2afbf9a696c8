// The local wall-clock time, as the checkfile's date-time header line shows it.
#pragma once

namespace platform {

struct LocalDateTime {
  int Year, Month, Day, Hour, Minute, Second, Millisecond;
};

// The current local date and time (Windows: GetLocalTime; POSIX: localtime_r).
LocalDateTime LocalNow();

}  // namespace platform
