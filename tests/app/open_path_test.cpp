// Opening from anywhere, in the real window: a checkfile or a folder given on the command line or
// dropped on the window; drops during a run are refused.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "tests/app/program_driver.h"

using namespace driver;

namespace {

const char kCheckfile[] = "HTSUM-sums.MD5";
const std::string kAbcMd5 = "900150983cd24fb0d6963f7d28e17f72";

// A folder holding a.txt and a checkfile that lists it.
struct TCheckedFolder {
  TTempFolder folder;
  std::string checkfile = folder / kCheckfile;
  TCheckedFolder() {
    WriteFile(folder / "a.txt", "abc");
    WriteFile(checkfile, "; h\r\n" + kAbcMd5 + "|a.txt\r\n");
  }
  std::vector<std::string> CleanPane() const {
    return {"对比MD5检查文件在   " + checkfile,
            "OK: " + folder / "a.txt",
            "操作完成",
            "",
            "1 文件对比",
            "一切正常!"};
  }
};

}  // namespace

TEST(OpenPath, CheckfileOnTheCommandLineIsCheckedInsteadOfTheOneBesideTheProgram) {
  TProgramFolder setup;
  WriteFile(setup.folder / kCheckfile, std::string(32, '0') + "|missing.txt\r\n");
  TCheckedFolder data;
  TProgram program(setup.program, setup.folder.Path(), data.checkfile);

  ASSERT_TRUE(WaitUntil(
      [&] { return LastLine(program.Text(IdMemoCheck)) == "一切正常!" && program.Idle(); }));
  EXPECT_EQ(1, program.SelectedPage());
  EXPECT_EQ(Lines(program.Text(IdMemoCheck)), data.CleanPane());
}

TEST(OpenPath, FolderOnTheCommandLineIsTheFolderToScan) {
  TProgramFolder setup;
  TTempFolder data;
  // A shortcut passes its folder quoted, often with a backslash before the closing quote; the
  // final dot is the folder's own, and its twin without it is another folder.
  MakeFolder(data / "照片 2026");
  MakeFolder(data / "照片 2026.");
  WriteFile(data / "照片 2026.\\a.txt", "abc");
  const std::string folder = data / "照片 2026.\\";
  TProgram program(setup.program, setup.folder.Path(), folder);

  EXPECT_EQ(folder, program.Text(IdButtonScanFolder));
  EXPECT_EQ(0, program.SelectedPage());
  EXPECT_TRUE(program.Idle());  // nothing starts by itself
  program.Click(IdButtonGo);
  ASSERT_TRUE(WaitUntil([&] { return program.Idle() && FileExists(folder + kCheckfile); }));
  EXPECT_EQ(kAbcMd5 + "|a.txt", Lines(ReadFile(folder + kCheckfile))[3]);
  EXPECT_FALSE(FileExists(setup.folder / kCheckfile));
  EXPECT_FALSE(FileExists(data / "照片 2026\\" + kCheckfile));
}

// A checkfile that cannot be opened, or that is too large to be read whole (4 GiB and more: never
// a part of it), gives a box that says why; the window stays idle.
TEST(OpenPath, CheckfileThatCannotBeLoadedGivesTheErrorBox) {
  TProgramFolder setup;
  const std::string missing = setup.folder / "missing.MD5";
  const std::string huge = setup.folder / "huge.MD5";
  MakeSparseFile(huge, (4ull << 30) + 100);
  // A snapshot's device path stays one (Wine cannot open it): never a name below the folder.
  const std::string shadow =
      "\\\\?\\GLOBALROOT\\Device\\HarddiskVolumeShadowCopy1\\d\\HTSUM-sums.MD5";
  const std::pair<std::string, std::string> cases[] = {
      {missing, "Cannot open file \"" + missing + "\""},
      {huge, "检查文件太大,无法载入: " + huge},
      {shadow, "Cannot open file \"" + shadow + "\""},
  };
  for (const auto& [path, says] : cases) {
    TProgram program(setup.program, setup.folder.Path(), path);
    const HWND box = WaitForBox(program);
    ASSERT_NE(nullptr, box);
    EXPECT_TRUE(BoxSays(box, Wide(says))) << path;
    ASSERT_TRUE(CloseBox(box));
    ASSERT_TRUE(WaitUntil([&] { return program.FindDialog() == nullptr && program.Idle(); }));
    EXPECT_FALSE(program.Exited());
  }
}

TEST(OpenPath, UnrepresentableNameOnTheCommandLineGivesABoxThatSaysWhy) {
  const TLanguageSetting chinese(ChineseUserInterface() ? L"" : L"zh-CN");
  TProgramFolder setup;
  // A lone surrogate: no text, UTF-8 included, can hold the name, and a stand-in could name
  // another file.
  const std::wstring given = Wide(setup.folder.Path()) + L"\\lone\xD800.MD5";
  TProgram program(setup.program, setup.folder.Path(), given);
  const HWND box = WaitForBox(program);
  ASSERT_NE(nullptr, box);
  EXPECT_TRUE(BoxSays(box, L"文件名含有无效的字符,无法打开: " + given));
  EXPECT_TRUE(HasIconChild(box));
  ASSERT_TRUE(CloseBox(box));
  ASSERT_TRUE(WaitUntil([&] { return program.FindDialog() == nullptr && program.Idle(); }));
}

