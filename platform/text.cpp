// Double-byte-aware searches shared by both builds; only the lead-byte test differs per system.
#include "platform/text.h"

#include <cstring>

namespace platform {
namespace {

// Calls `visit(index)` for each character start of `text`, stepping over second bytes.
template <typename Visit>
void ForEachCharacterStart(const std::string& text, std::size_t from, Visit visit) {
  std::size_t i = 0;
  while (i < text.size()) {
    const bool dbcs = IsLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size();
    if (i >= from && !visit(i)) return;
    i += dbcs ? 2 : 1;
  }
}

bool IsDelimiter(char c, const char* delimiters) {
  return c != '\0' && std::strchr(delimiters, c) != nullptr;
}

}  // namespace

std::size_t FindLastDelimiter(const std::string& text, const char* delimiters) {
  std::size_t found = std::string::npos;
  ForEachCharacterStart(text, 0, [&](std::size_t i) {
    if (IsDelimiter(text[i], delimiters)) found = i;
    return true;
  });
  return found;
}

std::size_t FindFirstDelimiter(const std::string& text, const char* delimiters, std::size_t from) {
  std::size_t found = std::string::npos;
  ForEachCharacterStart(text, from, [&](std::size_t i) {
    if (!IsDelimiter(text[i], delimiters)) return true;
    found = i;
    return false;
  });
  return found;
}

bool IsAscii(std::string_view text) {
  for (const char c : text)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

bool IsValidUtf8(std::string_view text) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t size = text.size();
  std::size_t i = 0;
  while (i < size) {
    const unsigned char lead = bytes[i];
    if (lead < 0x80) {
      ++i;
      continue;
    }
    // The lead byte gives the length and the range its second byte must fall in.
    std::size_t length;
    unsigned char low = 0x80, high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3;
      if (lead == 0xE0) low = 0xA0;   // overlong
      if (lead == 0xED) high = 0x9F;  // surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4;
      if (lead == 0xF0) low = 0x90;   // overlong
      if (lead == 0xF4) high = 0x8F;  // past U+10FFFF
    } else {
      return false;
    }
    if (size - i < length || bytes[i + 1] < low || bytes[i + 1] > high) return false;
    for (std::size_t k = 2; k < length; ++k)
      if ((bytes[i + k] & 0xC0) != 0x80) return false;
    i += length;
  }
  return true;
}

}  // namespace platform
