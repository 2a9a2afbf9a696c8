// The result pane's text: lines kept whole across the store's blocks and in a saved report, the
// text of a selection joined with CR LF as an edit box copies it, select all, and positions in
// UTF-16 units.
#include "widgets/line_store.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>
#include <vector>

#include "platform/output_file.h"
#include "platform/path.h"
#include "widgets/report_file.h"

using widgets::TLineStore;
using widgets::TSelection;
using widgets::TTextPosition;

TEST(LineStore, KeepsEveryLineAcrossBlocks) {
  // Many short lines and one longer than a block, so that lines end at every kind of boundary.
  std::vector<std::string> lines;
  for (int i = 0; i < 200000; ++i)
    lines.push_back(i == 70000 ? std::string(3 << 20, 'x') : u8"文件: 甲" + std::to_string(i));
  lines.push_back("");
  TLineStore store;
  for (const std::string& line : lines) store.Append(line);
  ASSERT_EQ(lines.size(), store.LineCount());
  std::size_t start = 0;  // each line's first UTF-16 index, as an edit box counts
  for (std::size_t i = 0; i < lines.size(); ++i) {
    ASSERT_EQ(lines[i], store.Line(i)) << i;
    ASSERT_EQ(start, store.LineStartUtf16(i)) << i;
    ASSERT_EQ((TTextPosition{i, 0}), store.PositionAtUtf16(start)) << i;
    start += widgets::Utf16Units(lines[i]) + 2;
  }
  EXPECT_EQ((TTextPosition{lines.size() - 1, 0}), store.End());

  // Saved as a report, in pieces: the whole text behind the byte-order mark; where the medium
  // fills up half-way, or the user made the report read-only, nothing in place of the old file.
  const std::filesystem::path native =
      std::filesystem::temp_directory_path() /
      ("ht-report-" + std::to_string(platform::CurrentProcessId()));
  const auto writable = std::filesystem::perms::owner_write | std::filesystem::perms::group_write |
                        std::filesystem::perms::others_write;
  std::ofstream(native, std::ios::binary) << "old";
  for (int attempt = 0; attempt < 3; ++attempt) {  // a full medium, a read-only file, a save
    platform::SetWriteLimitForTesting(attempt == 0 ? std::size_t{3} << 20 : platform::NoWriteLimit);
    if (attempt == 1)
      std::filesystem::permissions(native, writable, std::filesystem::perm_options::remove);
    unsigned long error = 0;
    const bool saved = widgets::SaveReport(store, platform::CorePath(native.string()), error);
    platform::SetWriteLimitForTesting(platform::NoWriteLimit);
    if (attempt == 1) {
      EXPECT_EQ(error, widgets::kReadOnlyReport);
      std::filesystem::permissions(native, writable, std::filesystem::perm_options::add);
    }
    std::ifstream in(native, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), {}};
    EXPECT_EQ(attempt == 2, saved);
    EXPECT_TRUE(bytes == (saved ? "\xEF\xBB\xBF" + store.Text(store.All()) : "old")) << attempt;
  }
  std::filesystem::remove(native);
  store.Clear();
  EXPECT_EQ(0u, store.LineCount());
  EXPECT_EQ("", store.Text(store.All()));
}

TEST(LineStore, SelectionsAsTextAndUtf16Positions) {
  TLineStore store;
  store.Append(u8"OK: 甲乙.txt");
  store.Append("");
  store.Append(u8"一切\U0001F600!");
  const std::string all = u8"OK: 甲乙.txt\r\n\r\n一切\U0001F600!";
  EXPECT_EQ(all, store.Text(store.All()));
  // From 乙 in the first line to behind 切 in the last, made forwards and backwards.
  const TSelection forwards{{0, 7}, {2, 6}};
  EXPECT_EQ(u8"乙.txt\r\n\r\n一切", store.Text(forwards));
  EXPECT_EQ(store.Text(forwards), store.Text(TSelection{forwards.caret, forwards.anchor}));
  EXPECT_EQ("", store.Text(TSelection{{2, 3}, {2, 3}}));

  // 10 units, CR LF, CR LF, then 一 切 and a surrogate pair and "!". Each index, the position it
  // falls in, and that position's own index: inside a pair or a line break, the start of it.
  EXPECT_EQ(19u, store.Utf16Length());
  const std::vector<std::tuple<std::size_t, TTextPosition, std::size_t>> positions = {
      {0, {0, 0}, 0},    {5, {0, 7}, 5},    {10, {0, 14}, 10}, {11, {0, 14}, 10},
      {12, {1, 0}, 12},  {14, {2, 0}, 14},  {16, {2, 6}, 16},  {17, {2, 6}, 16},
      {18, {2, 10}, 18}, {19, {2, 11}, 19}, {99, {2, 11}, 19}};
  for (const auto& [index, position, back] : positions) {
    EXPECT_EQ(position, store.PositionAtUtf16(index)) << index;
    EXPECT_EQ(back, store.Utf16Index(position)) << index;
  }
}

TEST(LineStore, CharacterStepsAndWords) {
  const std::string line = u8"OK: 甲乙.txt  \U0001F600";
  EXPECT_EQ(4u, widgets::PreviousCharacter(line, 7));
  EXPECT_EQ(10u, widgets::NextCharacter(line, 7));
  EXPECT_EQ(16u, widgets::PreviousCharacter(line, 20));
  EXPECT_EQ(20u, widgets::NextCharacter(line, 16));
  using Word = std::pair<std::size_t, std::size_t>;
  EXPECT_EQ(Word(4, 14), widgets::WordAround(line, 7));  // the name, up to the blanks
  EXPECT_EQ(Word(14, 16), widgets::WordAround(line, 15));
  EXPECT_EQ(Word(16, 20), widgets::WordAround(line, 20));  // at the end: the last word

  // A character and its marks are one step: e with an acute accent, Devanagari ki (a vowel sign
  // that takes room), a thumb with a skin tone. Inside one, a step or a word starts at its base.
  const std::string marked = u8"e\u0301t \u0915\u093F \U0001F44D\U0001F3FD!";
  const std::vector<std::size_t> clusters = {0, 3, 4, 5, 11, 12, 20, 21};
  for (std::size_t i = 0; i + 1 < clusters.size(); ++i) {
    EXPECT_EQ(clusters[i + 1], widgets::NextCluster(marked, clusters[i])) << i;
    EXPECT_EQ(clusters[i], widgets::PreviousCluster(marked, clusters[i + 1])) << i;
  }
  EXPECT_EQ(0u, widgets::ClusterStart(marked, 1));
  EXPECT_EQ(12u, widgets::ClusterStart(marked, 16));
  EXPECT_EQ(Word(0, 4), widgets::WordAround(marked, 1));
  EXPECT_EQ(Word(12, 21), widgets::WordAround(marked, 21));
}
