// The host build digests its trees from local disks: a fixed drive that cannot tell whether it
// seeks. The volume is the file system's device number.
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>

#include "platform/drive.h"
#include "platform/path.h"

namespace platform {

TDriveFacts DescribeDrive(const std::string&) {
  return {TDriveKind::Fixed, TSeekPenalty::Unknown, TDriveBus::Unknown};
}

}  // namespace platform

namespace platform {

std::string VolumeSerial(const std::string& path) {
  struct stat facts;
  if (stat(NativePath(path).c_str(), &facts) != 0) return std::string();
  char text[32];
  std::snprintf(text, sizeof text, "%llX", static_cast<unsigned long long>(facts.st_dev));
  return text;
}

std::string UserDataFolder() {
  if (const char* state = std::getenv("XDG_STATE_HOME"); state && *state) return CorePath(state);
  const char* home = std::getenv("HOME");
  return home && *home ? CorePath(std::string(home) + "/.local/state") : std::string();
}

}  // namespace platform
