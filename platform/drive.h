// How many files to digest at once on the drive that holds them: several on disks that do not
// seek, one where reading two files at once would make the drive thrash or share its medium.
#pragma once

#include <string>

namespace platform {

enum class TDriveKind { Fixed, Removable, Optical, Network, Unknown };
enum class TSeekPenalty { Yes, No, Unknown };
// The bus the drive's device hangs on, where the system tells it. External disks are fixed drives
// on USB or FireWire, and their bridges often do not pass the seek-penalty question on.
enum class TDriveBus { Usb, FireWire, Sd, Mmc, Other, Unknown };

struct TDriveFacts {
  TDriveKind Kind = TDriveKind::Unknown;
  TSeekPenalty SeekPenalty = TSeekPenalty::Unknown;
  TDriveBus Bus = TDriveBus::Unknown;
};

// What the system tells of the drive that holds `path` (a core path to a folder or file).
TDriveFacts DescribeDrive(const std::string& path);

// The serial number of the volume that holds `path`, as text ("1A2B3C4D"); empty when the system
// does not tell. A copy of a folder on another disk has another.
std::string VolumeSerial(const std::string& path);

// The folder of the user's own data on this computer (Windows: the local application data; POSIX:
// $XDG_STATE_HOME or ~/.local/state), in the core's form; empty when there is none.
std::string UserDataFolder();

// Files digested at once on such a drive: one on optical and removable media, network shares,
// disks that seek, drives the system cannot place, and disks on USB, FireWire, SD or MMC that do
// not tell whether they seek (a spinning disk behind a bridge would thrash); on other fixed disks
// the number of processors, at most 8: those that say they do not seek, on any bus, and those
// that cannot be asked at all (most systems boot from disks that do not seek, whether or not
// they say; RAM disks and virtual drives cannot be asked).
unsigned DigestThreadsFor(const TDriveFacts& drive, unsigned processors);

// For the drive of `path`, unless the environment variable HASHTALLY_THREADS holds a number from
// 1 to 64, which is taken instead (tests, benchmarks and users who know their disks).
unsigned DigestThreads(const std::string& path);

}  // namespace platform
