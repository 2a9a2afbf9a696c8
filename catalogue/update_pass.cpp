// The update run of update_pass.h. Only the new files are read; every other digest comes from the
// checkfile or from the check just finished.
#include "catalogue/update_pass.h"

#include <algorithm>
#include <deque>
#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "catalogue/checkfile.h"
#include "catalogue/folder_inventory.h"
#include "catalogue/path_gate.h"
#include "catalogue/run_state.h"
#include "catalogue/run_texts.h"
#include "digest/digest_service.h"
#include "platform/clock.h"
#include "platform/drive.h"
#include "platform/path.h"

namespace {

using TState = TCheckOutcome::TState;

const char kUpdateLine[] = "更新检查文件   ";
const char kMovedLine[] = "已移动: ";
const char kAbortLine[] = "用户操作已中止";
const char kAddedCount[] = " 个新文件已添加";
const char kRemovedCount[] = " 个条目已删除";
const char kMovedCount[] = " 个文件已移动";
const char kEditedCount[] = " 个被修改的文件采用新的MD5值";
const char kKeptCount[] = " 个可能已损坏的文件保留原来的MD5值";

bool IsOurName(const std::string& checkfilePath) {
  const std::string name = checkfilePath.substr(CheckfileBaseFolder(checkfilePath).size());
  return platform::FoldedName(name) == platform::FoldedName(CheckfileName);
}

// Entries whose file is gone: they could not be digested, and no reading of their name named
// anything when the check listed the folder. A file that is locked or cannot be read keeps its
// entry.
std::vector<bool> GoneEntries(const TCheckOutcome& outcome) {
  std::vector<bool> gone(outcome.states.size(), false);
  for (std::size_t i = 0; i < gone.size(); ++i)
    gone[i] = outcome.states[i] == TState::Failed && !outcome.inventory->Present(i);
  return gone;
}

// The digest the entry keeps: the one the check computed where the file was edited, its old one
// otherwise (unchanged, or changed while its time stayed: perhaps damaged).
std::string_view DigestToKeep(const TCheckOutcome& outcome, std::uint32_t entry) {
  if (outcome.states[entry] == TState::Edited) {
    const auto found =
        std::lower_bound(outcome.changedDigests.begin(), outcome.changedDigests.end(), entry,
                         [](const std::pair<std::uint32_t, std::string>& changed, std::uint32_t e) {
                           return changed.first < e;
                         });
    if (found != outcome.changedDigests.end() && found->first == entry) return found->second;
  }
  return outcome.entries->ExpectedDigest(entry);
}

}  // namespace

TUpdatePass::TPlan TUpdatePass::Plan(const TCheckOutcome& outcome) {
  TPlan plan;
  const TFolderInventory* inventory = outcome.inventory.get();
  // Only our own checkfiles are written again, and only from a listing of the whole folder.
  if (!inventory || !outcome.entries->IsOwnForm() || !IsOurName(outcome.checkfilePath) ||
      inventory->NamesFilesOutside() || inventory->SomeFolderUnreadable())
    return plan;
  plan.added = inventory->NewFiles();
  const std::vector<bool> gone = GoneEntries(outcome);
  plan.removed = static_cast<std::size_t>(std::count(gone.begin(), gone.end(), true));
  for (const TState state : outcome.states) {
    plan.edited += state == TState::Edited;
    plan.kept += state == TState::Damaged || state == TState::Changed;
  }
  plan.possible = plan.added + plan.removed + plan.edited > 0;
  return plan;
}

TUpdatePass::TUpdatePass(TRunView& view, std::string versionText, unsigned digestThreads,
                         TDigestFile digestFile)
    : view_(view),
      versionText_(std::move(versionText)),
      digestThreads_(digestThreads),
      digestFile_(digestFile) {}

