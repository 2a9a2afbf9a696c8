// Double-byte awareness of the path searches: GBK characters whose second byte is a backslash.
#include "platform/text.h"

#include <gtest/gtest.h>

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

}  // namespace
