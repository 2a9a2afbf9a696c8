// The pane's line store and its UTF-8 helpers; see line_store.h.
#include "widgets/line_store.h"

#include <algorithm>
#include <cstring>

namespace widgets {

namespace {

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }
bool IsBlank(char32_t c) { return c == U' ' || c == U'\t' || c == 0x3000; }

// The marks of Unicode 14 (general categories Mn, Mc and Me), neighbouring ranges joined across
// unassigned code points, with the zero-width joiner and the emoji skin tones, which attach to the
// character before them as well.
struct TRange {
  char32_t first;
  char32_t last;
};
constexpr TRange kMarks[] = {
    {0x0300, 0x036F},   {0x0483, 0x0489},   {0x0591, 0x05BD},   {0x05BF, 0x05BF},
    {0x05C1, 0x05C2},   {0x05C4, 0x05C5},   {0x05C7, 0x05C7},   {0x0610, 0x061A},
    {0x064B, 0x065F},   {0x0670, 0x0670},   {0x06D6, 0x06DC},   {0x06DF, 0x06E4},
    {0x06E7, 0x06E8},   {0x06EA, 0x06ED},   {0x0711, 0x0711},   {0x0730, 0x074A},
    {0x07A6, 0x07B0},   {0x07EB, 0x07F3},   {0x07FD, 0x07FD},   {0x0816, 0x0819},
    {0x081B, 0x0823},   {0x0825, 0x0827},   {0x0829, 0x082D},   {0x0859, 0x085B},
    {0x0898, 0x089F},   {0x08CA, 0x08E1},   {0x08E3, 0x0903},   {0x093A, 0x093C},
    {0x093E, 0x094F},   {0x0951, 0x0957},   {0x0962, 0x0963},   {0x0981, 0x0983},
    {0x09BC, 0x09BC},   {0x09BE, 0x09CD},   {0x09D7, 0x09D7},   {0x09E2, 0x09E3},
    {0x09FE, 0x0A03},   {0x0A3C, 0x0A51},   {0x0A70, 0x0A71},   {0x0A75, 0x0A75},
    {0x0A81, 0x0A83},   {0x0ABC, 0x0ABC},   {0x0ABE, 0x0ACD},   {0x0AE2, 0x0AE3},
    {0x0AFA, 0x0B03},   {0x0B3C, 0x0B3C},   {0x0B3E, 0x0B57},   {0x0B62, 0x0B63},
    {0x0B82, 0x0B82},   {0x0BBE, 0x0BCD},   {0x0BD7, 0x0BD7},   {0x0C00, 0x0C04},
    {0x0C3C, 0x0C3C},   {0x0C3E, 0x0C56},   {0x0C62, 0x0C63},   {0x0C81, 0x0C83},
    {0x0CBC, 0x0CBC},   {0x0CBE, 0x0CD6},   {0x0CE2, 0x0CE3},   {0x0D00, 0x0D03},
    {0x0D3B, 0x0D3C},   {0x0D3E, 0x0D4D},   {0x0D57, 0x0D57},   {0x0D62, 0x0D63},
    {0x0D81, 0x0D83},   {0x0DCA, 0x0DDF},   {0x0DF2, 0x0DF3},   {0x0E31, 0x0E31},
    {0x0E34, 0x0E3A},   {0x0E47, 0x0E4E},   {0x0EB1, 0x0EB1},   {0x0EB4, 0x0EBC},
    {0x0EC8, 0x0ECD},   {0x0F18, 0x0F19},   {0x0F35, 0x0F35},   {0x0F37, 0x0F37},
    {0x0F39, 0x0F39},   {0x0F3E, 0x0F3F},   {0x0F71, 0x0F84},   {0x0F86, 0x0F87},
    {0x0F8D, 0x0FBC},   {0x0FC6, 0x0FC6},   {0x102B, 0x103E},   {0x1056, 0x1059},
    {0x105E, 0x1060},   {0x1062, 0x1064},   {0x1067, 0x106D},   {0x1071, 0x1074},
    {0x1082, 0x108D},   {0x108F, 0x108F},   {0x109A, 0x109D},   {0x135D, 0x135F},
    {0x1712, 0x1715},   {0x1732, 0x1734},   {0x1752, 0x1753},   {0x1772, 0x1773},
    {0x17B4, 0x17D3},   {0x17DD, 0x17DD},   {0x180B, 0x180D},   {0x180F, 0x180F},
    {0x1885, 0x1886},   {0x18A9, 0x18A9},   {0x1920, 0x193B},   {0x1A17, 0x1A1B},
    {0x1A55, 0x1A7F},   {0x1AB0, 0x1B04},   {0x1B34, 0x1B44},   {0x1B6B, 0x1B73},
    {0x1B80, 0x1B82},   {0x1BA1, 0x1BAD},   {0x1BE6, 0x1BF3},   {0x1C24, 0x1C37},
    {0x1CD0, 0x1CD2},   {0x1CD4, 0x1CE8},   {0x1CED, 0x1CED},   {0x1CF4, 0x1CF4},
    {0x1CF7, 0x1CF9},   {0x1DC0, 0x1DFF},   {0x200D, 0x200D},   {0x20D0, 0x20F0},
    {0x2CEF, 0x2CF1},   {0x2D7F, 0x2D7F},   {0x2DE0, 0x2DFF},   {0x302A, 0x302F},
    {0x3099, 0x309A},   {0xA66F, 0xA672},   {0xA674, 0xA67D},   {0xA69E, 0xA69F},
    {0xA6F0, 0xA6F1},   {0xA802, 0xA802},   {0xA806, 0xA806},   {0xA80B, 0xA80B},
    {0xA823, 0xA827},   {0xA82C, 0xA82C},   {0xA880, 0xA881},   {0xA8B4, 0xA8C5},
    {0xA8E0, 0xA8F1},   {0xA8FF, 0xA8FF},   {0xA926, 0xA92D},   {0xA947, 0xA953},
    {0xA980, 0xA983},   {0xA9B3, 0xA9C0},   {0xA9E5, 0xA9E5},   {0xAA29, 0xAA36},
    {0xAA43, 0xAA43},   {0xAA4C, 0xAA4D},   {0xAA7B, 0xAA7D},   {0xAAB0, 0xAAB0},
    {0xAAB2, 0xAAB4},   {0xAAB7, 0xAAB8},   {0xAABE, 0xAABF},   {0xAAC1, 0xAAC1},
    {0xAAEB, 0xAAEF},   {0xAAF5, 0xAAF6},   {0xABE3, 0xABEA},   {0xABEC, 0xABED},
    {0xFB1E, 0xFB1E},   {0xFE00, 0xFE0F},   {0xFE20, 0xFE2F},   {0x101FD, 0x101FD},
    {0x102E0, 0x102E0}, {0x10376, 0x1037A}, {0x10A01, 0x10A0F}, {0x10A38, 0x10A3F},
    {0x10AE5, 0x10AE6}, {0x10D24, 0x10D27}, {0x10EAB, 0x10EAC}, {0x10F46, 0x10F50},
    {0x10F82, 0x10F85}, {0x11000, 0x11002}, {0x11038, 0x11046}, {0x11070, 0x11070},
    {0x11073, 0x11074}, {0x1107F, 0x11082}, {0x110B0, 0x110BA}, {0x110C2, 0x110C2},
    {0x11100, 0x11102}, {0x11127, 0x11134}, {0x11145, 0x11146}, {0x11173, 0x11173},
    {0x11180, 0x11182}, {0x111B3, 0x111C0}, {0x111C9, 0x111CC}, {0x111CE, 0x111CF},
    {0x1122C, 0x11237}, {0x1123E, 0x1123E}, {0x112DF, 0x112EA}, {0x11300, 0x11303},
    {0x1133B, 0x1133C}, {0x1133E, 0x1134D}, {0x11357, 0x11357}, {0x11362, 0x11374},
    {0x11435, 0x11446}, {0x1145E, 0x1145E}, {0x114B0, 0x114C3}, {0x115AF, 0x115C0},
    {0x115DC, 0x115DD}, {0x11630, 0x11640}, {0x116AB, 0x116B7}, {0x1171D, 0x1172B},
    {0x1182C, 0x1183A}, {0x11930, 0x1193E}, {0x11940, 0x11940}, {0x11942, 0x11943},
    {0x119D1, 0x119E0}, {0x119E4, 0x119E4}, {0x11A01, 0x11A0A}, {0x11A33, 0x11A39},
    {0x11A3B, 0x11A3E}, {0x11A47, 0x11A47}, {0x11A51, 0x11A5B}, {0x11A8A, 0x11A99},
    {0x11C2F, 0x11C3F}, {0x11C92, 0x11CB6}, {0x11D31, 0x11D45}, {0x11D47, 0x11D47},
    {0x11D8A, 0x11D97}, {0x11EF3, 0x11EF6}, {0x16AF0, 0x16AF4}, {0x16B30, 0x16B36},
    {0x16F4F, 0x16F4F}, {0x16F51, 0x16F92}, {0x16FE4, 0x16FF1}, {0x1BC9D, 0x1BC9E},
    {0x1CF00, 0x1CF46}, {0x1D165, 0x1D169}, {0x1D16D, 0x1D172}, {0x1D17B, 0x1D182},
    {0x1D185, 0x1D18B}, {0x1D1AA, 0x1D1AD}, {0x1D242, 0x1D244}, {0x1DA00, 0x1DA36},
    {0x1DA3B, 0x1DA6C}, {0x1DA75, 0x1DA75}, {0x1DA84, 0x1DA84}, {0x1DA9B, 0x1DAAF},
    {0x1E000, 0x1E02A}, {0x1E130, 0x1E136}, {0x1E2AE, 0x1E2AE}, {0x1E2EC, 0x1E2EF},
    {0x1E8D0, 0x1E8D6}, {0x1E944, 0x1E94A}, {0x1F3FB, 0x1F3FF}, {0xE0100, 0xE01EF}};

char32_t CharacterAt(std::string_view text, std::size_t offset) {
  std::size_t next = 0;
  return DecodeCharacter(text, offset, next);
}

}  // namespace

