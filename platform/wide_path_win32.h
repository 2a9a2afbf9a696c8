// Text and paths between the core's UTF-8 (or a code page) and the wide services of Windows; the
// wide file services take paths up to 32,767 characters where the narrow ones stop at MAX_PATH.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// `text` of `codePage` in UTF-16. False when some bytes are no character of it: they are then
// converted to the stand-in character, as the narrow calls convert them.
bool WidenText(std::string_view text, unsigned codePage, std::wstring& wide);

// `wide` in `codePage`, never as a look-alike. False when a character has no exact form there: it
// is then shown as the code page's default or stand-in character.
bool NarrowText(std::wstring_view wide, unsigned codePage, std::string& text);

// `corePath` as the wide file services take it: made absolute (against the current folder, or
// that of its drive for "C:name") and given the verbatim prefix \\?\ (\\?\UNC\ for a share), so
// that long paths work and every name is opened as it is written, final dots and blanks included.
// "/" and "\" both separate; "." and ".." are resolved here, never above the root; a final
// separator stays. Device paths (\\.\NUL, \\.\pipe\name) keep their \\.\ prefix; drives named
// through it (\\.\C:\name) take \\?\ as well. Bytes that are not valid UTF-8 are converted to
// the stand-in character, which names no file.
// Empty, which opens nothing, when the result is longer than the system's paths can be.
std::wstring SystemPath(const std::string& corePath);

// A name from a wide listing in the code page. False when a character has no exact form there;
// `name` then shows it as the code page's default character, never as a look-alike that could
// name a different file.
bool CodePageName(const wchar_t* wide, std::string& name);

// A name or path from the system in the core's form, UTF-8. False for a name that has none (a lone
// surrogate, which some file systems allow); `name` then shows it with the stand-in character.
bool Utf8Name(const wchar_t* wide, std::string& name);

}  // namespace platform