TEST(OpenPath, DropsOpenACheckfileOrAFolderButNotDuringARun) {
  TProgramFolder setup;
  TCheckedFolder data;
  TTempFolder longTree;
  MakeSparseFile(longTree / "long.bin", 32ull << 30);
  TProgram program(setup.program, setup.folder.Path());

  program.Drop(data.checkfile);
  ASSERT_TRUE(WaitUntil(
      [&] { return LastLine(program.Text(IdMemoCheck)) == "一切正常!" && program.Idle(); }));
  EXPECT_EQ(1, program.SelectedPage());
  EXPECT_EQ(Lines(program.Text(IdMemoCheck)), data.CleanPane());

  program.Drop(longTree.Path());
  ASSERT_TRUE(WaitUntil([&] { return program.Text(IdButtonScanFolder) == longTree.Path(); }));
  EXPECT_EQ(0, program.SelectedPage());

  // During a run over the long file neither a folder nor a checkfile dropped takes effect.
  program.Click(IdButtonGo);
  ASSERT_TRUE(WaitUntil(
      [&] { return program.Running() && LastLine(program.Text(IdMemoMake)) == "文件: long.bin"; }));
  // Posted messages are taken in order: the drops come before the stop, inside the file.
  program.Drop(data.folder.Path());
  program.Drop(data.checkfile);
  program.Click(IdButtonAbort);
  ASSERT_TRUE(WaitUntil([&] { return program.Idle(); }));
  EXPECT_EQ(Lines(program.Text(IdMemoMake)),
            (std::vector<std::string>{"文件: long.bin", "用户中止操作."}));
  EXPECT_EQ(longTree.Path(), program.Text(IdButtonScanFolder));
  EXPECT_EQ(0, program.SelectedPage());
  EXPECT_EQ(Lines(program.Text(IdMemoCheck)), data.CleanPane());
}

// A stranger's list without the byte-order mark reads its names in more than one encoding: no
// reading may lead to another share than the list's own (under Wine, dosdevices\unc stands in for
// the network), and a name whose readings name two files passes only where both match.
TEST(OpenPath, EveryReadingOfAStrangersNameIsGuardedAndAnAmbiguousNameNeverPasses) {
  char prefix[MAX_PATH] = "";
  GetEnvironmentVariableA("WINEPREFIX", prefix, sizeof prefix);
  if (prefix[0] != '/') GTEST_SKIP() << "no Wine prefix to hold the shares";
  std::wstring unc = L"Z:" + Wide(prefix) + L"/dosdevices/unc";
  for (wchar_t& c : unc) c = c == L'/' ? L'\\' : c;
  const std::wstring zh = unc + L"\\茅", e = unc + L"\\é";
  for (const std::wstring& folder : {unc, zh, zh + L"\\s", e, e + L"\\s"})
    CreateDirectoryW(folder.c_str(), nullptr);
  struct TShares {  // removed at the end, whatever happens
    std::wstring zh, e;
    ~TShares() { RemoveTree(zh), RemoveTree(e); }
  } shares{zh, e};
  TTempFolder data;
  WriteFile(data / "plain.txt", "same");
  const std::string digest = SystemMd5(data / "plain.txt");
  // C3 A9 is 茅 in GBK and é in UTF-8.
  WriteFile(e + L"\\s\\f.txt", "same");
  WriteFile(zh + L"\\s\\list.md5", digest + "  \\\\\xC3\xA9\\s\\f.txt\n");
  const std::wstring folder = Wide(data.Path());
  WriteFile(folder + L"\\茅.txt", "same");
  WriteFile(folder + L"\\é.txt", "changed");
  WriteFile(data / "sums.md5", digest + "|\xC3\xA9.txt\r\n");

  TProgramFolder setup;
  const std::wstring list = L"\\\\茅\\s\\list.md5";
  TProgram program(setup.program, setup.folder.Path(), list);
  const std::wstring shared = CheckPane(program);
  EXPECT_NE(std::wstring::npos,
            shared.find(L"\r\n指向其他计算机的路径,未打开: \\\\é\\s\\f.txt\r\n"))
      << shared;
  const std::wstring ambiguous = CheckPane(program, data / "sums.md5");
  EXPECT_NE(std::wstring::npos, ambiguous.find(L"\r\n名称有歧义,未进行对比: " + folder +
                                               L"\\茅.txt | " + folder + L"\\é.txt\r\n"))
      << ambiguous;
  for (const std::wstring& pane : {shared, ambiguous}) {
    EXPECT_EQ(std::wstring::npos, pane.find(L"OK:")) << pane;
    EXPECT_EQ(std::wstring::npos, pane.find(L"一切正常!")) << pane;
  }
}
