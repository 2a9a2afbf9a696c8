// Saving a pane's text; see report_file.h.
#include "widgets/report_file.h"

#include "platform/output_file.h"
#include "platform/system_error.h"

namespace widgets {

namespace {

// The text goes out in pieces of about this size: a report of millions of lines is never held a
// second time whole.
constexpr std::size_t kPieceSize = 1 << 20;

}  // namespace

bool SaveReport(const TLineStore& lines, const std::string& path, unsigned long& error) {
  if (platform::IsReadOnlyFile(path)) {
    error = kReadOnlyReport;
    return false;
  }
  const std::size_t cut = path.find_last_of("\\/");
  platform::TTemporaryFile temporary;
  if (!temporary.Create(cut == std::string::npos ? "." : path.substr(0, cut), error)) return false;
  platform::TOutputFile& file = temporary.File();
  bool written = true;
  std::string piece = "\xEF\xBB\xBF";
  piece.reserve(kPieceSize + 4096);
  const auto writePiece = [&] {
    if (written && !file.Write(piece.data(), piece.size())) {
      written = false;
      error = platform::LastErrorCode();  // before the clean-up can overwrite it
    }
    piece.clear();
  };
  // The store holds valid UTF-8 only, so its bytes are the copied text's UTF-8 as they stand.
  lines.VisitText({}, lines.End(), [&](std::string_view text) {
    piece.append(text);
    if (piece.size() >= kPieceSize) writePiece();
  });
  writePiece();
  if (!written) return false;
  if (file.Flush() && file.Close() && temporary.ReplaceTarget(path)) return true;
  error = platform::LastErrorCode();
  return false;
}

}  // namespace widgets
