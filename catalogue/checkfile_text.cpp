// The checkfile's text rules that need no file system: splitting into lines, taking an entry
// line apart and the base folder of a checkfile path.
#include <algorithm>
#include <utility>

#include "catalogue/checkfile.h"
#include "platform/text.h"

std::vector<std::string> SplitCheckfileText(const std::string& content) {
  std::vector<std::string> lines;
  ForEachCheckfileLine(content, [&](std::string_view line) { lines.emplace_back(line); });
  return lines;
}

bool IsCheckfileEntry(std::string_view line) {
  return !line.empty() && line[0] != ';' && line.size() >= 34 && line[32] == '|' &&
         line.find('\0') == std::string_view::npos;
}

bool ParseCheckfileEntry(const std::string& line, TCheckfileEntry& entry) {
  if (!IsCheckfileEntry(line)) return false;
  entry.ExpectedDigest.assign(line, 0, 32);
  entry.Name.assign(line, 33);
  return true;
}

bool IsBlankOrCommentLine(std::string_view line) {
  if (line.find('\0') != std::string_view::npos) {
    std::string withoutNuls;
    for (const char c : line)
      if (c != '\0') withoutNuls += c;
    return IsBlankOrCommentLine(withoutNuls);
  }
  constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
  const std::size_t start = line.substr(0, 3) == kByteOrderMark ? 3 : 0;
  const std::size_t first = line.find_first_not_of(" \t", start);
  return first == std::string_view::npos || (first == start && line[first] == ';');
}

TCheckfileEntries::TCheckfileEntries(std::string content, const TLoadingHook& whileLoading)
    : content_(std::move(content)) {
  utf8_ = std::string_view(content_).substr(0, 3) == kUtf8ByteOrderMark;
  if (utf8_) content_.erase(0, 3);
  constexpr std::size_t kLinesBetweenHooks = 65536;
  std::size_t lines = 0;
  ForEachCheckfileLine(content_, [&](std::string_view line) {
    if (whileLoading && ++lines % kLinesBetweenHooks == 0) whileLoading();
    if (IsCheckfileEntry(line)) {
      const auto start = static_cast<std::uint32_t>(line.data() - content_.data());
      lines_.push_back({start, static_cast<std::uint32_t>(line.size())});
    } else if (!IsBlankOrCommentLine(line)) {
      ++damaged_;
    }
  });
}

namespace {

// The name read as reading number `reading` (see TCheckfileEntries::Path) into `name`.
bool ReadName(std::string_view stored, bool utf8, unsigned reading, std::string& name) {
  // Plain ASCII reads the same in every encoding, and a checkfile with the mark in one only.
  if (platform::IsAscii(stored) || utf8) {
    if (reading > 0) return false;
    name.assign(stored);
    return true;
  }
  const unsigned system = platform::SystemCodePage();
  std::string readings[3];
  unsigned count = 0;
  platform::CodePageToUtf8(stored, system, readings[count++]);
  if (platform::IsValidUtf8(stored)) readings[count++].assign(stored);
  if (system != platform::kCodePageGbk) {
    std::string gbk;
    if (platform::CodePageToUtf8(stored, platform::kCodePageGbk, gbk))
      readings[count++] = std::move(gbk);
  }
  // Only readings that name another file than those before them count.
  unsigned found = 0;
  for (unsigned k = 0; k < count; ++k) {
    if (std::find(readings, readings + k, readings[k]) != readings + k) continue;
    if (found++ == reading) {
      name = std::move(readings[k]);
      return true;
    }
  }
  return false;
}

}  // namespace

bool TCheckfileEntries::Path(std::size_t i, const std::string& baseFolder, unsigned reading,
                             std::string& path) const {
  std::string name;
  if (!ReadName(Name(i), utf8_, reading, name)) return false;
  path = baseFolder;
  path += name;
  return true;
}

std::string_view TCheckfileEntries::ExpectedDigest(std::size_t i) const {
  return std::string_view(content_).substr(lines_[i].start, 32);
}

std::string_view TCheckfileEntries::Name(std::size_t i) const {
  return std::string_view(content_).substr(lines_[i].start + 33, lines_[i].length - 33);
}

TMD5NodeArray::TMD5NodeArray(std::initializer_list<TMD5Node> nodes) {
  for (const TMD5Node& node : nodes) Append(node.FullPath, node.DigestText);
}

void TMD5NodeArray::Append(std::string_view fullPath, std::string_view digestText) {
  digests_.append(digestText.substr(0, kDigestLength));
  digests_.resize(pathEnds_.size() * kDigestLength + kDigestLength, ' ');
  paths_.append(fullPath);
  pathEnds_.push_back(static_cast<std::uint32_t>(paths_.size()));
}

void TMD5NodeArray::clear() {
  std::string().swap(paths_);
  std::string().swap(digests_);
  std::vector<std::uint32_t>().swap(pathEnds_);
}

std::string_view TMD5NodeArray::FullPath(std::size_t i) const {
  const std::uint32_t start = i == 0 ? 0 : pathEnds_[i - 1];
  return std::string_view(paths_).substr(start, pathEnds_[i] - start);
}

std::string_view TMD5NodeArray::DigestText(std::size_t i) const {
  return std::string_view(digests_).substr(i * kDigestLength, kDigestLength);
}

TMD5Node TMD5NodeArray::operator[](std::size_t i) const {
  return {std::string(FullPath(i)), std::string(DigestText(i))};
}

std::string CheckfileBaseFolder(const std::string& path) {
  const std::size_t delimiter = path.find_last_of("\\/:");
  if (delimiter == std::string::npos) return std::string();
  return path.substr(0, delimiter + 1);
}
