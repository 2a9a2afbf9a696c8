// The make pass over real temporary trees: what gets listed and digested, the pane and status
// texts in their order, stopping, the cases where nothing is written, and the failures.
#include "catalogue/make_pass.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <utility>

#include "catalogue/check_pass.h"
#include "platform/clock.h"
#include "platform/path.h"
#include "tests/passes/recording_view.h"
#include "tests/passes/test_tree.h"

namespace {

using Entries = std::vector<std::pair<std::string, std::string>>;  // relative path, digest

const std::string kVersion = "0.2.1.10";
const std::string kZhongwen = u8"中文.txt";
const std::string kJou = u8"乗";  // in GBK its second byte is a backslash

// The checkfile's entries as (relative path in UTF-8, digest), in file order.
Entries ReadEntries(const std::string& folder) {
  std::string bytes;
  EXPECT_TRUE(testtree::ReadBytes(folder + "\\" + CheckfileName, bytes));
  const TCheckfileEntries checkfile(bytes);
  EXPECT_EQ(checkfile.DamagedLines(), 0);
  Entries entries;
  std::string name;
  for (std::size_t i = 0; i < checkfile.size(); ++i) {
    checkfile.Path(i, "", 0, name);
    entries.emplace_back(name, std::string(checkfile.ExpectedDigest(i)));
  }
  return entries;
}

std::map<std::string, std::string> Sorted(const Entries& entries) {
  return std::map<std::string, std::string>(entries.begin(), entries.end());
}

std::string DoneLine(const std::string& folder) {
  return "操作完成.  检查文件保存为 " + folder + "\\" + CheckfileName;
}

std::size_t CountOf(const std::vector<std::string>& lines, const std::string& line) {
  return static_cast<std::size_t>(std::count(lines.begin(), lines.end(), line));
}

TEST(MakePass, ListsEveryVisibleFileWithItsDigest) {
  testtree::TempFolder tree("make-tree");
  const std::string r = tree.Path();
  testtree::WriteBytes(r + "\\a.txt", "alpha");
  testtree::WriteBytes(r + "\\" + kZhongwen, "zhongwen");
  testtree::WriteBytes(r + "\\" + CheckfileName, "an earlier checkfile");
  // Left by a make that was killed while writing: never listed, and removed once the new
  // checkfile is in place.
  testtree::WriteBytes(r + "\\~HT2A-0.tmp", "the start of a checkfile");
  const std::string hiddenFile = r + "\\" + testtree::HiddenName("hidden.txt");
  testtree::WriteBytes(hiddenFile, "hidden");
  testtree::MarkHiddenOrSystem(hiddenFile, false);
  testtree::MakeFolder(r + "\\sub");
  std::string binary;
  for (int i = 0; i < 10000; ++i) binary += static_cast<char>((i * 7) & 0xFF);
  testtree::WriteBytes(r + "\\sub\\b.bin", binary);
  testtree::WriteBytes(r + "\\sub\\" + CheckfileName, "a checkfile one level down");
  testtree::MakeFolder(r + "\\sub\\deeper");
  testtree::WriteBytes(r + "\\sub\\deeper\\c.txt", "charlie");
  // Beside no checkfile: on Windows the two names are one file.
  testtree::WriteBytes(r + "\\sub\\deeper\\htsum-sums.md5", "another letter case, a plain file");
  testtree::MakeFolder(r + "\\empty");
  testtree::MakeFolder(r + "\\other");
  testtree::MakeFolder(r + "\\other\\" + CheckfileName);
  testtree::WriteBytes(r + "\\other\\" + CheckfileName + "\\inside.txt", "never listed");
  const std::string hiddenFolder = r + "\\" + testtree::HiddenName("hiddendir");
  testtree::MakeFolder(hiddenFolder);
  testtree::WriteBytes(hiddenFolder + "\\x.txt", "never listed");
  testtree::MarkHiddenOrSystem(hiddenFolder, false);
#ifdef _WIN32
  testtree::WriteBytes(r + "\\system.txt", "system");
  testtree::MarkHiddenOrSystem(r + "\\system.txt", true);
  testtree::MakeFolder(r + "\\systemdir");
  testtree::WriteBytes(r + "\\systemdir\\y.txt", "never listed");
  testtree::MarkHiddenOrSystem(r + "\\systemdir", true);
#endif

  RecordingView view;
  std::string scanFolder = r;
  scanFolder = TMakePass(view, kVersion).Run(scanFolder);

  const std::vector<std::string> files = {"a.txt", kZhongwen, "sub\\deeper\\htsum-sums.md5",
                                          "sub\\b.bin", "sub\\deeper\\c.txt"};
  std::map<std::string, std::string> expected;
  for (const std::string& file : files) expected[file] = testtree::PeerDigest(r + "\\" + file);
  const Entries entries = ReadEntries(r);
  EXPECT_EQ(Sorted(entries), expected);

  std::vector<std::string> expectedPane = {"文件夹: " + r + "\\sub",
                                           "文件夹: " + r + "\\sub\\deeper",
                                           "文件夹: " + r + "\\empty",
                                           "文件夹: " + r + "\\other",
                                           "文件: a.txt",
                                           "文件: " + kZhongwen,
                                           "文件: htsum-sums.md5",
                                           "文件: b.bin",
                                           "文件: c.txt",
                                           DoneLine(r)};
  std::vector<std::string> pane = view.pane;
  ASSERT_FALSE(pane.empty());
  EXPECT_EQ(pane.back(), DoneLine(r));
  std::sort(pane.begin(), pane.end());
  std::sort(expectedPane.begin(), expectedPane.end());
  EXPECT_EQ(pane, expectedPane);

  // The pane names the files in the walk's order, which is the checkfile's order; every file's
  // folder line comes before it.
  std::vector<std::string> fileLines;
  for (const std::string& line : view.pane) {
    if (line.rfind("文件: ", 0) == 0) fileLines.push_back(line);
  }
  ASSERT_EQ(fileLines.size(), entries.size());
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const std::string& rel = entries[i].first;
    const std::size_t slash = rel.rfind('\\');
    EXPECT_EQ(fileLines[i], "文件: " + rel.substr(slash == std::string::npos ? 0 : slash + 1));
    if (slash != std::string::npos) {
      const auto folderLine = std::find(view.pane.begin(), view.pane.end(),
                                        "文件夹: " + r + "\\" + rel.substr(0, slash));
      const auto fileLine = std::find(view.pane.begin(), view.pane.end(), fileLines[i]);
      EXPECT_LT(folderLine, fileLine) << rel;
    }
  }

