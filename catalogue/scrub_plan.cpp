// The scrub's order and limits; see scrub_plan.h.
#include "catalogue/scrub_plan.h"

#include <algorithm>
#include <cmath>

namespace {

// Damaged files first, then never verified, then the oldest; the checkfile's order among equals.
int Rank(const TScrubEntry& entry) {
  if (entry.result == TScrubResult::Damaged) return 0;
  return entry.verifiedAt == 0 ? 1 : 2;
}

}  // namespace

TScrubPlan PlanScrub(const TScrubState& state, const std::vector<std::uint64_t>& sizes,
                     const TScrubLimits& limits, std::int64_t now) {
  TScrubPlan plan;
  const std::vector<TScrubEntry>& entries = state.entries;
  std::vector<std::size_t> order;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    plan.totalBytes += sizes[i];
    const bool recent = entries[i].verifiedAt != 0 && limits.olderThanDays >= 0 &&
                        now - entries[i].verifiedAt <= limits.olderThanDays * 86400;
    if (!recent || Rank(entries[i]) == 0) order.push_back(i);
  }
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    const int ra = Rank(entries[a]), rb = Rank(entries[b]);
    if (ra != rb) return ra < rb;
    return ra == 2 && entries[a].verifiedAt < entries[b].verifiedAt;
  });
  const auto budget = static_cast<std::uint64_t>(
      std::ceil(static_cast<double>(plan.totalBytes) * limits.percent / 100));
  for (std::size_t i : order) {
    if (plan.plannedBytes >= budget && sizes[i] > 0) continue;
    plan.entries.push_back(i);
    plan.plannedBytes += sizes[i];
  }
  return plan;
}
