// What the window shows, in the form the wide calls take: the program's own texts are GBK (code
// page 936) whatever the system, names and paths are in the system's ANSI code page (as the
// checkfile stores them), and a name the code page cannot hold comes as UTF-8. Every conversion
// of a shown text happens here, so that the window reads right on any code page.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "catalogue/run_view.h"

namespace gui {

std::wstring ProgramWide(std::string_view text);  // a program text, from code page 936
std::wstring SystemWide(
    std::string_view text);  // a name, path or system text, from the ANSI code page
std::wstring Utf8Wide(std::string_view text);
std::string Utf8(std::wstring_view text);

// Each piece converted from its own code page, then joined.
std::wstring ViewTextWide(TViewText text);
std::wstring ViewTextWide(const TShownText& text);

// The character set the window's fonts ask for. A Simplified-Chinese system keeps its own (the
// fonts are exactly what they always were); elsewhere GB2312, so that the font mapper takes a face
// that has the Chinese glyphs instead of one that shows boxes.
BYTE ChineseCharset();

}  // namespace gui
