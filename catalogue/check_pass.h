// The check pass: re-digests every file a checkfile lists and reports matches, mismatches and
// failures through the window's run view.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "catalogue/digest_pipeline.h"
#include "catalogue/run_view.h"

class TCheckfileEntries;

// Where the run's checkfile came from: the one beside the program is announced by a line of its
// own; one chosen in the open dialog, given on the command line or dropped on the window is not.
enum class TCheckOrigin { Chosen, BesideProgram };

class TCheckPass {
 public:
  // `view` must outlive the pass. `digestThreads` files are digested at once; 0 chooses by the
  // drive that holds the checkfile. Without `digestFile` files are digested with HashFile.
  explicit TCheckPass(TRunView& view, unsigned digestThreads = 0, TDigestFile digestFile = nullptr);

  // The check run over `checkfilePath`: clears the pane and checks. Every ending leaves the view
  // idle; a checkfile that cannot be loaded throws ECheckfileError after that.
  void Run(const std::string& checkfilePath, TCheckOrigin origin);

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
  };

  // One line per entry in checkfile order; true when the user stopped the run.
  bool CompareEntries(const TCheckfileEntries& entries, const std::string& checkfilePath,
                      TTally& tally, std::vector<TMismatch>& mismatches);
  // The line of entry `i`'s result, counted in `tally`.
  void ShowResult(const TCheckfileEntries& entries, std::size_t i, const TDigestResult& result,
                  TTally& tally, std::vector<TMismatch>& mismatches);
  // The order of `mismatches` in the sorted block (positions in it).
  std::vector<std::uint32_t> SortedMismatches(const std::vector<TMismatch>& mismatches,
                                              const TCheckfileEntries& entries,
                                              const std::string& baseFolder);
  // The sorted block of changed files and the counts.
  void AppendSummary(const TCheckfileEntries& entries, const std::string& baseFolder,
                     const TTally& tally, const std::vector<TMismatch>& mismatches);

  TRunView& view_;
  unsigned digestThreads_;
  TDigestFile digestFile_;
  std::shared_ptr<TByteProgress> progress_;  // the run's, while it is active
};
