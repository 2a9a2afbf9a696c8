// Windows' path roots and name joining, on the core's UTF-8 paths; see path_root.h.
#include "platform/path_root.h"

#include <utility>
#include <vector>

namespace platform {
namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c | 0x20) : c; }

// The end of the name that starts at `from`.
std::size_t NameEnd(std::string_view path, std::size_t from) {
  while (from < path.size() && !IsSeparator(path[from])) ++from;
  return from;
}

// `text` lower-cased, with "\" for every separator.
std::string Key(std::string_view text) {
  std::string key;
  key.reserve(text.size());
  for (const char c : text) key += IsSeparator(c) ? '\\' : Lower(c);
  return key;
}

// `text` with "\" for every separator.
void AppendWithBackslashes(std::string& to, std::string_view text) {
  for (const char c : text) to += IsSeparator(c) ? '\\' : c;
}

}  // namespace

TPathRoot ParsePathRoot(std::string_view path) {
  TPathRoot root;
  const auto separatorAt = [&](std::size_t i) { return i < path.size() && IsSeparator(path[i]); };
  if (separatorAt(0) && separatorAt(1)) {
    const bool device = path.size() > 2 && (path[2] == '?' || path[2] == '.') &&
                        (path.size() == 3 || separatorAt(3));
    if (!device) {
      // \\server\share
      const std::size_t server = NameEnd(path, 2);
      root.kind = TRootKind::Share;
      root.start = 2;
      root.end = server < path.size() ? NameEnd(path, server + 1) : server;
      root.key = Key(path.substr(2, root.end - 2));
      return root;
    }
    root.verbatim = path[2] == '?';
    const std::size_t start = std::min<std::size_t>(4, path.size());
    const std::size_t first = NameEnd(path, start);
    const std::string_view name = path.substr(start, first - start);
    root.start = start;
    if (name.size() == 2 && name[1] == ':' && IsLetter(name[0])) {
      root.kind = TRootKind::Drive;
      root.end = first;
      root.key = Key(name);
    } else if (Key(name) == "unc") {
      // After a device prefix, "UNC\server\share" is one root, as in the plain \\server\share.
      const std::size_t server = first < path.size() ? NameEnd(path, first + 1) : first;
      root.kind = TRootKind::Share;
      root.start = std::min(first + 1, path.size());
      root.end = server < path.size() ? NameEnd(path, server + 1) : server;
      root.key = Key(path.substr(root.start, root.end - root.start));
    } else {
      root.kind = TRootKind::Device;
      root.end = first;
      root.key = Key(name);
    }
    return root;
  }
  if (path.size() > 1 && path[1] == ':' && IsLetter(path[0])) {
    root.kind = separatorAt(2) ? TRootKind::Drive : TRootKind::Relative;
    root.relativeTo = TRelativeBase::DriveCurrentFolder;
    root.end = 2;
    root.key = Key(path.substr(0, 2));
  } else if (separatorAt(0)) {
    root.relativeTo = TRelativeBase::CurrentDriveRoot;
  }
  return root;
}

std::string JoinNames(std::string prefix, std::string_view names) {
  // Where each kept name starts and ends in `names`: a deep path costs no allocation per name.
  std::vector<std::pair<std::size_t, std::size_t>> kept;
  std::size_t length = prefix.size();
  for (std::size_t i = 0; i < names.size();) {
    while (i < names.size() && IsSeparator(names[i])) ++i;
    const std::size_t end = NameEnd(names, i);
    const std::string_view name = names.substr(i, end - i);
    if (name == "..") {
      if (!kept.empty()) {
        length -= kept.back().second - kept.back().first + 1;
        kept.pop_back();
      }
    } else if (!name.empty() && name != ".") {
      kept.emplace_back(i, end);
      length += end - i + 1;
    }
    i = end;
  }
  prefix.reserve(length + 1);
  for (const auto& [start, end] : kept) {
    prefix += '\\';
    prefix.append(names, start, end - start);
  }
  // A final separator stays: with it "\\?\C:\" is the drive's root folder, without it the volume.
  if (!names.empty() && (IsSeparator(names.back()) || kept.empty())) prefix += '\\';
  return prefix;
}

std::string VerbatimPath(std::string_view path, const TPathRoot& root) {
  std::string prefix;
  switch (root.kind) {
    case TRootKind::Relative:
      return std::string(path);
    case TRootKind::Drive:
      prefix = "\\\\?\\";
      break;
    case TRootKind::Share:
      prefix = "\\\\?\\UNC\\";
      break;
    case TRootKind::Device:
      prefix = root.verbatim ? "\\\\?\\" : "\\\\.\\";
      break;
  }
  // The root's names as written, whichever prefix they came behind.
  AppendWithBackslashes(prefix, path.substr(root.start, root.end - root.start));
  return JoinNames(std::move(prefix), path.substr(root.end));
}

std::string LinkTargetPath(std::string_view link, std::string_view stored, bool relative) {
  if (!relative) {
    // In the system's own namespace "\??\" holds the drives, shares and volumes the Win32 paths
    // name; any other NT path starts at the namespace's root.
    constexpr std::string_view kDosDevices = "\\??\\";
    if (stored.substr(0, kDosDevices.size()) == kDosDevices)
      return "\\\\?\\" + std::string(stored.substr(kDosDevices.size()));
    return "\\\\?\\GLOBALROOT" + std::string(stored);
  }
  const TPathRoot root = ParsePathRoot(stored);
  if (root.kind != TRootKind::Relative || root.relativeTo == TRelativeBase::DriveCurrentFolder)
    return std::string(stored);
  if (root.relativeTo == TRelativeBase::CurrentDriveRoot)
    return std::string(link.substr(0, ParsePathRoot(link).end)) + std::string(stored);
  const std::size_t folderEnd = link.find_last_of("\\/");
  return std::string(link.substr(0, folderEnd == std::string_view::npos ? 0 : folderEnd + 1)) +
         std::string(stored);
}

}  // namespace platform
