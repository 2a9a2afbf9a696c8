// The check run: one result line per accepted checkfile entry, then the sorted list of files that
// no longer match and the counts.
#include "catalogue/check_pass.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "catalogue/checkfile.h"
#include "catalogue/run_state.h"
#include "digest/digest_service.h"
#include "platform/text.h"

namespace {

const char kIdleStatus[] = "";
const char kAutoCheckLine[] = "(Hashtally 检查文件已找到;启动自动检查)  ";

// "文件对比: %d; 对比: %s" with the compared count and the file's full path: all but the path.
std::string ProgressText(int32_t compared) {
  return "文件对比: " + std::to_string(compared) + "; 对比: ";
}

void AppendProgramLine(TRunView& view, const std::string& line) {
  view.AppendLine({ProgramText(line)});
}

// The counts at the end of a run that was not stopped, with the sorted block of changed files.
void AppendSummary(TRunView& view, std::vector<std::string>& mismatches, int32_t skipped,
                   int32_t compared, int32_t failed) {
  const auto mismatched = static_cast<int32_t>(mismatches.size());
  AppendProgramLine(view, "操作完成");
  AppendProgramLine(view, "");
  if (mismatched > 0) {
    std::stable_sort(mismatches.begin(), mismatches.end(),
                     [](const std::string& a, const std::string& b) {
                       return platform::CompareTextIgnoreCase(a, b) < 0;
                     });
    AppendProgramLine(view, "*** 以下文件经过对比,没有匹配:");
    for (const std::string& path : mismatches) view.AppendLine({SystemText(path)});
    AppendProgramLine(view, "***");
  }
  // A damaged entry line may stand for a changed file: it is counted, never passed in silence.
  if (skipped > 0) AppendProgramLine(view, std::to_string(skipped) + " 行无法识别,未进行对比");
  if (compared == 0) {
    AppendProgramLine(view, "没有文件进行对比");
  } else {
    AppendProgramLine(view, std::to_string(compared) + " 文件对比");
  }
  if (failed > 0) {
    AppendProgramLine(view, std::to_string(failed) + " 无法进行对比,文件无法打开或不存在");
  }
  if (mismatched > 0) {
    AppendProgramLine(view, std::to_string(mismatched) + " 文件的MD5值不匹配!文件已经被损坏或修改");
  }
  if (mismatched == 0 && failed == 0 && skipped == 0 && compared > 0)
    AppendProgramLine(view, "一切正常!");
}

}  // namespace

TCheckPass::TCheckPass(TRunView& view) : view_(view) {}

void TCheckPass::Run(const std::string& checkfilePath, TCheckOrigin origin) {
  view_.ClearPane();
  if (origin == TCheckOrigin::BesideProgram) AppendProgramLine(view_, kAutoCheckLine);
  int32_t compared = 0;
  int32_t failed = 0;
  int32_t skipped = 0;
  view_.ClearAbortRequest();
  TRunningState running(view_, TRunKind::Check);
  const std::string baseFolder = CheckfileBaseFolder(checkfilePath);
  std::vector<TCheckfileEntry> entries;
  {
    const std::vector<std::string> lines = LoadCheckfileLines(checkfilePath);
    TCheckfileEntry entry;
    for (const std::string& line : lines) {
      if (ParseCheckfileEntry(line, entry)) {
        entries.push_back(entry);
      } else if (!IsBlankOrCommentLine(line)) {
        ++skipped;
      }
    }
  }
  view_.AppendLine({ProgramText("对比MD5检查文件在   "), SystemText(checkfilePath)});

  std::vector<std::string> mismatches;
  bool stopped = false;
  std::string computed;
  std::string message;
  TRunProgress progress(view_);
  for (std::size_t i = 0; i < entries.size() && !stopped; ++i) {
    const TCheckfileEntry& entry = entries[i];
    const std::string fullPath = baseFolder + entry.Name;
    view_.SetStatus({ProgramText(ProgressText(compared)), SystemText(fullPath)});
    view_.ProcessMessages();
    // The digest leaves its output untouched on failure, so each file starts from empty.
    computed.clear();
    const int32_t result = view_.AbortRequested()
                               ? HASH_ERR_ABANDONED
                               : HashFile(HASH_MD5, fullPath, computed, &progress);
    if (result == HASH_ERR_ABANDONED) {
      AppendProgramLine(view_, "用户操作已中止");
      stopped = true;
    } else if (result != HASH_ERR_NONE) {
      ++failed;
      HashErrorText(result, message);
      view_.AppendLine({ProgramText("错误:  "), ProgramText(message), ProgramText(" ("),
                        SystemText(fullPath), ProgramText(")")});
    } else {
      ++compared;
      if (computed == entry.ExpectedDigest) {
        view_.AppendLine({ProgramText("OK: "), SystemText(fullPath)});
      } else {
        view_.AppendLine({ProgramText("错误:MD5的总和不匹配  "), SystemText(fullPath),
                          ProgramText(". 预期:     "), SystemText(entry.ExpectedDigest),
                          ProgramText(" 计算:       "), ProgramText(computed)});
        mismatches.push_back(fullPath);
      }
    }
    view_.SetProgress(i + 1, entries.size());
  }

  if (!stopped) AppendSummary(view_, mismatches, skipped, compared, failed);
  view_.SetStatus({ProgramText(kIdleStatus)});
}
