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

std::string SortKeyIgnoreCase(const std::string& text) {
  const int size = static_cast<int>(text.size());
  constexpr DWORD kFlags = LCMAP_SORTKEY | NORM_IGNORECASE;
  const int length = LCMapStringA(LOCALE_USER_DEFAULT, kFlags, text.data(), size, nullptr, 0);
  if (length <= 0) return std::string();
  std::string key(static_cast<std::size_t>(length), '\0');
  LCMapStringA(LOCALE_USER_DEFAULT, kFlags, text.data(), size, &key[0], length);
  if (!key.empty() && key.back() == '\0') key.pop_back();  // the key's own terminator
  return key;
}

}  // namespace platform
