// Folder listing on Windows: the wide find-first/find-next services over Folder\*.*, with the
// attribute filter applied to every entry they return. Wide calls reach folders past MAX_PATH;
// names come back in UTF-8.
#include <windows.h>

#include <utility>

#include "platform/file_handle_win32.h"
#include "platform/folder_enumeration.h"
#include "platform/wide_path_win32.h"

namespace platform {
namespace {

// The volume-label attribute of old FAT volumes; newer headers no longer name it.
constexpr DWORD kVolumeLabelAttribute = 0x00000008;
constexpr DWORD kNeverListed =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | kVolumeLabelAttribute;

// The 128-bit file ID query of Windows 8 and later; the program also runs on Windows 7, whose
// headers (and system) lack it, so it is declared here and its failure falls back to the index.
constexpr FILE_INFO_BY_HANDLE_CLASS kFileIdInfo = static_cast<FILE_INFO_BY_HANDLE_CLASS>(18);
struct FileIdInformation {
  ULONGLONG VolumeSerialNumber;
  BYTE Identifier[16];
};

}  // namespace

struct FolderEnumeration::Handle {
  HANDLE find = INVALID_HANDLE_VALUE;
  WIN32_FIND_DATAW data{};
  bool pending = false;  // `data` holds an entry not yet handed out
  ~Handle() {
    if (find != INVALID_HANDLE_VALUE) FindClose(find);
  }
};

FolderEnumeration::FolderEnumeration(const std::string& folder, TPassingOver passingOver)
    : handle_(std::make_unique<Handle>()), folder_(folder), passingOver_(std::move(passingOver)) {
  {
    const RealFiles realFiles;
    handle_->find = FindFirstFileW(SystemPath(folder + "\\*.*").c_str(), &handle_->data);
  }
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
    if (!handle_->pending && !FindNextFileW(handle_->find, &handle_->data)) {
      // Anything but the end of the list (a share that drops, a device error) leaves the folder
      // listed only in part.
      if (GetLastError() != ERROR_NO_MORE_FILES) state_ = EnumerationState::Unreadable;
      break;
    }
    handle_->pending = false;
    const WIN32_FIND_DATAW& data = handle_->data;
    const bool passedOver = (data.dwFileAttributes & kNeverListed) != 0 ||
                            wcscmp(data.cFileName, L".") == 0 || wcscmp(data.cFileName, L"..") == 0;
    if (passedOver) {
      if (!PassOver()) break;
      continue;
    }
    entry.Unrepresentable = !Utf8Name(data.cFileName, entry.Name);
    entry.IsFolder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    entry.Size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    entry.LastWrite = static_cast<std::int64_t>(
        (static_cast<std::uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
        data.ftLastWriteTime.dwLowDateTime);
    entry.IsLink = (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    return true;
  }
  handle_.reset();
  return false;
}

bool GetFolderIdentity(const std::string& folder, FolderIdentity& identity) {
  // The trailing backslash makes "C:" the root of drive C rather than its current directory.
  const RealFiles realFiles;
  FileHandle file(CreateFileW(SystemPath(folder + "\\").c_str(), FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (file.get() == INVALID_HANDLE_VALUE) return false;
  // The attributes alone: the whole information also names the volume, which some systems (Wine)
  // find by looking at every folder of the path, and the 128-bit ID below names it as well.
  FILE_BASIC_INFO basic;
  if (!GetFileInformationByHandleEx(file.get(), FileBasicInfo, &basic, sizeof basic) ||
      (basic.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
    return false;
  // The 128-bit ID where the file system has one: the 64-bit index is not unique on every file
  // system (ReFS).
  FileIdInformation id{};
  if (GetFileInformationByHandleEx(file.get(), kFileIdInfo, &id, sizeof id)) {
    identity.Volume = id.VolumeSerialNumber;
    identity.IdHigh = 0;
    identity.IdLow = 0;
    for (int i = 0; i < 8; ++i) {
      identity.IdLow |= static_cast<std::uint64_t>(id.Identifier[i]) << (8 * i);
      identity.IdHigh |= static_cast<std::uint64_t>(id.Identifier[8 + i]) << (8 * i);
    }
    if (identity.Known()) return true;
  }
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(file.get(), &info)) return false;
  identity.Volume = info.dwVolumeSerialNumber;
  identity.IdHigh = 0;
  identity.IdLow = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
  return true;
}

}  // namespace platform
