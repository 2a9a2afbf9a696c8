// Windows paths are already in the core's form (UTF-8 text); the wide services get them through
// SystemPath, absolute and verbatim by the one reading of path roots in path_root.h.
#include <windows.h>
#include <winioctl.h>

#include <cstdint>
#include <vector>

#include "platform/file_handle_win32.h"
#include "platform/path.h"
#include "platform/path_root.h"
#include "platform/wide_path_win32.h"

namespace platform {
namespace {

// The longest path the wide file services take, in UTF-16 units with its terminating zero.
constexpr std::size_t kLongestSystemPath = 32767;

// `path` made absolute and normalised by the system; empty when it cannot resolve it.
std::wstring FullPath(const std::wstring& path) {
  const DWORD needed = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (needed == 0) return std::wstring();
  std::wstring full(needed, L'\0');
  const DWORD length = GetFullPathNameW(path.c_str(), needed, &full[0], nullptr);
  if (length == 0 || length >= needed) return std::wstring();
  full.resize(length);
  return full;
}

// The current folder for a relative path, that of its drive for "C:name", or the current drive's
// root for "\name", in UTF-8; `rest` is where the path's own names begin. Empty when the system
// gives none.
std::string BaseOfRelative(const std::string& path, const TPathRoot& root, std::size_t& rest) {
  std::wstring base;
  switch (root.relativeTo) {
    case TRelativeBase::DriveCurrentFolder:
      rest = 2;
      base = FullPath(std::wstring{static_cast<wchar_t>(path[0]), L':'});
      break;
    case TRelativeBase::CurrentDriveRoot:
      rest = 1;
      base = FullPath(L"\\");
      break;
    case TRelativeBase::CurrentFolder:
      rest = 0;
      base = FullPath(L".");
      break;
  }
  std::string utf8;
  if (base.empty() || !Utf8Name(base.c_str(), utf8)) return std::string();
  return utf8;
}

// `corePath` absolute in its verbatim form (see VerbatimPath), in UTF-8. Should the system give no
// absolute base for a relative path, the path stays as it is and the system resolves it.
std::string VerbatimOf(const std::string& corePath) {
  const TPathRoot root = ParsePathRoot(corePath);
  if (root.kind != TRootKind::Relative) return VerbatimPath(corePath, root);
  std::size_t rest = 0;
  const std::string base = BaseOfRelative(corePath, root, rest);
  if (base.empty()) return corePath;
  const std::string absolute = rest < corePath.size() ? base + "\\" + corePath.substr(rest) : base;
  const TPathRoot absoluteRoot = ParsePathRoot(absolute);
  if (absoluteRoot.kind == TRootKind::Relative) return corePath;
  return VerbatimPath(absolute, absoluteRoot);
}

}  // namespace

std::string NativePath(const std::string& corePath) { return corePath; }
std::string CorePath(const std::string& nativePath) { return nativePath; }

std::wstring SystemPath(const std::string& corePath) {
  if (corePath.empty()) return std::wstring();
  std::wstring system;
  WidenText(VerbatimOf(corePath), CP_UTF8, system);
  // Longer than the system's paths can be: some systems would count its length modulo 32,768
  // and so open another file. Empty, it opens nothing.
  if (system.size() >= kLongestSystemPath) system.clear();
  return system;
}

TPathKind GetPathKind(const std::string& corePath, std::uint64_t* size, std::int64_t* lastWrite) {
  const RealFiles realFiles;
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (corePath.empty() ||
      !GetFileAttributesExW(SystemPath(corePath).c_str(), GetFileExInfoStandard, &data))
    return TPathKind::Missing;
  if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return TPathKind::Folder;
  if (size) *size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  if (lastWrite) {
    *lastWrite = static_cast<std::int64_t>(
        (static_cast<std::uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
        data.ftLastWriteTime.dwLowDateTime);
  }
  return TPathKind::File;
}

TLinkKind ReadLink(const std::string& corePath, std::string& target) {
  const RealFiles realFiles;
  const std::wstring path = SystemPath(corePath);
  // The attributes are those of the link itself: asking them follows no link.
  const DWORD attributes =
      path.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0)
    return TLinkKind::None;
  const FileHandle link(CreateFileW(
      path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
      nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (link.get() == INVALID_HANDLE_VALUE) return TLinkKind::Unknown;
  // The reparse data: its tag, then for a symbolic link or a junction where the substitute name
  // (the one the system follows) lies in the names behind it, in bytes; a symbolic link has its
  // flags before them. Read byte by byte: the buffer holds no aligned records.
  constexpr DWORD kSymbolicLinkTag = 0xA000000C, kJunctionTag = 0xA0000003;
  constexpr std::uint32_t kRelativeFlag = 1;
  std::vector<unsigned char> data(16 * 1024);
  DWORD got = 0;
  if (!DeviceIoControl(link.get(), FSCTL_GET_REPARSE_POINT, nullptr, 0, data.data(),
                       static_cast<DWORD>(data.size()), &got, nullptr))
    // Under Wine a host link shows the attribute but holds no reparse data: it is a folder.
    return GetLastError() == ERROR_NOT_A_REPARSE_POINT ? TLinkKind::None : TLinkKind::Unknown;
  const auto read16 = [&](std::size_t at) { return data[at] | (data[at + 1] << 8); };
  const std::uint32_t tag =
      static_cast<std::uint32_t>(read16(0)) | static_cast<std::uint32_t>(read16(2)) << 16;
  // Other reparse points (files in the cloud, deduplicated ones) are the file itself.
  if (tag != kSymbolicLinkTag && tag != kJunctionTag) return TLinkKind::None;
  const std::size_t names = tag == kSymbolicLinkTag ? 20 : 16;
  const bool relative = tag == kSymbolicLinkTag && got >= 20 && (read16(16) & kRelativeFlag) != 0;
  const std::size_t start = names + read16(8), length = read16(10);
  if (got < names || start + length > got) return TLinkKind::Unknown;
  std::wstring stored(length / 2, L'\0');
  for (std::size_t i = 0; i < stored.size(); ++i)
    stored[i] = static_cast<wchar_t>(read16(start + 2 * i));
  std::string utf8;
  if (!Utf8Name(stored.c_str(), utf8)) return TLinkKind::Unknown;
  target = LinkTargetPath(corePath, utf8, relative);
  return TLinkKind::Link;
}

std::string OpenedPath(const std::string& corePath) { return VerbatimOf(corePath); }

std::string FoldedName(std::string_view name) {
  std::string folded(name);
  bool ascii = true;
  for (char& c : folded) {
    if (static_cast<unsigned char>(c) >= 0x80) ascii = false;
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  if (ascii) return folded;
  // The system's upper case, one UTF-16 unit at a time, as its file systems compare names.
  std::wstring wide;
  WidenText(name, CP_UTF8, wide);
  if (!wide.empty()) CharUpperBuffW(&wide[0], static_cast<DWORD>(wide.size()));
  NarrowText(wide, CP_UTF8, folded);
  return folded;
}

std::string AbsolutePath(const std::string& corePath) {
  // The file services' own form, so that "bk." stays "bk." (the system's rules would make it
  // "bk"), given back without its verbatim prefix where the plain form names the same: a drive
  // path or a share. Device paths keep theirs.
  if (corePath.empty()) return corePath;
  std::string absolute = VerbatimOf(corePath);
  const TPathRoot root = ParsePathRoot(absolute);
  if (root.kind == TRootKind::Share) {
    absolute.replace(0, root.start, "\\\\");
  } else if (root.kind == TRootKind::Drive) {
    absolute.erase(0, root.start);
  }
  return absolute;
}

bool CodePageName(const wchar_t* wide, std::string& name) { return NarrowText(wide, CP_ACP, name); }

bool Utf8Name(const wchar_t* wide, std::string& name) { return NarrowText(wide, CP_UTF8, name); }

}  // namespace platform

namespace platform {

bool MakeFolders(const std::string& corePath) {
  const RealFiles realFiles;
  const std::wstring full = SystemPath(corePath);
  if (full.empty()) return false;
  // From the first name after the root (\\?\C:\ or \\?\UNC\server\share\) down.
  std::size_t start = full.find(L'\\', 4);
  if (full.compare(0, 8, L"\\\\?\\UNC\\") == 0) start = full.find(L'\\', full.find(L'\\', 8) + 1);
  for (std::size_t end = full.find(L'\\', start + 1); start != std::wstring::npos;
       end = full.find(L'\\', end + 1)) {
    CreateDirectoryW(full.substr(0, end).c_str(), nullptr);  // one that exists is fine
    if (end == std::wstring::npos) break;
  }
  const DWORD attributes = GetFileAttributesW(full.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace platform