  // One progress status and pump per listed entry, skipped checkfile and temporary names
  // included: 7 in the top folder, 3 in sub, 2 in deeper, 1 in other.
  EXPECT_EQ(std::count_if(view.calls.begin(), view.calls.end(),
                          [](const std::string& call) {
                            return call.find(" 文件进度:\n目标为:") != std::string::npos;
                          }),
            13);
  EXPECT_GE(view.pumps, 13);
  EXPECT_FALSE(testtree::Exists(r + "\\~HT2A-0.tmp"));
  EXPECT_FALSE(view.makeRunning);
  EXPECT_EQ(view.status, "");
  EXPECT_EQ(scanFolder, r);

  // A check lists the tree by the same rules: nothing in it is new.
  RecordingView checker;
  TCheckPass(checker).Run(r + "\\" + CheckfileName, TCheckOrigin::Chosen);
  EXPECT_EQ(checker.pane.back(), "一切正常!");
}

// The writing status is on the screen before the checkfile is written, and the run is idle
// again before its last line.
TEST(MakePass, ShowsTheWritingStatusBeforeWritingAndEndsIdle) {
  testtree::TempFolder tree("make-writing");
  const std::string r = tree.Path();
  testtree::WriteBytes(r + "\\a.txt", "alpha");

  RecordingView view;
  std::vector<std::string> shown;
  std::int64_t editedAt = 0;
  // a.txt is edited after the make read it: the make says so, and dates the checkfile when it
  // began, so that a check takes the change for an edit however long the make went on.
  view.onShowNow = [&](const std::string& status) {
    shown.push_back(status);
    EXPECT_FALSE(testtree::Exists(r + "\\" + CheckfileName));
    testtree::WriteBytes(r + "\\a.txt", "edited after it was read");
    editedAt = platform::FileTimeNow();
  };
  const std::string scanned = TMakePass(view, kVersion).Run(r);

  EXPECT_EQ(shown, (std::vector<std::string>{"检查文件生成..."}));
  EXPECT_EQ(ReadEntries(r).size(), 1u);
  const std::vector<std::string> tail = {"Line 文件在读取期间或之后已被修改: " + r + "\\a.txt",
                                         "MakeIdle", "Status ", "Line " + DoneLine(r)};
  EXPECT_EQ(std::vector<std::string>(view.calls.end() - tail.size(), view.calls.end()), tail);
  std::int64_t dated = 0;
  platform::GetPathKind(r + "\\" + CheckfileName, nullptr, &dated);
  EXPECT_LE(dated, editedAt);
}

