// The check run: one result line per accepted checkfile entry, then the sorted list of files that
// no longer match, the counts, and what changed since the checkfile was made. Files are digested
// several at once ahead of the line being written, and the folder is listed beside them; every
// line still comes in checkfile order.
#include "catalogue/check_pass.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <deque>
#include <memory>
#include <vector>

#include "catalogue/background_task.h"
#include "catalogue/checkfile.h"
#include "catalogue/digest_pipeline.h"
#include "catalogue/folder_inventory.h"
#include "catalogue/path_gate.h"
#include "catalogue/run_state.h"
#include "catalogue/run_texts.h"
#include "digest/digest_service.h"
#include "platform/clock.h"
#include "platform/drive.h"
#include "platform/text.h"

using texts::TText;

namespace {

constexpr unsigned kEncodings = 4;  // of TNameEncoding

// The readings of one entry's name: how many, and the encoding of each.
struct TReadings {
  TNameEncoding encodings[TCheckfileEntries::kMostReadings];
  unsigned count = 0;
};

// How much sorting work is done between two chances for the window's messages to run.
constexpr std::size_t kSortPiece = 4096;

void AppendProgramLine(TRunView& view, const std::string& line) {
  view.AppendLine({ProgramText(line)});
}

// The comparison keys of many texts in one block: key i is bytes [starts[i], starts[i + 1]).
struct TSortKeys {
  std::string bytes;
  std::vector<std::size_t> starts{0};

  bool Less(std::uint32_t a, std::uint32_t b) const {
    const std::size_t lengthA = starts[a + 1] - starts[a];
    const std::size_t lengthB = starts[b + 1] - starts[b];
    const int c =
        std::memcmp(bytes.data() + starts[a], bytes.data() + starts[b], std::min(lengthA, lengthB));
    return c < 0 || (c == 0 && lengthA < lengthB);
  }
};

// Sorts `order` by the keys, keeping the order of equal keys, in small pieces with the window's
// messages running between them: runs of kSortPiece sorted alone, then merged pairwise.
void StableSortInPieces(std::vector<std::uint32_t>& order, const TSortKeys& keys, TRunView& view) {
  const auto less = [&](std::uint32_t a, std::uint32_t b) { return keys.Less(a, b); };
  const std::size_t n = order.size();
  for (std::size_t start = 0; start < n; start += kSortPiece) {
    std::stable_sort(order.begin() + start, order.begin() + std::min(n, start + kSortPiece), less);
    view.ProcessMessages();
  }
  std::vector<std::uint32_t> merged(n);
  std::size_t work = 0;
  for (std::size_t width = kSortPiece; width < n; width *= 2) {
    for (std::size_t low = 0; low < n; low += 2 * width) {
      const std::size_t middle = std::min(n, low + width);
      const std::size_t high = std::min(n, low + 2 * width);
      std::size_t a = low, b = middle, out = low;
      while (a < middle || b < high) {
        // Equal keys keep the left run's element first.
        const bool right = a == middle || (b < high && less(order[b], order[a]));
        merged[out++] = right ? order[b++] : order[a++];
        if (++work % kSortPiece == 0) view.ProcessMessages();
      }
    }
    order.swap(merged);
  }
}

}  // namespace

