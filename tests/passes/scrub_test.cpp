// The rolling scrub's memory and plan: the order and limits of a night's reading, the state's
// text and its reconciliation with a changed checkfile, and a state write that fails or is cut.
#include <gtest/gtest.h>

#include <algorithm>

#include "catalogue/make_pass.h"
#include "catalogue/scrub_pass.h"
#include "catalogue/scrub_plan.h"
#include "catalogue/scrub_state.h"
#include "digest/digest_service.h"
#include "platform/drive.h"
#include "platform/output_file.h"
#include "tests/passes/recording_view.h"
#include "tests/passes/test_tree.h"

#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

constexpr std::int64_t kDay = 86400;
constexpr std::int64_t kNow = 20000 * kDay;
const std::string kDigest = "900150983cd24fb0d6963f7d28e17f72";

// Entries named a, b, c... verified that many days ago (-1: never; a "d" suffix: found damaged).
TScrubState StateOf(const std::vector<std::string>& ages) {
  TScrubState state;
  for (std::size_t i = 0; i < ages.size(); ++i) {
    TScrubEntry entry{std::string(1, char('a' + i)), kDigest};
    if (ages[i] != "-1") {
      entry.verifiedAt = kNow - std::stoll(ages[i]) * kDay;
      entry.result = ages[i].back() == 'd' ? TScrubResult::Damaged : TScrubResult::Matched;
    }
    state.entries.push_back(entry);
  }
  return state;
}

TEST(Scrub, PlanReadsDamagedThenNeverVerifiedThenOldestWithinItsLimits) {
  const struct {
    const char* what;
    std::vector<std::string> ages;
    std::vector<std::uint64_t> sizes;
    TScrubLimits limits;
    std::string planned;  // the entries' names in reading order
  } kCases[] = {
      {"never verified first, in order; then the oldest",
       {"3", "-1", "9", "-1", "1"},
       {1, 1, 1, 1, 1},
       {60},
       "bdc"},
      {"30% of ten equal files is three",
       std::vector<std::string>(10, "-1"),
       std::vector<std::uint64_t>(10, 100),
       {30},
       "abc"},
      {"a found damaged file comes first, even when recent",
       {"5", "0d", "-1"},
       {1, 1, 1},
       {30},
       "b"},
      {"older than 4 days only; damaged always",
       {"3", "5", "1d", "9", "-1"},
       {1, 1, 1, 1, 1},
       {100, 4},
       "cedb"},
      {"the share counts bytes; the last file may go past it",
       {"-1", "-1", "-1"},
       {10, 80, 10},
       {20},
       "ab"},
      {"empty files come along free", {"-1", "-1", "-1"}, {100, 0, 100}, {10}, "ab"},
  };
  for (const auto& c : kCases) {
    const TScrubPlan plan = PlanScrub(StateOf(c.ages), c.sizes, c.limits, kNow);
    std::string planned;
    for (std::size_t i : plan.entries) planned += char('a' + i);
    EXPECT_EQ(c.planned, planned) << c.what;
  }
}

TEST(Scrub, StateReadsBackAndFollowsTheCheckfile) {
  TScrubState state = StateOf({"2", "-1", "7d"});
  state.checkfile = u8"D:\\档案\\HTSUM-sums.MD5";
  state.volume = "1A2B3C4D";
  state.entries[1].name = "\xB5\xB5.txt";  // GBK bytes, no UTF-8: written in hexadecimal
  const std::string text = state.Text();
  EXPECT_NE(text.find("\r\n" + UtcText(kNow - 7 * kDay) + " damaged - " + kDigest + " c\r\n"),
            std::string::npos)
      << text;
  TScrubState read;
  std::string why;
  ASSERT_TRUE(TScrubState::Parse(text, read, why)) << why;
  EXPECT_EQ(read.Text(), text);
  EXPECT_EQ(read.entries[1].name, state.entries[1].name);
  EXPECT_EQ(read.OldestVerification(), kNow - 7 * kDay);
  EXPECT_EQ(read.NeverVerified(), 1u);

  // c's digest changed (an update took a new one); b is gone; d is new.
  read.Reconcile({{"a", kDigest}, {"c", std::string(32, '0')}, {"d", kDigest}});
  ASSERT_EQ(read.entries.size(), 3u);
  EXPECT_EQ(read.entries[0].verifiedAt, kNow - 2 * kDay);
  EXPECT_EQ(read.entries[1].verifiedAt, 0);
  EXPECT_EQ(read.entries[1].result, TScrubResult::None);
  EXPECT_EQ(read.entries[2].verifiedAt, 0);

  // Texts a scrub cannot trust are refused, never half read.
  for (const std::string& bad :
       {text.substr(0, text.size() - 5), "; Hashtally scrub state, format 2\r\n" + text,
        text + "yesterday ok 1 " + kDigest + " e\r\n", text + "never ok 1 " + kDigest + " e\r\n",
        std::string("\x00\x00\x00", 3)})
    EXPECT_FALSE(TScrubState::Parse(bad, read, why)) << bad;
}

