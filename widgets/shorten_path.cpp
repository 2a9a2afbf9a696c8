// Path shortening for the folder chooser's status line. The searches for "\" and ":" are
// double-byte aware: a GBK character whose second byte is 0x5C never counts as a separator.
#include "widgets/shorten_path.h"

#include "platform/text.h"

namespace widgets {

namespace {

const std::string kMarker = "...\\";

}  // namespace

std::string CutLeadingFolder(const std::string& directory) {
  if (directory == "\\") return std::string();
  std::string rest = directory;
  const bool rooted = !rest.empty() && rest[0] == '\\';
  if (rooted) rest.erase(0, 1);
  // Drop the marker an earlier cut left. Only the marker itself: a folder whose name merely starts
  // with a dot (".config") is a real folder and is cut like any other.
  if (rest.compare(0, kMarker.size(), kMarker) == 0) rest.erase(0, kMarker.size());
  const std::size_t separator = platform::FindFirstDelimiter(rest, "\\");
  if (separator != std::string::npos)
    rest = kMarker + rest.substr(separator + 1);
  else
    rest.clear();
  return rooted ? "\\" + rest : rest;
}

std::string ShortenPath(const std::string& path, const TTextMeasure& measure, int maxWidth) {
  std::string result = path;
  const std::size_t split = platform::FindLastDelimiter(path, "\\:");
  std::string directory = split == std::string::npos ? std::string() : path.substr(0, split + 1);
  const std::string name = split == std::string::npos ? path : path.substr(split + 1);
  std::string drive;
  if (directory.size() >= 2 && directory[1] == ':' && !platform::IsLeadByte(directory[0])) {
    drive = directory.substr(0, 2);
    directory.erase(0, 2);
  }
  while ((!directory.empty() || !drive.empty()) && measure(result) > maxWidth) {
    if (directory == "\\" + kMarker) {
      drive.clear();
      directory = kMarker;
    } else if (directory.empty()) {
      drive.clear();
    } else {
      directory = CutLeadingFolder(directory);
    }
    result = drive + directory + name;
  }
  return result;
}

}  // namespace widgets
