// The check pass: re-digests every file a checkfile lists and reports matches, mismatches and
// failures through the window's run view, then what changed since the checkfile was made: the
// files it does not list, and which changed files were edited and which may be damaged.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "catalogue/digest_pipeline.h"
#include "catalogue/run_view.h"
#include "catalogue/tree_walk.h"

class TCheckfileEntries;
class TFolderInventory;

// Where the run's checkfile came from: the one beside the program is announced by a line of its
// own; one chosen in the open dialog, given on the command line or dropped on the window is not.
enum class TCheckOrigin { Chosen, BesideProgram };

// What a finished check found, entry by entry: what an update of its checkfile starts from.
struct TCheckOutcome {
  enum class TState : std::uint8_t {
    Matched,
    Edited,     // changed, and written after the checkfile was
    Damaged,    // changed, though its last write is before the checkfile's (or later than now)
    Changed,    // changed, where either time is unknown
    Failed,     // could not be digested: gone, locked, unreadable
    NotOpened,  // on another computer, or a name that reads as files that do not all match
  };
  std::string checkfilePath;
  std::int64_t checkfileWritten = -1;  // its last write as the check read it; -1: unknown
  std::shared_ptr<const TCheckfileEntries> entries;
  std::shared_ptr<const TFolderInventory> inventory;
  std::vector<TState> states;  // per entry
  // The digest the check computed for each changed entry, by entry.
  std::vector<std::pair<std::uint32_t, std::string>> changedDigests;
};

// What a check run counted, for callers that show no pane (the console program's exit code).
// Filled at every ending but an exception's; after a stop, what the run got through until then.
struct TCheckSummary {
  std::size_t entries = 0;         // entries the checkfile lists
  std::int32_t compared = 0;       // digested, matching or not
  std::int32_t notCompared = 0;    // could not be digested, refused or ambiguous
  std::int32_t damagedLines = 0;   // lines of the checkfile that could not be read
  std::size_t damaged = 0;         // changed, though written before the checkfile
  std::size_t edited = 0;          // changed, written after the checkfile
  std::size_t changedUntimed = 0;  // changed, where either time is unknown
  std::size_t newFiles = 0;        // files of the folder that no entry names
  bool folderUnlisted = false;     // some folder could not be listed for new files
  bool allWell = false;            // the run said "一切正常!"
  bool stopped = false;
};

// A check of some of a checkfile's entries over what was read and listed already: a rolling scrub
// reads a few files each night. The listing gives the new files as in a whole check.
struct TCheckScope {
  std::shared_ptr<const TCheckfileEntries> entries;
  std::int64_t checkfileWritten = -1;  // as LoadCheckfileEntries told it
  std::shared_ptr<const TPathGate> gate;
  // Made with `gate`; null: the check lists the folder beside the digests, as a whole check does.
  std::shared_ptr<const TFolderInventory> inventory;
  std::vector<std::uint32_t> order;  // the entries to read, in this order
  std::uint64_t bytes = 0;           // their bytes, for the progress
  // No file is started after it; those started are read to their end.
  std::chrono::steady_clock::time_point deadline = std::chrono::steady_clock::time_point::max();
  // Told of each entry read, in `order`, with what the check found.
  std::function<void(std::uint32_t entry, TCheckOutcome::TState state)> onResult;
};

class TCheckPass {
 public:
  // `view` must outlive the pass. `digestThreads` files are digested at once; 0 chooses by the
  // drive that holds the checkfile. Without `digestFile` files are digested with HashFile.
  explicit TCheckPass(TRunView& view, unsigned digestThreads = 0, TDigestFile digestFile = nullptr);

  // The check run over `checkfilePath`: clears the pane and checks. Every ending leaves the view
  // idle; a checkfile that cannot be loaded throws ECheckfileError after that.
  void Run(const std::string& checkfilePath, TCheckOrigin origin);
  // The same over the entries of `scope` alone, in its order; its lines, blocks and counts are
  // those of the files it read, and so is its outcome (the other entries stand as Failed).
  void Run(const std::string& checkfilePath, const TCheckScope& scope);
  // After a run that was not stopped: what it found.
  const std::shared_ptr<const TCheckOutcome>& Outcome() const { return outcome_; }
  const TCheckSummary& Summary() const { return summary_; }

 private:
  struct TTally {
    int32_t compared = 0;  // digested, matching or not
    int32_t failed = 0;    // could not be digested
    int32_t skipped = 0;   // damaged lines of the checkfile
  };

  // A changed file: its entry, and the reading of its name that named it.
  struct TMismatch {
    std::uint32_t entry;
    std::uint32_t reading;
    bool futureDate;  // its last write is later than the check's clock
  };

  // The digests and what they found, after the entries were loaded; the listing is made beside
  // them unless `scope` brings one.
  void Check(const std::string& checkfilePath, std::shared_ptr<const TCheckfileEntries> entries,
             const std::shared_ptr<const TPathGate>& gate, const TCheckScope* scope);
  // One line per entry in checkfile order (or the scope's); true when the user stopped the run.
  bool CompareEntries(const TCheckfileEntries& entries, const std::string& checkfilePath,
                      const std::shared_ptr<const TPathGate>& gate, const TCheckScope* scope,
                      TTally& tally, std::vector<TMismatch>& mismatches, TCheckOutcome& outcome);
  // The line of entry `i`'s result, counted in `tally`.
  void ShowResult(const TCheckfileEntries& entries, std::size_t i, const TDigestResult& result,
                  TTally& tally, std::vector<TMismatch>& mismatches, TCheckOutcome& outcome);
  // The order of `mismatches` in the sorted block (positions in it).
  std::vector<std::uint32_t> SortedMismatches(const std::vector<TMismatch>& mismatches,
                                              const TCheckfileEntries& entries,
                                              const std::string& baseFolder);
  // The sorted block of changed files and the counts.
  void AppendSummary(const TCheckfileEntries& entries, const std::string& baseFolder,
                     const TTally& tally, const std::vector<TMismatch>& mismatches,
                     const TCheckOutcome& outcome);
  // Of the changed files, those that may be damaged and those that were edited.
  void AppendChangeKinds(const TCheckfileEntries& entries, const std::string& baseFolder,
                         const std::vector<TMismatch>& mismatches,
                         const std::vector<std::uint32_t>& sorted, const TCheckOutcome& outcome);
  // The files of the folder the checkfile does not list.
  void AppendNewFiles(const TFolderInventory& inventory);
  void Summarise(const TTally& tally, const std::vector<TMismatch>& mismatches,
                 const TCheckOutcome& outcome, bool stopped);

  TRunView& view_;
  unsigned digestThreads_;
  TDigestFile digestFile_;
  std::shared_ptr<TByteProgress> progress_;  // the run's, while it is active
  std::int64_t checkfileWritten_ = -1;       // the checkfile's last write; -1: unknown
  std::shared_ptr<const TCheckOutcome> outcome_;
  TCheckSummary summary_;
};
