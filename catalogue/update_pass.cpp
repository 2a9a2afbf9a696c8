// The update run of update_pass.h. Only the new files, those the check could not verify as
// themselves and those changed since the check are read; every other digest comes from the
// checkfile or from the check just finished.
#include "catalogue/update_pass.h"

#include <algorithm>
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

using texts::TText;

namespace {

using TState = TCheckOutcome::TState;

// Files looked at between two chances for the window's messages to run.
constexpr std::size_t kStatPiece = 256;

bool IsOurName(const std::string& checkfilePath) {
  const std::string_view path = checkfilePath;
  return IsCheckfileNameInItsFolder(path.substr(CheckfileBaseFolder(checkfilePath).size()));
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

// The digest the check computed for a changed entry.
std::string_view ComputedDigest(const TCheckOutcome& outcome, std::uint32_t entry) {
  const auto found =
      std::lower_bound(outcome.changedDigests.begin(), outcome.changedDigests.end(), entry,
                       [](const std::pair<std::uint32_t, std::string>& changed, std::uint32_t e) {
                         return changed.first < e;
                       });
  if (found != outcome.changedDigests.end() && found->first == entry) return found->second;
  return outcome.entries->ExpectedDigest(entry);
}

// The digest an entry keeps where its file is not read again: the one the check computed where
// the file was edited (or may be damaged, and the user accepts it), its old one otherwise.
std::string_view DigestToKeep(const TCheckOutcome& outcome, std::uint32_t entry, bool acceptKept) {
  const TState state = outcome.states[entry];
  const bool changed = state == TState::Damaged || state == TState::Changed;
  if (state == TState::Edited || (acceptKept && changed)) return ComputedDigest(outcome, entry);
  return outcome.entries->ExpectedDigest(entry);
}

// How a listed file counts among the update's counts.
enum class TCount : unsigned char { None, Added, Edited, Kept, Accepted, Reread };
constexpr std::size_t kCountKinds = static_cast<std::size_t>(TCount::Reread) + 1;

TCount CountOf(TState state, bool acceptKept) {
  switch (state) {
    case TState::Edited:
      return TCount::Edited;
    case TState::Damaged:
    case TState::Changed:
      return acceptKept ? TCount::Accepted : TCount::Kept;
    case TState::NotOpened:  // a listed file is refused nothing: its name read as several files
      return TCount::Reread;
    case TState::Matched:
    case TState::Failed:
      break;
  }
  return TCount::None;
}

// A listed file the check did not verify as itself, if at all: it is read as a new file is.
bool ReadAsNew(const TCheckOutcome& outcome, const TFolderInventory::TItem& item) {
  return item.entry == TFolderInventory::kNoEntry ||
         outcome.states[item.entry] == TState::NotOpened;
}

// Someone wrote the checkfile after the check read it (a make, another window's update): what
// the check found no longer describes it, and writing would lose what was written meanwhile.
void RefuseChangedCheckfile(TRunView& view, const std::string& checkfilePath) {
  view.SetStatus({ProgramText(kIdleStatus)});
  AppendPath(view, TText::ChangedSinceCheckLine, checkfilePath);
  throw ECheckfileError(
      {ProgramText(Say(view, TText::ChangedSinceCheckBox)), Utf8Text(checkfilePath)});
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
  for (const TFolderInventory::TItem& item : inventory->Items())
    plan.reread += !item.unreadable && item.entry != TFolderInventory::kNoEntry &&
                   outcome.states[item.entry] == TState::NotOpened;
  plan.possible = plan.added + plan.removed + plan.edited + plan.kept + plan.reread > 0;
  return plan;
}

TUpdatePass::TUpdatePass(TRunView& view, std::string versionText, unsigned digestThreads,
                         TDigestFile digestFile)
    : view_(view),
      versionText_(std::move(versionText)),
      digestThreads_(digestThreads),
      digestFile_(digestFile) {}

void TUpdatePass::Run(const TCheckOutcome& outcome, bool acceptKept) {
  if (Read(outcome)) Write(acceptKept);
}

bool TUpdatePass::Read(const TCheckOutcome& outcome) {
  read_ = &outcome;
  const TCheckfileEntries& entries = *outcome.entries;
  const TFolderInventory& inventory = *outcome.inventory;
  const std::vector<TFolderInventory::TItem>& items = inventory.Items();
  view_.ClearAbortRequest();
  TRunningState running(view_, TRunKind::Check);
  TShownProgress shown(view_);
  // Below the check's report, set apart from it.
  view_.AppendLine({ProgramText("")});
  AppendPath(view_, TText::UpdateLine, outcome.checkfilePath);
  const auto pump = [this] { view_.ProcessMessages(); };
  if (!IsCheckfileAsRead(outcome.checkfilePath, entries, outcome.checkfileWritten, pump))
    RefuseChangedCheckfile(view_, outcome.checkfilePath);
  const std::string& base = inventory.ShownBase();
  const auto gate = std::make_shared<TPathGate>(outcome.checkfilePath);
  const auto stop = [&] {
    AppendText(view_, TText::CheckAbortLine);
    view_.SetStatus({ProgramText(kIdleStatus)});
    return false;
  };

  // The files read now, in walk order: the new ones, those behind a name the check could not
  // verify as them, and those it verified that changed since (their size or last write is not
  // what the check listed). A file it could not read keeps its entry as it was.
  fresh_.clear();
  std::vector<std::uint64_t> sizes;
  std::size_t looked = 0;
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (items[i].unreadable) continue;
    std::uint64_t size = items[i].size;
    if (!ReadAsNew(outcome, items[i])) {
      if (outcome.states[items[i].entry] == TState::Failed) continue;
      if (++looked % kStatPiece == 0) {
        view_.ProcessMessages();
        if (view_.AbortRequested()) return stop();
      }
      const std::string path = base + inventory.RelativePath(i);
      std::int64_t lastWrite = 0;
      if (!gate->MayOpen(path) ||
          platform::GetPathKind(path, &size, &lastWrite) != platform::TPathKind::File ||
          (size == items[i].size && lastWrite == items[i].lastWrite))
        continue;
    }
    fresh_.push_back(i);
    sizes.push_back(size);
    shown.Counts()->total += size;
  }
  shown.Counts()->totalKnown = true;
  TPipelineOptions options;
  options.digestFile = digestFile_;
  options.gate = gate;
  options.progress = shown.Counts();
  options.paused = &view_.PauseFlag();
  digests_.assign(fresh_.size(), std::string());
  {
    TDigestPipeline pipeline(
        digestThreads_ != 0 ? digestThreads_ : platform::DigestThreads(base.empty() ? "." : base),
        std::move(options));
    std::size_t queued = 0;
    TDigestResult result;
    for (std::size_t n = 0; n < fresh_.size(); ++n) {
      while (queued < fresh_.size() && !pipeline.Full()) {
        pipeline.Queue(base + inventory.RelativePath(fresh_[queued]), std::string(), sizes[queued]);
        ++queued;
      }
      const std::string& path = pipeline.OldestPath();
      view_.SetStatus({ProgramText(FilesProgressText(view_, n)),
                       Utf8Text(std::string_view(path).substr(0, path.find_last_of('\\')))});
      view_.ProcessMessages();
      if (!view_.AbortRequested()) pipeline.Take(view_, result);
      if (view_.AbortRequested()) {
        pipeline.Cancel(view_);
        return stop();
      }
      if (result.Code == HASH_ERR_NONE) {
        digests_[n] = result.Digest;
      } else {
        AppendDigestError(view_, result.Code, result.Path);
      }
    }
  }

  // A gone entry whose digest a new file has moved to that file: its entry follows it.
  gone_ = GoneEntries(outcome);
  std::multimap<std::string_view, std::size_t> freshByDigest;
  for (std::size_t n = 0; n < fresh_.size(); ++n)
    if (!digests_[n].empty() && items[fresh_[n]].entry == TFolderInventory::kNoEntry)
      freshByDigest.emplace(digests_[n], n);
  moved_.assign(fresh_.size(), false);
  removed_ = 0;
  std::size_t movedCount = 0;
  std::string oldPath;
  for (std::size_t e = 0; e < entries.size(); ++e) {
    if (!gone_[e]) continue;
    const auto match = freshByDigest.find(entries.ExpectedDigest(e));
    if (match == freshByDigest.end()) {
      ++removed_;
      continue;
    }
    moved_[match->second] = true;
    ++movedCount;
    entries.Path(e, base, 0, oldPath);
    const std::string newPath = base + std::string(inventory.RelativePath(fresh_[match->second]));
    view_.AppendLine(
        TFilledText(Say(view_, TText::MovedLine), {Utf8Text(oldPath), Utf8Text(newPath)}));
    freshByDigest.erase(match);
  }
  view_.SetStatus({ProgramText(kIdleStatus)});

  std::size_t counts[kCountKinds] = {};
  Build(false, nullptr, counts);
  prepared_ = TPlan();
  prepared_.added = counts[static_cast<int>(TCount::Added)];
  prepared_.removed = removed_;
  prepared_.moved = movedCount;
  prepared_.edited = counts[static_cast<int>(TCount::Edited)];
  prepared_.kept = counts[static_cast<int>(TCount::Kept)];
  prepared_.reread = counts[static_cast<int>(TCount::Reread)];
  prepared_.possible = prepared_.added + prepared_.removed + prepared_.moved + prepared_.edited +
                           prepared_.kept + prepared_.reread >
                       0;
  return true;
}

void TUpdatePass::Build(bool acceptKept, TMD5NodeArray* nodes, std::size_t* counts) const {
  const TCheckOutcome& outcome = *read_;
  const TCheckfileEntries& entries = *outcome.entries;
  const TFolderInventory& inventory = *outcome.inventory;
  const std::vector<TFolderInventory::TItem>& items = inventory.Items();
  // The checkfile as a make run of the folder would write it now, in walk order; the entries of
  // files that exist but were not listed (hidden since) follow, never dropped.
  const std::string& top = inventory.Top();
  std::size_t next = 0;  // in `fresh_`
  std::string path;
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (items[i].unreadable) continue;
    const std::size_t n = next < fresh_.size() && fresh_[next] == i ? next++ : fresh_.size();
    const std::uint32_t entry = items[i].entry;
    if (nodes) path = top + "\\" + inventory.RelativePath(i);
    if (ReadAsNew(outcome, items[i])) {
      // Left out, as a make leaves it, where it could not be read.
      if (digests_[n].empty()) continue;
      const TCount count = entry == TFolderInventory::kNoEntry ? TCount::Added : TCount::Reread;
      counts[static_cast<int>(count)] += !moved_[n];
      if (nodes) nodes->Append(path, digests_[n]);
      continue;
    }
    std::string_view digest = DigestToKeep(outcome, entry, acceptKept);
    TCount count = CountOf(outcome.states[entry], acceptKept);
    // Changed since the check, and not back to what it was: an edit.
    if (n < fresh_.size() && !digests_[n].empty() && digests_[n] != digest) {
      digest = digests_[n];
      count = TCount::Edited;
    }
    ++counts[static_cast<int>(count)];
    if (nodes) nodes->Append(path, digest);
  }
  if (!nodes) return;
  const std::string& base = inventory.ShownBase();
  for (std::size_t e = 0; e < entries.size(); ++e) {
    if (gone_[e] || inventory.Names(e)) continue;
    entries.Path(e, base, 0, path);
    std::string relative = platform::OpenedPath(path).substr(top.size() + 1);
    nodes->Append(top + "\\" + relative,
                  DigestToKeep(outcome, static_cast<std::uint32_t>(e), acceptKept));
  }
}

