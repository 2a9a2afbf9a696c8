// A run inside one long file, in the real window: it keeps answering, a stop takes effect inside
// the file, and the writing status is on the screen while the checkfile is written.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

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
