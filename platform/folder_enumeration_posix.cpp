// Folder listing on the host: readdir over the POSIX form of the core path. A leading dot marks a
// hidden entry, as it does for the host's own tools.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <utility>

#include "platform/file_time_posix.h"
#include "platform/folder_enumeration.h"
#include "platform/path.h"
#include "platform/text.h"

namespace platform {

struct FolderEnumeration::Handle {
  DIR* dir = nullptr;
  ~Handle() {
    if (dir != nullptr) closedir(dir);
  }
};

FolderEnumeration::FolderEnumeration(const std::string& folder, TPassingOver passingOver)
    : handle_(std::make_unique<Handle>()),
      folder_(NativePath(folder)),
      passingOver_(std::move(passingOver)) {
  handle_->dir = opendir(folder_.c_str());
  if (handle_->dir == nullptr) {
    handle_.reset();
    state_ = EnumerationState::Unreadable;
    return;
  }
  state_ = EnumerationState::Listing;
}

FolderEnumeration::~FolderEnumeration() = default;

bool FolderEnumeration::Next(FolderEntry& entry) {
  while (handle_) {
    errno = 0;
    const dirent* found = readdir(handle_->dir);
    if (found == nullptr) {
      if (errno != 0) state_ = EnumerationState::Unreadable;  // broke off part-way
      break;
    }
    if (found->d_name[0] == '.') {
      if (!PassOver()) break;
      continue;
    }

    bool isFolder = false;
    struct stat info {};
    bool isLink = found->d_type == DT_LNK;
    if (found->d_type == DT_DIR) {
      isFolder = true;
    } else if (found->d_type == DT_REG || isLink || found->d_type == DT_UNKNOWN) {
      // Links are followed: a link to a folder is a folder, a dangling link a file that will
      // fail to open.
      const int fd = dirfd(handle_->dir);
      if (found->d_type == DT_UNKNOWN &&
          fstatat(fd, found->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0)
        isLink = S_ISLNK(info.st_mode);
      if (fstatat(fd, found->d_name, &info, 0) == 0) {
        if (S_ISDIR(info.st_mode)) {
          isFolder = true;
        } else if (!S_ISREG(info.st_mode)) {
          if (!PassOver()) break;
          continue;
        }
      }
    } else {
      if (!PassOver()) break;
      continue;
    }
    entry.Name = found->d_name;
    entry.IsFolder = isFolder;
    entry.Size = isFolder ? 0 : static_cast<std::uint64_t>(info.st_size);
    entry.LastWrite = isFolder ? 0 : FileTimeOf(info.st_mtim);
    entry.IsLink = isLink;
    // A name in another encoding cannot be stored as it is; the stand-ins show it.
    entry.Unrepresentable = !IsValidUtf8(entry.Name);
    if (entry.Unrepresentable) CodePageToUtf8(found->d_name, kCodePageUtf8, entry.Name);
    return true;
  }
  handle_.reset();
  return false;
}

bool GetFolderIdentity(const std::string& folder, FolderIdentity& identity) {
  struct stat info;
  if (stat(NativePath(folder + "\\").c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return false;
  identity.Volume = static_cast<std::uint64_t>(info.st_dev);
  identity.IdHigh = 0;
  identity.IdLow = static_cast<std::uint64_t>(info.st_ino);
  return true;
}

}  // namespace platform
