// How many files are digested at once on each kind of drive.
#include "platform/drive.h"

#include <gtest/gtest.h>

namespace {

using platform::TDriveBus;
using platform::TDriveKind;
using platform::TSeekPenalty;

TEST(Drive, SeveralFilesAtOnceOnlyOnDisksThatDoNotSeek) {
  struct TCase {
    TDriveKind kind;
    TSeekPenalty seekPenalty;
    unsigned processors, threads;
    TDriveBus bus = TDriveBus::Unknown;
  };
  const TCase cases[] = {
      {TDriveKind::Fixed, TSeekPenalty::No, 4, 4},
      {TDriveKind::Fixed, TSeekPenalty::No, 16, 8},
      {TDriveKind::Fixed, TSeekPenalty::Unknown, 2, 2},  // RAM disks, virtual drives, Wine's
      {TDriveKind::Fixed, TSeekPenalty::Yes, 8, 1},
      {TDriveKind::Optical, TSeekPenalty::No, 8, 1},
      {TDriveKind::Removable, TSeekPenalty::No, 8, 1},
      {TDriveKind::Network, TSeekPenalty::Unknown, 8, 1},
      {TDriveKind::Unknown, TSeekPenalty::No, 8, 1},
      {TDriveKind::Fixed, TSeekPenalty::No, 0, 1},
      // External disks whose bridge does not pass the question on may spin.
      {TDriveKind::Fixed, TSeekPenalty::Unknown, 8, 1, TDriveBus::Usb},
      {TDriveKind::Fixed, TSeekPenalty::Unknown, 8, 1, TDriveBus::FireWire},
      {TDriveKind::Fixed, TSeekPenalty::Unknown, 8, 1, TDriveBus::Sd},
      {TDriveKind::Fixed, TSeekPenalty::Unknown, 8, 1, TDriveBus::Mmc},
      {TDriveKind::Fixed, TSeekPenalty::No, 8, 8, TDriveBus::Usb},
      {TDriveKind::Fixed, TSeekPenalty::Yes, 8, 1, TDriveBus::Usb},
      {TDriveKind::Fixed, TSeekPenalty::Unknown, 8, 8, TDriveBus::Other},
  };
  for (const TCase& c : cases)
    EXPECT_EQ(platform::DigestThreadsFor({c.kind, c.seekPenalty, c.bus}, c.processors), c.threads)
        << static_cast<int>(c.kind) << " " << static_cast<int>(c.seekPenalty) << " " << c.processors
        << " " << static_cast<int>(c.bus);
}

}  // namespace
