// The host build digests its trees from local disks: a fixed drive that cannot tell whether it
// seeks.
#include "platform/drive.h"

namespace platform {

TDriveFacts DescribeDrive(const std::string&) {
  return {TDriveKind::Fixed, TSeekPenalty::Unknown, TDriveBus::Unknown};
}

}  // namespace platform
