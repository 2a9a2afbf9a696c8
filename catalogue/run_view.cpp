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
