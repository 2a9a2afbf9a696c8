// Texts more than one run shows: the make's status and lines the update shows as well, and the
// line of a file that could not be digested.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "catalogue/run_view.h"
#include "digest/digest_service.h"

inline constexpr char kIdleStatus[] = "";
inline constexpr char kTooLongLine[] = "文件路径超过10000字节,无法存入检查文件,已跳过: ";
// Followed by the checkfile's path.
inline constexpr char kSavedLine[] = "操作完成.  检查文件保存为 ";

// "%d 文件进度:%s目标为:%s" with the count of files digested, a line feed and the folder: all but
// the folder.
inline std::string FilesProgressText(std::size_t count) {
  return std::to_string(count) + " 文件进度:" + "\n" + "目标为:";
}

// "错误:  <the code's message> (<path>)".
inline void AppendDigestError(TRunView& view, std::int32_t code, std::string_view path) {
  std::string message;
  HashErrorText(code, message);
  view.AppendLine({ProgramText("错误:  "), ProgramText(message), ProgramText(" ("), Utf8Text(path),
                   ProgramText(")")});
}
