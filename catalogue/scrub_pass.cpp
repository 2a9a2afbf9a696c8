// The rolling scrub over the check pass; see scrub_pass.h.
#include "catalogue/scrub_pass.h"

#include <algorithm>
#include <cstdio>

#include "catalogue/background_task.h"
#include "catalogue/checkfile.h"
#include "catalogue/date_time_text.h"
#include "catalogue/folder_inventory.h"
#include "catalogue/path_gate.h"
#include "catalogue/progress_meter.h"
#include "catalogue/run_texts.h"
#include "platform/clock.h"
#include "platform/drive.h"
#include "platform/input_file.h"
#include "platform/output_file.h"
#include "platform/path.h"
#include "platform/system_error.h"

using texts::TText;

namespace {

std::int64_t SystemUtcNow() {
  return std::chrono::duration_cast<std::chrono::seconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

TScrubResult ResultOf(TCheckOutcome::TState state) {
  using TState = TCheckOutcome::TState;
  switch (state) {
    case TState::Matched:
      return TScrubResult::Matched;
    case TState::Edited:
      return TScrubResult::Edited;
    case TState::Damaged:
      return TScrubResult::Damaged;
    case TState::Changed:
      return TScrubResult::Changed;
    case TState::NotOpened:
      return TScrubResult::NotOpened;
    case TState::Failed:
      break;
  }
  return TScrubResult::Failed;
}

// The whole of a small file; false where it cannot be read (a missing one included).
bool ReadSmallFile(const std::string& path, std::string& content) {
  platform::InputFile file;
  std::uint64_t size = 0;
  if (!file.Open(path) || !file.Size(size) || size > (256u << 20)) return false;
  content.assign(static_cast<std::size_t>(size), '\0');
  std::uint32_t got = 0;
  for (std::size_t done = 0; done < content.size(); done += got)
    if (!file.Read(&content[done], static_cast<std::uint32_t>(content.size() - done), got) ||
        got == 0)
      return false;
  return true;
}

std::string StatePathOf(const std::string& checkfilePath, const std::string& volume,
                        const std::string& folder) {
  return folder + "\\" + ScrubStateFileName(platform::AbsolutePath(checkfilePath), volume);
}

// The entries as the state keeps them: each name's first reading and its digest.
std::vector<std::pair<std::string, std::string>> EntryKeys(const TCheckfileEntries& entries) {
  std::vector<std::pair<std::string, std::string>> keys(entries.size());
  for (std::size_t i = 0; i < entries.size(); ++i) {
    entries.Path(i, std::string(), 0, keys[i].first);
    keys[i].second.assign(entries.ExpectedDigest(i));
  }
  return keys;
}

std::string DateText(std::int64_t utcSeconds) {
  return FormatDateTimeText(platform::LocalTimeOf(utcSeconds));
}

}  // namespace

std::string ScrubStateFolder() {
  const std::string data = platform::UserDataFolder();
  return data.empty() ? std::string() : data + "\\Hashtally\\Scrub";
}

TScrubPass::TScrubPass(TRunView& view, unsigned digestThreads, TDigestFile digestFile)
    : view_(view), pass_(view, digestThreads, digestFile) {}

void TScrubPass::Run(const std::string& checkfilePath, const TScrubRequest& request) {
  const auto now = utcNow ? utcNow : SystemUtcNow;
  std::int64_t written = -1;
  const auto entries = std::make_shared<const TCheckfileEntries>(LoadCheckfileEntries(
      checkfilePath, [this] { view_.ProcessMessages(); }, &written, view_.Language()));

  // What earlier scrubs verified; a state that cannot be trusted is set aside, never lost.
  const std::string volume = platform::VolumeSerial(checkfilePath);
  const std::string statePath = StatePathOf(checkfilePath, volume, request.stateFolder);
  TScrubState state;
  std::string content, why, setAside;
  if (ReadSmallFile(statePath, content) && !TScrubState::Parse(content, state, why)) {
    std::string stamp = UtcText(now());
    for (char& c : stamp) c = c == ':' ? '-' : c;
    setAside = statePath + ".unreadable-" + stamp;
    if (!platform::ReplaceFileInOneStep(statePath, setAside)) setAside.clear();
    state = TScrubState();
  }
  state.checkfile = checkfilePath;
  state.volume = volume;
  state.Reconcile(EntryKeys(*entries));

  // The plan needs each file's size: those the last listing found, or this listing's, made first
  // where some are not known (the first scrub, a new entry); otherwise the check lists the folder
  // beside the digests, and the sizes are taken from it for the next time.
  const auto gate = std::make_shared<const TPathGate>(checkfilePath);
  std::shared_ptr<TFolderInventory> inventory;
  const auto sizesFrom = [&](const TFolderInventory& listed) {
    for (TScrubEntry& entry : state.entries)
      entry = {entry.name, entry.digest, entry.verifiedAt, entry.result, 0, true};
    for (const TFolderInventory::TItem& item : listed.Items())
      if (!item.unreadable && item.entry != TFolderInventory::kNoEntry)
        state.entries[item.entry].size += item.size;
    // A list that names files elsewhere has no listing to tell their sizes: each is asked.
    if (!listed.NamesFilesOutside()) return;
    std::string path;
    for (std::size_t i = 0; i < state.entries.size(); ++i) {
      if (entries->Path(i, CheckfileBaseFolder(checkfilePath), 0, path))
        platform::GetPathKind(path, &state.entries[i].size);
      if (i % 256 == 0) view_.ProcessMessages();
    }
  };
  if (std::any_of(state.entries.begin(), state.entries.end(),
                  [](const TScrubEntry& entry) { return !entry.sizeKnown; })) {
    inventory = std::make_shared<TFolderInventory>(entries, checkfilePath, gate);
    auto counts = std::make_shared<TByteProgress>();
    auto cancelled = std::make_shared<std::atomic<bool>>(false);
    TBackgroundTask listing(
        [inventory, counts, cancelled] { inventory->Make(*counts, *cancelled); });
    if (!listing.Finish(view_, cancelled.get())) {
      AppendText(view_, TText::CheckAbortLine);
      return;
    }
    sizesFrom(*inventory);
  }
  std::vector<std::uint64_t> sizes(entries->size(), 0);
  for (std::size_t i = 0; i < sizes.size(); ++i) sizes[i] = state.entries[i].size;
  const TScrubPlan plan = PlanScrub(state, sizes, request.limits, now());
  plannedNothing_ = plan.entries.empty();

  // The state is saved as files are verified, at least once a minute, and at the end.
  const auto save = [&] {
    unsigned long error = 0;
    return platform::MakeFolders(request.stateFolder) &&
           platform::ReplaceWithContent(statePath, state.Text(), error);
  };
  auto saved = std::chrono::steady_clock::now();
  std::uint64_t readBytes = 0;
  TCheckScope scope;
  scope.entries = entries;
  scope.checkfileWritten = written;
  scope.gate = gate;
  scope.inventory = inventory;
  scope.order.assign(plan.entries.begin(), plan.entries.end());
  scope.bytes = plan.plannedBytes;
  if (request.minutes > 0)
    scope.deadline = std::chrono::steady_clock::now() + std::chrono::minutes(request.minutes);
  scope.onResult = [&](std::uint32_t entry, TCheckOutcome::TState found) {
    state.entries[entry].verifiedAt = now();
    state.entries[entry].result = ResultOf(found);
    readBytes += sizes[entry];
    if (std::chrono::steady_clock::now() - saved >= saveInterval) {
      save();
      saved = std::chrono::steady_clock::now();
    }
  };
  pass_.Run(checkfilePath, scope);
  if (!inventory && pass_.Outcome() && pass_.Outcome()->inventory)
    sizesFrom(*pass_.Outcome()->inventory);

  stateSaved_ = save();
  if (!setAside.empty())
    view_.AppendLine(
        TFilledText(Say(view_, TText::ScrubSetAsideLine), {SystemText(why), Utf8Text(setAside)}));
  if (!stateSaved_) AppendPath(view_, TText::ScrubSaveFailedLine, statePath);
  const std::uint64_t percent = plan.totalBytes == 0 ? 100 : readBytes * 100 / plan.totalBytes;
  const std::string shares[] = {std::to_string(percent), ByteCountText(readBytes, view_.Language()),
                                ByteCountText(plan.totalBytes, view_.Language())};
  view_.AppendLine(
      TFilledText(Say(view_, TText::ScrubReadLine),
                  {ProgramText(shares[0]), ProgramText(shares[1]), ProgramText(shares[2])}));
  if (const std::int64_t oldest = state.OldestVerification()) {
    const std::string date = DateText(oldest);
    view_.AppendLine(TFilledText(Say(view_, TText::ScrubOldestLine), {SystemText(date)}));
  }
  if (const std::size_t never = state.NeverVerified())
    AppendCount(view_, TText::ScrubNeverCount, never);
}

bool ScrubStateLine(const std::string& checkfilePath, const TCheckfileEntries& entries,
                    const std::string& stateFolder, texts::TLanguage language, TShownText& line) {
  std::string content, why;
  TScrubState state;
  if (stateFolder.empty() ||
      !ReadSmallFile(StatePathOf(checkfilePath, platform::VolumeSerial(checkfilePath), stateFolder),
                     content) ||
      !TScrubState::Parse(content, state, why))
    return false;
  state.Reconcile(EntryKeys(entries));
  if (const std::size_t never = state.NeverVerified()) {
    line.Assign({ProgramText(texts::CountText(language, TText::ScrubNeverCount, never))});
    return true;
  }
  std::int64_t latest = 0;
  for (const TScrubEntry& entry : state.entries) latest = std::max(latest, entry.verifiedAt);
  const std::string date = DateText(latest);
  line.Assign(TFilledText(texts::Text(language, TText::ScrubAllVerifiedLine), {SystemText(date)}));
  return true;
}