void TLineStore::Clear() {
  std::vector<TBlock>().swap(blocks_);
  std::vector<std::uint32_t>().swap(starts_);
  std::vector<std::size_t>().swap(checkpoints_);
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
  if (LineCount() % kCheckpointLines == 0)
    checkpoints_.push_back(utf16Length_ + (LineCount() > 0 ? 2 : 0));
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
  if (LineCount() == 0) return {};
  const auto after = std::upper_bound(checkpoints_.begin(), checkpoints_.end(), index);
  const auto checkpoint = static_cast<std::size_t>(after - checkpoints_.begin() - 1);
  index -= checkpoints_[checkpoint];
  for (std::size_t line = checkpoint * kCheckpointLines; line < LineCount(); ++line) {
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

std::size_t TLineStore::LineStartUtf16(std::size_t line) const {
  const std::size_t checkpoint = line / kCheckpointLines;
  std::size_t index = checkpoints_[checkpoint];
  for (std::size_t before = checkpoint * kCheckpointLines; before < line; ++before)
    index += Utf16Units(Line(before)) + 2;
  return index;
}

std::size_t TLineStore::Utf16Index(TTextPosition position) const {
  if (LineCount() == 0) return 0;
  return LineStartUtf16(position.line) + Utf16Units(Line(position.line).substr(0, position.offset));
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

bool IsCombiningMark(char32_t c) {
  if (c < kMarks[0].first) return false;  // the common case, without a search
  const TRange* after =
      std::upper_bound(std::begin(kMarks), std::end(kMarks), c,
                       [](char32_t value, const TRange& r) { return value < r.first; });
  return c <= after[-1].last;
}

std::size_t NextCluster(std::string_view text, std::size_t offset) {
  std::size_t next = NextCharacter(text, offset);
  for (std::size_t after = 0; next < text.size(); next = after)
    if (!IsCombiningMark(DecodeCharacter(text, next, after))) break;
  return next;
}

std::size_t PreviousCluster(std::string_view text, std::size_t offset) {
  std::size_t previous = PreviousCharacter(text, offset);
  while (previous > 0 && IsCombiningMark(CharacterAt(text, previous)))
    previous = PreviousCharacter(text, previous);
  return previous;
}

std::size_t ClusterStart(std::string_view text, std::size_t offset) {
  const bool inside =
      offset > 0 && offset < text.size() && IsCombiningMark(CharacterAt(text, offset));
  return inside ? PreviousCluster(text, offset) : offset;
}

std::pair<std::size_t, std::size_t> WordAround(std::string_view text, std::size_t offset) {
  if (text.empty()) return {0, 0};
  offset = offset >= text.size() ? PreviousCluster(text, text.size()) : ClusterStart(text, offset);
  const bool blank = IsBlank(CharacterAt(text, offset));
  std::size_t begin = offset;
  while (begin > 0) {
    const std::size_t previous = PreviousCluster(text, begin);
    if (IsBlank(CharacterAt(text, previous)) != blank) break;
    begin = previous;
  }
  std::size_t end = offset;
  while (end < text.size() && IsBlank(CharacterAt(text, end)) == blank)
    end = NextCluster(text, end);
  return {begin, end};
}

}  // namespace widgets
