// Shortening a path for a status line of limited width: leading folders give way to "...\"
// markers one by one, then the drive, until the measured text fits.
#pragma once

#include <functional>
#include <string>

namespace widgets {

// Width of a text on the canvas the result is drawn on (pixels, or any unit the caller likes).
using TTextMeasure = std::function<int(const std::string& text)>;

// `path` itself when it fits `maxWidth`; else the first of C:\...\b\c\d, C:\...\c\d, C:\...\d,
// ...\d, d (for C:\a\b\c\d) that fits, or the bare name when nothing does.
std::string ShortenPath(const std::string& path, const TTextMeasure& measure, int maxWidth);

// Removes the leading folder of a directory part ("\a\b\" -> "\...\b\", "\...\b\" -> "\...\").
std::string CutLeadingFolder(const std::string& directory);

}  // namespace widgets
