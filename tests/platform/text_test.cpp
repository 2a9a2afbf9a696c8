// Text services: double-byte awareness of the code-page searches (GBK characters whose second byte
// is a backslash), the locale's order, and the conversions between code pages and UTF-8.
#include "platform/text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

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

// Sorting UTF-8 texts by keys made once gives exactly the order of comparing the texts themselves;
// on Windows also the order the locale gives their code-page form, where they have one.
TEST(PlatformText, SortKeysOrderAsTheComparisonDoes) {
  std::vector<std::string> texts = {"b.txt",
                                    "B.TXT",
                                    "a-b",
                                    "ab",
                                    "a'c",
                                    "A",
                                    "",
                                    "a b",
                                    "a\\b",
                                    u8"中文",
                                    u8"文",
                                    "Zeta",
                                    "zeta2",
                                    "_x",
                                    "a.b",
                                    "10",
                                    "9",
                                    u8"é",
                                    u8"É.txt",
                                    u8"照片",
                                    "\xED\x95\x9C\xEA\xB8\x80",
                                    "\xF0\x9F\x98\x80"};  // Hangul, an emoji
  std::vector<std::string> byKeys = texts;
  std::stable_sort(byKeys.begin(), byKeys.end(), [](const std::string& a, const std::string& b) {
    return platform::SortKeyIgnoreCase(a) < platform::SortKeyIgnoreCase(b);
  });
  std::stable_sort(texts.begin(), texts.end(), [](const std::string& a, const std::string& b) {
    return platform::CompareTextIgnoreCase(a, b) < 0;
  });
  EXPECT_EQ(byKeys, texts);
#ifdef _WIN32
  std::vector<std::string> inCodePage;  // the code-page forms, in the keys' order
  std::string narrow;
  for (const std::string& text : byKeys)
    if (platform::Utf8ToCodePage(text, platform::SystemCodePage(), narrow))
      inCodePage.push_back(narrow);
  std::vector<std::string> byNarrowCompare = inCodePage;
  std::stable_sort(byNarrowCompare.begin(), byNarrowCompare.end(),
                   [](const std::string& a, const std::string& b) {
                     return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(),
                                           static_cast<int>(a.size()), b.data(),
                                           static_cast<int>(b.size())) == CSTR_LESS_THAN;
                   });
  EXPECT_EQ(byNarrowCompare, inCodePage);
#endif
}

// Conversions between code pages and UTF-8: exact where the text has a form there.
TEST(PlatformText, CodePageConversions) {
  struct TCase {
    std::string utf8;
    unsigned codePage;
    std::string bytes;  // empty: no exact form
  };
  const TCase cases[] = {
      {u8"中文.txt", 936, "\xD6\xD0\xCE\xC4.txt"},
      {u8"乗", 936, "\x81\x5C"},
      {"Mot\xC3\xB6rhead", 1252, "Mot\xF6rhead"},
      {"Mot\xC3\xB6rhead", 936, ""},
      {"\xED\x95\x9C", 936, ""},
      {"plain", 1252, "plain"},
  };
  for (const TCase& c : cases) {
    std::string bytes, back;
    EXPECT_EQ(platform::Utf8ToCodePage(c.utf8, c.codePage, bytes), !c.bytes.empty()) << c.utf8;
    if (c.bytes.empty()) continue;
    EXPECT_EQ(bytes, c.bytes);
    EXPECT_TRUE(platform::CodePageToUtf8(c.bytes, c.codePage, back));
    EXPECT_EQ(back, c.utf8);
  }
  std::string lossy;
  EXPECT_FALSE(platform::CodePageToUtf8("\xD6", 936, lossy));  // half a character
  EXPECT_TRUE(platform::IsValidUtf8(lossy));
  for (const char* bad : {"\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xE4\xB8", "\x80"})
    EXPECT_FALSE(platform::IsValidUtf8(bad)) << testing::PrintToString(std::string(bad));
  EXPECT_TRUE(platform::IsValidUtf8("\xF0\x9F\x98\x80 \xE4\xB8\xAD"));
}

}  // namespace
