// System error texts on the host.
#include <cerrno>
#include <cstring>

#include "platform/system_error.h"

namespace platform {

unsigned long LastErrorCode() { return static_cast<unsigned long>(errno); }

std::string ErrorText(unsigned long code) { return std::strerror(static_cast<int>(code)); }

}  // namespace platform
