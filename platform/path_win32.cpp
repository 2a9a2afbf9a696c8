// Windows paths are already in the core's form.
#include "platform/path.h"

namespace platform {

std::string NativePath(const std::string& corePath) { return corePath; }
std::string CorePath(const std::string& nativePath) { return nativePath; }

}  // namespace platform
