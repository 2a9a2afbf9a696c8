// Conversions of shown texts to UTF-16 and UTF-8; see display_text.h.
#include "platform/wide_path_win32.h"
#include "widgets/display_text.h"

namespace gui {

namespace {

constexpr UINT kProgramCodePage = 936;

std::wstring Widen(UINT codePage, std::string_view text) {
  std::wstring wide;
  platform::WidenText(text, codePage, wide);
  return wide;
}

std::wstring PieceWide(const TTextPiece& piece) {
  switch (piece.source) {
    case TTextSource::Program:
      return ProgramWide(piece.text);
    case TTextSource::System:
      return SystemWide(piece.text);
    case TTextSource::Utf8:
      break;
  }
  return Utf8Wide(piece.text);
}

}  // namespace

std::wstring ProgramWide(std::string_view text) { return Widen(kProgramCodePage, text); }
std::wstring SystemWide(std::string_view text) { return Widen(CP_ACP, text); }
std::wstring Utf8Wide(std::string_view text) { return Widen(CP_UTF8, text); }

std::string Utf8(std::wstring_view text) {
  std::string narrow;
  platform::NarrowText(text, CP_UTF8, narrow);
  return narrow;
}

std::wstring ViewTextWide(TViewText text) {
  std::wstring joined;
  for (const TTextPiece& piece : text) joined += PieceWide(piece);
  return joined;
}

std::wstring ViewTextWide(const TShownText& text) {
  std::wstring joined;
  for (std::size_t i = 0; i < text.size(); ++i) joined += PieceWide(text[i]);
  return joined;
}

BYTE ChineseCharset() { return GetACP() == kProgramCodePage ? DEFAULT_CHARSET : GB2312_CHARSET; }

}  // namespace gui