// On Windows names ignore letter case, so the new checkfile replaces one of another case in the
// scanned folder: listing it would make every later check report it as changed.
TEST(MakePass, CheckfileOfAnotherLetterCaseAtTheTopIsPassedOver) {
  testtree::TempFolder tree("make-case");
  const std::string r = tree.Path();
  testtree::WriteBytes(r + "\\htsum-sums.md5", "an old checkfile copied from a disc");
  testtree::WriteBytes(r + "\\a.txt", "alpha");
  testtree::MakeFolder(r + "\\sub");
  testtree::WriteBytes(r + "\\sub\\htsum-sums.md5", "a plain file below the top");

  RecordingView maker;
  TMakePass(maker, kVersion).Run(r);
  EXPECT_EQ(Sorted(ReadEntries(r)),
            (std::map<std::string, std::string>{
                {"a.txt", testtree::PeerDigest(r + "\\a.txt")},
                {"sub\\htsum-sums.md5", testtree::PeerDigest(r + "\\sub\\htsum-sums.md5")}}));

  RecordingView checker;
  TCheckPass(checker).Run(r + "\\" + CheckfileName, TCheckOrigin::Chosen);
  EXPECT_EQ(checker.pane.back(), "一切正常!");
}

TEST(MakePass, StopPressedWhileWritingComesTooLateForThisRun) {
  testtree::TempFolder tree("make-latestop");
  const std::string r = tree.Path();
  testtree::WriteBytes(r + "\\a.txt", "alpha");

  RecordingView view;
  view.pressStopWhen = [](const std::string& status) { return status == "检查文件生成..."; };
  std::string scanFolder = r;
  scanFolder = TMakePass(view, kVersion).Run(scanFolder);

  EXPECT_EQ(view.pane, (std::vector<std::string>{"文件: a.txt", DoneLine(r)}));
  EXPECT_EQ(ReadEntries(r).size(), 1u);
  EXPECT_TRUE(view.abortFlag);  // only the next run clears it
  EXPECT_FALSE(view.makeRunning);
}

TEST(MakePass, StopTwoLevelsDownUnwindsEveryLevelAndWritesNothing) {
  testtree::TempFolder tree("make-stop");
  const std::string r = tree.Path();
  testtree::MakeFolder(r + "\\a");
  testtree::MakeFolder(r + "\\a\\b");
  testtree::WriteBytes(r + "\\a\\b\\x.txt", "x");
  testtree::WriteBytes(r + "\\a\\b\\y.txt", "y");

  RecordingView view;
  const std::string deepest = r + "\\a\\b";
  view.pressStopWhen = [&](const std::string& status) {
    return status == "1 文件进度:\n目标为:" + deepest;
  };
  std::string scanFolder = r;
  scanFolder = TMakePass(view, kVersion).Run(scanFolder);

  ASSERT_GE(view.pane.size(), 6u);
  EXPECT_EQ(view.pane[0], "文件夹: " + r + "\\a");
  EXPECT_EQ(view.pane[1], "文件夹: " + deepest);
  EXPECT_EQ(CountOf(view.pane, "用户中止操作."), 3u);
  EXPECT_EQ(view.pane.back(), "用户中止操作.");
  EXPECT_EQ(view.pane.size(), 6u);
  EXPECT_FALSE(testtree::Exists(r + "\\" + CheckfileName));
  EXPECT_EQ(view.noFilesBoxes, 0);
  EXPECT_FALSE(view.makeRunning);
  EXPECT_EQ(view.status, "");
  // The enclosing levels report the emptied collection on their way out.
  EXPECT_NE(std::find(view.calls.begin(), view.calls.end(), "Status 0 文件进度:\n目标为:" + r),
            view.calls.end());
}

