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

bool EndsWithCharacter(const std::string& text, char c) {
  if (text.empty()) return false;
  const char last[2] = {c, '\0'};
  return FindLastDelimiter(text, last) == text.size() - 1;
}

}  // namespace platform
