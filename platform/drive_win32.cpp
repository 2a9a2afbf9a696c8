// The drive of a path on Windows: its type from the volume's root, and for fixed disks whether
// the storage device reports a seek penalty (spinning disks do, solid-state disks do not) and the
// bus it hangs on; the volume's serial number and the user's data folder.
#include <windows.h>
// The system header below needs windows.h first.
#include <shlobj.h>
#include <winioctl.h>

#include <cstddef>
#include <cstdio>
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

// The storage device behind a volume, opened only to be asked about; invalid when it cannot be.
FileHandle OpenVolumeDevice(const std::wstring& volumeRoot) {
  wchar_t volumeName[MAX_PATH] = {};
  if (!GetVolumeNameForVolumeMountPointW(volumeRoot.c_str(), volumeName, MAX_PATH))
    return FileHandle(INVALID_HANDLE_VALUE);
  std::wstring device = volumeName;  // \\?\Volume{...}\ ; the device is without the backslash
  if (!device.empty() && device.back() == L'\\') device.pop_back();
  return FileHandle(CreateFileW(device.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr));
}

// Asks `query` of the device into `answer`; false when the device or its driver does not answer.
template <typename TAnswer>
bool AskDevice(HANDLE device, STORAGE_PROPERTY_ID property, TAnswer& answer) {
  STORAGE_PROPERTY_QUERY query{};
  query.PropertyId = property;
  query.QueryType = PropertyStandardQuery;
  DWORD returned = 0;
  return device != INVALID_HANDLE_VALUE &&
         DeviceIoControl(device, IOCTL_STORAGE_QUERY_PROPERTY, &query, sizeof query, &answer,
                         sizeof answer, &returned, nullptr) &&
         returned >= offsetof(TAnswer, Size) + sizeof answer.Size;
}

TSeekPenalty SeekPenaltyOf(HANDLE device) {
  DEVICE_SEEK_PENALTY_DESCRIPTOR answer{};
  if (!AskDevice(device, StorageDeviceSeekPenaltyProperty, answer) || answer.Size < sizeof answer)
    return TSeekPenalty::Unknown;
  return answer.IncursSeekPenalty ? TSeekPenalty::Yes : TSeekPenalty::No;
}

TDriveBus BusOf(HANDLE device) {
  // The descriptor's fixed part is enough: the bus type lies in it.
  STORAGE_DEVICE_DESCRIPTOR answer{};
  if (!AskDevice(device, StorageDeviceProperty, answer) ||
      answer.Size < offsetof(STORAGE_DEVICE_DESCRIPTOR, BusType) + sizeof answer.BusType)
    return TDriveBus::Unknown;
  switch (answer.BusType) {
    case BusTypeUsb:
      return TDriveBus::Usb;
    case BusType1394:
      return TDriveBus::FireWire;
    case BusTypeSd:
      return TDriveBus::Sd;
    case BusTypeMmc:
      return TDriveBus::Mmc;
    case BusTypeUnknown:
      return TDriveBus::Unknown;
    default:
      return TDriveBus::Other;
  }
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
  if (facts.Kind == TDriveKind::Fixed) {
    const FileHandle device = OpenVolumeDevice(volumeRoot);
    facts.SeekPenalty = SeekPenaltyOf(device.get());
    facts.Bus = BusOf(device.get());
  }
  return facts;
}

}  // namespace platform

namespace platform {

std::string VolumeSerial(const std::string& path) {
  const std::wstring wide = SystemPath(path);
  std::vector<wchar_t> root(wide.size() + 2);
  DWORD serial = 0;
  if (wide.empty() ||
      !GetVolumePathNameW(wide.c_str(), root.data(), static_cast<DWORD>(root.size())) ||
      !GetVolumeInformationW(root.data(), nullptr, 0, &serial, nullptr, nullptr, nullptr, 0))
    return std::string();
  char text[16];
  std::snprintf(text, sizeof text, "%08lX", static_cast<unsigned long>(serial));
  return text;
}

std::string UserDataFolder() {
  // The folder's CSIDL rather than its known-folder GUID, whose library also defines GUIDs that
  // the accessibility library defines again.
  wchar_t folder[MAX_PATH] = {};
  std::string path;
  if (SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, 0, folder)))
    Utf8Name(folder, path);
  return path;
}

}  // namespace platform
