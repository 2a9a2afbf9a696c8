// ANSI code page text services on the host build, which stands in for a GBK system.
#include <strings.h>

#include <algorithm>

#include "platform/text.h"

namespace platform {

bool IsLeadByte(unsigned char byte) { return byte >= 0x81 && byte <= 0xFE; }

int CompareTextIgnoreCase(const std::string& a, const std::string& b) {
  // The nearest host equivalent of the locale's case-insensitive order: ASCII letters folded,
  // other bytes compared as unsigned values; a shorter prefix sorts first.
  const std::size_t n = std::min(a.size(), b.size());
  const int c = strncasecmp(a.c_str(), b.c_str(), n);
  if (c != 0 || a.size() == b.size()) return c;
  return a.size() < b.size() ? -1 : 1;
}

std::string SortKeyIgnoreCase(const std::string& text) {
  std::string key = text;
  for (char& c : key)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return key;
}

}  // namespace platform
