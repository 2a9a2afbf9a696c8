// The one gate every path made from a checkfile's names passes right before it is opened or its
// existence is asked: a stranger's list must never make the system connect to another computer,
// which would offer it the user's credentials, nor read a device such as a raw volume.
#pragma once

#include <string>

#include "platform/path_root.h"

class TPathGate {
 public:
  // `checkfilePath` (UTF-8) as the run was given it.
  explicit TPathGate(const std::string& checkfilePath);

  // True when `path` may be opened: a path on a drive with a name after the drive (never the
  // volume itself), a path on the checkfile's own share, a path of this computer that names no
  // root, or, where the checkfile lies under a device path (a volume shadow copy, say), a path
  // below the checkfile's own folder there. Never another share, nor any other device path.
  bool MayOpen(const std::string& path) const;

 private:
  platform::TPathRoot own_;
  std::string ownFolder_;  // the checkfile's folder, verbatim and lower-cased, with a final "\"
};
