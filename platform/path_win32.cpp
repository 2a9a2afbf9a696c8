// Windows paths are already in the core's form (UTF-8 text); the wide services get them through
// SystemPath.
#include <windows.h>

#include <string_view>
#include <utility>
#include <vector>

#include "platform/path.h"
#include "platform/wide_path_win32.h"

namespace platform {
namespace {

const wchar_t kVerbatimPrefix[] = L"\\\\?\\";
const wchar_t kDevicePrefix[] = L"\\\\.\\";
// The longest path the wide file services take, in UTF-16 units with its terminating zero.
constexpr std::size_t kLongestSystemPath = 32767;

// `path` made absolute and normalised; empty when the system cannot resolve it.
std::wstring FullPath(const std::wstring& path) {
  const DWORD needed = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (needed == 0) return std::wstring();
  std::wstring full(needed, L'\0');
  const DWORD length = GetFullPathNameW(path.c_str(), needed, &full[0], nullptr);
  if (length == 0 || length >= needed) return std::wstring();
  full.resize(length);
  return full;
}

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

// The end of `count` components that start at `from`, separated by either slash.
std::size_t SkipComponents(const std::wstring& path, std::size_t from, int count) {
  std::size_t i = from;
  for (int k = 0; k < count; ++k) {
    if (k > 0 && i < path.size()) ++i;
    while (i < path.size() && !IsSeparator(path[i])) ++i;
  }
  return i;
}

// The root of an absolute path in its verbatim form ("\\?\C:", "\\?\UNC\server\share",
// "\\.\pipe"), with the index where the components after it begin. False for the relative forms:
// "C:name", "\name" and "name".
bool AbsoluteRoot(const std::wstring& path, std::wstring& root, std::size_t& rest) {
  const auto separatorAt = [&path](std::size_t i) {
    return i < path.size() && IsSeparator(path[i]);
  };
  std::size_t start = 0;
  if (separatorAt(0) && separatorAt(1)) {
    const bool device = path.size() > 2 && (path[2] == L'?' || path[2] == L'.') && separatorAt(3);
    if (device) {
      // After a device prefix, "UNC\server\share" is one root, as in the plain "\\server\share".
      start = 4;
      const bool unc = SkipComponents(path, start, 1) == start + 3 && separatorAt(start + 3) &&
                       _wcsnicmp(path.c_str() + start, L"UNC", 3) == 0;
      rest = SkipComponents(path, start, unc ? 3 : 1);
      // A drive named through \\.\ is a folder tree like any other: its names are kept as well.
      const bool drive = rest == start + 2 && path[start + 1] == L':';
      root = path[2] == L'?' || drive ? kVerbatimPrefix : kDevicePrefix;
    } else {
      start = 2;
      rest = SkipComponents(path, start, 2);
      root = std::wstring(kVerbatimPrefix) + L"UNC\\";
    }
  } else if (path.size() > 2 && path[1] == L':' && IsSeparator(path[2])) {
    rest = 2;
    root = kVerbatimPrefix;
  } else {
    return false;
  }
  for (std::size_t i = start; i < rest; ++i) root += IsSeparator(path[i]) ? L'\\' : path[i];
  return true;
}

// `root` followed by the components of `tail`, normalised the way the system's own path rules do
// it for "/", "." and "..", but with every other name kept as it is: those rules would also drop
// a name's final dots and blanks, and so open "a" where "a." was meant.
std::wstring JoinVerbatim(std::wstring root, const std::wstring& tail) {
  // Where each kept name starts and ends in `tail`: a deep path costs no allocation per name.
  std::vector<std::pair<std::size_t, std::size_t>> kept;
  std::size_t length = root.size();
  for (std::size_t i = 0; i < tail.size();) {
    while (i < tail.size() && IsSeparator(tail[i])) ++i;
    const std::size_t end = SkipComponents(tail, i, 1);
    const std::wstring_view name(tail.data() + i, end - i);
    if (name == L"..") {
      if (!kept.empty()) {
        length -= kept.back().second - kept.back().first + 1;
        kept.pop_back();
      }
    } else if (!name.empty() && name != L".") {
      kept.emplace_back(i, end);
      length += end - i + 1;
    }
    i = end;
  }
  root.reserve(length + 1);
  for (const auto& [start, end] : kept) {
    root += L'\\';
    root.append(tail, start, end - start);
  }
  // A final separator stays: with it "\\?\C:\" is the drive's root folder, without it the volume.
  if (!tail.empty() && (IsSeparator(tail.back()) || kept.empty())) root += L'\\';
  return root;
}

// The current folder for a relative path, that of its drive for "C:name", or the current drive's
// root for "\name"; `rest` is where the path's own components begin.
std::wstring BaseOfRelative(const std::wstring& path, std::size_t& rest) {
  if (path.size() > 1 && path[1] == L':') {
    rest = 2;
    return FullPath(path.substr(0, 2));
  }
  rest = !path.empty() && IsSeparator(path[0]) ? 1 : 0;
  return FullPath(rest == 1 ? L"\\" : L".");
}

}  // namespace

std::string NativePath(const std::string& corePath) { return corePath; }
std::string CorePath(const std::string& nativePath) { return nativePath; }

std::wstring SystemPath(const std::string& corePath) {
  std::wstring wide;
  WidenText(corePath, CP_UTF8, wide);
  if (wide.empty()) return wide;
  std::wstring root;
  std::size_t rest = 0;
  std::wstring system;
  if (AbsoluteRoot(wide, root, rest)) {
    system = JoinVerbatim(root, wide.substr(rest));
  } else {
    const std::wstring base = BaseOfRelative(wide, rest);
    const std::wstring absolute = rest < wide.size() ? base + L'\\' + wide.substr(rest) : base;
    // Should the system give no absolute base, the path goes as it is and the system resolves it.
    if (base.empty() || !AbsoluteRoot(absolute, root, rest)) return wide;
    system = JoinVerbatim(root, absolute.substr(rest));
  }
  // Longer than the system's paths can be: some systems would count its length modulo 32,768
  // and so open another file. Empty, it opens nothing.
  if (system.size() >= kLongestSystemPath) system.clear();
  return system;
}

TPathKind GetPathKind(const std::string& corePath) {
  if (corePath.empty()) return TPathKind::Missing;
  const DWORD attributes = GetFileAttributesW(SystemPath(corePath).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return TPathKind::Missing;
  return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? TPathKind::Folder : TPathKind::File;
}

std::string AbsolutePath(const std::string& corePath) {
  // The file services' own form, so that "bk." stays "bk." (the system's rules would make it
  // "bk"), given back without its verbatim prefix.
  std::wstring full = SystemPath(corePath);
  const std::wstring unc = std::wstring(kVerbatimPrefix) + L"UNC\\";
  if (full.compare(0, unc.size(), unc) == 0) {
    full.replace(0, unc.size(), L"\\\\");
  } else if (full.compare(0, 4, kVerbatimPrefix) == 0) {
    full.erase(0, 4);
  }
  std::string absolute;
  if (full.empty() || !Utf8Name(full.c_str(), absolute)) return corePath;
  return absolute;
}

bool CodePageName(const wchar_t* wide, std::string& name) { return NarrowText(wide, CP_ACP, name); }

bool Utf8Name(const wchar_t* wide, std::string& name) { return NarrowText(wide, CP_UTF8, name); }

}  // namespace platform
