// Code page conversions and the locale's order on Windows, through UTF-16.
#include <windows.h>

#include "platform/text.h"
#include "platform/wide_path_win32.h"

namespace platform {
bool WidenText(std::string_view text, unsigned codePage, std::wstring& wide) {
  wide.clear();
  if (text.empty()) return true;
  const int size = static_cast<int>(text.size());
  bool exact = true;
  int length = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text.data(), size, nullptr, 0);
  DWORD flags = MB_ERR_INVALID_CHARS;
  if (length <= 0) {
    exact = false;
    flags = 0;
    length = MultiByteToWideChar(codePage, 0, text.data(), size, nullptr, 0);
    if (length <= 0) return false;
  }
  wide.resize(static_cast<std::size_t>(length));
  MultiByteToWideChar(codePage, flags, text.data(), size, &wide[0], length);
  return exact;
}

bool NarrowText(std::wstring_view wide, unsigned codePage, std::string& text) {
  text.clear();
  if (wide.empty()) return true;
  const int size = static_cast<int>(wide.size());
  // UTF-8 takes neither the best-fit flag nor the default-character report; it refuses only what
  // is no character at all (a lone surrogate).
  const bool utf8 = codePage == CP_UTF8;
  const DWORD flags = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
  BOOL usedDefault = FALSE;
  BOOL* const report = utf8 ? nullptr : &usedDefault;
  int length = WideCharToMultiByte(codePage, flags, wide.data(), size, nullptr, 0, nullptr, report);
  if (length <= 0) {
    // Shown with the stand-in character where it has none.
    length = WideCharToMultiByte(codePage, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    if (length > 0) {
      text.resize(static_cast<std::size_t>(length));
      WideCharToMultiByte(codePage, 0, wide.data(), size, &text[0], length, nullptr, nullptr);
    }
    return false;
  }
  text.resize(static_cast<std::size_t>(length));
  WideCharToMultiByte(codePage, flags, wide.data(), size, &text[0], length, nullptr, report);
  return !usedDefault;
}

namespace {

std::wstring WideOfUtf8(const std::string& text) {
  std::wstring wide;
  WidenText(text, CP_UTF8, wide);
  return wide;
}

}  // namespace

unsigned SystemCodePage() { return GetACP(); }

bool CodePageToUtf8(std::string_view bytes, unsigned codePage, std::string& utf8) {
  std::wstring wide;
  const bool exact = WidenText(bytes, codePage, wide);
  // The stand-in characters of a lossy conversion are characters too.
  NarrowText(wide, CP_UTF8, utf8);
  return exact;
}

bool Utf8ToCodePage(std::string_view utf8, unsigned codePage, std::string& bytes) {
  std::wstring wide;
  return WidenText(utf8, CP_UTF8, wide) && NarrowText(wide, codePage, bytes);
}

bool IsLeadByte(unsigned char byte) { return IsDBCSLeadByte(byte) != FALSE; }

int CompareTextIgnoreCase(const std::string& a, const std::string& b) {
  const std::wstring wideA = WideOfUtf8(a);
  const std::wstring wideB = WideOfUtf8(b);
  const int result =
      CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, wideA.data(),
                     static_cast<int>(wideA.size()), wideB.data(), static_cast<int>(wideB.size()));
  return result - CSTR_EQUAL;
}

std::string SortKeyIgnoreCase(const std::string& text) {
  // The locale's order over UTF-16 is the order its narrow form follows for names of the code
  // page, and it takes every other name too.
  const std::wstring wide = WideOfUtf8(text);
  const int size = static_cast<int>(wide.size());
  constexpr DWORD kFlags = LCMAP_SORTKEY | NORM_IGNORECASE;
  const int length = LCMapStringW(LOCALE_USER_DEFAULT, kFlags, wide.data(), size, nullptr, 0);
  if (length <= 0) return std::string();
  std::string key(static_cast<std::size_t>(length), '\0');
  // With LCMAP_SORTKEY the output is bytes, passed where the text would go.
  LCMapStringW(LOCALE_USER_DEFAULT, kFlags, wide.data(), size, reinterpret_cast<LPWSTR>(&key[0]),
               length);
  if (!key.empty() && key.back() == '\0') key.pop_back();  // the key's own terminator
  return key;
}

}  // namespace platform
