// Code page conversions and the order of texts on the host, which stands in for a
// Simplified-Chinese system: iconv converts, and ASCII letters fold for the order.
#include <iconv.h>
#include <strings.h>

#include <algorithm>
#include <cerrno>
#include <string>

#include "platform/text.h"

namespace platform {
namespace {

std::string IconvName(unsigned codePage) {
  return codePage == kCodePageUtf8 ? "UTF-8" : "CP" + std::to_string(codePage);
}

// Converts `from` with iconv; a sequence the target cannot take, or that is no character of the
// source, is replaced by `standIn` and makes the result false.
bool Convert(std::string_view from, unsigned fromCodePage, unsigned toCodePage, const char* standIn,
             std::string& to) {
  to.clear();
  iconv_t converter = iconv_open(IconvName(toCodePage).c_str(), IconvName(fromCodePage).c_str());
  if (converter == reinterpret_cast<iconv_t>(-1)) return false;
  bool exact = true;
  char* in = const_cast<char*>(from.data());
  std::size_t inLeft = from.size();
  char buffer[4096];
  while (inLeft > 0) {
    char* out = buffer;
    std::size_t outLeft = sizeof buffer;
    const std::size_t done = iconv(converter, &in, &inLeft, &out, &outLeft);
    to.append(buffer, static_cast<std::size_t>(out - buffer));
    if (done == static_cast<std::size_t>(-1) && errno != E2BIG) {
      exact = false;  // EILSEQ, or EINVAL for a sequence cut at the end: skip one byte
      to += standIn;
      ++in;
      --inLeft;
      iconv(converter, nullptr, nullptr, nullptr, nullptr);
    }
  }
  iconv_close(converter);
  return exact;
}

}  // namespace

unsigned SystemCodePage() { return kCodePageGbk; }

bool CodePageToUtf8(std::string_view bytes, unsigned codePage, std::string& utf8) {
  return Convert(bytes, codePage, kCodePageUtf8, "\xEF\xBF\xBD", utf8);  // U+FFFD stands in
}

bool Utf8ToCodePage(std::string_view utf8, unsigned codePage, std::string& bytes) {
  return Convert(utf8, kCodePageUtf8, codePage, "?", bytes);
}

bool IsLeadByte(unsigned char byte) { return byte >= 0x81 && byte <= 0xFE; }

int CompareTextIgnoreCase(const std::string& a, const std::string& b) {
  // The nearest host equivalent of the locale's case-insensitive order: ASCII letters folded,
  // other bytes compared as unsigned values (UTF-8 keeps the order of the characters); a shorter
  // prefix sorts first.
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
