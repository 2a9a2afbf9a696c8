// Path shortening for the chooser's status line, measured by a width function we control: one
// unit per byte, and a recorder that shows every candidate the shortening tried.
#include "widgets/shorten_path.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using widgets::CutLeadingFolder;
using widgets::ShortenPath;

// 乗 is GBK 81 5C: its second byte is the byte of a backslash.
const std::string kJou = "\x81\x5c";

int ByteWidth(const std::string& text) { return static_cast<int>(text.size()); }

// Every text ShortenPath measured, in order, with a maximum nothing fits.
std::vector<std::string> Candidates(const std::string& path, std::string* result) {
  std::vector<std::string> measured;
  *result = ShortenPath(
      path,
      [&measured](const std::string& text) {
        measured.push_back(text);
        return 1000;
      },
      0);
  return measured;
}

TEST(ShortenPath, NarrowingStepsDropFoldersThenDrive) {
  struct Case {
    std::string path;
    std::vector<std::string> steps;
    std::string last;
  };
  const Case cases[] = {
      {"C:\\a\\b\\c\\d",
       {"C:\\a\\b\\c\\d", "C:\\...\\b\\c\\d", "C:\\...\\c\\d", "C:\\...\\d", "...\\d"},
       "d"},
      // Separators inside double-byte characters are not separators.
      {"C:\\a" + kJou + "\\b\\c" + kJou,
       {"C:\\a" + kJou + "\\b\\c" + kJou, "C:\\...\\b\\c" + kJou, "C:\\...\\c" + kJou,
        "...\\c" + kJou},
       "c" + kJou},
      {"C:\\" + kJou + "\\" + kJou + "\\x",
       {"C:\\" + kJou + "\\" + kJou + "\\x", "C:\\...\\" + kJou + "\\x", "C:\\...\\x", "...\\x"},
       "x"},
      // A folder whose name starts with a dot is cut as one folder, not taken for a marker.
      {"C:\\.a\\b\\c\\d",
       {"C:\\.a\\b\\c\\d", "C:\\...\\b\\c\\d", "C:\\...\\c\\d", "C:\\...\\d", "...\\d"},
       "d"},
      // Without a drive the leading backslash stays until only the marker is left.
      {"\\\\srv\\sh\\x",
       {"\\\\srv\\sh\\x", "\\...\\srv\\sh\\x", "\\...\\sh\\x", "\\...\\x", "...\\x"},
       "x"},
      {"name", {}, "name"},  // nothing to drop: not even measured
  };
  for (const Case& c : cases) {
    std::string result;
    EXPECT_EQ(Candidates(c.path, &result), c.steps) << c.path;
    EXPECT_EQ(result, c.last) << c.path;
  }
}

TEST(ShortenPath, FirstCandidateThatFitsIsShown) {
  const std::string path = "C:\\alpha\\beta\\gamma\\d.txt";  // 25 bytes
  const struct {
    int maxWidth;
    std::string expected;
  } cases[] = {
      {100, path},
      {25, path},
      {24, "C:\\...\\beta\\gamma\\d.txt"},
      {23, "C:\\...\\beta\\gamma\\d.txt"},
      {22, "C:\\...\\gamma\\d.txt"},
      {17, "C:\\...\\d.txt"},
      {12, "C:\\...\\d.txt"},
      {11, "...\\d.txt"},
      {8, "d.txt"},
      {0, "d.txt"},  // the name is never cut
  };
  for (const auto& c : cases)
    EXPECT_EQ(ShortenPath(path, ByteWidth, c.maxWidth), c.expected) << c.maxWidth;
  // A path that fits comes back byte for byte, double-byte characters included.
  const std::string chinese = "C:\\" + kJou + "\\" + kJou;
  EXPECT_EQ(ShortenPath(chinese, ByteWidth, ByteWidth(chinese)), chinese);
  EXPECT_EQ(ShortenPath("", ByteWidth, 0), "");
}

TEST(ShortenPath, CutLeadingFolder) {
  const struct {
    std::string directory;
    std::string expected;
  } cases[] = {
      {"\\", ""},
      {"\\a\\b\\", "\\...\\b\\"},
      {"a\\b\\", "...\\b\\"},
      {"\\...\\b\\", "\\...\\"},
      {"...\\b\\", "...\\"},
      {"...\\", ""},
      {"\\a\\", "\\...\\"},
      {"abc", ""},
      {"", ""},
      {"\\" + kJou + "\\b\\", "\\...\\b\\"},
      {"\\a" + kJou + "\\", "\\...\\"},
      {"\\.config\\b\\", "\\...\\b\\"},
  };
  for (const auto& c : cases) EXPECT_EQ(CutLeadingFolder(c.directory), c.expected) << c.directory;
}

}  // namespace