void TUpdatePass::Run(const TCheckOutcome& outcome) {
  const TCheckfileEntries& entries = *outcome.entries;
  const TFolderInventory& inventory = *outcome.inventory;
  const std::vector<TFolderInventory::TItem>& items = inventory.Items();
  view_.ClearAbortRequest();
  TRunningState running(view_, TRunKind::Check);
  TShownProgress shown(view_);
  // Below the check's report, set apart from it.
  view_.AppendLine({ProgramText("")});
  view_.AppendLine({ProgramText(kUpdateLine), Utf8Text(outcome.checkfilePath)});

  // The new files, digested several at once in walk order.
  std::vector<std::size_t> fresh;
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (items[i].unreadable || items[i].entry != TFolderInventory::kNoEntry) continue;
    fresh.push_back(i);
    shown.Counts()->total += items[i].size;
  }
  shown.Counts()->totalKnown = true;
  const std::string& base = inventory.ShownBase();
  TPipelineOptions options;
  options.digestFile = digestFile_;
  options.gate = std::make_shared<TPathGate>(outcome.checkfilePath);
  options.progress = shown.Counts();
  options.paused = &view_.PauseFlag();
  std::vector<std::string> digests(fresh.size());  // empty where the file could not be read
  {
    TDigestPipeline pipeline(
        digestThreads_ != 0 ? digestThreads_ : platform::DigestThreads(base.empty() ? "." : base),
        std::move(options));
    std::size_t queued = 0;
    TDigestResult result;
    for (std::size_t n = 0; n < fresh.size(); ++n) {
      while (queued < fresh.size() && !pipeline.Full())
        pipeline.Queue(base + inventory.RelativePath(fresh[queued++]));
      const std::string& path = pipeline.OldestPath();
      view_.SetStatus({ProgramText(FilesProgressText(n)),
                       Utf8Text(std::string_view(path).substr(0, path.find_last_of('\\')))});
      view_.ProcessMessages();
      if (!view_.AbortRequested()) pipeline.Take(view_, result);
      if (view_.AbortRequested()) {
        pipeline.Cancel(view_);
        view_.AppendLine({ProgramText(kAbortLine)});
        view_.SetStatus({ProgramText(kIdleStatus)});
        return;
      }
      if (result.Code == HASH_ERR_NONE) {
        digests[n] = result.Digest;
      } else {
        AppendDigestError(view_, result.Code, result.Path);
      }
    }
  }

  // A gone entry whose digest a new file has moved to that file: its entry follows it.
  const std::vector<bool> gone = GoneEntries(outcome);
  std::multimap<std::string_view, std::size_t> freshByDigest;
  for (std::size_t n = 0; n < fresh.size(); ++n)
    if (!digests[n].empty()) freshByDigest.emplace(digests[n], n);
  std::vector<bool> moved(fresh.size(), false);
  std::size_t removed = 0, movedCount = 0;
  std::string oldPath;
  for (std::size_t e = 0; e < entries.size(); ++e) {
    if (!gone[e]) continue;
    const auto match = freshByDigest.find(entries.ExpectedDigest(e));
    if (match == freshByDigest.end()) {
      ++removed;
      continue;
    }
    moved[match->second] = true;
    ++movedCount;
    entries.Path(e, base, 0, oldPath);
    view_.AppendLine({ProgramText(kMovedLine), Utf8Text(oldPath), ProgramText(" -> "),
                      Utf8Text(base), Utf8Text(inventory.RelativePath(fresh[match->second]))});
    freshByDigest.erase(match);
  }

  // The checkfile as a make run of the folder would write it now, in walk order; the entries of
  // files that exist but were not listed (hidden since) follow, never dropped.
  const std::string& top = inventory.Top();
  TMD5NodeArray nodes;
  std::size_t added = 0, edited = 0, kept = 0;
  std::size_t next = 0;  // in `fresh`
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (items[i].unreadable) continue;
    const std::string path = top + "\\" + inventory.RelativePath(i);
    if (items[i].entry == TFolderInventory::kNoEntry) {
      const std::size_t n = next++;
      if (digests[n].empty()) continue;  // could not be read: left out, as a make leaves it
      added += !moved[n];
      nodes.Append(path, digests[n]);
      continue;
    }
    const TState state = outcome.states[items[i].entry];
    edited += state == TState::Edited;
    kept += state == TState::Damaged || state == TState::Changed;
    nodes.Append(path, DigestToKeep(outcome, items[i].entry));
  }
  std::string path;
  for (std::size_t e = 0; e < entries.size(); ++e) {
    if (gone[e] || inventory.Names(e)) continue;
    entries.Path(e, base, 0, path);
    std::string relative = platform::OpenedPath(path).substr(top.size() + 1);
    nodes.Append(top + "\\" + relative, DigestToKeep(outcome, static_cast<std::uint32_t>(e)));
  }
  view_.SetStatus({ProgramText(kIdleStatus)});
  if (nodes.empty()) {
    view_.ShowNoFilesBox();
    return;
  }
  const TCheckfileBody body = CheckfileBody(top, nodes);
  for (const std::size_t i : body.LeftOut)
    view_.AppendLine({ProgramText(kTooLongLine), Utf8Text(nodes.FullPath(i))});
  WriteCheckfile(top, versionText_, platform::LocalNow(), body);

  running.End();
  const std::pair<std::size_t, const char*> counts[] = {{added, kAddedCount},
                                                        {removed, kRemovedCount},
                                                        {movedCount, kMovedCount},
                                                        {edited, kEditedCount},
                                                        {kept, kKeptCount}};
  for (const auto& [count, text] : counts)
    if (count > 0) view_.AppendLine({ProgramText(std::to_string(count) + text)});
  view_.AppendLine({ProgramText(kSavedLine), Utf8Text(outcome.checkfilePath)});
}
