// Reading a checkfile on Windows: one CreateFileA, one ReadFile.
#include <windows.h>

#include "catalogue/checkfile.h"
#include "catalogue/checkfile_io.h"

namespace {

class THandle {
 public:
  explicit THandle(HANDLE handle) : handle_(handle) {}
  ~THandle() {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  }
  THandle(const THandle&) = delete;
  THandle& operator=(const THandle&) = delete;
  HANDLE Get() const { return handle_; }

 private:
  HANDLE handle_;
};

}  // namespace

std::string ReadCheckfileContent(const std::string& path) {
  THandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file.Get() == INVALID_HANDLE_VALUE) {
    throw ECheckfileError(SystemFailureMessage("Cannot open file", path, GetLastError()));
  }
  const DWORD size = GetFileSize(file.Get(), nullptr);
  if (size == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) {
    throw ECheckfileError("Stream read error");
  }
  std::string content(size, '\0');
  DWORD read = 0;
  if (size > 0 && !ReadFile(file.Get(), &content[0], size, &read, nullptr)) {
    throw ECheckfileError("Stream read error");
  }
  // A file that shrank since its size was taken gives what could be read.
  content.resize(read);
  return content;
}
