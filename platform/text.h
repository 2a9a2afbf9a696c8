// Text services: conversions between the code pages names are stored in and UTF-8, the form in
// which the program holds every name and path; double-byte awareness for texts of the system's
// narrow (ANSI) code page; and the locale's case-insensitive order.
#pragma once

#include <string>
#include <string_view>

namespace platform {

inline constexpr unsigned kCodePageGbk = 936;  // Simplified Chinese; the program's own texts
inline constexpr unsigned kCodePageUtf8 = 65001;

// The system's ANSI code page: Windows' own; on the host 936, as the host build stands in for a
// Simplified-Chinese system.
unsigned SystemCodePage();

// True when every byte of `text` is below 0x80: the same characters in every code page the program
// runs under, UTF-8 included.
bool IsAscii(std::string_view text);

// True when `text` is well-formed UTF-8 (no overlong forms, no surrogates, nothing past U+10FFFF).
bool IsValidUtf8(std::string_view text);

// `bytes` of `codePage` in UTF-8. False when some bytes are no character of that code page; they
// are then converted as the system converts them (to a stand-in character).
bool CodePageToUtf8(std::string_view bytes, unsigned codePage, std::string& utf8);

// `utf8` (well-formed) in `codePage`. False when some character has no exact form there: it would
// not convert back to the same name (a look-alike or the default character stands in for it).
bool Utf8ToCodePage(std::string_view utf8, unsigned codePage, std::string& bytes);

// True when `byte` starts a double-byte character of the ANSI code page (Windows: the code page's
// lead-byte table; host: the GBK rule, 0x81 to 0xFE, as on Simplified-Chinese systems).
bool IsLeadByte(unsigned char byte);

// Index of the last byte of `text` equal to one of `delimiters`, not counting second bytes of
// double-byte characters; std::string::npos when there is none.
std::size_t FindLastDelimiter(const std::string& text, const char* delimiters);

// Index of the first such byte at or after `from`; std::string::npos when there is none.
std::size_t FindFirstDelimiter(const std::string& text, const char* delimiters,
                               std::size_t from = 0);

// Case-insensitive comparison of two UTF-8 texts in the user's locale order: negative, zero or
// positive.
int CompareTextIgnoreCase(const std::string& a, const std::string& b);

// A key for that order: two keys compared byte by byte as unsigned values (a shorter key that is
// the start of a longer one first) order their texts as CompareTextIgnoreCase does. Sorting many
// texts by keys made once costs far less than comparing the texts again and again.
std::string SortKeyIgnoreCase(const std::string& text);

}  // namespace platform
