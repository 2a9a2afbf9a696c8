// Text services of the system's narrow (ANSI) code page: double-byte awareness and the locale's
// case-insensitive order. Every text of the program is bytes of that code page.
#pragma once

#include <string>

namespace platform {

// True when `byte` starts a double-byte character of the ANSI code page (Windows: the code page's
// lead-byte table; host: the GBK rule, 0x81 to 0xFE, as on Simplified-Chinese systems).
bool IsLeadByte(unsigned char byte);

// Index of the last byte of `text` equal to one of `delimiters`, not counting second bytes of
// double-byte characters; std::string::npos when there is none.
std::size_t FindLastDelimiter(const std::string& text, const char* delimiters);

// Index of the first such byte at or after `from`; std::string::npos when there is none.
std::size_t FindFirstDelimiter(const std::string& text, const char* delimiters,
                               std::size_t from = 0);

// True when the last character of `text` is the single byte `c` (not the second byte of a
// double-byte character).
bool EndsWithCharacter(const std::string& text, char c);

// Case-insensitive comparison in the user's locale order: negative, zero or positive.
int CompareTextIgnoreCase(const std::string& a, const std::string& b);

// A key for that order: two keys compared byte by byte as unsigned values (a shorter key that is
// the start of a longer one first) order their texts as CompareTextIgnoreCase does. Sorting many
// texts by keys made once costs far less than comparing the texts again and again.
std::string SortKeyIgnoreCase(const std::string& text);

}  // namespace platform
