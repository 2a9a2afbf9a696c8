// Double-byte awareness of the path searches: GBK characters whose second byte is a backslash.
#include "platform/text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

// 乗 is GBK 81 5C and 孿 is 8C 5C: both end in the byte of a backslash.
const std::string kJou = "\x81\x5c";
const std::string kLuan = "\x8c\x5c";

TEST(PlatformText, BackslashSecondBytesAreNotDelimiters) {
  EXPECT_TRUE(platform::IsLeadByte(0x81));
  EXPECT_FALSE(platform::IsLeadByte('A'));
  EXPECT_EQ(platform::FindLastDelimiter("C:\\a" + kJou, "\\:"), 2u);
  EXPECT_EQ(platform::FindLastDelimiter(kLuan + kJou, "\\"), std::string::npos);
  EXPECT_EQ(platform::FindFirstDelimiter(kJou + "x\\y", "\\"), 3u);
  EXPECT_EQ(platform::FindFirstDelimiter("a\\b\\c", "\\", 2), 3u);
  EXPECT_FALSE(platform::EndsWithCharacter("C:\\" + kJou, '\\'));
  EXPECT_TRUE(platform::EndsWithCharacter("C:\\" + kJou + "\\", '\\'));
  EXPECT_FALSE(platform::EndsWithCharacter("", '\\'));
}

TEST(PlatformText, CaseInsensitiveOrder) {
  EXPECT_EQ(platform::CompareTextIgnoreCase("ABC", "abc"), 0);
  EXPECT_LT(platform::CompareTextIgnoreCase("apple", "Banana"), 0);
  EXPECT_GT(platform::CompareTextIgnoreCase("b", "A"), 0);
  EXPECT_LT(platform::CompareTextIgnoreCase("ab", "abc"), 0);
}

// Sorting by keys made once gives exactly the order of comparing the texts themselves.
TEST(PlatformText, SortKeysOrderAsTheComparisonDoes) {
  std::vector<std::string> texts = {
      "b.txt",    "B.TXT", "a-b",   "ab", "a'c", "A",  "",  "a b",     "a\\b", "\xD6\xD0\xCE\xC4",
      "\xCE\xC4", "Zeta",  "zeta2", "_x", "a.b", "10", "9", "\xC3\xA9"};
  std::vector<std::string> byKeys = texts;
  std::stable_sort(byKeys.begin(), byKeys.end(), [](const std::string& a, const std::string& b) {
    return platform::SortKeyIgnoreCase(a) < platform::SortKeyIgnoreCase(b);
  });
  std::stable_sort(texts.begin(), texts.end(), [](const std::string& a, const std::string& b) {
    return platform::CompareTextIgnoreCase(a, b) < 0;
  });
  EXPECT_EQ(byKeys, texts);
}

}  // namespace
