// The check run: one result line per accepted checkfile entry, then the sorted list of files that
// no longer match and the counts.
#include "catalogue/check_pass.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "catalogue/checkfile.h"
#include "digest/digest_service.h"
#include "platform/text.h"

namespace {

const char kIdleStatus[] = "";

// "文件对比: %d; 对比: %s" with the compared count and the file's full path.
std::string ProgressText(int32_t compared, const std::string& fullPath) {
  return "文件对比: " + std::to_string(compared) + "; 对比: " + fullPath;
}

}  // namespace

TCheckPass::TCheckPass(TRunView& view) : view_(view) {}

void TCheckPass::Run(const std::string& checkfilePath) {
  int32_t compared = 0;
  int32_t failed = 0;
  int32_t mismatched = 0;
  view_.ClearAbortRequest();
  view_.SetCheckRunning(true);
  try {
    const std::vector<std::string> lines = LoadCheckfileLines(checkfilePath);
    const std::string baseFolder = CheckfileBaseFolder(checkfilePath);
    view_.AppendLine("对比MD5检查文件在   " + checkfilePath);

    std::vector<std::string> mismatches;
    bool stopped = false;
    TCheckfileEntry entry;
    std::string computed;
    std::string message;
    for (const std::string& line : lines) {
      if (!ParseCheckfileEntry(line, entry)) continue;
      const std::string fullPath = baseFolder + entry.Name;
      view_.SetStatus(ProgressText(compared, fullPath));
      view_.ProcessMessages();
      if (view_.AbortRequested()) {
        view_.AppendLine("用户操作已中止");
        stopped = true;
        break;
      }

      // The digest leaves its output untouched on failure, so each file starts from empty.
      computed.clear();
      const int32_t result = HashFile(HASH_MD5, fullPath, computed);
      if (result != 0) {
        ++failed;
        HashErrorText(result, message);
        view_.AppendLine("错误:  " + message + " (" + fullPath + ")");
        continue;
      }
      ++compared;
      if (computed == entry.ExpectedDigest) {
        view_.AppendLine("OK: " + fullPath);
      } else {
        view_.AppendLine("错误:MD5的总和不匹配  " + fullPath +
                         ". 预期:     " + entry.ExpectedDigest + " 计算:       " + computed);
        mismatches.push_back(fullPath);
        ++mismatched;
      }
    }

    if (!stopped) {
      view_.AppendLine("操作完成");
      view_.AppendLine("");
      if (mismatched > 0) {
        std::stable_sort(mismatches.begin(), mismatches.end(),
                         [](const std::string& a, const std::string& b) {
                           return platform::CompareTextIgnoreCase(a, b) < 0;
                         });
        view_.AppendLine("*** 以下文件经过对比,没有匹配:");
        for (const std::string& path : mismatches) view_.AppendLine(path);
        view_.AppendLine("***");
      }
      if (compared == 0) {
        view_.AppendLine("没有文件进行对比");
      } else {
        view_.AppendLine(std::to_string(compared) + " 文件对比");
      }
      if (failed > 0) {
        view_.AppendLine(std::to_string(failed) + " 无法进行对比,文件无法打开或不存在");
      }
      if (mismatched > 0) {
        view_.AppendLine(std::to_string(mismatched) + " 文件的MD5值不匹配!文件已经被损坏或修改");
      }
      if (mismatched == 0 && failed == 0 && compared > 0) view_.AppendLine("一切正常!");
    }
  } catch (...) {
    // A checkfile that cannot be loaded must not leave the window locked in its running state.
    view_.SetStatus(kIdleStatus);
    view_.SetCheckRunning(false);
    throw;
  }
  view_.SetStatus(kIdleStatus);
  view_.SetCheckRunning(false);
}
