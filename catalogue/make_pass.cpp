// The make run and its recursive walk. Lines, status texts and the order of the window calls are
// what the user sees, so they are kept exactly.
#include "catalogue/make_pass.h"

#include <algorithm>
#include <utility>

#include "catalogue/run_state.h"
#include "digest/digest_service.h"
#include "platform/clock.h"
#include "platform/text.h"

namespace {

const char kFolderLine[] = "文件夹: ";
const char kFileLine[] = "文件: ";
const char kUnreadableFolderLine[] = "无法读取文件夹";
const char kUnrepresentableFileLine[] = "文件名含有本机代码页之外的字符,已跳过: ";
const char kUnrepresentableFolderLine[] = "文件夹名含有本机代码页之外的字符,已跳过: ";
const char kAbortLine[] = "用户中止操作.";
const char kWritingStatus[] = "检查文件生成...";
const char kDoneLine[] = "操作完成.  检查文件保存为 ";
const char kLeftOutLine[] = " 个文件或文件夹无法处理,未列入检查文件";
const char kIdleStatus[] = "";

// "%d 文件进度:%s目标为:%s" with the node count, a line feed and the folder: all but the folder.
std::string ProgressText(std::size_t count) {
  return std::to_string(count) + " 文件进度:" + "\n" + "目标为:";
}

bool EqualIgnoringAsciiCase(const std::string& a, const char* b) {
  std::size_t i = 0;
  for (; i < a.size() && b[i] != '\0'; ++i) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return i == a.size() && b[i] == '\0';
}

}  // namespace

TMakePass::TMakePass(TRunView& view, std::string versionText)
    : view_(view), versionText_(std::move(versionText)) {}

std::string TMakePass::Run(const std::string& scanFolder) {
  view_.ClearAbortRequest();
  TRunningState running(view_, TRunKind::Make);
  scanFolder_ = scanFolder;
  if (platform::EndsWithCharacter(scanFolder_, '\\')) scanFolder_.pop_back();
  view_.ClearPane();
  TMD5NodeArray nodes;
  walkPath_.clear();
  leftOut_ = 0;
  if (!scanFolder_.empty()) ScanFolderRecursive(scanFolder_, nodes);
  view_.SetStatus({ProgramText(kIdleStatus)});

  if (view_.AbortRequested()) return scanFolder_;
  if (nodes.empty()) {
    view_.ShowNoFilesBox();
    return scanFolder_;
  }

  // Shown at once, whatever the status line's repaint rate held back, and kept while writing.
  view_.SetStatus({ProgramText(kWritingStatus)});
  view_.ShowNow();
  try {
    WriteCheckfile(scanFolder_, versionText_, platform::LocalNow(), nodes);
  } catch (...) {
    view_.SetStatus({ProgramText(kIdleStatus)});
    throw;
  }
  running.End();
  view_.SetStatus({ProgramText(kIdleStatus)});
  view_.AppendLine({ProgramText(kDoneLine), SystemText(scanFolder_), ProgramText("\\"),
                    ProgramText(CheckfileName)});
  if (leftOut_ > 0) view_.AppendLine({ProgramText(std::to_string(leftOut_) + kLeftOutLine)});
  return scanFolder_;
}

bool TMakePass::IsPassedOver(const std::string& folder, const std::string& name) const {
  if (name == "." || name == ".." || name == CheckfileName) return true;
  // In the scanned folder itself the new checkfile replaces one of any letter case (Windows names
  // ignore it), so such a file is not listed either: it would be reported as changed ever after.
  return folder == scanFolder_ && EqualIgnoringAsciiCase(name, CheckfileName);
}

void TMakePass::ScanFolderRecursive(const std::string& folder, TMD5NodeArray& nodes) {
  // A folder reached again through a link or junction while the walk is still inside it would
  // repeat until the stack runs out; it contributes nothing, and its parent's "文件夹: " line is
  // all it shows (it can be listed, so it does not claim to be unreadable).
  platform::FolderIdentity identity;
  const bool known = platform::GetFolderIdentity(folder, identity);
  if (known && std::find(walkPath_.begin(), walkPath_.end(), identity) != walkPath_.end()) return;

  platform::FolderEnumeration listing(folder);
  if (listing.State() == platform::EnumerationState::Unreadable) {
    view_.AppendLine({ProgramText(kUnreadableFolderLine)});
    ++leftOut_;
    return;
  }
  if (listing.State() == platform::EnumerationState::NoEntries) return;

  if (known) walkPath_.push_back(identity);
  platform::FolderEntry entry;
  while (listing.Next(entry)) {
    const std::string& name = entry.Name;
    if (entry.Unrepresentable) {
      // Any name the code page can hold would be a look-alike that might open another file.
      view_.AppendLine(
          {ProgramText(entry.IsFolder ? kUnrepresentableFolderLine : kUnrepresentableFileLine),
           SystemText(folder), ProgramText("\\"), Utf8Text(entry.DisplayName)});
      ++leftOut_;
    } else if (!IsPassedOver(folder, name)) {
      const std::string path = folder + "\\" + name;
      if (entry.IsFolder) {
        view_.AppendLine({ProgramText(kFolderLine), SystemText(path)});
        ScanFolderRecursive(path, nodes);
      } else {
        DigestFile(folder, name, nodes);
      }
    }

    view_.SetStatus({ProgramText(ProgressText(nodes.size())), SystemText(folder)});
    view_.ProcessMessages();
    if (view_.AbortRequested()) {
      nodes.clear();
      view_.AppendLine({ProgramText(kAbortLine)});
      break;
    }
  }
  if (known) walkPath_.pop_back();
}

void TMakePass::DigestFile(const std::string& folder, const std::string& name,
                           TMD5NodeArray& nodes) {
  nodes.push_back(TMD5Node{folder + "\\" + name, std::string()});
  view_.AppendLine({ProgramText(kFileLine), SystemText(name)});
  TRunProgress progress(view_);
  const int32_t result =
      HashFile(HASH_MD5, nodes.back().FullPath, nodes.back().DigestText, &progress);
  if (result == HASH_ERR_NONE) return;
  nodes.pop_back();
  // A stop inside the file ends the run right after this entry, as a stop between files does.
  if (result == HASH_ERR_ABANDONED) return;
  std::string message;
  HashErrorText(result, message);
  view_.AppendLine({ProgramText(message)});
  ++leftOut_;
}
