// The text of a result pane: lines of UTF-8 held compactly (blocks of bytes and one offset per
// line, no object per line), positions in it, and the text of a selection, joined with CR LF as a
// read-only edit box gives it. Plain C++, so that the pane's text handling is tested on any host.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace widgets {

// A place between two characters: a line and a byte offset into that line's UTF-8.
struct TTextPosition {
  std::size_t line = 0;
  std::size_t offset = 0;

  friend bool operator==(TTextPosition a, TTextPosition b) {
    return a.line == b.line && a.offset == b.offset;
  }
  friend bool operator!=(TTextPosition a, TTextPosition b) { return !(a == b); }
  friend bool operator<(TTextPosition a, TTextPosition b) {
    return a.line != b.line ? a.line < b.line : a.offset < b.offset;
  }
};

// The selected stretch: it runs from the anchor, where it was started, to the caret, which moves.
struct TSelection {
  TTextPosition anchor;
  TTextPosition caret;

  TTextPosition Begin() const { return caret < anchor ? caret : anchor; }
  TTextPosition End() const { return caret < anchor ? anchor : caret; }
  bool Empty() const { return anchor == caret; }
};

class TLineStore {
 public:
  void Clear();
  // Adds `line` (valid UTF-8 without line breaks) after the last line.
  void Append(std::string_view line);

  std::size_t LineCount() const { return starts_.size(); }
  std::string_view Line(std::size_t index) const;
  // Length of the whole text, lines joined with CR LF, in UTF-16 units.
  std::size_t Utf16Length() const { return utf16Length_; }
  // The position after the last character.
  TTextPosition End() const;
  TSelection All() const { return {TTextPosition{}, End()}; }

  // Hands the text from `from` to `to` (from <= to, both in the text) to `piece` in order, as
  // string_views of the lines' parts and of the "\r\n" between lines.
  template <typename Piece>
  void VisitText(TTextPosition from, TTextPosition to, Piece piece) const {
    for (std::size_t line = from.line; line <= to.line && line < LineCount(); ++line) {
      if (line != from.line) piece(std::string_view("\r\n"));
      const std::string_view text = Line(line);
      const std::size_t begin = line == from.line ? from.offset : 0;
      const std::size_t end = line == to.line ? to.offset : text.size();
      piece(text.substr(begin, end - begin));
    }
  }
  std::string Text(TTextPosition from, TTextPosition to) const;
  std::string Text(const TSelection& selection) const {
    return Text(selection.Begin(), selection.End());
  }

  // The position `index` UTF-16 units into the whole text (CR LF counting two), as an edit box
  // counts; past the end, the end. Inside a surrogate pair, the pair's start.
  TTextPosition PositionAtUtf16(std::size_t index) const;
  // The other way: the UTF-16 index of a position, and of a line's start.
  std::size_t Utf16Index(TTextPosition position) const;
  std::size_t LineStartUtf16(std::size_t line) const;

 private:
  // Lines are stored whole in blocks that never move once made, so growing never copies the text
  // held so far nor needs twice its room for a moment. The blocks are small enough to come from
  // the heap's free room (the checkfile's lines, say, freed after loading) rather than as new
  // memory from the system.
  static constexpr std::size_t kBlockSize = 64 << 10;
  struct TBlock {
    std::unique_ptr<char[]> bytes;
    std::size_t capacity = 0;
    std::size_t used = 0;
    std::size_t firstLine = 0;
  };
  std::size_t BlockOf(std::size_t line) const;

  // Every 64th line's UTF-16 index is kept, so that an edit box's index is found by reading at
  // most 63 lines, in a text of any length, at a word per 64 lines.
  static constexpr std::size_t kCheckpointLines = 64;

  std::vector<TBlock> blocks_;
  std::vector<std::uint32_t> starts_;     // each line's first byte within its block
  std::vector<std::size_t> checkpoints_;  // UTF-16 index of lines 0, 64, 128, ...
  std::size_t utf16Length_ = 0;
};

// UTF-8 within one line.
// The character at `offset` (U+FFFD for a byte that starts no valid sequence); `next` receives
// the offset after it.
char32_t DecodeCharacter(std::string_view text, std::size_t offset, std::size_t& next);
std::size_t NextCharacter(std::string_view text, std::size_t offset);
std::size_t PreviousCharacter(std::string_view text, std::size_t offset);
std::size_t Utf16Units(std::string_view text);
// A character and the combining marks after it (accents, vowel signs, variation selectors, the
// joiner and skin tones of emoji) are one cluster: drawn as one, measured as one, and never split
// by the caret, as in an edit box. The steps below go from one cluster boundary to the next.
bool IsCombiningMark(char32_t c);
std::size_t NextCluster(std::string_view text, std::size_t offset);
std::size_t PreviousCluster(std::string_view text, std::size_t offset);
// The start of the cluster that holds the character at `offset`.
std::size_t ClusterStart(std::string_view text, std::size_t offset);
// The run of blanks or of other clusters that holds the cluster at `offset` (at the end of the
// line, the one before it): what a double click selects. Returns its begin and end offsets.
std::pair<std::size_t, std::size_t> WordAround(std::string_view text, std::size_t offset);

}  // namespace widgets
