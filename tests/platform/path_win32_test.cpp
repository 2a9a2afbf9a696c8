// SystemPath: absolute and verbatim, "/", "." and ".." resolved, every other name as written.
#include <gtest/gtest.h>
#include <windows.h>

#include "platform/wide_path_win32.h"

TEST(SystemPath, AbsoluteAndVerbatimWithEveryNameAsWritten) {
  wchar_t here[MAX_PATH];
  ASSERT_GT(GetCurrentDirectoryW(MAX_PATH, here), 3u);  // below a drive's root
  const std::pair<std::string, std::wstring> cases[] = {
      {"C:/a./b /./c/..//", L"\\\\?\\C:\\a.\\b \\"},
      {"\\\\srv/share\\..\\x", L"\\\\?\\UNC\\srv\\share\\x"},
      {"//?/UNC/srv/share/../x", L"\\\\?\\UNC\\srv\\share\\x"},
      {"//./C:/x.", L"\\\\?\\C:\\x."},
      {"y\\..\\x", L"\\\\?\\" + std::wstring(here) + L"\\x"},
      {std::string(here, here + 2) + "x", L"\\\\?\\" + std::wstring(here) + L"\\x"},
  };
  for (const auto& c : cases) EXPECT_EQ(platform::SystemPath(c.first), c.second) << c.first;
}
