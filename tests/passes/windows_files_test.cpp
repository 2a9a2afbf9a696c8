// The passes under Windows' own file rules: paths past MAX_PATH, names of every script, and
// device names and pipes where a checkfile lists files.
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
  const TCheckfileEntries checkfile(bytes);
  std::map<std::string, std::string> entries;
  std::string name;
  for (std::size_t i = 0; i < checkfile.size(); ++i) {
    checkfile.Path(i, "", 0, name);
    entries[name] = checkfile.ExpectedDigest(i);
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
  // Folders with Chinese names, about 50 characters each, down to about 450 characters.
  std::map<std::string, std::string> expected;
  std::string relative;
  for (int level = 0; level < 9; ++level) {
    relative += (level ? "\\" : "") + std::string(u8"深层文件夹") + std::to_string(level) +
                std::string(40, 'd');
    testtree::MakeFolder(r + "\\" + relative);
    if (level == 4 || level == 8) {
      const std::string file = relative + u8"\\文件" + std::to_string(level) + ".txt";
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

// Names of every script are listed, stored and checked, and every name is read as written; only a
// name with a lone surrogate, which no text can hold, is left out and counted.
TEST(WindowsFiles, NamesOfEveryScriptAreListedAndOthersReadAsWritten) {
  testtree::TempFolder tree("names");
  const std::string r = tree.Path();
  const std::wstring root = L"\\\\?\\" + std::wstring(r.begin(), r.end());
  ASSERT_EQ(r.find_first_of("\x80\xFF"), std::string::npos);  // the widening above is exact
  const auto makeFile = [](const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    return file != INVALID_HANDLE_VALUE;
  };
  // NTFS holds such a name; Wine, whose names are UTF-8 underneath, cannot make one.
  const bool lone = makeFile(root + L"\\lone\xD800.txt");
  const std::wstring emojiFolder = root + L"\\\xD83D\xDE00";
  ASSERT_TRUE(CreateDirectoryW(emojiFolder.c_str(), nullptr));
  std::map<std::string, std::string> listed;
  // Hangul, sharp s, Thai, inside the emoji's folder, and the twins "a." and "a", "b " and "b".
  for (const char* name : {"\xED\x95\x9C\xEA\xB8\x80.txt",
                           "stra\xC3\x9F"
                           "e.txt",
                           "\xE0\xB9\x84\xE0\xB8\x97\xE0\xB8\xA2.txt",
                           "\xF0\x9F\x98\x80\\inside.txt", "plain.txt", "a", "a.", "b", "b "}) {
    testtree::WriteBytes(r + "\\" + name, name);
    listed[name] = testtree::PeerDigest(r + "\\" + name);
  }

  RecordingView maker;
  TMakePass(maker, kVersion).Run(r);

  if (lone) {
    EXPECT_EQ(
        std::count(maker.pane.begin(), maker.pane.end(),
                   "文件名含有无效的字符,无法存入检查文件,已跳过: " + r + "\\lone\xEF\xBF\xBD.txt"),
        1);
    EXPECT_EQ(maker.pane.back(), "1 个文件或文件夹无法处理,未列入检查文件");
  } else {
    EXPECT_EQ(maker.pane.back(), "操作完成.  检查文件保存为 " + r + "\\" + CheckfileName);
  }
  EXPECT_EQ(EntriesOf(r), listed);
  EXPECT_EQ(CheckAndTakeLastLine(r), "一切正常!");
  testtree::WriteBytes(r + "\\a.", "changed");  // named below through \\?\ with "/" and ".."
  EXPECT_EQ(CheckAndTakeLastLine("\\\\?\\" + r + "/x/.."), "1 个文件在检查文件制作之后被修改");
}

// Opened as files, device names would read as empty input or block, and a pipe would be read
// from: each is a file that cannot be opened, and a device path is not even tried.
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
  // A device path could as well lead to another computer: it is not opened at all.
  expected.push_back("指向其他计算机的路径,未打开: " + pipeName);
  for (const char* line :
       {"操作完成", "", "没有文件进行对比", "6 无法进行对比,文件无法打开或不存在",
        "检查文件列出了所在文件夹以外的文件,未查找新文件"})
    expected.push_back(line);
  EXPECT_EQ(view.pane, expected);
}

// On 64-bit Windows a 32-bit program's paths under the system folder lead to the 32-bit system's
// own files (SysWOW64) unless it asks for the real ones. A make and a check of a folder there see
// the files its names name; the test itself looks with redirection off.
TEST(WindowsFiles, ThirtyTwoBitProgramOn64BitWindowsSeesTheRealSystemFolder) {
  BOOL wow64 = FALSE;
  if (!IsWow64Process(GetCurrentProcess(), &wow64) || !wow64)
    GTEST_SKIP() << "not a 32-bit program on 64-bit Windows";
  char windows[MAX_PATH] = {};
  ASSERT_NE(0u, GetWindowsDirectoryA(windows, MAX_PATH));
  const std::string real = std::string(windows) + "\\System32\\hashtally-wow64-test";
  const std::string redirected = std::string(windows) + "\\SysWOW64\\hashtally-wow64-test";
  struct TRedirectionOff {
    PVOID old = nullptr;
    TRedirectionOff() { Wow64DisableWow64FsRedirection(&old); }
    ~TRedirectionOff() { Wow64RevertWow64FsRedirection(old); }
  };
  // Each folder is made in the temporary folder and moved into place, and the real one moved back
  // at the end, so that both are removed.
  testtree::TempFolder redirectedTree("wow64"), realTree("wow64");
  testtree::WriteBytes(redirectedTree.Path() + "\\a.txt", "the 32-bit system's file");
  testtree::MoveFolder(redirectedTree.Path(), redirected);
  redirectedTree.Rebase(redirected);
  testtree::WriteBytes(realTree.Path() + "\\a.txt", "the real file");
  const std::string expected = testtree::PeerDigest(realTree.Path() + "\\a.txt");
  {
    const TRedirectionOff off;
    testtree::MoveFolder(realTree.Path(), real);
  }

  RecordingView maker;
  TMakePass(maker, kVersion).Run(real);
  EXPECT_EQ(CheckAndTakeLastLine(real), "一切正常!");
  EXPECT_FALSE(testtree::Exists(redirected + "\\" + CheckfileName));
  const TRedirectionOff off;
  EXPECT_EQ(EntriesOf(real), (std::map<std::string, std::string>{{"a.txt", expected}}));
  testtree::MoveFolder(real, realTree.Path());
}

}  // namespace
