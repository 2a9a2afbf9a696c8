// Windows' path rules for the part of a path that says which computer, share, drive or device it
// reaches, and for the names after it. Parsed here only, in the core's UTF-8 form (every byte the
// rules look at is ASCII), for the file services and for the check's gate alike.
#pragma once

#include <string>
#include <string_view>

namespace platform {

enum class TRootKind : unsigned char {
  Relative,  // "name", "\name" (the current drive's root), "C:name" (drive C's current folder)
  Drive,     // "C:\", also written "\\?\C:\" or "\\.\C:\"
  Share,     // "\\server\share", also written "\\?\UNC\server\share"
  Device,    // every other "\\.\" or "\\?\" path: a volume, a pipe, GLOBALROOT and the like
};

// What a Relative path starts from.
enum class TRelativeBase : unsigned char {
  CurrentFolder,       // "name"
  DriveCurrentFolder,  // "C:name": that drive's current folder (`key` "c:", `end` 2)
  CurrentDriveRoot,    // "\name": the current drive's root
};

struct TPathRoot {
  TRootKind kind = TRootKind::Relative;
  TRelativeBase relativeTo = TRelativeBase::CurrentFolder;  // for a Relative path
  // Where the root's own names begin, behind any prefix: the drive letter, the server, the device.
  std::size_t start = 0;
  // Where the names after the root begin: at a separator, or at the end of the path.
  std::size_t end = 0;
  // What the root names, lower-cased with "\" between its parts: "c:", "server\share", or a
  // device's first name ("globalroot", "pipe", "volume{...}"). Empty for a relative path but
  // "C:name".
  std::string key;
  bool verbatim = false;  // written "\\?\": the system takes every name after it as it stands
};

// "/" and "\" both separate.
TPathRoot ParsePathRoot(std::string_view path);

// `prefix` followed by the names of `names`, each behind one "\": "." and ".." are resolved and
// never climb above the start, every other name is kept as written (final dots and blanks
// included, as the file services open it), and a final separator stays.
std::string JoinNames(std::string prefix, std::string_view names);

// An absolute path (a root that is not Relative) in one form: the root as the system writes it
// verbatim ("\\?\C:", "\\?\UNC\server\share", "\\.\pipe", "\\?\GLOBALROOT") and the names joined
// behind it by JoinNames. Two paths of one file have one form, but for letter case.
std::string VerbatimPath(std::string_view path, const TPathRoot& root);

// Where the link or junction at `link` leads, from the target as the system stores it: where
// `relative` is false an NT path ("\??\C:\x", "\??\UNC\srv\s", "\Device\Mup\srv\s"), given
// in its Win32 form ("\\?\C:\x", "\\?\GLOBALROOT\Device\..."); else a path from the link's
// folder ("..\x"), from its root ("\x"), or one with a root of its own.
std::string LinkTargetPath(std::string_view link, std::string_view stored, bool relative);

}  // namespace platform
