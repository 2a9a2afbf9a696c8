// Texts more than one run shows or that more than one view tells apart: the make's status and
// lines the update shows as well, the line of a file that could not be digested, and the lines of
// a run's routine.
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

// The lines of a run's routine, each the first piece of its line: a folder walked, a file digested
// or matched, the check's own first line (before the checkfile's path) and the line that ends its
// results.
// The console program's quiet output leaves out the lines that begin with them.
inline constexpr char kFolderLine[] = "文件夹: ";
inline constexpr char kFileLine[] = "文件: ";
inline constexpr char kMatchedLine[] = "OK: ";
inline constexpr char kCheckingLine[] = "对比MD5检查文件在   ";
inline constexpr char kResultsDoneLine[] = "操作完成";

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
