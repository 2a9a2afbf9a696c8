// A rolling scrub: tonight's share of a checkfile's files verified as a check verifies them, the
// files found possibly damaged first, then those never verified, then the oldest, while what was
// verified when is kept for the user outside the checked folder (see scrub_state.h), saved at
// least once a minute so that a killed scrub loses at most the last minute's work.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

#include "catalogue/check_pass.h"
#include "catalogue/scrub_plan.h"

struct TScrubRequest {
  TScrubLimits limits;
  std::int64_t minutes = 0;  // no file started after this long; 0: no limit
  // Where the states of every checkfile are kept (made when missing).
  std::string stateFolder;
};

// The folder of the scrub states on this computer: the user's data folder's Hashtally\Scrub.
std::string ScrubStateFolder();

class TScrubPass {
 public:
  explicit TScrubPass(TRunView& view, unsigned digestThreads = 0, TDigestFile digestFile = nullptr);

  // Scrubs `checkfilePath` (absolute): the check's lines, blocks and counts for the files read,
  // then how much of the checkfile this scrub read and the oldest verification that remains.
  // Throws ECheckfileError where the checkfile cannot be loaded.
  void Run(const std::string& checkfilePath, const TScrubRequest& request);
  const TCheckSummary& Summary() const { return pass_.Summary(); }
  bool PlannedNothing() const { return plannedNothing_; }  // every file verified recently enough
  bool StateSaved() const { return stateSaved_; }

  // Seams: the clock of the verifications (seconds since 1970, UTC) and how often the state is
  // saved while the scrub goes on.
  std::function<std::int64_t()> utcNow;
  std::chrono::steady_clock::duration saveInterval = std::chrono::minutes(1);

 private:
  TRunView& view_;
  TCheckPass pass_;
  bool plannedNothing_ = false;
  bool stateSaved_ = false;
};

// The line the check page shows after a check of a checkfile that has a scrub state: the date by
// which every file had been verified at least once, or how many never were; false without a state.
bool ScrubStateLine(const std::string& checkfilePath, const TCheckfileEntries& entries,
                    const std::string& stateFolder, texts::TLanguage language, TShownText& line);