void TUpdatePass::LeaveAsItWas() { AppendText(view_, TText::CheckfileLeftLine); }

void TUpdatePass::Write(bool acceptKept) {
  const TCheckOutcome& outcome = *read_;
  view_.ClearAbortRequest();
  TRunningState running(view_, TRunKind::Check);
  TMD5NodeArray nodes;
  std::size_t counts[kCountKinds] = {};
  Build(acceptKept, &nodes, counts);
  if (nodes.empty()) {
    view_.ShowNoFilesBox();
    return LeaveAsItWas();
  }
  const std::string& top = outcome.inventory->Top();
  const TCheckfileBody body = CheckfileBody(top, nodes);
  for (const std::size_t i : body.LeftOut) AppendPath(view_, TText::TooLongLine, nodes.FullPath(i));
  // Written meanwhile by another, the checkfile is left to them.
  const auto pump = [this] { view_.ProcessMessages(); };
  if (!IsCheckfileAsRead(outcome.checkfilePath, *outcome.entries, outcome.checkfileWritten, pump))
    RefuseChangedCheckfile(view_, outcome.checkfilePath);
  TCheckfileWriting writing;
  writing.shownPath = outcome.checkfilePath;
  writing.language = view_.Language();
  try {
    WriteCheckfile(top, versionText_, platform::LocalNow(), body, writing);
  } catch (const ECheckfileError&) {
    LeaveAsItWas();
    throw;
  }

  running.End();
  const auto count = [&](TCount kind) { return counts[static_cast<int>(kind)]; };
  const std::pair<std::size_t, TText> lines[] = {
      {count(TCount::Added), TText::AddedCount},  {removed_, TText::RemovedCount},
      {prepared_.moved, TText::MovedCount},       {count(TCount::Edited), TText::EditedTakenCount},
      {count(TCount::Kept), TText::KeptCount},    {count(TCount::Accepted), TText::AcceptedCount},
      {count(TCount::Reread), TText::RereadCount}};
  for (const auto& [n, text] : lines)
    if (n > 0) AppendCount(view_, text, n);
  AppendPath(view_, TText::SavedLine, outcome.checkfilePath);
}
