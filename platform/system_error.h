// The operating system's own words for a failed call, for the messages the user sees.
#pragma once

#include <string>

namespace platform {

// The calling thread's last error code (Windows: GetLastError; POSIX: errno). Take it right after
// the failing call, before any clean-up can overwrite it.
unsigned long LastErrorCode();

// The system's text for `code` (Windows: FormatMessageA in the user's language, ANSI code page;
// POSIX: strerror), exactly as the system gives it, trailing line break and full stop included.
std::string ErrorText(unsigned long code);

}  // namespace platform
