// ANSI code page text services on Windows.
#include <windows.h>

#include "platform/text.h"

namespace platform {

bool IsLeadByte(unsigned char byte) { return IsDBCSLeadByte(byte) != FALSE; }

int CompareTextIgnoreCase(const std::string& a, const std::string& b) {
  const int result =
      CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()),
                     b.data(), static_cast<int>(b.size()));
  return result - CSTR_EQUAL;
}

}  // namespace platform
