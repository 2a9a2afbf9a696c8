// The joined form of a view text, for views that keep the bytes as they stand.
#include "catalogue/run_view.h"

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

TTextPiece TShownText::operator[](std::size_t i) const {
  const std::size_t start = i == 0 ? 0 : ends_[i - 1].first;
  return {std::string_view(bytes_).substr(start, ends_[i].first - start), ends_[i].second};
}
