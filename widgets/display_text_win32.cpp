// Conversions of shown texts to UTF-16 and UTF-8; see display_text.h.
#include "widgets/display_text.h"

#include "platform/text.h"

namespace gui {

namespace {

constexpr UINT kProgramCodePage = 936;

std::wstring Widen(UINT codePage, std::string_view text) {
  if (text.empty()) return std::wstring();
  const int size = static_cast<int>(text.size());
  const int length = MultiByteToWideChar(codePage, 0, text.data(), size, nullptr, 0);
  if (length <= 0) return std::wstring();
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(codePage, 0, text.data(), size, &wide[0], length);
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
  if (text.empty()) return std::string();
  const int size = static_cast<int>(text.size());
  const int length =
      WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
  if (length <= 0) return std::string();
  std::string narrow(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), size, &narrow[0], length, nullptr, nullptr);
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

std::string ViewTextUtf8(TViewText text) {
  // Most pieces are ASCII or UTF-8 already, and go as they are; the rest through UTF-16. Bytes
  // that are not UTF-8 (a damaged checkfile's) come out as the stand-in character.
  std::string joined;
  for (const TTextPiece& piece : text) {
    const bool asIs = piece.source == TTextSource::Utf8 ? platform::IsValidUtf8(piece.text)
                                                       : platform::IsAscii(piece.text);
    if (asIs) {
      joined.append(piece.text);
    } else {
      joined += Utf8(PieceWide(piece));
    }
  }
  return joined;
}

BYTE ChineseCharset() { return GetACP() == kProgramCodePage ? DEFAULT_CHARSET : GB2312_CHARSET; }

}  // namespace gui
