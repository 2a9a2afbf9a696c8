// Windows paths are already in the core's form; the wide services get them through SystemPath.
#include <windows.h>

#include "platform/path.h"
#include "platform/wide_path_win32.h"

namespace platform {
namespace {

// From this length on the prefix is added: below it every file service, folder creation
// included, takes the path as it is.
constexpr std::size_t kLongPath = MAX_PATH - 12;

std::wstring Widen(const std::string& text, DWORD flags) {
  const int size = static_cast<int>(text.size());
  const int length = MultiByteToWideChar(CP_ACP, flags, text.data(), size, nullptr, 0);
  if (length <= 0) return std::wstring();
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_ACP, flags, text.data(), size, &wide[0], length);
  return wide;
}

bool StartsWith(const std::wstring& text, const wchar_t* prefix) {
  return text.compare(0, wcslen(prefix), prefix) == 0;
}

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

// The long path made absolute and normalised (the prefix turns that off), then prefixed.
std::wstring WithLongPrefix(const std::wstring& path) {
  if (StartsWith(path, L"\\\\?\\") || StartsWith(path, L"\\\\.\\")) return path;
  const std::wstring full = FullPath(path);
  if (full.empty()) return path;
  if (StartsWith(full, L"\\\\")) return L"\\\\?\\UNC\\" + full.substr(2);
  return L"\\\\?\\" + full;
}

}  // namespace

std::string NativePath(const std::string& corePath) { return corePath; }
std::string CorePath(const std::string& nativePath) { return nativePath; }

std::wstring SystemPath(const std::string& corePath) {
  std::wstring wide = Widen(corePath, MB_ERR_INVALID_CHARS);
  if (wide.empty() && !corePath.empty()) wide = Widen(corePath, 0);
  return wide.size() >= kLongPath ? WithLongPrefix(wide) : wide;
}

TPathKind GetPathKind(const std::string& corePath) {
  if (corePath.empty()) return TPathKind::Missing;
  const DWORD attributes = GetFileAttributesW(SystemPath(corePath).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return TPathKind::Missing;
  return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? TPathKind::Folder : TPathKind::File;
}

std::string AbsolutePath(const std::string& corePath) {
  const std::wstring full = FullPath(Widen(corePath, MB_ERR_INVALID_CHARS));
  std::string absolute;
  if (full.empty() || !CodePageName(full.c_str(), absolute)) return corePath;
  return absolute;
}

bool CodePageName(const wchar_t* wide, std::string& name) {
  name.clear();
  const int size = static_cast<int>(wcslen(wide));
  if (size == 0) return true;
  // A system whose code page is UTF-8 holds every name; that code page takes neither the flag nor
  // the default-character report, and refuses only what is no character at all.
  const bool utf8 = GetACP() == CP_UTF8;
  const DWORD flags = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
  BOOL usedDefault = FALSE;
  BOOL* const report = utf8 ? nullptr : &usedDefault;
  const int length = WideCharToMultiByte(CP_ACP, flags, wide, size, nullptr, 0, nullptr, report);
  if (length <= 0) return false;
  name.resize(static_cast<std::size_t>(length));
  WideCharToMultiByte(CP_ACP, flags, wide, size, &name[0], length, nullptr, report);
  return !usedDefault;
}

}  // namespace platform