TEST(Scrub, StateWriteThatFailsLeavesTheStateBefore) {
  testtree::TempFolder folder("scrub");
  const std::string target = folder.Path() + "\\state.txt";
  unsigned long error = 0;
  ASSERT_TRUE(platform::ReplaceWithContent(target, "before", error));
  for (std::size_t cut : {0u, 3u}) {  // a full disk: nothing, or part of the text goes out
    platform::SetWriteLimitForTesting(cut);
    EXPECT_FALSE(platform::ReplaceWithContent(target, "after, longer", error));
    platform::SetWriteLimitForTesting(platform::NoWriteLimit);
    std::string bytes;
    ASSERT_TRUE(testtree::ReadBytes(target, bytes));
    EXPECT_EQ("before", bytes);
  }
  EXPECT_TRUE(platform::ReplaceWithContent(target, "after", error));
  std::string bytes;
  ASSERT_TRUE(testtree::ReadBytes(target, bytes));
  EXPECT_EQ("after", bytes);
}

#ifndef _WIN32
// The state file of the scrub below, and how many of its entries it holds verified at `time`
// (at any time: 0); none where it cannot be read.
std::string gStateFile;
std::size_t VerifiedInStateFile(std::int64_t time = 0) {
  std::string text, why;
  TScrubState state;
  if (!testtree::ReadBytes(gStateFile, text) || !TScrubState::Parse(text, state, why)) return 0;
  return std::count_if(state.entries.begin(), state.entries.end(), [&](const TScrubEntry& entry) {
    return time == 0 ? entry.verifiedAt != 0 : entry.verifiedAt == time;
  });
}

// A scrub killed from outside keeps every verification it saved, its state whole; the next one
// goes on from there. (Saved after every file here, as it is once a minute.)
TEST(Scrub, AKilledScrubKeepsWhatItSavedAndTheNextGoesOnFromThere) {
  testtree::TempFolder tree("scrub-tree"), states("scrub-states");
  for (int i = 0; i < 10; ++i)
    testtree::WriteBytes(tree.Path() + "\\f" + std::to_string(i) + ".bin", std::string(1000, 'x'));
  RecordingView maker;
  TMakePass(maker, "0.2.1.10").Run(tree.Path());
  const std::string checkfile = tree.Path() + "\\HTSUM-sums.MD5";
  TScrubRequest request;
  request.stateFolder = states.Path();
  request.limits.percent = 100;
  const auto scrub = [&](std::int64_t now, double percent, TDigestFile digest) {
    RecordingView view;
    TScrubPass pass(view, 1, digest);
    pass.utcNow = [now] { return now; };
    pass.saveInterval = std::chrono::seconds(0);
    request.limits.percent = percent;
    pass.Run(checkfile, request);
  };
  gStateFile =
      states.Path() + "\\" + ScrubStateFileName(checkfile, platform::VolumeSerial(checkfile));
  const pid_t child = fork();
  if (child == 0) {  // killed as it digests its fourth file, once the first three are saved
    scrub(1000, 100,
          [](const std::string& path, std::string& digest, THashProgress* progress,
             TFileFacts* facts) {
            static int files = 0;
            if (++files == 4) {
              for (int wait = 0; wait < 1000 && VerifiedInStateFile() < 3; ++wait) usleep(10000);
              _exit(0);
            }
            return HashFile(HASH_MD5, path, digest, progress, facts);
          });
    _exit(1);
  }
  int status = 0;
  ASSERT_EQ(child, waitpid(child, &status, 0));
  EXPECT_EQ(3u, VerifiedInStateFile(1000));
  scrub(2000, 30, nullptr);  // three files: none of those the killed scrub verified
  EXPECT_EQ(3u, VerifiedInStateFile(1000));
  EXPECT_EQ(3u, VerifiedInStateFile(2000));
}
#endif

}  // namespace
