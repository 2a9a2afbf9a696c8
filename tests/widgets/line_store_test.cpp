// The result pane's text: lines kept whole across the store's blocks, the text of a selection
// joined with CR LF as an edit box copies it, select all, and positions in UTF-16 units.
#include "widgets/line_store.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

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
  for (std::size_t i = 0; i < lines.size(); ++i) ASSERT_EQ(lines[i], store.Line(i)) << i;
  EXPECT_EQ((TTextPosition{lines.size() - 1, 0}), store.End());
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

  // 10 units, CR LF, CR LF, then 一 切 and a surrogate pair and "!".
  EXPECT_EQ(19u, store.Utf16Length());
  const std::vector<std::pair<std::size_t, TTextPosition>> positions = {
      {0, {0, 0}},  {5, {0, 7}},   {10, {0, 14}}, {12, {1, 0}}, {14, {2, 0}},
      {16, {2, 6}}, {18, {2, 10}}, {19, {2, 11}}, {99, {2, 11}}};
  for (const auto& [index, position] : positions)
    EXPECT_EQ(position, store.PositionAtUtf16(index)) << index;
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
}
