// How the runs say things: their texts in the view's language (texts/), and the lines more than
// one run shows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "catalogue/run_view.h"
#include "digest/digest_service.h"
#include "texts/texts.h"

inline constexpr char kIdleStatus[] = "";

// A text in the view's language.
inline std::string_view Say(const TRunView& view, texts::TText name) {
  return texts::Text(view.Language(), name);
}
// A line of that text alone, of it with its count filled in, and of it followed by a path.
inline void AppendText(TRunView& view, texts::TText name) {
  view.AppendLine({ProgramText(Say(view, name))});
}
inline void AppendCount(TRunView& view, texts::TText name, std::uint64_t count) {
  const std::string line = texts::CountText(view.Language(), name, count);
  view.AppendLine({ProgramText(line)});
}
inline void AppendPath(TRunView& view, texts::TText name, std::string_view path) {
  view.AppendLine({ProgramText(Say(view, name)), Utf8Text(path)});
}

// "%1 文件进度:\n目标为:" with the count of files digested: the status before the folder.
inline std::string FilesProgressText(const TRunView& view, std::size_t count) {
  return texts::CountText(view.Language(), texts::TText::FilesProgress, count);
}

// "错误:  <the code's message> (<path>)".
inline void AppendDigestError(TRunView& view, std::int32_t code, std::string_view path) {
  view.AppendLine(TFilledText(Say(view, texts::TText::DigestErrorLine),
                              {ProgramText(Say(view, HashErrorName(code))), Utf8Text(path)}));
}
