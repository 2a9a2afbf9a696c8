// The local wall-clock time, as the checkfile's date-time header line shows it, now or of another
// moment.
#pragma once

namespace platform {

struct LocalDateTime {
  int Year, Month, Day, Hour, Minute, Second, Millisecond;
};

// The current local date and time (Windows: GetLocalTime; POSIX: localtime_r).
LocalDateTime LocalNow();

// The local date and time of a moment given in seconds since 1970 (UTC).
LocalDateTime LocalTimeOf(long long utcSeconds);

// Now in the system's file time (100-nanosecond ticks since 1601-01-01 UTC), the clock the file
// system dates last writes by.
long long FileTimeNow();

}  // namespace platform