// The full paths of the changed files, in the locale's order regardless of letter case; files
// that compare equal keep their checkfile order. Each path's key is made once.
std::vector<std::uint32_t> TCheckPass::SortedMismatches(const std::vector<TMismatch>& mismatches,
                                                        const TCheckfileEntries& entries,
                                                        const std::string& baseFolder) {
  TSortKeys keys;
  keys.starts.reserve(mismatches.size() + 1);
  std::string path;
  for (std::size_t i = 0; i < mismatches.size(); ++i) {
    entries.Path(mismatches[i].entry, baseFolder, mismatches[i].reading, path);
    keys.bytes += platform::SortKeyIgnoreCase(path);
    keys.starts.push_back(keys.bytes.size());
    if ((i + 1) % kSortPiece == 0) view_.ProcessMessages();
  }
  std::vector<std::uint32_t> order(mismatches.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = static_cast<std::uint32_t>(i);
  StableSortInPieces(order, keys, view_);
  return order;
}

TCheckPass::TCheckPass(TRunView& view, unsigned digestThreads, TDigestFile digestFile)
    : view_(view), digestThreads_(digestThreads), digestFile_(digestFile) {}

void TCheckPass::Run(const std::string& checkfilePath, TCheckOrigin origin) {
  outcome_.reset();
  summary_ = TCheckSummary();
  view_.ClearPane();
  if (origin == TCheckOrigin::BesideProgram) AppendText(view_, TText::AutoCheckLine);
  view_.ClearAbortRequest();
  TRunningState running(view_, TRunKind::Check);
  TShownProgress shown(view_);
  progress_ = shown.Counts();
  auto entries = std::make_shared<const TCheckfileEntries>(LoadCheckfileEntries(
      checkfilePath, [this] { view_.ProcessMessages(); }, &checkfileWritten_, view_.Language()));
  Check(checkfilePath, std::move(entries), std::make_shared<const TPathGate>(checkfilePath),
        nullptr);
}

void TCheckPass::Run(const std::string& checkfilePath, const TCheckScope& scope) {
  outcome_.reset();
  summary_ = TCheckSummary();
  view_.ClearPane();
  view_.ClearAbortRequest();
  TRunningState running(view_, TRunKind::Check);
  TShownProgress shown(view_);
  progress_ = shown.Counts();
  progress_->total = scope.bytes;
  progress_->totalKnown = true;
  checkfileWritten_ = scope.checkfileWritten;
  Check(checkfilePath, scope.entries, scope.gate, &scope);
}

void TCheckPass::Check(const std::string& checkfilePath,
                       std::shared_ptr<const TCheckfileEntries> entries,
                       const std::shared_ptr<const TPathGate>& gate, const TCheckScope* scope) {
  const std::string baseFolder = CheckfileBaseFolder(checkfilePath);
  AppendPath(view_, TText::CheckingLine, checkfilePath);

  // The folder is listed beside the digests. The listing owns what it uses: it may be left
  // behind, stuck on a dead share, when the window closes during a stop.
  struct TListing {
    std::shared_ptr<TFolderInventory> inventory;
    std::atomic<bool> cancelled{false};
  };
  const auto listing = std::make_shared<TListing>();
  std::unique_ptr<TBackgroundTask> walk;
  if (!scope || !scope->inventory) {
    listing->inventory = std::make_shared<TFolderInventory>(entries, checkfilePath, gate);
    walk = std::make_unique<TBackgroundTask>(
        [listing, counts = progress_] { listing->inventory->Make(*counts, listing->cancelled); });
  }
  struct TCancelListing {  // on every way out, before the listing is joined
    TListing& listing;
    ~TCancelListing() { listing.cancelled = true; }
  } cancelOnExit{*listing};

  auto outcome = std::make_shared<TCheckOutcome>();
  outcome->checkfilePath = checkfilePath;
  outcome->checkfileWritten = checkfileWritten_;
  outcome->entries = entries;
  outcome->states.assign(entries->size(), TCheckOutcome::TState::Failed);
  TTally tally;
  tally.skipped = entries->DamagedLines();
  std::vector<TMismatch> mismatches;
  bool stopped = CompareEntries(*entries, checkfilePath, gate, scope, tally, mismatches, *outcome);
  // The digests are done; the listing may still go on (a stop ends it as it ends the digests).
  if (!stopped && walk && !walk->Finish(view_, &listing->cancelled)) {
    stopped = true;
    AppendText(view_, TText::CheckAbortLine);
  }
  if (!stopped) {
    outcome->inventory = listing->inventory ? listing->inventory : scope->inventory;
    AppendSummary(*entries, baseFolder, tally, mismatches, *outcome);
  }
  Summarise(tally, mismatches, *outcome, stopped);
  if (!stopped) outcome_ = std::move(outcome);
  view_.SetStatus({ProgramText(kIdleStatus)});
}

void TCheckPass::Summarise(const TTally& tally, const std::vector<TMismatch>& mismatches,
                           const TCheckOutcome& outcome, bool stopped) {
  using TState = TCheckOutcome::TState;
  summary_.entries = outcome.states.size();
  summary_.compared = tally.compared;
  summary_.notCompared = tally.failed;
  summary_.damagedLines = tally.skipped;
  for (const TMismatch& mismatch : mismatches) {
    const TState state = outcome.states[mismatch.entry];
    if (state == TState::Damaged) {
      ++summary_.damaged;
    } else if (state == TState::Edited) {
      ++summary_.edited;
    } else {
      ++summary_.changedUntimed;
    }
  }
  if (outcome.inventory && !outcome.inventory->NamesFilesOutside()) {
    summary_.newFiles = outcome.inventory->NewFiles();
    summary_.folderUnlisted = outcome.inventory->SomeFolderUnreadable();
  }
  summary_.stopped = stopped;
}

bool TCheckPass::CompareEntries(const TCheckfileEntries& entries, const std::string& checkfilePath,
                                const std::shared_ptr<const TPathGate>& gate,
                                const TCheckScope* scope, TTally& tally,
                                std::vector<TMismatch>& mismatches, TCheckOutcome& outcome) {
  const std::string baseFolder = CheckfileBaseFolder(checkfilePath);
  TPipelineOptions options;
  options.digestFile = digestFile_;
  options.gate = gate;
  options.progress = progress_;
  options.paused = &view_.PauseFlag();
  TDigestPipeline pipeline(digestThreads_ != 0
                               ? digestThreads_
                               : platform::DigestThreads(baseFolder.empty() ? "." : baseFolder),
                           std::move(options));
  // The entries to read, by their place in the checkfile.
  const std::size_t count = scope ? scope->order.size() : entries.size();
  const auto entryAt = [&](std::size_t n) { return scope ? scope->order[n] : n; };
  std::size_t queued = 0;
  std::string paths[TCheckfileEntries::kMostReadings];
  std::string otherPaths;
  // The encodings of the readings of the entries queued and not yet taken.
  std::deque<TReadings> readings;
  const auto queueNext = [&] {
    TReadings& queuedReadings = readings.emplace_back();
    queuedReadings.count =
        entries.Paths(entryAt(queued), baseFolder, paths, queuedReadings.encodings);
    otherPaths.clear();
    for (unsigned reading = 1; reading < queuedReadings.count; ++reading) {
      otherPaths += paths[reading];
      otherPaths += '\0';
    }
    pipeline.Queue(paths[0], std::move(otherPaths));
    ++queued;
  };
  TDigestResult result;
  // How many files were found under a reading of each encoding so far: a name that names no file
  // under any reading is shown in the encoding the list's other names were found in.
  std::uint32_t found[kEncodings] = {};
  for (std::size_t taken = 0; taken < count; ++taken) {
    // Past the scope's time no file is started: the run ends with those started.
    if (scope && taken == queued && std::chrono::steady_clock::now() >= scope->deadline) break;
    while (queued < count && !pipeline.Full() &&
           (!scope || std::chrono::steady_clock::now() < scope->deadline))
      queueNext();
    const std::size_t i = entryAt(taken);
    const std::string progress =
        texts::CountText(view_.Language(), TText::ComparingStatus, tally.compared);
    view_.SetStatus({ProgramText(progress), Utf8Text(pipeline.OldestPath())});
    view_.ProcessMessages();
    if (!view_.AbortRequested()) pipeline.Take(view_, result);
    if (view_.AbortRequested()) {
      pipeline.Cancel(view_);
      AppendText(view_, TText::CheckAbortLine);
      return true;
    }
    const TReadings names = readings.front();
    readings.pop_front();
    if (result.Code == HASH_ERR_NONE)
      ++found[static_cast<unsigned>(names.encodings[result.Reading])];
    if (result.NoneNamed) {
      unsigned best = 0;
      for (unsigned reading = 1; reading < names.count; ++reading) {
        if (found[static_cast<unsigned>(names.encodings[reading])] >
            found[static_cast<unsigned>(names.encodings[best])])
          best = reading;
      }
      entries.Path(i, baseFolder, best, result.Path);
      result.Reading = best;
    }
    ShowResult(entries, i, result, tally, mismatches, outcome);
    if (scope && scope->onResult) scope->onResult(static_cast<std::uint32_t>(i), outcome.states[i]);
  }
  return false;
}

void TCheckPass::ShowResult(const TCheckfileEntries& entries, std::size_t i,
                            const TDigestResult& result, TTally& tally,
                            std::vector<TMismatch>& mismatches, TCheckOutcome& outcome) {
  using TState = TCheckOutcome::TState;
  if (result.Refused) {
    // On another computer than the checkfile's: opening it would connect to that computer and
    // offer the user's credentials, so it is counted among the files not compared.
    ++tally.failed;
    outcome.states[i] = TState::NotOpened;
    AppendPath(view_, TText::ElsewhereLine, result.Path);
    return;
  }
  if (!result.AlsoNamed.empty()) {
    // Each reading names a file of its own: the entry passes only where every one matches; which
    // one is meant cannot be told, so otherwise it is compared with none.
    bool allMatch = result.Code == HASH_ERR_NONE && entries.Matches(i, result.Digest);
    for (const TDigestResult& other : result.AlsoNamed)
      allMatch = allMatch && other.Code == HASH_ERR_NONE && entries.Matches(i, other.Digest);
    if (!allMatch) {
      ++tally.failed;
      outcome.states[i] = TState::NotOpened;
      std::string named = result.Path;
      for (const TDigestResult& other : result.AlsoNamed) named += " | " + other.Path;
      AppendPath(view_, TText::AmbiguousLine, named);
      return;
    }
  }
  if (result.Code != HASH_ERR_NONE) {
    ++tally.failed;
    AppendDigestError(view_, result.Code, result.Path);
    return;
  }
  ++tally.compared;
  if (entries.Matches(i, result.Digest)) {
    outcome.states[i] = TState::Matched;
    AppendPath(view_, TText::MatchedLine, result.Path);
    return;
  }
  // Changed. Written through the file system, its last write is after the checkfile's; a file
  // whose content changed while its time stayed before was not (the times of coarse file
  // systems aside). A last write later than now tells nothing: a file dated in the future keeps
  // that date through damage.
  constexpr std::int64_t kCoarseTime = 2 * 10000000;  // two seconds, in file time
  // Media dated in local time (FAT) may be off by a clock change or a time zone.
  constexpr std::int64_t kClockTolerance = 2LL * 3600 * 10000000;
  bool futureDate = false;
  if (!result.LastWriteKnown || checkfileWritten_ < 0) {
    outcome.states[i] = TState::Changed;
  } else {
    futureDate = result.LastWrite > platform::FileTimeNow() + kClockTolerance;
    outcome.states[i] = futureDate || result.LastWrite < checkfileWritten_ - kCoarseTime
                            ? TState::Damaged
                            : TState::Edited;
  }
  outcome.changedDigests.emplace_back(static_cast<std::uint32_t>(i), result.Digest);
  // Stored in the checkfile's encoding, as the digits are shown.
  const std::string_view expected = entries.ExpectedDigest(i);
  view_.AppendLine(TFilledText(
      Say(view_, TText::MismatchLine),
      {Utf8Text(result.Path), entries.IsUtf8() ? Utf8Text(expected) : SystemText(expected),
       ProgramText(result.Digest)}));
  mismatches.push_back({static_cast<std::uint32_t>(i), result.Reading, futureDate});
}

void TCheckPass::AppendSummary(const TCheckfileEntries& entries, const std::string& baseFolder,
                               const TTally& tally, const std::vector<TMismatch>& mismatches,
                               const TCheckOutcome& outcome) {
  const auto mismatched = static_cast<int32_t>(mismatches.size());
  AppendText(view_, TText::ResultsDoneLine);
  AppendProgramLine(view_, "");
  std::vector<std::uint32_t> sorted;
  if (mismatched > 0) {
    sorted = SortedMismatches(mismatches, entries, baseFolder);
    AppendText(view_, TText::MismatchBlock);
    std::string path;
    for (const std::uint32_t i : sorted) {
      entries.Path(mismatches[i].entry, baseFolder, mismatches[i].reading, path);
      view_.AppendLine({Utf8Text(path)});
      view_.ProcessMessages();
    }
    AppendText(view_, TText::BlockEnd);
  }
  // A damaged entry line may stand for a changed file: it is counted, never passed in silence.
  if (tally.skipped > 0) AppendCount(view_, TText::SkippedCount, tally.skipped);
  if (tally.compared == 0) {
    AppendText(view_, TText::NothingCompared);
  } else {
    AppendCount(view_, TText::ComparedCount, tally.compared);
  }
  if (tally.failed > 0) {
    AppendCount(view_, TText::FailedCount, tally.failed);
  }
  if (mismatched > 0) {
    AppendCount(view_, TText::MismatchCount, mismatched);
    AppendChangeKinds(entries, baseFolder, mismatches, sorted, outcome);
  }
  if (mismatched == 0 && tally.failed == 0 && tally.skipped == 0 && tally.compared > 0) {
    AppendText(view_, TText::AllWell);
    summary_.allWell = true;
  }
  if (outcome.inventory) AppendNewFiles(*outcome.inventory);
}

void TCheckPass::AppendChangeKinds(const TCheckfileEntries& entries, const std::string& baseFolder,
                                   const std::vector<TMismatch>& mismatches,
                                   const std::vector<std::uint32_t>& sorted,
                                   const TCheckOutcome& outcome) {
  using TState = TCheckOutcome::TState;
  std::size_t damaged = 0, edited = 0;
  for (const TMismatch& mismatch : mismatches) {
    damaged += outcome.states[mismatch.entry] == TState::Damaged;
    edited += outcome.states[mismatch.entry] == TState::Edited;
  }
  if (damaged > 0) {
    AppendText(view_, TText::DamagedBlock);
    std::string path;
    for (const std::uint32_t i : sorted) {
      if (outcome.states[mismatches[i].entry] != TState::Damaged) continue;
      entries.Path(mismatches[i].entry, baseFolder, mismatches[i].reading, path);
      if (mismatches[i].futureDate) {
        view_.AppendLine({Utf8Text(path), ProgramText(Say(view_, TText::FutureDateNote))});
      } else {
        view_.AppendLine({Utf8Text(path)});
      }
      view_.ProcessMessages();
    }
    AppendText(view_, TText::BlockEnd);
    AppendCount(view_, TText::DamagedCount, damaged);
  }
  if (edited > 0) AppendCount(view_, TText::EditedCount, edited);
}

void TCheckPass::AppendNewFiles(const TFolderInventory& inventory) {
  if (inventory.NamesFilesOutside()) {
    AppendText(view_, TText::OutsideLine);
    return;
  }
  if (inventory.NewFiles() == 0 && !inventory.SomeFolderUnreadable()) return;
  AppendText(view_, TText::NewBlock);
  const std::vector<TFolderInventory::TItem>& items = inventory.Items();
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (items[i].unreadable) {
      view_.AppendLine({ProgramText(Say(view_, TText::UnlistedFolderLine)),
                        Utf8Text(inventory.ShownBase()), Utf8Text(inventory.RelativePath(i))});
    } else if (items[i].entry == TFolderInventory::kNoEntry) {
      view_.AppendLine({Utf8Text(inventory.ShownBase()), Utf8Text(inventory.RelativePath(i))});
    } else {
      continue;
    }
    view_.ProcessMessages();
  }
  AppendText(view_, TText::BlockEnd);
  AppendCount(view_, inventory.SomeFolderUnreadable() ? TText::NewCountPartly : TText::NewCount,
              inventory.NewFiles());
}
