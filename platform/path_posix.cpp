// Backslash-separated core paths onto POSIX paths and back.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>

#include "platform/file_time_posix.h"
#include "platform/path.h"
#include "platform/path_root.h"

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

TPathKind GetPathKind(const std::string& corePath, std::uint64_t* size, std::int64_t* lastWrite) {
  struct stat info;
  if (corePath.empty() || stat(NativePath(corePath).c_str(), &info) != 0) return TPathKind::Missing;
  if (S_ISDIR(info.st_mode)) return TPathKind::Folder;
  if (size) *size = static_cast<std::uint64_t>(info.st_size);
  if (lastWrite) *lastWrite = FileTimeOf(info.st_mtim);
  return TPathKind::File;
}

TLinkKind ReadLink(const std::string& corePath, std::string& target) {
  const std::string native = NativePath(corePath);
  struct stat info;
  if (corePath.empty() || lstat(native.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
    return TLinkKind::None;
  // Some file systems tell no length for a link: room for the longest path then.
  std::string stored(std::max<std::size_t>(static_cast<std::size_t>(info.st_size), PATH_MAX) + 1,
                     '\0');
  const ssize_t length = readlink(native.c_str(), &stored[0], stored.size());
  if (length < 0 || static_cast<std::size_t>(length) >= stored.size()) return TLinkKind::Unknown;
  stored.resize(static_cast<std::size_t>(length));
  // A host link is taken from its own folder, or from the root where it begins with "/".
  target = LinkTargetPath(corePath, CorePath(stored), true);
  return TLinkKind::Link;
}

bool MakeFolders(const std::string& corePath) {
  const std::string native = NativePath(corePath);
  for (std::size_t end = native.find('/', 1);; end = native.find('/', end + 1)) {
    const std::string folder = native.substr(0, end);
    if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return false;
    if (end == std::string::npos) break;
  }
  return GetPathKind(corePath) == TPathKind::Folder;
}

std::string AbsolutePath(const std::string& corePath) {
  if (corePath.empty() || corePath[0] == '\\') return corePath;
  char current[PATH_MAX];
  if (getcwd(current, sizeof current) == nullptr) return corePath;
  return CorePath(current) + "\\" + corePath;
}

std::string OpenedPath(const std::string& corePath) {
  const TPathRoot root = ParsePathRoot(corePath);
  if (root.kind != TRootKind::Relative) return VerbatimPath(corePath, root);
  const std::string absolute = AbsolutePath(corePath);
  if (absolute.empty() || absolute[0] != '\\') return absolute;
  return JoinNames(std::string(), absolute);
}

std::string FoldedName(std::string_view name) {
  // The host stands in for Windows with its names' ASCII letters.
  std::string folded(name);
  for (char& c : folded)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return folded;
}

}  // namespace platform
