// The checkfile's text rules that need no file system: splitting into lines, taking an entry
// line apart and the base folder of a checkfile path.
#include "catalogue/checkfile.h"
#include "platform/text.h"

std::vector<std::string> SplitCheckfileText(const std::string& content) {
  std::vector<std::string> lines;
  const std::size_t size = content.size();
  std::size_t i = 0;
  while (i < size && content[i] != '\0') {
    std::size_t end = i;
    while (end < size && content[end] != '\r' && content[end] != '\n' && content[end] != '\0') {
      ++end;
    }
    lines.emplace_back(content, i, end - i);
    i = end;
    if (i < size && content[i] == '\r') ++i;
    if (i < size && content[i] == '\n') ++i;
  }
  return lines;
}

bool ParseCheckfileEntry(const std::string& line, TCheckfileEntry& entry) {
  if (line.empty()) return false;
  if (line[0] == ';') return false;
  if (line.size() < 34) return false;
  if (line[32] != '|') return false;
  entry.ExpectedDigest.assign(line, 0, 32);
  entry.Name.assign(line, 33, MaxCheckfileName);
  return true;
}

bool IsBlankOrCommentLine(const std::string& line) {
  static const char kByteOrderMark[] = "\xEF\xBB\xBF";
  const std::size_t start = line.compare(0, 3, kByteOrderMark) == 0 ? 3 : 0;
  const std::size_t first = line.find_first_not_of(" \t", start);
  return first == std::string::npos || (first == start && line[first] == ';');
}

std::string CheckfileBaseFolder(const std::string& path) {
  const std::size_t delimiter = platform::FindLastDelimiter(path, "\\/:");
  if (delimiter == std::string::npos) return std::string();
  return path.substr(0, delimiter + 1);
}
