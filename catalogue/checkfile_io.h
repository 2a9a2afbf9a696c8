// Checkfile pieces shared by the writer, the loader and their per-system file reading.
#pragma once

#include <string>

// "<action> "<path>". <system text>" with trailing blanks, line breaks and full stops taken off
// the system text, e.g. Cannot open file "C:\x\HTSUM-sums.MD5". The system cannot find the file
std::string SystemFailureMessage(const char* action, const std::string& path, unsigned long code);

// The system text without its trailing blanks, CR, LF and full stops.
std::string TrimSystemText(std::string text);

// The whole content of the file at `path`, read in one read; other processes may read the file
// meanwhile but not write it. Throws ECheckfileError.
std::string ReadCheckfileContent(const std::string& path);
