// The core holds every path in Windows form: backslash-separated, bytes of the ANSI code page.
// The host build maps that form onto POSIX paths at the point where a file or folder is opened.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

// Path as the operating system takes it. Windows: unchanged. POSIX: every backslash becomes "/"
// (so "\tmp\x\a.txt" opens /tmp/x/a.txt); a name that itself holds a backslash cannot be reached.
std::string NativePath(const std::string& corePath);

// The inverse, for tests and start-up code that begin from a native path.
std::string CorePath(const std::string& nativePath);

// What a path names: nothing that can be reached, a file, or a folder (links followed).
enum class TPathKind { Missing, File, Folder };
// `size` and `lastWrite` (may be null) receive a file's size and last write (in the system's file
// time) as its folder tells them, without opening the file.
TPathKind GetPathKind(const std::string& corePath, std::uint64_t* size = nullptr,
                      std::int64_t* lastWrite = nullptr);

// What the last name of a path is itself, links not followed: no link (or nothing at all), a
// symbolic link or junction, or one whose target the system does not tell.
enum class TLinkKind { None, Link, Unknown };
// For a Link, `target` receives where it leads (LinkTargetPath of what the system stores).
TLinkKind ReadLink(const std::string& corePath, std::string& target);

// Makes the folder `corePath` (absolute) and the folders above it that are missing; true when it
// is there afterwards.
bool MakeFolders(const std::string& corePath);

// `corePath` made absolute against the current folder, "/", "." and ".." resolved and every other
// name kept as written (final dots and blanks included, as the file services open it); unchanged
// when the system cannot resolve it.
std::string AbsolutePath(const std::string& corePath);

// `corePath` as the file services open it: absolute, "/", "." and ".." resolved and every other
// name kept as written. Windows: the verbatim form SystemPath hands the system (\\?\C:\x,
// \\?\UNC\server\share\x, \\.\pipe\x), in UTF-8. Host: the absolute path, shares and devices
// written as on Windows. Two paths of one file have one form, but for letter case.
std::string OpenedPath(const std::string& corePath);

// `name` (UTF-8) with its letters in the one case the file system compares names in, so that
// two names of one file (on Windows, where letter case does not count) have one form.
std::string FoldedName(std::string_view name);

}  // namespace platform