TEST(MakePass, NothingToWriteShowsTheBoxAndKeepsAnyOldCheckfile) {
  testtree::TempFolder tree("make-nothing");
  const std::string r = tree.Path();
  const std::string oldBytes = "; an earlier checkfile\r\n0123|kept\r\n";
  testtree::MakeFolder(r + "\\onlyold");
  testtree::WriteBytes(r + "\\onlyold\\" + CheckfileName, oldBytes);
  testtree::MakeFolder(r + "\\empty");
  testtree::MakeFolder(r + "\\emptysub");
  testtree::MakeFolder(r + "\\emptysub\\inner");

  struct Case {
    std::string scanFolder;
    std::vector<std::string> pane;
  };
  const Case cases[] = {
      {r + "\\onlyold", {}},
      {r + "\\empty", {}},
      {r + "\\emptysub", {"文件夹: " + r + "\\emptysub\\inner"}},
      {r + "\\missing", {"无法读取文件夹: " + r + "\\missing"}},
      {"", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.scanFolder);
    RecordingView view;
    std::string scanFolder = c.scanFolder;
    scanFolder = TMakePass(view, kVersion).Run(scanFolder);
    EXPECT_EQ(view.pane, c.pane);
    EXPECT_EQ(view.noFilesBoxes, 1);
    EXPECT_TRUE(view.boxShownWhileRunning);
    EXPECT_FALSE(view.makeRunning);
    EXPECT_EQ(view.status, "");
  }
  std::string bytes;
  EXPECT_TRUE(testtree::ReadBytes(r + "\\onlyold\\" + CheckfileName, bytes));
  EXPECT_EQ(bytes, oldBytes);
  EXPECT_FALSE(testtree::Exists(r + "\\empty\\" + CheckfileName));
}

TEST(MakePass, DropsOneTrailingBackslashButNeverPartOfACharacter) {
  testtree::TempFolder tree("make-trim");
  const std::string r = tree.Path();
  testtree::WriteBytes(r + "\\a.txt", "alpha");
  const std::string missing = r + "\\missing";

  const std::pair<std::string, std::string> cases[] = {
      {r + "\\", r},
      {missing + "\\\\", missing + "\\"},
      {missing + kJou, missing + kJou},
      {missing + kJou + "\\", missing + kJou},
  };
  for (const auto& [given, kept] : cases) {
    SCOPED_TRACE(given);
    RecordingView view;
    std::string scanFolder = given;
    scanFolder = TMakePass(view, kVersion).Run(scanFolder);
    EXPECT_EQ(scanFolder, kept);
  }
  EXPECT_EQ(ReadEntries(r).size(), 1u);

#ifdef _WIN32
  // On Windows the folder can exist: its checkfile lands inside it, not beside it.
  const std::string jou = r + "\\x" + kJou;
  testtree::MakeFolder(jou);
  testtree::WriteBytes(jou + "\\b.txt", "bravo");
  RecordingView view;
  std::string scanFolder = jou + "\\";
  scanFolder = TMakePass(view, kVersion).Run(scanFolder);
  EXPECT_EQ(scanFolder, jou);
  EXPECT_EQ(Sorted(ReadEntries(jou)),
            (std::map<std::string, std::string>{{"b.txt", testtree::PeerDigest(jou + "\\b.txt")}}));
#endif
}

TEST(MakePass, FileThatCannotBeOpenedIsReportedAndLeftOut) {
  testtree::TempFolder tree("make-failed");
  const std::string r = tree.Path();
  testtree::WriteBytes(r + "\\good.txt", "good");
#ifdef _WIN32
  const std::string badName = "locked.txt";
  testtree::WriteBytes(r + "\\" + badName, "held open for writing");
  testtree::WriteLock lock(r + "\\" + badName);
  ASSERT_TRUE(lock.Held());
#else
  // A link whose target is gone is listed as a file and cannot be opened.
  const std::string badName = "gone.txt";
  std::string whyNot;
  testtree::WriteBytes(r + "\\target.txt", "soon removed");
  ASSERT_TRUE(testtree::MakeFolderLink(r + "\\" + badName, r + "\\target.txt", whyNot));
  testtree::RemoveFile(r + "\\target.txt");
#endif

  RecordingView view;
  std::string scanFolder = r;
  scanFolder = TMakePass(view, kVersion).Run(scanFolder);

  const auto line = std::find(view.pane.begin(), view.pane.end(), "文件: " + badName);
  ASSERT_NE(line, view.pane.end());
  ASSERT_NE(line + 1, view.pane.end());
  EXPECT_EQ(*(line + 1), "无法打开文件");
  EXPECT_EQ(
      Sorted(ReadEntries(r)),
      (std::map<std::string, std::string>{{"good.txt", testtree::PeerDigest(r + "\\good.txt")}}));
  // The user is told that the checkfile lacks a file.
  EXPECT_EQ(std::vector<std::string>(view.pane.end() - 2, view.pane.end()),
            (std::vector<std::string>{DoneLine(r), "1 个文件或文件夹无法处理,未列入检查文件"}));
}

