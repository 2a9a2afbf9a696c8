// The core holds every path in Windows form: backslash-separated, bytes of the ANSI code page.
// The host build maps that form onto POSIX paths at the point where a file or folder is opened.
#pragma once

#include <string>

namespace platform {

// Path as the operating system takes it. Windows: unchanged. POSIX: every backslash becomes "/"
// (so "\tmp\x\a.txt" opens /tmp/x/a.txt); a name that itself holds a backslash cannot be reached.
std::string NativePath(const std::string& corePath);

// The inverse, for tests and start-up code that begin from a native path.
std::string CorePath(const std::string& nativePath);

// What a path names: nothing that can be reached, a file, or a folder (links followed).
enum class TPathKind { Missing, File, Folder };
TPathKind GetPathKind(const std::string& corePath);

// `corePath` made absolute against the current folder, "/", "." and ".." resolved and every other
// name kept as written (final dots and blanks included, as the file services open it); unchanged
// when the system cannot resolve it.
std::string AbsolutePath(const std::string& corePath);

}  // namespace platform
