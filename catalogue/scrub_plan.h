// Which files a rolling scrub reads tonight, in which order: those found possibly damaged first
// (so that the alarm does not go quiet), then those never verified, in the checkfile's order, then
// those verified longest ago; until the share of the checkfile's bytes asked for is reached.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "catalogue/scrub_state.h"

struct TScrubLimits {
  double percent = 10;              // of the bytes of every listed file, more than 0, at most 100
  std::int64_t olderThanDays = -1;  // only files last verified more days ago; -1: any
};

struct TScrubPlan {
  std::vector<std::size_t> entries;  // to read, in this order
  std::uint64_t plannedBytes = 0;    // their bytes
  std::uint64_t totalBytes = 0;      // of every entry
};

// `sizes` holds each entry's bytes (0 for a file that is not there: it costs nothing to find it
// missing). Files of no bytes come along free; the last file taken may go past the share.
TScrubPlan PlanScrub(const TScrubState& state, const std::vector<std::uint64_t>& sizes,
                     const TScrubLimits& limits, std::int64_t now);
