// Backslash-separated core paths onto POSIX paths and back.
#include <algorithm>

#include "platform/path.h"

namespace platform {

std::string NativePath(const std::string& corePath) {
  std::string native = corePath;
  std::replace(native.begin(), native.end(), '\\', '/');
  return native;
}

std::string CorePath(const std::string& nativePath) {
  std::string core = nativePath;
  std::replace(core.begin(), core.end(), '/', '\\');
  return core;
}

}  // namespace platform
