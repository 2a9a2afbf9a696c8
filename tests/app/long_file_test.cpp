// Long work in the real window: a run inside one long file keeps answering, a stop takes effect
// inside the file, the writing status is on the screen while the checkfile is written, and the
// sorted list of a hundred thousand changed files keeps answering too.
#include <windows.h>
// The system headers below need windows.h first.
#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/app/program_driver.h"

using namespace driver;
using namespace std::chrono_literals;

namespace {

const char kCheckfile[] = "HTSUM-sums.MD5";
const std::string kAbcMd5 = "900150983cd24fb0d6963f7d28e17f72";
// Read in full, this takes far longer than the bounded waits below.
constexpr unsigned long long kLongFileSize = 32ull << 30;

struct TLongTree {
  TTempFolder folder;
  TLongTree() {
    WriteFile(folder / "a.txt", "abc");
    MakeSparseFile(folder / "long.bin", kLongFileSize);
  }
};

// Asks the window ten times a second for `span` to answer within a second.
bool AnswersThroughout(const TProgram& program, std::chrono::milliseconds span) {
  const auto end = std::chrono::steady_clock::now() + span;
  while (std::chrono::steady_clock::now() < end) {
    if (!program.Answers(1000)) return false;
    Sleep(100);
  }
  return true;
}

}  // namespace

TEST(LongFile, MakeRunAnswersAndStopsInsideTheFile) {
  TProgramFolder setup;
  TLongTree tree;
  WriteFile(tree.folder / kCheckfile, "old checkfile\r\n");
  TProgram program(setup.program, setup.folder.Path(), tree.folder.Path());

  program.Click(IdButtonGo);
  ASSERT_TRUE(WaitUntil(
      [&] { return program.Running() && LastLine(program.Text(IdMemoMake)) == "文件: long.bin"; }));
  EXPECT_TRUE(AnswersThroughout(program, 2s));
  ASSERT_TRUE(program.Running());
  program.Click(IdButtonPause);  // a stop also ends a pause
  ASSERT_TRUE(WaitUntil([&] { return program.Text(IdLabelStatus) == "已暂停"; }));
  program.Click(IdButtonAbort);
  ASSERT_TRUE(WaitUntil([&] { return program.Idle(); }, 10s));
  EXPECT_EQ("用户中止操作.", LastLine(program.Text(IdMemoMake)));
  EXPECT_EQ("old checkfile\r\n", ReadFile(tree.folder / kCheckfile));
}

TEST(LongFile, CheckRunAnswersAndStopsInsideTheFile) {
  TProgramFolder setup;
  TLongTree tree;
  const std::string checkfile = tree.folder / kCheckfile;
  WriteFile(checkfile, "; made by hand\r\n" + kAbcMd5 + "|a.txt\r\n" + std::string(32, '0') +
                           "|long.bin\r\n" + kAbcMd5 + "|a.txt\r\n");
  TProgram program(setup.program, setup.folder.Path(), checkfile);

  ASSERT_TRUE(WaitUntil([&] {
    return program.Running() && program.Text(IdLabelStatus).find("long.bin") != std::string::npos;
  }));
  // The enabling rule of a check run.
  EXPECT_EQ(1, program.SelectedPage());
  EXPECT_FALSE(program.Enabled(IdPageControl1));
  EXPECT_FALSE(program.Enabled(IdButtonFindCheckFile));
  EXPECT_TRUE(AnswersThroughout(program, 2s));
  ASSERT_TRUE(program.Running());
  program.Click(IdButtonAbort);
  ASSERT_TRUE(WaitUntil([&] { return program.Idle(); }, 10s));
  EXPECT_EQ(Lines(program.Text(IdMemoCheck)),
            (std::vector<std::string>{"对比MD5检查文件在   " + checkfile,
                                      "OK: " + tree.folder.Path() + "\\a.txt", "用户操作已中止"}));
}

