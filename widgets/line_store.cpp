// The pane's line store and its UTF-8 helpers; see line_store.h.
#include "widgets/line_store.h"

#include <algorithm>
#include <cstring>

namespace widgets {

namespace {

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }
bool IsBlank(char32_t c) { return c == U' ' || c == U'\t' || c == 0x3000; }

}  // namespace

void TLineStore::Clear() {
  std::vector<TBlock>().swap(blocks_);
  std::vector<std::uint32_t>().swap(starts_);
  utf16Length_ = 0;
}

void TLineStore::Append(std::string_view line) {
  if (blocks_.empty() || blocks_.back().capacity - blocks_.back().used < line.size()) {
    TBlock block;
    block.capacity = std::max(kBlockSize, line.size());
    // Left uninitialised: the system gives the block's pages room only as they are written.
    block.bytes.reset(new char[block.capacity]);
    block.firstLine = LineCount();
    blocks_.push_back(std::move(block));
  }
  TBlock& block = blocks_.back();
  if (!line.empty()) std::memcpy(block.bytes.get() + block.used, line.data(), line.size());
  starts_.push_back(static_cast<std::uint32_t>(block.used));
  block.used += line.size();
  utf16Length_ += Utf16Units(line) + (LineCount() > 1 ? 2 : 0);
}

std::size_t TLineStore::BlockOf(std::size_t line) const {
  const auto after = std::upper_bound(
      blocks_.begin(), blocks_.end(), line,
      [](std::size_t index, const TBlock& block) { return index < block.firstLine; });
  return static_cast<std::size_t>(after - blocks_.begin()) - 1;
}

std::string_view TLineStore::Line(std::size_t index) const {
  const std::size_t b = BlockOf(index);
  const TBlock& block = blocks_[b];
  const bool lastInBlock =
      index + 1 == LineCount() || (b + 1 < blocks_.size() && blocks_[b + 1].firstLine == index + 1);
  const std::size_t end = lastInBlock ? block.used : starts_[index + 1];
  return std::string_view(block.bytes.get() + starts_[index], end - starts_[index]);
}

TTextPosition TLineStore::End() const {
  if (LineCount() == 0) return {};
  return {LineCount() - 1, Line(LineCount() - 1).size()};
}

std::string TLineStore::Text(TTextPosition from, TTextPosition to) const {
  std::string text;
  VisitText(from, to, [&text](std::string_view piece) { text += piece; });
  return text;
}

TTextPosition TLineStore::PositionAtUtf16(std::size_t index) const {
  for (std::size_t line = 0; line < LineCount(); ++line) {
    const std::string_view text = Line(line);
    std::size_t offset = 0;
    while (offset < text.size()) {
      const std::size_t next = NextCharacter(text, offset);
      const std::size_t units = Utf16Units(text.substr(offset, next - offset));
      if (index < units) return {line, offset};
      index -= units;
      offset = next;
    }
    if (index < 2) return {line, offset};  // at the line break (or inside it)
    index -= 2;
  }
  return End();
}

char32_t DecodeCharacter(std::string_view text, std::size_t offset, std::size_t& next) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(offset);
  next = offset + 1;
  if (lead < 0x80) return lead;
  const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
  if (length == 0 || lead > 0xF4 || offset + length > text.size()) return 0xFFFD;
  char32_t c = lead & (0x7F >> length);
  for (std::size_t i = 1; i < length; ++i) {
    if (!IsContinuation(byte(offset + i))) return 0xFFFD;
    c = (c << 6) | (byte(offset + i) & 0x3F);
  }
  static const char32_t kSmallest[5] = {0, 0, 0x80, 0x800, 0x10000};
  if (c < kSmallest[length] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return 0xFFFD;
  next = offset + length;
  return c;
}

std::size_t NextCharacter(std::string_view text, std::size_t offset) {
  std::size_t next = offset;
  if (offset < text.size()) DecodeCharacter(text, offset, next);
  return next;
}

std::size_t PreviousCharacter(std::string_view text, std::size_t offset) {
  // The farthest start from which one decoding step ends at `offset`: a lone byte also decodes
  // in one step, so the nearest start would split a valid character.
  for (std::size_t back = std::min<std::size_t>(4, offset); back > 1; --back)
    if (NextCharacter(text, offset - back) == offset) return offset - back;
  return offset == 0 ? 0 : offset - 1;
}

std::size_t Utf16Units(std::string_view text) {
  std::size_t units = 0;
  for (std::size_t offset = 0, next = 0; offset < text.size(); offset = next)
    units += DecodeCharacter(text, offset, next) > 0xFFFF ? 2 : 1;
  return units;
}

std::pair<std::size_t, std::size_t> WordAround(std::string_view text, std::size_t offset) {
  if (text.empty()) return {0, 0};
  if (offset >= text.size()) offset = PreviousCharacter(text, text.size());
  std::size_t next = 0;
  const bool blank = IsBlank(DecodeCharacter(text, offset, next));
  std::size_t begin = offset;
  while (begin > 0) {
    const std::size_t previous = PreviousCharacter(text, begin);
    if (IsBlank(DecodeCharacter(text, previous, next)) != blank) break;
    begin = previous;
  }
  std::size_t end = offset;
  while (end < text.size() && IsBlank(DecodeCharacter(text, end, next)) == blank) end = next;
  return {begin, end};
}

}  // namespace widgets