TEST(MakePass, LinkBackToAnAncestorIsNotFollowedAgain) {
  testtree::TempFolder tree("make-cycle");
  const std::string r = tree.Path();
  testtree::MakeFolder(r + "\\a");
  testtree::MakeFolder(r + "\\b");
  testtree::MakeFolder(r + "\\b\\c");
  testtree::WriteBytes(r + "\\b\\f.txt", "reached twice");
  std::string whyNot;
  if (!testtree::MakeFolderLink(r + "\\a\\loop", r, whyNot) ||
      !testtree::MakeFolderLink(r + "\\a\\tob", r + "\\b", whyNot) ||
      !testtree::MakeFolderLink(r + "\\b\\c\\upb", r + "\\b", whyNot) ||
      !testtree::MakeFolderLink(r + "\\a\\remote", "\\\\server\\share", whyNot)) {
    GTEST_SKIP() << "folder links cannot be made here: " << whyNot;
  }

  RecordingView view;
  std::string scanFolder = r;
  scanFolder = TMakePass(view, kVersion).Run(scanFolder);

  // A link to a folder outside the walk's own path is descended into like any folder.
  const std::string digest = testtree::PeerDigest(r + "\\b\\f.txt");
  EXPECT_EQ(Sorted(ReadEntries(r)),
            (std::map<std::string, std::string>{{"a\\tob\\f.txt", digest}, {"b\\f.txt", digest}}));
  EXPECT_EQ(CountOf(view.pane, "文件夹: " + r + "\\a\\loop"), 1u);
  // Nor a link back to a level below the top, also where a link led the walk into that level.
  EXPECT_EQ(CountOf(view.pane, "文件夹: " + r + "\\b\\c\\upb"), 1u);
  EXPECT_EQ(CountOf(view.pane, "文件夹: " + r + "\\a\\tob\\c\\upb"), 1u);
  // Nor one to another computer: it is named, and nothing goes through it.
  EXPECT_EQ(CountOf(view.pane, "链接指向其他计算机,已跳过: " + r + "\\a\\remote"), 1u);
  for (const std::string& line : view.pane) {
    EXPECT_EQ(line.find(r + "\\a\\loop\\"), std::string::npos) << line;
    EXPECT_EQ(line.find("\\upb\\"), std::string::npos) << line;
    EXPECT_EQ(line.find("\\remote\\"), std::string::npos) << line;
  }
}

#ifndef _WIN32
// Windows lists folders at any depth the system allows; a host path past PATH_MAX cannot be listed.
TEST(MakePass, FolderThatCannotBeListedSaysSo) {
  testtree::TempFolder tree("make-unreadable");
  const std::string r = tree.Path();
  testtree::WriteBytes(r + "\\ok.txt", "ok");
  // Running as an administrator or as root, permissions deny nothing; a path too long for a
  // folder listing cannot be listed by anyone.
  const std::string tooLong = testtree::MakeTooDeepChain(r);
  // A name in another encoding (GBK bytes) has no UTF-8 form: no checkfile can store it.
  testtree::WriteBytes(r + "\\\xD6\xD0.txt", "zhong");

  RecordingView view;
  std::string scanFolder = r;
  scanFolder = TMakePass(view, kVersion).Run(scanFolder);

  EXPECT_EQ(CountOf(view.pane, "文件名含有无效的字符,无法存入检查文件,已跳过: " + r +
                                   "\\\xEF\xBF\xBD\xEF\xBF\xBD.txt"),
            1u);
  const auto folderLine = std::find(view.pane.begin(), view.pane.end(), "文件夹: " + tooLong);
  ASSERT_NE(folderLine, view.pane.end());
  ASSERT_NE(folderLine + 1, view.pane.end());
  EXPECT_EQ(*(folderLine + 1), "无法读取文件夹: " + tooLong);
  EXPECT_EQ(CountOf(view.pane, "文件: bottom.txt"), 0u);
  EXPECT_EQ(Sorted(ReadEntries(r)),
            (std::map<std::string, std::string>{{"ok.txt", testtree::PeerDigest(r + "\\ok.txt")}}));
  EXPECT_EQ(view.pane.back(), "2 个文件或文件夹无法处理,未列入检查文件");
}
#endif

