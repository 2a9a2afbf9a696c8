// Backslash-separated core paths onto POSIX paths and back.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>

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

TPathKind GetPathKind(const std::string& corePath) {
  struct stat info;
  if (corePath.empty() || stat(NativePath(corePath).c_str(), &info) != 0) return TPathKind::Missing;
  return S_ISDIR(info.st_mode) ? TPathKind::Folder : TPathKind::File;
}

std::string AbsolutePath(const std::string& corePath) {
  if (corePath.empty() || corePath[0] == '\\') return corePath;
  char current[PATH_MAX];
  if (getcwd(current, sizeof current) == nullptr) return corePath;
  return CorePath(current) + "\\" + corePath;
}

}  // namespace platform
