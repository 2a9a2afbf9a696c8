// Output files on Windows, through the wide calls so that long paths work too.
#include <windows.h>

#include "platform/file_handle_win32.h"
#include "platform/output_file.h"
#include "platform/wide_path_win32.h"

namespace platform {

TOutputFile::~TOutputFile() { Close(); }

TCreateResult TOutputFile::CreateNew(const std::string& corePath) {
  Close();
  const RealFiles realFiles;
  HANDLE file = CreateFileW(SystemPath(corePath).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                            CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS
               ? TCreateResult::AlreadyExists
               : TCreateResult::Failed;
  }
  handle_ = file;
  return TCreateResult::Created;
}

bool TOutputFile::Write(const void* data, std::size_t size) {
  if (handle_ == INVALID_HANDLE_VALUE) return false;
  const char* bytes = static_cast<const char*>(data);
  std::size_t allowed = detail::ApplyTestSettings(size);
  while (allowed > 0) {
    const DWORD chunk = allowed > 0x40000000u ? 0x40000000u : static_cast<DWORD>(allowed);
    DWORD written = 0;
    if (!WriteFile(handle_, bytes, chunk, &written, nullptr) || written == 0) return false;
    bytes += written;
    allowed -= written;
    size -= written;
  }
  return size == 0;
}

bool TOutputFile::Flush() {
  return handle_ != INVALID_HANDLE_VALUE && FlushFileBuffers(handle_) != FALSE;
}

bool TOutputFile::SetLastWrite(std::int64_t fileTime) {
  FILETIME time;
  time.dwLowDateTime = static_cast<DWORD>(fileTime);
  time.dwHighDateTime = static_cast<DWORD>(static_cast<std::uint64_t>(fileTime) >> 32);
  return handle_ != INVALID_HANDLE_VALUE && SetFileTime(handle_, nullptr, nullptr, &time) != FALSE;
}

bool TOutputFile::Close() {
  if (handle_ == INVALID_HANDLE_VALUE) return true;
  const bool closed = CloseHandle(handle_) != FALSE;
  handle_ = INVALID_HANDLE_VALUE;
  return closed;
}

bool ReplaceFileInOneStep(const std::string& source, const std::string& target) {
  const RealFiles realFiles;
  return MoveFileExW(SystemPath(source).c_str(), SystemPath(target).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

void RemoveStaleTemporaryFiles(const std::string& folder) {
  const RealFiles realFiles;
  WIN32_FIND_DATAW found{};
  const HANDLE find = FindFirstFileW(SystemPath(folder + "\\~HT*.tmp").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    std::string name;
    // A writer holds its file open without sharing: deleting that one fails.
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
        Utf8Name(found.cFileName, name) && IsTemporaryFileName(name))
      DeleteFileW(SystemPath(folder + "\\" + name).c_str());
  } while (FindNextFileW(find, &found));
  FindClose(find);
}

bool IsReadOnlyFile(const std::string& corePath) {
  const RealFiles realFiles;
  const DWORD attributes = GetFileAttributesW(SystemPath(corePath).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0 &&
         (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool RemoveFile(const std::string& corePath) {
  const RealFiles realFiles;
  return DeleteFileW(SystemPath(corePath).c_str()) != FALSE;
}

unsigned long CurrentProcessId() { return GetCurrentProcessId(); }

}  // namespace platform