// The system's listing, except that in `broken` it breaks off after one entry and `grown` gains
// a file whose path below the scanned folder is one byte too long to store (never opened) and one
// of exactly the longest length stored (which is opened, and found missing).
TMakePass::TListFolder ListingWithFaults(const std::string& broken, const std::string& grown) {
  struct TListing : platform::TFolderListing {
    platform::FolderEnumeration real;
    int entriesLeft;  // -1: never breaks off
    int grows;        // names still to add
    TListing(const std::string& folder, platform::TPassingOver hook, int left, int grow)
        : real(folder, std::move(hook)), entriesLeft(left), grows(grow) {}
    platform::EnumerationState State() const override {
      return entriesLeft == 0 ? platform::EnumerationState::Unreadable : real.State();
    }
    bool Next(platform::FolderEntry& entry) override {
      if (entriesLeft == 0) return false;
      if (grows > 0) {
        entry = platform::FolderEntry();
        // Below the scanned folder the path is "d3\" and the name.
        entry.Name = grows-- == 2 ? std::string(MaxCheckfileName, 'n')
                                  : std::string(MaxCheckfileName - 3, 'm');
        return true;
      }
      if (entriesLeft > 0) --entriesLeft;
      return real.Next(entry);
    }
  };
  return [=](const std::string& folder, platform::TPassingOver hook) {
    return std::make_unique<TListing>(folder, std::move(hook), folder == broken ? 1 : -1,
                                      folder == grown ? 2 : 0);
  };
}

// Digesting four files at once shows exactly what one at a time shows, failures included, and
// writes the same entries in the same order.
TEST(MakePass, SeveralFilesAtOnceShowWhatOneAtATimeShows) {
  testtree::TempFolder tree("make-threads");
  const std::string r = tree.Path();
  for (int folder = 0; folder < 4; ++folder) {
    const std::string sub = r + "\\d" + std::to_string(folder);
    testtree::MakeFolder(sub);
    for (int file = 0; file < 25; ++file)
      testtree::WriteBytes(sub + "\\f" + std::to_string(file), std::string(file * 997, 'x'));
  }
#ifdef _WIN32
  testtree::WriteBytes(r + "\\d1\\locked", "held open for writing");
  testtree::WriteLock lock(r + "\\d1\\locked");
#else
  std::string whyNot;
  ASSERT_TRUE(testtree::MakeFolderLink(r + "\\d1\\gone", r + "\\nowhere", whyNot));
#endif
  const auto listing = ListingWithFaults(r + "\\d2", r + "\\d3");

  std::vector<std::string> panes[2];
  std::string checkfiles[2];
  for (const unsigned threads : {1u, 4u}) {
    RecordingView view;
    TMakePass(view, kVersion, threads, listing).Run(r);
    panes[threads == 4] = view.pane;
    EXPECT_TRUE(testtree::ReadBytes(r + "\\" + CheckfileName, checkfiles[threads == 4]));
    std::string& text = checkfiles[threads == 4];
    text.erase(0, text.find("\r\n", text.find("\r\n; ", 60) + 2));  // the header, date and all
  }
  EXPECT_EQ(panes[1], panes[0]);
  EXPECT_EQ(checkfiles[1], checkfiles[0]);
  // The broken listing and the name too long to store are shown and counted with the failed file.
  EXPECT_EQ(CountOf(panes[1], "无法读取文件夹: " + r + "\\d2"), 1u);
  EXPECT_EQ(CountOf(panes[1], "文件路径超过10000字节,无法存入检查文件,已跳过: " + r + "\\d3\\" +
                                  std::string(MaxCheckfileName, 'n')),
            1u);
  EXPECT_EQ(CountOf(panes[1], "无法打开文件"), 2u);  // the locked (or gone) file, the longest
  EXPECT_EQ(panes[1].back(), "4 个文件或文件夹无法处理,未列入检查文件");
  EXPECT_EQ(ReadEntries(r).size(), 76u);  // d0, d1 and d3 whole, one file of d2
}

