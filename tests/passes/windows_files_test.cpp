// The passes under Windows' own file rules: paths past MAX_PATH, names the code page cannot hold,
// and device names and pipes where a checkfile lists files.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <map>
#include <vector>

#include "catalogue/check_pass.h"
#include "catalogue/make_pass.h"
#include "digest/digest_service.h"
#include "tests/passes/recording_view.h"
#include "tests/passes/test_tree.h"

namespace {

const std::string kVersion = "0.2.1.10";

// The checkfile's entries as relative path -> digest.
std::map<std::string, std::string> EntriesOf(const std::string& folder) {
  std::string bytes;
  EXPECT_TRUE(testtree::ReadBytes(folder + "\\" + CheckfileName, bytes));
  std::map<std::string, std::string> entries;
  TCheckfileEntry entry;
  for (const std::string& line : SplitCheckfileText(bytes)) {
    if (ParseCheckfileEntry(line, entry)) entries[entry.Name] = entry.ExpectedDigest;
  }
  return entries;
}

std::string CheckAndTakeLastLine(const std::string& folder) {
  RecordingView view;
  TCheckPass(view).Run(folder + "\\" + CheckfileName, TCheckOrigin::Chosen);
  return view.pane.empty() ? std::string() : view.pane.back();
}

TEST(WindowsFiles, FilesPastTheNarrowPathLimitAreMadeAndChecked) {
  testtree::TempFolder tree("long");
  const std::string r = tree.Path();
  // Folders with Chinese (GBK) names, about 50 characters each, down to about 450 characters.
  std::map<std::string, std::string> expected;
  std::string relative;
  for (int level = 0; level < 9; ++level) {
    relative += (level ? "\\" : "") + std::string("深层文件夹") + std::to_string(level) +
                std::string(40, 'd');
    testtree::MakeFolder(r + "\\" + relative);
    if (level == 4 || level == 8) {
      const std::string file = relative + "\\文件" + std::to_string(level) + ".txt";
      testtree::WriteBytes(r + "\\" + file, "at depth " + std::to_string(level));
      expected[file] = testtree::PeerDigest(r + "\\" + file);
    }
  }
  std::vector<std::size_t> lengths;
  for (const auto& file : expected) lengths.push_back(r.size() + 1 + file.first.size());
  ASSERT_EQ(lengths.size(), 2u);
  EXPECT_GT(std::min(lengths[0], lengths[1]), 260u);
  EXPECT_GT(std::max(lengths[0], lengths[1]), 440u);

  RecordingView maker;
  TMakePass(maker, kVersion).Run(r);
  EXPECT_EQ(EntriesOf(r), expected);
  EXPECT_EQ(maker.pane.back(), "操作完成.  检查文件保存为 " + r + "\\" + CheckfileName);
  EXPECT_EQ(CheckAndTakeLastLine(r), "一切正常!");
}

TEST(WindowsFiles, NamesOutsideTheCodePageAreLeftOutAndOthersReadAsWritten) {
  testtree::TempFolder tree("names");
  const std::string r = tree.Path();
  const std::wstring root = L"\\\\?\\" + std::wstring(r.begin(), r.end());
  ASSERT_EQ(r.find_first_of("\x80\xFF"), std::string::npos);  // the widening above is exact
  const auto makeFile = [](const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    return file != INVALID_HANDLE_VALUE;
  };
  // Hangul, sharp s, Thai.
  for (const wchar_t* name : {L"\xD55C\xAE00.txt",
                              L"stra\x00DF"
                              L"e.txt",
                              L"\x0E44\x0E17\x0E22.txt"})
    ASSERT_TRUE(makeFile(root + L"\\" + name));
  const std::wstring emojiFolder = root + L"\\\xD83D\xDE00";
  ASSERT_TRUE(CreateDirectoryW(emojiFolder.c_str(), nullptr));
  ASSERT_TRUE(makeFile(emojiFolder + L"\\inside.txt"));
  std::map<std::string, std::string> listed;
  for (const char* name : {"plain.txt", "a", "a.", "b", "b "}) {  // "a." is never "a"
    testtree::WriteBytes(r + "\\" + name, name);
    listed[name] = testtree::PeerDigest(r + "\\" + name);
  }

  RecordingView maker;
  TMakePass(maker, kVersion).Run(r);

  int fileLines = 0, folderLines = 0;
  for (const std::string& line : maker.pane) {
    if (line.rfind("文件名含有本机代码页之外的字符,已跳过: " + r + "\\", 0) == 0) ++fileLines;
    if (line.rfind("文件夹名含有本机代码页之外的字符,已跳过: " + r + "\\", 0) == 0) ++folderLines;
  }
  EXPECT_EQ(fileLines, 3);
  EXPECT_EQ(folderLines, 1);
  EXPECT_EQ(maker.pane.back(), "4 个文件或文件夹无法处理,未列入检查文件");
  EXPECT_EQ(EntriesOf(r), listed);
  EXPECT_EQ(CheckAndTakeLastLine(r), "一切正常!");
  testtree::WriteBytes(r + "\\a.", "changed");  // named below through \\?\ with "/" and ".."
  EXPECT_EQ(CheckAndTakeLastLine("\\\\?\\" + r + "/x/.."),
            "1 文件的MD5值不匹配!文件已经被损坏或修改");
}

// Opened as files, device names would read as empty input or block, and a pipe would be read
// from: each is a file that cannot be opened.
TEST(WindowsFiles, DevicesAndPipesListedInACheckfileCannotBeOpened) {
  testtree::TempFolder tree("devices");
  const std::string r = tree.Path();
  const std::string pipeName =
      "\\\\.\\pipe\\hashtally-test-" + std::to_string(GetCurrentProcessId());
  HANDLE pipe = CreateNamedPipeA(pipeName.c_str(), PIPE_ACCESS_OUTBOUND, PIPE_TYPE_BYTE, 4, 4096,
                                 4096, 0, nullptr);
  ASSERT_NE(pipe, INVALID_HANDLE_VALUE);
  const std::string empty = "d41d8cd98f00b204e9800998ecf8427e|";
  const char* const devices[] = {"NUL", "COM1", "AUX", "CON", "CONIN$"};
  std::string text = "; devices\r\n";
  for (const char* device : devices) text += empty + device + "\r\n";
  text += empty + pipeName + "\r\n";
  testtree::WriteBytes(r + "\\" + CheckfileName, text);

  // Named without a folder, the checkfile gives no base folder: the pipe's name stands as listed.
  char previous[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, previous);
  ASSERT_TRUE(SetCurrentDirectoryA(r.c_str()));
  RecordingView view;
  TCheckPass(view).Run(CheckfileName, TCheckOrigin::Chosen);
  SetCurrentDirectoryA(previous);
  CloseHandle(pipe);

  std::vector<std::string> expected = {std::string("对比MD5检查文件在   ") + CheckfileName};
  for (const char* device : devices)
    expected.push_back(std::string("错误:  无法打开文件 (") + device + ")");
  expected.push_back("错误:  无法打开文件 (" + pipeName + ")");
  for (const char* line :
       {"操作完成", "", "没有文件进行对比", "6 无法进行对比,文件无法打开或不存在"})
    expected.push_back(line);
  EXPECT_EQ(view.pane, expected);
}

}  // namespace
