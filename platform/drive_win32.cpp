// The drive of a path on Windows: its type from the volume's root, and for fixed disks whether
// the storage device reports a seek penalty (spinning disks do, solid-state disks do not).
#include <windows.h>
// The system header below needs windows.h first.
#include <winioctl.h>

#include <vector>

#include "platform/drive.h"
#include "platform/file_handle_win32.h"
#include "platform/wide_path_win32.h"

namespace platform {
namespace {

TDriveKind KindOf(UINT driveType) {
  switch (driveType) {
    case DRIVE_FIXED:
    case DRIVE_RAMDISK:
      return TDriveKind::Fixed;
    case DRIVE_REMOVABLE:
      return TDriveKind::Removable;
    case DRIVE_CDROM:
      return TDriveKind::Optical;
    case DRIVE_REMOTE:
      return TDriveKind::Network;
    default:
      return TDriveKind::Unknown;
  }
}

// Asks the volume's device; a volume or driver that does not answer cannot tell.
TSeekPenalty SeekPenaltyOf(const std::wstring& volumeRoot) {
  wchar_t volumeName[MAX_PATH] = {};
  if (!GetVolumeNameForVolumeMountPointW(volumeRoot.c_str(), volumeName, MAX_PATH))
    return TSeekPenalty::Unknown;
  std::wstring device = volumeName;  // \\?\Volume{...}\ ; the device is without the backslash
  if (!device.empty() && device.back() == L'\\') device.pop_back();
  FileHandle volume(CreateFileW(device.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr));
  if (volume.get() == INVALID_HANDLE_VALUE) return TSeekPenalty::Unknown;
  STORAGE_PROPERTY_QUERY query{};
  query.PropertyId = StorageDeviceSeekPenaltyProperty;
  query.QueryType = PropertyStandardQuery;
  DEVICE_SEEK_PENALTY_DESCRIPTOR answer{};
  DWORD returned = 0;
  if (!DeviceIoControl(volume.get(), IOCTL_STORAGE_QUERY_PROPERTY, &query, sizeof query, &answer,
                       sizeof answer, &returned, nullptr) ||
      returned < sizeof answer) {
    return TSeekPenalty::Unknown;
  }
  return answer.IncursSeekPenalty ? TSeekPenalty::Yes : TSeekPenalty::No;
}

}  // namespace

TDriveFacts DescribeDrive(const std::string& path) {
  const std::wstring wide = SystemPath(path);
  std::vector<wchar_t> root(wide.size() + 2);
  if (wide.empty() ||
      !GetVolumePathNameW(wide.c_str(), root.data(), static_cast<DWORD>(root.size())))
    return {};
  const std::wstring volumeRoot = root.data();
  TDriveFacts facts;
  facts.Kind = KindOf(GetDriveTypeW(volumeRoot.c_str()));
  if (facts.Kind == TDriveKind::Fixed) facts.SeekPenalty = SeekPenaltyOf(volumeRoot);
  return facts;
}

}  // namespace platform
