// How many files are digested at once on each kind of drive.
#include "platform/drive.h"

#include <gtest/gtest.h>

namespace {

using platform::TDriveKind;
using platform::TSeekPenalty;

TEST(Drive, SeveralFilesAtOnceOnlyOnDisksThatDoNotSeek) {
  struct TCase {
    TDriveKind kind;
    TSeekPenalty seekPenalty;
    unsigned processors, threads;
  };
  const TCase cases[] = {
      {TDriveKind::Fixed, TSeekPenalty::No, 4, 4},
      {TDriveKind::Fixed, TSeekPenalty::No, 16, 8},
      {TDriveKind::Fixed, TSeekPenalty::Unknown, 2, 2},
      {TDriveKind::Fixed, TSeekPenalty::Yes, 8, 1},
      {TDriveKind::Optical, TSeekPenalty::No, 8, 1},
      {TDriveKind::Removable, TSeekPenalty::No, 8, 1},
      {TDriveKind::Network, TSeekPenalty::Unknown, 8, 1},
      {TDriveKind::Unknown, TSeekPenalty::No, 8, 1},
      {TDriveKind::Fixed, TSeekPenalty::No, 0, 1},
  };
  for (const TCase& c : cases)
    EXPECT_EQ(platform::DigestThreadsFor({c.kind, c.seekPenalty}, c.processors), c.threads)
        << static_cast<int>(c.kind) << " " << static_cast<int>(c.seekPenalty) << " "
        << c.processors;
}

}  // namespace