// A stop while four huge files are read ends the reading at once: nothing after it is reported,
// and no checkfile is written. (Unstopped, digesting them would outlast the test's time limit.)
TEST(MakePass, StopWhileHugeFilesAreReadEndsTheRunAtOnce) {
  testtree::TempFolder tree("make-huge");
  const std::string r = tree.Path();
  for (int i = 0; i < 4; ++i)
    testtree::MakeSparseFile(r + "\\huge" + std::to_string(i), 64ull << 30);

  RecordingView view;
  view.pressStopWhen = [&](const std::string&) { return view.pumps == 3; };
  TMakePass(view, kVersion, 4).Run(r);

  ASSERT_FALSE(view.pane.empty());
  EXPECT_EQ(view.pane.back(), "用户中止操作.");
  EXPECT_EQ(CountOf(view.pane, "用户中止操作."), 1u);
  EXPECT_LE(view.pane.size(), 2u);  // at most the line of the file being read when it stopped
  EXPECT_FALSE(testtree::Exists(r + "\\" + CheckfileName));
  EXPECT_FALSE(view.makeRunning);
}

// A tree far deeper than a call stack could recurse: the walk keeps its own stack, and comes back
// up to the file beside the chain's top. The deepest file's path is too long to store.
TEST(MakePass, WalksTwentyThousandLevelsDown) {
  testtree::TempFolder tree("make-deep");
  const std::string r = tree.Path();
  testtree::WriteBytes(r + "\\top.txt", "top");
  constexpr std::size_t kLevels = 20000;
  struct TChain : platform::TFolderListing {            // one folder a level, a file at the bottom
    std::unique_ptr<platform::FolderEnumeration> real;  // the scanned folder's own, after "d"
    std::size_t depth = 0;
    bool given = false;
    platform::EnumerationState State() const override {
      return platform::EnumerationState::Listing;
    }
    bool Next(platform::FolderEntry& entry) override {
      if (std::exchange(given, true)) return real && real->Next(entry);
      entry.IsFolder = depth < kLevels;
      entry.Name = entry.IsFolder ? "d" : "bottom.txt";
      return true;
    }
  };
  const TMakePass::TListFolder chain = [&](const std::string& folder, platform::TPassingOver hook) {
    auto listing = std::make_unique<TChain>();
    listing->depth = (folder.size() - r.size()) / 2;
    if (listing->depth == 0)
      listing->real = std::make_unique<platform::FolderEnumeration>(folder, hook);
    return listing;
  };
  struct TCountingView : RecordingView {  // the chain's lines hold hundreds of megabytes of paths
    std::size_t folderLines = 0;
    void AppendLine(TViewText text) override {
      const std::string line = JoinedBytes(text).substr(0, 30);
      if (line.rfind("文件夹: ", 0) == 0)
        ++folderLines;
      else
        pane.push_back(line);
    }
    void SetStatus(TViewText) override {}
  } view;

  TMakePass(view, kVersion, 2, chain).Run(r);
  EXPECT_EQ(view.folderLines, kLevels);
  ASSERT_EQ(view.pane.size(), 4u);
  EXPECT_EQ(view.pane[0].rfind("文件路径超过10000字节", 0), 0u);
  EXPECT_EQ(view.pane[1], "文件: top.txt");
  EXPECT_EQ(
      Sorted(ReadEntries(r)),
      (std::map<std::string, std::string>{{"top.txt", testtree::PeerDigest(r + "\\top.txt")}}));
}

TEST(MakePass, CheckfileThatCannotBeWrittenThrowsWithTheViewIdle) {
  testtree::TempFolder tree("make-nowrite");
  const std::string r = tree.Path();
  testtree::WriteBytes(r + "\\a.txt", "alpha");
  // A folder holding the checkfile's name: the walk passes over it, the writer cannot replace it.
  testtree::MakeFolder(r + "\\" + CheckfileName);

  RecordingView view;
  std::string scanFolder = r;
  EXPECT_THROW(TMakePass(view, kVersion).Run(scanFolder), ECheckfileError);
  EXPECT_FALSE(view.makeRunning);
  EXPECT_EQ(view.status, "");
  EXPECT_EQ(view.pane, (std::vector<std::string>{"文件: a.txt"}));
}

}  // namespace
