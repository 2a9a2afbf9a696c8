// The check pass over real temporary trees and hand-made checkfiles: the result lines in file
// order, the sorted block, the counts, stopping, a moved tree, and a checkfile that is missing.
#include "catalogue/check_pass.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <functional>
#include <map>
#include <thread>

#include "catalogue/checkfile.h"
#include "catalogue/digest_pipeline.h"
#include "catalogue/make_pass.h"
#include "catalogue/update_pass.h"
#include "digest/digest_service.h"
#include "platform/output_file.h"
#include "tests/passes/recording_view.h"
#include "tests/passes/test_tree.h"

namespace {

const std::string kCompared = " 文件对比";
const std::string kFailed = " 无法进行对比,文件无法打开或不存在";
const std::string kMismatched = " 文件的MD5值不匹配!文件已经被损坏或修改";
const std::string kEdited = " 个文件在检查文件制作之后被修改";

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

std::string MismatchLine(const std::string& path, const std::string& expected,
                         const std::string& computed) {
  return "错误:MD5的总和不匹配  " + path + ". 预期:     " + expected + " 计算:       " + computed;
}

// Writes `names` into `folder` and a checkfile listing them with their digests (changed by
// `storedForm`), among the lines a checkfile may hold besides its entries: comments (the first
// behind the byte-order mark an editor adds), an empty line and one of blanks. Returns each
// name's digest as it was when listed.
std::map<std::string, std::string> WriteTreeAndCheckfile(
    const std::string& folder, const std::vector<std::string>& names,
    const std::function<std::string(std::string)>& storedForm) {
  std::string text = "\xEF\xBB\xBF; MD5 sums\r\n; Free from: nowhere\r\n; 1/2/2026\r\n";
  std::map<std::string, std::string> listed;
  for (std::size_t i = 0; i < names.size(); ++i) {
    const std::string path = folder + "\\" + names[i];
    testtree::WriteBytes(path, "content of " + names[i]);
    listed[names[i]] = testtree::PeerDigest(path);
    text += storedForm(listed[names[i]]) + "|" + names[i] + "\r\n";
    if (i == 0) text += "\r\n \t \r\n";
  }
  testtree::WriteBytes(folder + "\\" + CheckfileName, text);
  return listed;
}

struct Scenario {
  const char* title;
  std::vector<std::string> names;
  bool capitalDigests;
  std::function<void(const std::string& folder)> change;
  // The pane after the checkfile line; `d(name)` is the original digest, `n(name)` the one now.
  std::function<std::vector<std::string>(const std::string& folder,
                                         const std::function<std::string(std::string)>& d,
                                         const std::function<std::string(std::string)>& n)>
      expected;
};

TEST(CheckPass, ReportsEveryEntryThenTheSortedMismatchesAndTheCounts) {
  const std::vector<std::string> abc = {"a.txt", "b.txt", "c.txt"};
  std::vector<Scenario> scenarios = {
      {"all unchanged", abc, false, [](const std::string&) {},
       [](const std::string& r, auto, auto) {
         return std::vector<std::string>{"OK: " + r + "\\a.txt",
                                         "OK: " + r + "\\b.txt",
                                         "OK: " + r + "\\c.txt",
                                         "操作完成",
                                         "",
                                         "3" + kCompared,
                                         "一切正常!"};
       }},
      {"one changed, one deleted", abc, false,
       [](const std::string& r) {
         testtree::WriteBytes(r + "\\b.txt", "changed");
         testtree::RemoveFile(r + "\\c.txt");
       },
       [](const std::string& r, auto d, auto n) {
         return std::vector<std::string>{"OK: " + r + "\\a.txt",
                                         MismatchLine(r + "\\b.txt", d("b.txt"), n("b.txt")),
                                         "错误:  无法打开文件 (" + r + "\\c.txt)",
                                         "操作完成",
                                         "",
                                         "*** 以下文件经过对比,没有匹配:",
                                         r + "\\b.txt",
                                         "***",
                                         "2" + kCompared,
                                         "1" + kFailed,
                                         "1" + kMismatched,
                                         "1" + kEdited};
       }},
      // Changed with its last write put back: more than two seconds before the checkfile's, it may
      // be damaged; within them (coarse file system times), edited. A last write years ahead of
      // now is no sign of an edit. A new file, even an empty one (a make lists it), is listed after
      // the summary; the programs beside the checkfile and a writer's temporary file are not.
      {"damaged, edited and new files", abc, false,
       [](const std::string& r) {
         const std::string checkfile = r + "\\" + CheckfileName;
         testtree::WriteBytes(r + "\\a.txt", "damaged, dated in the future");
         testtree::SetWriteTimeFrom(r + "\\a.txt", checkfile, 10 * 365 * 86400);
         testtree::WriteBytes(r + "\\HashTally.exe", "the program");
         testtree::WriteBytes(r + "\\~HT1F-0.tmp", "left by a killed writer");
         testtree::WriteBytes(r + "\\b.txt", "damaged");
         testtree::SetWriteTimeFrom(r + "\\b.txt", checkfile, -3);
         testtree::WriteBytes(r + "\\c.txt", "edited");
         testtree::SetWriteTimeFrom(r + "\\c.txt", checkfile, -1);
         testtree::WriteBytes(r + "\\new.txt", "");
       },
       [](const std::string& r, auto d, auto n) {
         return std::vector<std::string>{
             MismatchLine(r + "\\a.txt", d("a.txt"), n("a.txt")),
             MismatchLine(r + "\\b.txt", d("b.txt"), n("b.txt")),
             MismatchLine(r + "\\c.txt", d("c.txt"), n("c.txt")),
             "操作完成",
             "",
             "*** 以下文件经过对比,没有匹配:",
             r + "\\a.txt",
             r + "\\b.txt",
             r + "\\c.txt",
             "***",
             "3" + kCompared,
             "3" + kMismatched,
             "*** 以下文件内容已改变,修改日期却早于检查文件,可能已损坏:",
             r + "\\a.txt  (修改日期晚于当前时间,不能说明文件已被修改)",
             r + "\\b.txt",
             "***",
             "2 个文件可能已损坏(修改日期未变)",
             "1" + kEdited,
             "*** 以下文件不在检查文件中,未进行对比:",
             r + "\\new.txt",
             "***",
             "1 个文件不在检查文件中"};
       }},
      // A file that could not be read is never passed as all well.
      {"one unreadable, none changed",
       {"a.txt", "b.txt"},
       false,
       [](const std::string& r) { testtree::RemoveFile(r + "\\b.txt"); },
       [](const std::string& r, auto, auto) {
         return std::vector<std::string>{"OK: " + r + "\\a.txt",
                                         "错误:  无法打开文件 (" + r + "\\b.txt)",
                                         "操作完成",
                                         "",
                                         "1" + kCompared,
                                         "1" + kFailed};
       }},
      {"all missing", abc, false,
       [](const std::string& r) {
         for (const char* name : {"a.txt", "b.txt", "c.txt"}) {
           testtree::RemoveFile(r + "\\" + name);
         }
       },
       [](const std::string& r, auto, auto) {
         return std::vector<std::string>{"错误:  无法打开文件 (" + r + "\\a.txt)",
                                         "错误:  无法打开文件 (" + r + "\\b.txt)",
                                         "错误:  无法打开文件 (" + r + "\\c.txt)",
                                         "操作完成",
                                         "",
                                         "没有文件进行对比",
                                         "3" + kFailed};
       }},
      {"capital digests never match",
       {"c.txt", "a.txt"},
       true,
       [](const std::string&) {},
       [](const std::string& r, auto d, auto n) {
         return std::vector<std::string>{MismatchLine(r + "\\c.txt", Upper(d("c.txt")), n("c.txt")),
                                         MismatchLine(r + "\\a.txt", Upper(d("a.txt")), n("a.txt")),
                                         "操作完成",
                                         "",
                                         "*** 以下文件经过对比,没有匹配:",
                                         r + "\\a.txt",
                                         r + "\\c.txt",
                                         "***",
                                         "2" + kCompared,
                                         "2" + kMismatched,
                                         "2" + kEdited};
       }},
      // Byte order would put B and C before a; the block ignores letter case, and names equal but
      // for it (one file on Windows) keep their checkfile order.
      {"sorted block ignores letter case",
       {"C.txt", "a.txt", "b.txt", "B.txt"},
       false,
       [](const std::string& r) {
         for (const char* name : {"C.txt", "a.txt", "b.txt", "B.txt"}) {
           testtree::WriteBytes(r + "\\" + name, "changed");
         }
       },
       [](const std::string& r, auto d, auto n) {
         return std::vector<std::string>{MismatchLine(r + "\\C.txt", d("C.txt"), n("C.txt")),
                                         MismatchLine(r + "\\a.txt", d("a.txt"), n("a.txt")),
                                         MismatchLine(r + "\\b.txt", d("b.txt"), n("b.txt")),
                                         MismatchLine(r + "\\B.txt", d("B.txt"), n("B.txt")),
                                         "操作完成",
                                         "",
                                         "*** 以下文件经过对比,没有匹配:",
                                         r + "\\a.txt",
                                         r + "\\b.txt",
                                         r + "\\B.txt",
                                         r + "\\C.txt",
                                         "***",
                                         "4" + kCompared,
                                         "4" + kMismatched,
                                         "4" + kEdited};
       }},
  };
#ifndef _WIN32
  // A link that leads to another computer is neither gone through nor opened, for an entry below
  // it or by the listing.
  scenarios.push_back(
      {"a link to another computer",
       {"a.txt"},
       false,
       [](const std::string& r) {
         std::string whyNot, text;
         ASSERT_TRUE(testtree::MakeFolderLink(r + "\\link", "\\\\server\\share", whyNot));
         testtree::ReadBytes(r + "\\" + CheckfileName, text);
         testtree::WriteBytes(r + "\\" + CheckfileName,
                              text + testtree::PeerDigest(r + "\\a.txt") + "|link\\x.txt\r\n");
       },
       [](const std::string& r, auto, auto) {
         return std::vector<std::string>{"OK: " + r + "\\a.txt",
                                         "指向其他计算机的路径,未打开: " + r + "\\link\\x.txt",
                                         "操作完成",
                                         "",
                                         "1" + kCompared,
                                         "1" + kFailed};
       }});
  // A folder the listing cannot enter: the tree was not seen whole, and the count says so.
  static std::string tooLong;
  scenarios.push_back({"a folder that cannot be listed", abc, false,
                       [](const std::string& r) { tooLong = testtree::MakeTooDeepChain(r); },
                       [](const std::string& r, auto, auto) {
                         return std::vector<std::string>{
                             "OK: " + r + "\\a.txt",
                             "OK: " + r + "\\b.txt",
                             "OK: " + r + "\\c.txt",
                             "操作完成",
                             "",
                             "3" + kCompared,
                             "一切正常!",
                             "*** 以下文件不在检查文件中,未进行对比:",
                             "无法列出文件夹: " + tooLong,
                             "***",
                             "0 个文件不在检查文件中(有文件夹无法列出,未查全)"};
                       }});
#endif

  for (const Scenario& s : scenarios) {
    SCOPED_TRACE(s.title);
    testtree::TempFolder tree("check");
    const std::string r = tree.Path();
    std::map<std::string, std::string> before = WriteTreeAndCheckfile(
        r, s.names, [&](std::string digest) { return s.capitalDigests ? Upper(digest) : digest; });
    s.change(r);
    const auto original = [&](std::string name) { return before[name]; };
    const auto now = [&](std::string name) { return testtree::PeerDigest(r + "\\" + name); };

    RecordingView view;
    view.abortFlag = true;  // left over from an earlier stop; a new run clears it
    const std::string checkfile = r + "\\" + CheckfileName;
    TCheckPass(view).Run(checkfile, TCheckOrigin::Chosen);

    std::vector<std::string> expected = {"对比MD5检查文件在   " + checkfile};
    for (const std::string& line : s.expected(r, original, now)) expected.push_back(line);
    EXPECT_EQ(view.pane, expected);
    // Only accepted entry lines pump and count for the progress; the other lines do not.
    const auto listed = static_cast<int>(LoadCheckfileEntries(checkfile, {}).size());
    EXPECT_EQ(std::count_if(
                  view.calls.begin(), view.calls.end(),
                  [](const std::string& call) { return call.rfind("Status 文件对比: ", 0) == 0; }),
              listed);
    EXPECT_GE(view.pumps, listed);
    EXPECT_EQ(view.doneBytes, view.totalBytes);  // what was listed, all digested
    EXPECT_FALSE(view.checkRunning);
    EXPECT_EQ(view.status, "");
  }
}

TEST(CheckPass, ShowsProgressBeforeEachFileAndStopsBeforeTheNext) {
  testtree::TempFolder tree("check-stop");
  const std::string r = tree.Path();
  WriteTreeAndCheckfile(r, {"a.txt", "b.txt", "c.txt"}, [](std::string d) { return d; });

  RecordingView view;
  view.pressStopWhen = [&](const std::string& status) {
    return status == "文件对比: 1; 对比: " + r + "\\b.txt";
  };
  const std::string checkfile = r + "\\" + CheckfileName;
  TCheckPass(view).Run(checkfile, TCheckOrigin::Chosen);

  EXPECT_EQ(view.pane, (std::vector<std::string>{"对比MD5检查文件在   " + checkfile,
                                                 "OK: " + r + "\\a.txt", "用户操作已中止"}));
  const std::vector<std::string> head = {"ClearPane",
                                         "ClearAbort",
                                         "CheckRunning",
                                         "Line 对比MD5检查文件在   " + checkfile,
                                         "Status 文件对比: 0; 对比: " + r + "\\a.txt",
                                         "Pump"};
  ASSERT_GE(view.calls.size(), head.size());
  EXPECT_EQ(std::vector<std::string>(view.calls.begin(), view.calls.begin() + head.size()), head);
  const std::vector<std::string> tail = {"Line 用户操作已中止", "Status ", "CheckIdle"};
  EXPECT_EQ(std::vector<std::string>(view.calls.end() - tail.size(), view.calls.end()), tail);
}

// A damaged entry line may stand for a changed file: it is counted, and the run is not all well.
// Nor is it over a path on another computer, which a list from strangers may name: such a path
// never reaches the file services. Our own lines cannot name one.
std::vector<std::string> g_opened;

TEST(CheckPass, LinesThatCannotBeVerifiedAreCountedAndNeverAllWell) {
  testtree::TempFolder tree("check-damaged");
  const std::string r = tree.Path();
  testtree::WriteBytes(r + "\\good.txt", "good");
  const std::string digest = testtree::PeerDigest(r + "\\good.txt");
  const std::string checkfile = r + "\\" + CheckfileName;
  // Past 10,000 bytes, and cut there it would name good.txt.
  std::string longName;
  for (int i = 0; i < 4996; ++i) longName += ".\\";
  longName += "good.txt\\deleted_folder\\gone.bin";
  testtree::WriteBytes(checkfile, "; header\r\n" + digest + "|good.txt\r\n" + digest.substr(1) +
                                      "|changed.txt\r\n" +          // a digit short
                                      digest + "changed.txt\r\n" +  // separator lost
                                      " ; not a comment\r\n" + std::string(1, '\0') + digest +
                                      "|changed.txt\r\n" +  // damaged by a NUL byte
                                      digest + "  ./good.txt\n" + digest + "|" + longName + "\r\n" +
                                      digest + digest + "  good.txt\r\n" +  // a SHA-256 line
                                      digest + "|\\\\server\\share\\own\n" + digest +
                                      "  //server/share/f\n" + digest +
                                      " *\\\\?\\UNC\\srv\\s\\g\n");
  g_opened.clear();
  const TDigestFile recording = [](const std::string& path, std::string& digest,
                                   THashProgress* progress, TFileFacts* facts) {
    g_opened.push_back(path);  // one worker: no other thread writes
    return HashFile(HASH_MD5, path, digest, progress, facts);
  };
  RecordingView view;
  TCheckPass(view, 1, recording).Run(checkfile, TCheckOrigin::Chosen);
  const std::string own = r + "\\\\\\server\\share\\own";
  EXPECT_EQ(
      view.pane,
      (std::vector<std::string>{
          "对比MD5检查文件在   " + checkfile, "OK: " + r + "\\good.txt", "OK: " + r + "\\good.txt",
          "错误:  无法打开文件 (" + r + "\\" + longName + ")", "错误:  无法打开文件 (" + own + ")",
          "指向其他计算机的路径,未打开: \\\\server\\share\\f",
          "指向其他计算机的路径,未打开: \\\\?\\UNC\\srv\\s\\g", "操作完成", "",
          "5 行无法识别,未进行对比", "2" + kCompared, "4" + kFailed,
          "检查文件列出了所在文件夹以外的文件,未查找新文件"}));
  EXPECT_EQ(g_opened.size(), 4u);
  EXPECT_EQ(g_opened.back(), own);
}

// A list without the mark whose names happen to be valid UTF-8 is read as UTF-8 first; the name
// of a missing file is shown in the encoding the list's other names were found in (GBK here).
TEST(CheckPass, MissingFileIsNamedInTheEncodingOfTheFoundOnes) {
  testtree::TempFolder tree("check-encoding");
  const std::string r = tree.Path();
  testtree::WriteBytes(r + u8"\\学.txt", "found");
  const std::string digest = testtree::PeerDigest(r + u8"\\学.txt");
  // 学 is D1 A7 in GBK, and 小学 D0 A1 D1 A7: as UTF-8 they read "ѧ" and "Сѧ".
  testtree::WriteBytes(r + "\\sums.md5",
                       digest + "  \xD1\xA7.txt\n" + digest + "  \xD0\xA1\xD1\xA7.txt\n");
  RecordingView view;
  TCheckPass(view).Run(r + "\\sums.md5", TCheckOrigin::Chosen);
  ASSERT_GE(view.pane.size(), 3u);
  EXPECT_EQ(view.pane[1], "OK: " + r + u8"\\学.txt");
  EXPECT_EQ(view.pane[2], "错误:  无法打开文件 (" + r + u8"\\小学.txt)");
}

TEST(CheckPass, MissingCheckfileThrowsWithTheViewIdle) {
  testtree::TempFolder tree("check-missing");
  const std::string path = tree.Path() + "\\" + CheckfileName;

  RecordingView view;
  try {
    TCheckPass(view).Run(path, TCheckOrigin::Chosen);
    ADD_FAILURE() << "no error for a missing checkfile";
  } catch (const ECheckfileError& error) {
    EXPECT_EQ(std::string(error.what()).rfind("Cannot open file \"" + path + "\". ", 0), 0u)
        << error.what();
  }
  EXPECT_TRUE(view.pane.empty());
  EXPECT_FALSE(view.checkRunning);
  EXPECT_EQ(view.status, "");
  EXPECT_EQ(view.calls.back(), "CheckIdle");
}

// After a check the update reads the new files only (the window run checks what it writes); a
// stop, and a write that fails, leave the old checkfile as it was.
std::atomic<int> g_reads{0};

TEST(UpdatePass, ReadsOnlyNewFilesAndLeavesTheCheckfileOnAStopOrAFailedWrite) {
  testtree::TempFolder tree("update");
  const std::string r = tree.Path(), checkfile = r + "\\" + CheckfileName;
  for (const char* name : {"same.txt", "gone.txt", "edited.txt"})
    testtree::WriteBytes(r + "\\" + name, name);
  RecordingView view;
  TMakePass(view, "1").Run(r);
  testtree::WriteBytes(r + "\\new.txt", "new");
  testtree::WriteBytes(r + "\\moved.txt", "gone.txt");
  testtree::RemoveFile(r + "\\gone.txt");
  testtree::WriteBytes(r + "\\edited.txt", "edited");
  std::string before, after;
  ASSERT_TRUE(testtree::ReadBytes(checkfile, before));
  TCheckPass check(view);
  check.Run(checkfile, TCheckOrigin::Chosen);
  const TUpdatePass::TPlan plan = TUpdatePass::Plan(*check.Outcome());
  EXPECT_EQ(std::vector<std::size_t>({plan.added, plan.removed, plan.edited, plan.kept}),
            std::vector<std::size_t>({2, 1, 1, 0}));

  const TDigestFile counting = [](const std::string& path, std::string& digest,
                                  THashProgress* progress, TFileFacts* facts) {
    ++g_reads;
    return HashFile(HASH_MD5, path, digest, progress, facts);
  };
  view.pressStopWhen = [](const std::string& status) { return !status.empty(); };
  TUpdatePass(view, "1", 1, counting).Run(*check.Outcome());
  EXPECT_EQ(view.pane.back(), "用户操作已中止");
  view.pressStopWhen = nullptr;
  platform::SetWriteLimitForTesting(0);
  EXPECT_THROW(TUpdatePass(view, "1").Run(*check.Outcome()), ECheckfileError);
  platform::SetWriteLimitForTesting(platform::NoWriteLimit);
  EXPECT_EQ(view.pane.back(), "检查文件保持原样,未更新");
  // A checkfile the user made read-only is not replaced.
  testtree::MakeReadOnly(checkfile, true);
  try {
    TUpdatePass(view, "1").Run(*check.Outcome());
    ADD_FAILURE() << "written over a read-only checkfile";
  } catch (const ECheckfileError& error) {
    EXPECT_EQ(std::string(error.what()), "检查文件为只读文件,未替换: " + checkfile);
  }
  EXPECT_TRUE(platform::IsReadOnlyFile(checkfile));
  testtree::MakeReadOnly(checkfile, false);
  ASSERT_TRUE(testtree::ReadBytes(checkfile, after));
  EXPECT_EQ(after, before);

  g_reads = 0;
  TUpdatePass(view, "1", 2, counting).Run(*check.Outcome());
  EXPECT_EQ(g_reads, 2);
  EXPECT_EQ(std::vector<std::string>(view.pane.end() - 5, view.pane.end()),
            (std::vector<std::string>{"已移动: " + r + "\\gone.txt -> " + r + "\\moved.txt",
                                      "1 个新文件已添加", "1 个文件已移动",
                                      "1 个被修改的文件采用新的MD5值",
                                      "操作完成.  检查文件保存为 " + checkfile}));
}

// The entry lines of the checkfile in `folder`, without its header.
std::string BodyOf(const std::string& folder) {
  std::string text;
  EXPECT_TRUE(testtree::ReadBytes(folder + "\\" + CheckfileName, text));
  std::size_t end = 0;
  for (int line = 0; line < 3; ++line) end = text.find('\n', end) + 1;
  return text.substr(end);
}

using TTreeStep = std::function<void(const std::string& folder)>;

// Writes the files, then makes the folder's checkfile where `make`.
TTreeStep Files(std::vector<std::pair<std::string, std::string>> contents, bool make = false) {
  return [=](const std::string& r) {
    for (const auto& [name, content] : contents) testtree::WriteBytes(r + "\\" + name, content);
    RecordingView maker;
    if (make) TMakePass(maker, "1").Run(r);
  };
}

// A tree made, changed, checked and changed again; the update then writes what a make of the
// folder writes now, with the counts before its last line, or (no counts) writes nothing.
struct UpdateCase {
  const char* title;
  TTreeStep make, change, afterCheck;
  bool acceptKept;
  std::vector<std::string> counts;
};

TEST(UpdatePass, WritesWhatAMakeWritesOfEveryFileTheCheckVerifiedAsItself) {
  const TTreeStep newFile = Files({{"new.txt", "new"}});
  const TTreeStep twoFiles = Files({{"a.txt", "a"}, {"b.txt", "b"}}, true);
  const UpdateCase cases[] = {
      // On a file system that tells them apart, each keeps its own digest.
      {"names equal but for letter case",
       Files({{"a.txt", "lower"}, {"A.txt", "UPPER!!"}}, true),
       newFile,
       Files({}),
       false,
       {"1 个新文件已添加"}},
      // Both readings of C3 A9 name files (茅 in GBK, é in UTF-8): each is read as a new file is,
      // and counted for the progress, as the check reads both.
      {"a name that reads as two files",
       [](const std::string& r) {
         Files({{u8"茅.txt", std::string(1000, 'm')}, {u8"é.txt", std::string(3000, 'e')}})(r);
         Files({{CheckfileName, testtree::PeerDigest(r + u8"\\茅.txt") + "|\xC3\xA9.txt\r\n"}})(r);
       },
       newFile,
       Files({}),
       false,
       {"1 个新文件已添加", "2 个名称有歧义的文件重新计算MD5值"}},
      {"edited between the check and the update",
       twoFiles,
       newFile,
       Files({{"b.txt", "b, edited since the check"}}),
       false,
       {"1 个新文件已添加", "1 个被修改的文件采用新的MD5值"}},
      // Offered for a file that may be damaged alone, and taken where the user accepts it.
      {"a possibly damaged file accepted",
       twoFiles,
       [](const std::string& r) {
         testtree::WriteBytes(r + "\\b.txt", "b, restored from elsewhere");
         testtree::SetWriteTimeFrom(r + "\\b.txt", r + "\\" + CheckfileName, -10);
       },
       Files({}),
       true,
       {"1 个可能已损坏的文件采用新的MD5值"}},
      {"an empty file",
       Files({{"a.txt", "a"}, {"empty0.txt", ""}}, true),
       Files({{"empty1.txt", ""}}),
       Files({}),
       false,
       {"1 个新文件已添加"}},
      // Written after the check (made again with another file), the checkfile is left as it is.
      {"a checkfile changed since the check",
       twoFiles,
       newFile,
       Files({{"c.txt", "c"}}, true),
       false,
       {}},
  };
  for (const UpdateCase& c : cases) {
    SCOPED_TRACE(c.title);
    testtree::TempFolder tree("update-table");
    const std::string r = tree.Path(), checkfile = r + "\\" + CheckfileName;
    c.make(r);
    c.change(r);
    RecordingView view;
    TCheckPass check(view);
    check.Run(checkfile, TCheckOrigin::Chosen);
    EXPECT_EQ(view.doneBytes, view.totalBytes);
    if (!TUpdatePass::Plan(*check.Outcome()).possible) {
      ADD_FAILURE() << "no update offered";
      continue;
    }
    c.afterCheck(r);
    const std::string before = BodyOf(r);
    if (c.counts.empty()) {
      EXPECT_THROW(TUpdatePass(view, "1").Run(*check.Outcome()), ECheckfileError);
      EXPECT_EQ(view.pane.back(), "检查文件在检查之后已被修改,未更新: " + checkfile);
      EXPECT_EQ(BodyOf(r), before);
      continue;
    }
    TUpdatePass(view, "1").Run(*check.Outcome(), c.acceptKept);
    std::vector<std::string> tail = c.counts;
    tail.push_back("操作完成.  检查文件保存为 " + checkfile);
    EXPECT_EQ(std::vector<std::string>(view.pane.end() - tail.size(), view.pane.end()), tail);
    const std::string updated = BodyOf(r);
    TMakePass(view, "1").Run(r);
    EXPECT_EQ(updated, BodyOf(r));
  }
}

// A worker stuck in a read that never ends (a dead share) does not keep a stopped run from
// ending once the window is asked to close.
TEST(DigestPipeline, StopAndCloseLeaveAReadThatNeverEnds) {
  static std::atomic<int> read{0};  // 1: inside the read, 2: the read may end
  const TDigestFile neverEnds = [](const std::string&, std::string&, THashProgress*, TFileFacts*) {
    for (read = 1; read != 2;) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return HASH_ERR_READ_FILE;
  };
  RecordingView view;
  {
    TPipelineOptions options;
    options.digestFile = neverEnds;
    TDigestPipeline pipeline(2, options);
    pipeline.Queue("dead-share-file");
    while (read != 1) std::this_thread::yield();
    view.abortFlag = view.closeFlag = true;
    TDigestResult result;
    pipeline.Take(view, result);
    EXPECT_EQ(result.Code, HASH_ERR_ABANDONED);
  }  // would wait here for the read if it were not left behind
  read = 2;
}

// While the run is paused no worker starts a read; once it goes on, the queued files are digested.
// A file that grew since it was listed grows the total with what is read beyond its listed size.
TEST(DigestPipeline, StartsNoReadWhilePaused) {
  static std::atomic<int> reads{0};
  std::atomic<bool> paused{true};
  TPipelineOptions options;
  options.digestFile = [](const std::string&, std::string&, THashProgress* progress,
                          TFileFacts* facts) {
    ++reads;
    progress->KeepReading(5000);
    facts->Size = 8000;
    return HASH_ERR_NONE;
  };
  options.paused = &paused;
  options.progress = std::make_shared<TByteProgress>();
  options.progress->total = 3 * 1000;
  TDigestPipeline pipeline(2, options);
  for (const char* name : {"a", "b", "c"}) pipeline.Queue(name, std::string(), 1000);
  std::this_thread::sleep_for(std::chrono::milliseconds(200));  // room for a wrong read
  EXPECT_EQ(reads, 0);
  paused = false;
  RecordingView view;
  TDigestResult result;
  for (const char* name : {"a", "b", "c"}) {
    pipeline.Take(view, result);
    EXPECT_EQ(result.Path, name);
  }
  EXPECT_EQ(options.progress->done, 3u * 8000);
  EXPECT_EQ(options.progress->total, 3u * 8000);
}

}  // namespace
