// Folder listing on Windows: the find-first/find-next services over Folder\*.*, with the
// attribute filter applied to every entry they return.
#include <windows.h>

#include "platform/folder_enumeration.h"

namespace platform {
namespace {

// The volume-label attribute of old FAT volumes; newer headers no longer name it.
constexpr DWORD kVolumeLabelAttribute = 0x00000008;
constexpr DWORD kNeverListed =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | kVolumeLabelAttribute;

class FileHandle {
 public:
  explicit FileHandle(HANDLE handle) : handle_(handle) {}
  ~FileHandle() {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};

}  // namespace

struct FolderEnumeration::Handle {
  HANDLE find = INVALID_HANDLE_VALUE;
  WIN32_FIND_DATAA data{};
  bool pending = false;  // `data` holds an entry not yet handed out
  ~Handle() {
    if (find != INVALID_HANDLE_VALUE) FindClose(find);
  }
};

FolderEnumeration::FolderEnumeration(const std::string& folder)
    : handle_(std::make_unique<Handle>()), folder_(folder) {
  const std::string pattern = folder + "\\*.*";
  handle_->find = FindFirstFileA(pattern.c_str(), &handle_->data);
  if (handle_->find == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    handle_.reset();
    state_ = (error == ERROR_FILE_NOT_FOUND || error == ERROR_NO_MORE_FILES)
                 ? EnumerationState::NoEntries
                 : EnumerationState::Unreadable;
    return;
  }
  handle_->pending = true;
  state_ = EnumerationState::Listing;
}

FolderEnumeration::~FolderEnumeration() = default;

bool FolderEnumeration::Next(FolderEntry& entry) {
  while (handle_) {
    if (!handle_->pending && !FindNextFileA(handle_->find, &handle_->data)) break;
    handle_->pending = false;
    const WIN32_FIND_DATAA& data = handle_->data;
    if ((data.dwFileAttributes & kNeverListed) != 0) continue;
    const std::string name = data.cFileName;
    if (name == "." || name == "..") continue;
    entry.Name = name;
    entry.IsFolder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    return true;
  }
  handle_.reset();
  return false;
}

bool GetFolderIdentity(const std::string& folder, FolderIdentity& identity) {
  // The trailing backslash makes "C:" the root of drive C rather than its current directory.
  const std::string path = folder + "\\";
  FileHandle file(CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (file.get() == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(file.get(), &info)) return false;
  if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) return false;
  identity.Volume = info.dwVolumeSerialNumber;
  identity.Index = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
  return true;
}

}  // namespace platform
