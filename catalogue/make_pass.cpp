// The make run and its recursive walk. Lines, status texts and the order of the window calls are
// what the user sees, so they are kept exactly.
#include "catalogue/make_pass.h"

#include <algorithm>
#include <utility>

#include "digest/digest_service.h"
#include "platform/clock.h"
#include "platform/text.h"

namespace {

const char kFolderLine[] = "文件夹: ";
const char kFileLine[] = "文件: ";
const char kUnreadableFolderLine[] = "无法读取文件夹";
const char kAbortLine[] = "用户中止操作.";
const char kWritingStatus[] = "检查文件生成...";
const char kDoneLine[] = "操作完成.  检查文件保存为 ";
const char kIdleStatus[] = "";

// "%d 文件进度:%s目标为:%s" with the node count, a line feed and the folder.
std::string ProgressText(std::size_t count, const std::string& folder) {
  return std::to_string(count) + " 文件进度:" + "\n" + "目标为:" + folder;
}

}  // namespace

TMakePass::TMakePass(TRunView& view, std::string versionText)
    : view_(view), versionText_(std::move(versionText)) {}

void TMakePass::Run(std::string& scanFolder) {
  view_.ClearAbortRequest();
  view_.SetMakeRunning(true);
  try {
    // Double-byte aware: a folder ending in a character whose second byte is 0x5C keeps it.
    if (platform::EndsWithCharacter(scanFolder, '\\')) scanFolder.pop_back();
    view_.ClearPane();
    TMD5NodeArray nodes;
    walkPath_.clear();
    if (!scanFolder.empty()) ScanFolderRecursive(scanFolder, nodes);
    view_.SetStatus(kIdleStatus);

    if (view_.AbortRequested()) {
      ReturnToIdle();
      return;
    }
    if (nodes.empty()) {
      view_.ShowNoFilesBox();
      ReturnToIdle();
      return;
    }

    view_.SetStatus(kWritingStatus);
    view_.ProcessMessages();
    WriteCheckfile(scanFolder, versionText_, platform::LocalNow(), nodes);
    ReturnToIdle();
    view_.SetStatus(kIdleStatus);
    view_.AppendLine(kDoneLine + scanFolder + "\\" + CheckfileName);
  } catch (...) {
    // The window must not stay locked in its running state after a failed write.
    walkPath_.clear();
    ReturnToIdle();
    view_.SetStatus(kIdleStatus);
    throw;
  }
}

void TMakePass::ReturnToIdle() { view_.SetMakeRunning(false); }

void TMakePass::ScanFolderRecursive(const std::string& folder, TMD5NodeArray& nodes) {
  // A folder reached again through a link or junction while the walk is still inside it would
  // repeat until the stack runs out; it contributes nothing, and its parent's "文件夹: " line is
  // all it shows (it can be listed, so it does not claim to be unreadable).
  platform::FolderIdentity identity;
  const bool known = platform::GetFolderIdentity(folder, identity);
  if (known && std::find(walkPath_.begin(), walkPath_.end(), identity) != walkPath_.end()) return;

  platform::FolderEnumeration listing(folder);
  if (listing.State() == platform::EnumerationState::Unreadable) {
    view_.AppendLine(kUnreadableFolderLine);
    return;
  }
  if (listing.State() == platform::EnumerationState::NoEntries) return;

  if (known) walkPath_.push_back(identity);
  platform::FolderEntry entry;
  while (listing.Next(entry)) {
    const std::string& name = entry.Name;
    if (name != "." && name != ".." && name != CheckfileName) {
      const std::string path = folder + "\\" + name;
      if (entry.IsFolder) {
        view_.AppendLine(kFolderLine + path);
        ScanFolderRecursive(path, nodes);
      } else {
        nodes.push_back(TMD5Node{path, std::string()});
        view_.AppendLine(kFileLine + name);
        const int32_t result = HashFile(HASH_MD5, nodes.back().FullPath, nodes.back().DigestText);
        if (result != 0) {
          std::string message;
          HashErrorText(result, message);
          view_.AppendLine(message);
          nodes.pop_back();
        }
      }
    }

    view_.SetStatus(ProgressText(nodes.size(), folder));
    view_.ProcessMessages();
    if (view_.AbortRequested()) {
      nodes.clear();
      view_.AppendLine(kAbortLine);
      break;
    }
  }
  if (known) walkPath_.pop_back();
}
