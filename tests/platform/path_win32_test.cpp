// SystemPath: absolute and verbatim, "/", "." and ".." resolved, every other name as written.
#include <gtest/gtest.h>
#include <windows.h>

#include "platform/path.h"
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

// Given back without the verbatim prefix where the plain form names the same; device paths (a
// shadow copy, a volume) keep it, or they would be taken for names below the current folder.
TEST(AbsolutePath, KeepsDevicePathsAndFinalDots) {
  const std::pair<std::string, std::string> cases[] = {
      {"\\\\?\\GLOBALROOT\\Device\\Shadow1\\d\\s.md5",
       "\\\\?\\GLOBALROOT\\Device\\Shadow1\\d\\s.md5"},
      {"\\\\?\\Volume{1}\\d\\..\\x", "\\\\?\\Volume{1}\\x"},
      {"\\\\?\\C:\\x.", "C:\\x."},
      {"//?/UNC/srv/s/x", "\\\\srv\\s\\x"},
  };
  for (const auto& c : cases) EXPECT_EQ(platform::AbsolutePath(c.first), c.second) << c.first;
}
