// Lower-case hexadecimal text of digests and checksums.
#include "digest/algorithms.h"

namespace {
constexpr char kDigits[] = "0123456789abcdef";
}

void HexDigits(int count, uint64_t value, std::string& text) {
  if (count < 1) count = 1;
  if (count > 16) count = 16;
  text.assign(static_cast<std::size_t>(count), '0');
  for (int i = count - 1; i >= 0; --i) {
    text[static_cast<std::size_t>(i)] = kDigits[value & 15];
    value >>= 4;
  }
}
