// Read-sharing file handles of the Windows file services, through the wide calls so that long
// paths open too.
#include <windows.h>

#include "platform/file_handle_win32.h"
#include "platform/input_file.h"
#include "platform/wide_path_win32.h"

namespace platform {

InputFile::~InputFile() { Close(); }

bool InputFile::Open(const std::string& path) {
  Close();
  {
    const RealFiles realFiles;
    handle_ = CreateFileW(SystemPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                          OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  }
  // Devices (NUL, COM1, CON, CONIN$, \\.\ paths) and pipes open too, but reading them would give
  // an empty digest or block: only disk files are taken.
  if (IsOpen() && GetFileType(handle_) != FILE_TYPE_DISK) {
    Close();
    SetLastError(ERROR_ACCESS_DENIED);
  }
  return IsOpen();
}

bool InputFile::IsOpen() const { return handle_ != INVALID_HANDLE_VALUE; }

void InputFile::Close() {
  if (IsOpen()) CloseHandle(handle_);
  handle_ = INVALID_HANDLE_VALUE;
}

bool InputFile::Size(uint64_t& size) const {
  LARGE_INTEGER value;
  if (!IsOpen() || !GetFileSizeEx(handle_, &value) || value.QuadPart < 0) return false;
  size = static_cast<uint64_t>(value.QuadPart);
  return true;
}

bool InputFile::LastWriteTime(int64_t& time) const {
  FILETIME written;
  if (!IsOpen() || !GetFileTime(handle_, nullptr, nullptr, &written)) return false;
  time = static_cast<int64_t>((static_cast<uint64_t>(written.dwHighDateTime) << 32) |
                              written.dwLowDateTime);
  return true;
}

bool InputFile::Seek(uint64_t offset) {
  if (!IsOpen() || offset > static_cast<uint64_t>(INT64_MAX)) return false;
  LARGE_INTEGER distance;
  distance.QuadPart = static_cast<LONGLONG>(offset);
  return SetFilePointerEx(handle_, distance, nullptr, FILE_BEGIN) != 0;
}

bool InputFile::Read(void* buffer, uint32_t capacity, uint32_t& got) {
  got = 0;
  if (!IsOpen()) return false;
  DWORD read = 0;
  if (!ReadFile(handle_, buffer, capacity, &read, nullptr)) return false;
  got = read;
  return true;
}

}  // namespace platform
