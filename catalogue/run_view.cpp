// The joined and the UTF-8 forms of a view text, and filled texts.
#include "catalogue/run_view.h"

#include "platform/text.h"

namespace {

// Most pieces are ASCII or UTF-8 already, and go as they are; the rest are converted from their
// code page.
void AppendUtf8(const TTextPiece& piece, std::string& joined) {
  const bool asIs = piece.source == TTextSource::Utf8 ? platform::IsValidUtf8(piece.text)
                                                      : platform::IsAscii(piece.text);
  if (asIs) {
    joined.append(piece.text);
    return;
  }
  unsigned codePage = platform::kCodePageUtf8;
  if (piece.source == TTextSource::Program) codePage = platform::kCodePageGbk;
  if (piece.source == TTextSource::System) codePage = platform::SystemCodePage();
  std::string converted;
  platform::CodePageToUtf8(piece.text, codePage, converted);
  joined += converted;
}

}  // namespace

std::string JoinedBytes(TViewText text) {
  std::size_t size = 0;
  for (const TTextPiece& piece : text) size += piece.text.size();
  std::string joined;
  joined.reserve(size);
  for (const TTextPiece& piece : text) joined.append(piece.text);
  return joined;
}

void TShownText::Assign(TViewText text) {
  bytes_.clear();
  ends_.clear();
  for (const TTextPiece& piece : text) {
    bytes_.append(piece.text);
    ends_.emplace_back(bytes_.size(), piece.source);
  }
}

std::vector<TTextPiece> TShownText::Pieces() const {
  std::vector<TTextPiece> pieces;
  for (std::size_t i = 0; i < size(); ++i) pieces.push_back((*this)[i]);
  return pieces;
}

TTextPiece TShownText::operator[](std::size_t i) const {
  const std::size_t start = i == 0 ? 0 : ends_[i - 1].first;
  return {std::string_view(bytes_).substr(start, ends_[i].first - start), ends_[i].second};
}

std::string ViewTextUtf8(TViewText text) {
  std::string joined;
  for (const TTextPiece& piece : text) AppendUtf8(piece, joined);
  return joined;
}

std::string ViewTextUtf8(const TShownText& text) {
  std::string joined;
  for (std::size_t i = 0; i < text.size(); ++i) AppendUtf8(text[i], joined);
  return joined;
}

TFilledText::TFilledText(std::string_view pattern, TViewText args) {
  std::size_t textStart = 0;
  const auto add = [this](TTextPiece piece) {
    if (!piece.text.empty() && size_ < kMostPieces) pieces_[size_++] = piece;
  };
  for (std::size_t i = 0; i + 1 < pattern.size(); ++i) {
    const std::size_t number = static_cast<unsigned char>(pattern[i + 1] - '1');
    if (pattern[i] != '%' || number >= args.size()) continue;
    add(ProgramText(pattern.substr(textStart, i - textStart)));
    add(args.begin()[number]);
    textStart = ++i + 1;
  }
  add(ProgramText(pattern.substr(textStart)));
}
