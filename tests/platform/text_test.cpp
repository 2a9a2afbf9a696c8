// Text services: double-byte awareness of the code-page searches (GBK characters whose second byte
// is a backslash), the locale's order, and the conversions between code pages and UTF-8.
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
}

TEST(PlatformText, CaseInsensitiveOrder) {
  EXPECT_EQ(platform::CompareTextIgnoreCase("ABC", "abc"), 0);
  EXPECT_LT(platform::CompareTextIgnoreCase("apple", "Banana"), 0);
  EXPECT_GT(platform::CompareTextIgnoreCase("b", "A"), 0);
  EXPECT_LT(platform::CompareTextIgnoreCase("ab", "abc"), 0);
}

// Sorting UTF-8 texts by keys made once gives exactly the order of comparing the texts themselves.
TEST(PlatformText, SortKeysOrderAsTheComparisonDoes) {
  // UTF-8: Chinese, accented letters, Hangul and an emoji sort by the same rule.
  const std::string zh = "\xE4\xB8\xAD\xE6\x96\x87", wen = "\xE6\x96\x87", e = "\xC3\xA9",
                    eTxt = "\xC3\x89.txt", han = "\xED\x95\x9C\xEA\xB8\x80",
                    grin = "\xF0\x9F\x98\x80";
  std::vector<std::string> texts = {"b.txt", "B.TXT", "a-b", "ab", "a'c",  "A",     "",
                                    "a b",   "a\\b",  zh,    wen,  "Zeta", "zeta2", "_x",
                                    "a.b",   "10",    "9",   e,    eTxt,   han,     grin};
  std::vector<std::string> byKeys = texts;
  std::stable_sort(byKeys.begin(), byKeys.end(), [](const std::string& a, const std::string& b) {
    return platform::SortKeyIgnoreCase(a) < platform::SortKeyIgnoreCase(b);
  });
  std::stable_sort(texts.begin(), texts.end(), [](const std::string& a, const std::string& b) {
    return platform::CompareTextIgnoreCase(a, b) < 0;
  });
  EXPECT_EQ(byKeys, texts);
}

// What is UTF-8 (the conversions are covered by the checkfile's tests).
TEST(PlatformText, WhatIsUtf8) {
  for (const char* bad : {"\xC0\xAF", "\xE0\x80\xAF", "\xF0\x80\x80\xAF", "\xED\xA0\x80",
                          "\xF4\x90\x80\x80", "\xE4\xB8", "\x80"})
    EXPECT_FALSE(platform::IsValidUtf8(bad)) << testing::PrintToString(std::string(bad));
  EXPECT_TRUE(platform::IsValidUtf8("\xF0\x9F\x98\x80 \xE4\xB8\xAD"));
}

}  // namespace