// A make run over large files shows its bytes on a bar and a line, with the time left in time. Its
// line stands still while paused; resumed, it ends as an unpaused run, as a check confirms.
TEST(LongFile, ProgressShowsAndAPauseHoldsTheRun) {
  TProgramFolder setup;
  TTempFolder data;
  for (const char* name : {"a.bin", "b.bin", "c.bin"}) MakeSparseFile(data / name, 2ull << 30);
  TProgram program(setup.program, setup.folder.Path(), data.Path());
  RECT idlePane, pane;
  GetWindowRect(program.Control(IdMemoMake), &idlePane);
  std::vector<LRESULT> positions;  // the bar's, as the test sees them
  const auto sample = [&] {
    positions.push_back(SendMessageA(program.Control(IdProgressMake), PBM_GETPOS, 0, 0));
    return program.Text(IdProgressTextMake);
  };

  program.Click(IdButtonGo);
  ASSERT_TRUE(WaitUntil([&] { return sample().find(" · 剩余约 ") != std::string::npos; }));
  program.Click(IdButtonPause);
  ASSERT_TRUE(WaitUntil([&] {
    return program.Text(IdLabelStatus) == "已暂停" && program.Text(IdButtonPause) == "继续";
  }));
  Sleep(500);  // the pieces being read when the pause began end
  const std::string held = sample();
  Sleep(2000);
  EXPECT_EQ(held, sample());  // bytes, speed and time left
  program.Click(IdButtonPause);
  ASSERT_TRUE(WaitUntil([&] { return sample(), program.Idle(); }, 5min));
  sample();  // as the run left it
  EXPECT_TRUE(std::is_sorted(positions.begin(), positions.end()));
  EXPECT_EQ(1000, positions.back());
  GetWindowRect(program.Control(IdMemoMake), &pane);
  EXPECT_TRUE(EqualRect(&idlePane, &pane));  // it gave the bar room during the run only
  std::vector<std::string> lines = Lines(program.Text(IdMemoMake));
  std::sort(lines.begin(), lines.end());  // the files come in the order the file system lists them
  EXPECT_EQ(lines, (std::vector<std::string>{"操作完成.  检查文件保存为 " + data / kCheckfile,
                                             "文件: a.bin", "文件: b.bin", "文件: c.bin"}));
  program.Drop(data / kCheckfile);
  EXPECT_TRUE(WaitUntil(
      [&] { return LastLine(program.Text(IdMemoCheck)) == "一切正常!" && program.Idle(); }, 5min));
}

TEST(LongFile, WritingStatusShowsUntilTheCheckfileIsWritten) {
  TProgramFolder setup(WindowsPath(HT_HELD_WRITE_EXE));
  TTempFolder data;
  WriteFile(data / "a.txt", "abc");
  TProgram program(setup.program, setup.folder.Path(), data.Path());
  const std::string gateName = "HashtallyTestWriteGate-" + std::to_string(program.ProcessId());
  HANDLE gate = CreateEventA(nullptr, TRUE, FALSE, gateName.c_str());
  ASSERT_NE(nullptr, gate);

  program.Click(IdButtonGo);
  // The program's thread is held in the write: the label is read without a message.
  EXPECT_TRUE(WaitUntil([&] { return program.StoredText(IdLabelStatus) == "检查文件生成..."; }));
  EXPECT_FALSE(FileExists(data / kCheckfile));
  SetEvent(gate);
  EXPECT_TRUE(WaitUntil([&] { return program.Idle() && FileExists(data / kCheckfile); }));
  EXPECT_EQ("", program.Text(IdLabelStatus));
  CloseHandle(gate);
}

// Every entry names a.txt through a folder of its own name and "..", with a wrong digest: the
// summary sorts a hundred thousand paths of mixed letter case and script in the locale's order.
TEST(LongFile, LargeSortedListKeepsAnsweringAndKeepsTheOrder) {
  TProgramFolder setup;
  TTempFolder data;
  WriteFile(data / "a.txt", "abc");
  std::string text;
  std::vector<std::string> expected;
  unsigned seed = 20261208;
  for (int i = 0; i < 100000; ++i) {
    std::string folder;
    // The names' order, Chinese ones among them, is that of their code-page form.
    static const char* const pieces[] = {"a", "B", "c", "D", "e",  "F", "-",
                                         "_", "g", "H", "1", "中", "文"};
    for (int c = 0; c < 6; ++c) {
      seed = seed * 1103515245u + 12345u;
      folder += pieces[(seed >> 16) % 13];
    }
    const std::string name = folder + "\\..\\a.txt";
    text += std::string(32, '0') + "|" + name + "\r\n";
    expected.push_back(data.Path() + "\\" + name);
  }
  WriteFile(data / kCheckfile, text);
  std::stable_sort(
      expected.begin(), expected.end(), [](const std::string& a, const std::string& b) {
        return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.c_str(), -1, b.c_str(), -1) ==
               CSTR_LESS_THAN;
      });
  TProgram program(setup.program, setup.folder.Path(), data / kCheckfile);

  ASSERT_TRUE(WaitUntil([&] { return program.Running(); }));
  while (program.Running()) {
    ASSERT_TRUE(program.Answers(1000));
    Sleep(100);
  }
  const std::vector<std::string> pane = Lines(program.Text(IdMemoCheck));
  const auto block = std::find(pane.begin(), pane.end(), "*** 以下文件经过对比,没有匹配:");
  ASSERT_GE(pane.end() - block, 100002);
  EXPECT_TRUE(std::equal(expected.begin(), expected.end(), block + 1));
  EXPECT_EQ(*(pane.end() - 2), "100000 文件的MD5值不匹配!文件已经被损坏或修改");
  EXPECT_EQ(pane.back(), "100000 个文件在检查文件制作之后被修改");
}
