// The make run and its recursive walk. Lines, status texts and the order of the window calls are
// what the user sees, so they are kept exactly; files are digested several at once meanwhile.
#include "catalogue/make_pass.h"

#include <utility>

#include "catalogue/digest_pipeline.h"
#include "catalogue/run_state.h"
#include "digest/digest_service.h"
#include "platform/clock.h"
#include "platform/drive.h"

namespace {

const char kFolderLine[] = "文件夹: ";
const char kFileLine[] = "文件: ";
const char kUnreadableFolderLine[] = "无法读取文件夹";
// A name with no UTF-8 form: a lone UTF-16 surrogate, which no checkfile can store.
const char kUnrepresentableFileLine[] = "文件名含有无效的字符,无法存入检查文件,已跳过: ";
const char kUnrepresentableFolderLine[] = "文件夹名含有无效的字符,已跳过: ";
const char kTooLongLine[] = "文件路径超过10000字节,无法存入检查文件,已跳过: ";
const char kAbortLine[] = "用户中止操作.";
const char kWritingStatus[] = "检查文件生成...";
const char kDoneLine[] = "操作完成.  检查文件保存为 ";
const char kLeftOutLine[] = " 个文件或文件夹无法处理,未列入检查文件";
const char kIdleStatus[] = "";
// How far the walk may run ahead of the pane, in steps not yet shown.
constexpr std::size_t kMostStepsAhead = 1024;

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

TMakePass::TMakePass(TRunView& view, std::string versionText, unsigned digestThreads,
                     TListFolder listFolder)
    : view_(view),
      versionText_(std::move(versionText)),
      digestThreads_(digestThreads),
      listFolder_(std::move(listFolder)) {
  if (!listFolder_) {
    listFolder_ = [](const std::string& folder, platform::TPassingOver passingOver) {
      return std::make_unique<platform::FolderEnumeration>(folder, std::move(passingOver));
    };
  }
}

std::string TMakePass::Run(const std::string& scanFolder) {
  view_.ClearAbortRequest();
  TRunningState running(view_, TRunKind::Make);
  scanFolder_ = scanFolder;
  if (!scanFolder_.empty() && scanFolder_.back() == '\\') scanFolder_.pop_back();
  view_.ClearPane();
  nodes_.clear();
  steps_.clear();
  walkLevels_.clear();
  shownFolder_ = scanFolder_;
  shownEnds_.assign(1, scanFolder_.size());
  fileLineShown_ = false;
  stopped_ = false;
  leftOut_ = 0;
  if (!scanFolder_.empty()) {
    TDigestPipeline pipeline(digestThreads_ != 0 ? digestThreads_
                                                 : platform::DigestThreads(scanFolder_));
    pipeline_ = &pipeline;
    ScanFolderRecursive(scanFolder_);
    while (!stopped_ && !steps_.empty()) ShowFront(true);
    pipeline_ = nullptr;
  }
  view_.SetStatus({ProgramText(kIdleStatus)});

  if (view_.AbortRequested()) return scanFolder_;
  if (nodes_.empty()) {
    view_.ShowNoFilesBox();
    return scanFolder_;
  }

  // Shown at once, whatever the status line's repaint rate held back, and kept while writing.
  view_.SetStatus({ProgramText(kWritingStatus)});
  view_.ShowNow();
  try {
    const TCheckfileBody body = CheckfileBody(scanFolder_, nodes_);
    // Written in UTF-8, a path may take more bytes than the walk counted for it.
    for (const std::size_t i : body.LeftOut)
      view_.AppendLine({ProgramText(kTooLongLine), Utf8Text(nodes_.FullPath(i))});
    leftOut_ += static_cast<int>(body.LeftOut.size());
    if (body.LeftOut.size() == nodes_.size()) {
      nodes_.clear();
      view_.SetStatus({ProgramText(kIdleStatus)});
      view_.ShowNoFilesBox();
      return scanFolder_;
    }
    WriteCheckfile(scanFolder_, versionText_, platform::LocalNow(), body);
  } catch (...) {
    view_.SetStatus({ProgramText(kIdleStatus)});
    nodes_.clear();
    throw;
  }
  nodes_.clear();
  running.End();
  view_.SetStatus({ProgramText(kIdleStatus)});
  view_.AppendLine({ProgramText(kDoneLine), Utf8Text(scanFolder_), ProgramText("\\"),
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

void TMakePass::ScanFolderRecursive(const std::string& folder) {
  walkFolder_ = folder;
  if (!EnterFolder(false)) return;
  while (!walkLevels_.empty()) {
    const auto depth = static_cast<unsigned>(walkLevels_.size() - 1);
    walkFolder_.resize(walkLevels_.back().folderEnd);
    platform::FolderEntry entry;
    if (!stopped_ && !view_.AbortRequested() && walkLevels_.back().listing->Next(entry)) {
      // An entered folder's entry ends when the walk comes back out of it.
      if (!WalkEntry(entry, depth)) Push(TStep(TStepKind::EntryDone, depth, walkFolder_));
      continue;
    }
    LeaveFolder(depth);
    if (depth > 0) {
      walkFolder_.resize(walkLevels_.back().folderEnd);
      Push(TStep(TStepKind::EntryDone, depth - 1, walkFolder_));
    }
  }
}

bool TMakePass::EnterFolder(bool throughLink) {
  // A folder reached again through a link or junction while the walk is still inside it would
  // repeat without end; it contributes nothing, and its parent's "文件夹: " line is all it shows
  // (it can be listed, so it does not claim to be unreadable). Only a link can lead back, and
  // asking a deep folder for its identity costs more than listing it, so only links are asked.
  platform::FolderIdentity identity;
  if (throughLink && platform::GetFolderIdentity(walkFolder_, identity) && IsWalkedInto(identity))
    return false;

  // Long runs of hidden entries let the window's messages run, and a stop ends the listing.
  std::unique_ptr<platform::TFolderListing> listing = listFolder_(walkFolder_, [this] {
    view_.ProcessMessages();
    return !view_.AbortRequested();
  });
  if (listing->State() == platform::EnumerationState::Unreadable) {
    Push(TStep(TStepKind::Unreadable));
    return false;
  }
  if (listing->State() == platform::EnumerationState::NoEntries) return false;
  walkLevels_.push_back({std::move(listing), walkFolder_.size(), identity, throughLink});
  return true;
}

bool TMakePass::IsWalkedInto(const platform::FolderIdentity& identity) {
  for (TWalkLevel& level : walkLevels_) {
    // A level not entered through a link is asked when the first link below it is met, once.
    if (!level.identityAsked) {
      platform::GetFolderIdentity(walkFolder_.substr(0, level.folderEnd), level.identity);
      level.identityAsked = true;
    }
    if (level.identity == identity) return true;
  }
  return false;
}

void TMakePass::LeaveFolder(unsigned depth) {
  TWalkLevel& level = walkLevels_.back();
  if (level.listing->State() == platform::EnumerationState::Unreadable) {
    Push(TStep(TStepKind::Unreadable));  // the listing broke off: the folder was read only in part
  } else if (view_.AbortRequested()) {
    Push(TStep(TStepKind::EntryDone, depth, walkFolder_));  // the stop is shown for this level
  }
  walkLevels_.pop_back();
}

bool TMakePass::WalkEntry(const platform::FolderEntry& entry, unsigned depth) {
  const std::string& name = entry.Name;
  if (entry.Unrepresentable) {
    // The name shown with a stand-in would be a look-alike that might open another file.
    TStep step(TStepKind::Unrepresentable, depth, walkFolder_ + "\\" + entry.Name);
    step.isFolder = entry.IsFolder;
    Push(std::move(step));
    return false;
  }
  if (IsPassedOver(walkFolder_, name)) return false;
  const std::size_t folderEnd = walkFolder_.size();
  std::string path = walkFolder_ + "\\" + name;
  if (entry.IsFolder) {
    Push(TStep(TStepKind::Folder, depth, path));
    walkFolder_ = std::move(path);
    if (EnterFolder(entry.IsLink)) return true;
    walkFolder_.resize(folderEnd);
  } else if (!FitsInCheckfile(std::string_view(path).substr(scanFolder_.size() + 1))) {
    // Stored cut, its entry would name another file, or none.
    Push(TStep(TStepKind::TooLong, depth, std::move(path)));
  } else {
    QueueFile(std::move(path), folderEnd + 1);
  }
  return false;
}

void TMakePass::QueueFile(std::string path, std::size_t nameStart) {
  while (!stopped_ && pipeline_->Full()) ShowFront(true);
  if (stopped_) return;
  pipeline_->Queue(path);
  TStep step(TStepKind::File, 0, std::move(path));
  step.nameStart = nameStart;
  Push(std::move(step));
}

void TMakePass::Push(TStep step) {
  if (stopped_) return;
  steps_.push_back(std::move(step));
  bool shown = false;
  while (!stopped_ && !steps_.empty() && ShowFront(steps_.size() > kMostStepsAhead)) shown = true;
  // Waiting for a file's digest: the walk goes on, and the window answers meanwhile.
  if (!shown) view_.ProcessMessages();
}

bool TMakePass::ShowFront(bool wait) {
  const TStep& step = steps_.front();
  switch (step.kind) {
    case TStepKind::Folder:
      view_.AppendLine({ProgramText(kFolderLine), Utf8Text(step.path)});
      // The new folder's path starts with those of the levels above it.
      shownEnds_.resize(step.depth + 1);
      shownEnds_.push_back(step.path.size());
      shownFolder_ = step.path;
      break;
    case TStepKind::Unreadable:
      view_.AppendLine({ProgramText(kUnreadableFolderLine)});
      ++leftOut_;
      break;
    case TStepKind::Unrepresentable:
      view_.AppendLine(
          {ProgramText(step.isFolder ? kUnrepresentableFolderLine : kUnrepresentableFileLine),
           Utf8Text(step.path)});
      ++leftOut_;
      break;
    case TStepKind::TooLong:
      view_.AppendLine({ProgramText(kTooLongLine), Utf8Text(step.path)});
      ++leftOut_;
      break;
    case TStepKind::File:
      if (!fileLineShown_) {
        view_.AppendLine(
            {ProgramText(kFileLine), Utf8Text(std::string_view(step.path).substr(step.nameStart))});
        fileLineShown_ = true;
      }
      if (!wait && !view_.AbortRequested() && !pipeline_->Ready()) return false;
      fileLineShown_ = false;
      ShowFileResult(step);
      break;
    case TStepKind::EntryDone:
      view_.SetStatus({ProgramText(ProgressText(nodes_.size())), Utf8Text(step.path)});
      view_.ProcessMessages();
      if (view_.AbortRequested()) {
        ShowStop(step.depth);
        return true;
      }
      break;
  }
  steps_.pop_front();
  return true;
}

void TMakePass::ShowFileResult(const TStep& step) {
  TDigestResult result;
  pipeline_->Take(view_, result);
  // A file digested after the stop is never reported: the run ends at the entry's end.
  if (view_.AbortRequested() || result.Code == HASH_ERR_ABANDONED) return;
  if (result.Code == HASH_ERR_NONE) {
    nodes_.Append(step.path, result.Digest);
    return;
  }
  std::string message;
  HashErrorText(result.Code, message);
  view_.AppendLine({ProgramText(message)});
  ++leftOut_;
}

void TMakePass::ShowStop(unsigned depth) {
  stopped_ = true;
  steps_.clear();
  pipeline_->Cancel(view_);
  nodes_.clear();
  view_.AppendLine({ProgramText(kAbortLine)});
  // Each enclosing level shows its emptied count, lets messages run and says so too.
  for (unsigned level = depth; level-- > 0;) {
    view_.SetStatus({ProgramText(ProgressText(0)),
                     Utf8Text(std::string_view(shownFolder_).substr(0, shownEnds_[level]))});
    view_.ProcessMessages();
    view_.AppendLine({ProgramText(kAbortLine)});
  }
}
