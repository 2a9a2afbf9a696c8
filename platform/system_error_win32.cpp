// System error texts on Windows.
#include <windows.h>

#include <memory>

#include "platform/system_error.h"

namespace platform {

unsigned long LastErrorCode() { return GetLastError(); }

std::string ErrorText(unsigned long code) {
  struct TLocalFree {
    void operator()(char* text) const { LocalFree(text); }
  };
  char* buffer = nullptr;
  const DWORD length = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
  const std::unique_ptr<char, TLocalFree> owner(buffer);
  return length != 0 && buffer != nullptr ? std::string(buffer, length) : std::string();
}

}  // namespace platform
