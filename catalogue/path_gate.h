// The one gate every path made from a checkfile's names passes right before it is opened or its
// existence is asked, and every link a walk would go through: a stranger's list or folder must
// never make the system connect to another computer, which would offer it the user's
// credentials, nor read a device such as a raw volume.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>

#include "platform/path_root.h"
#include "platform/sync.h"

class TPathGate {
 public:
  // `checkfilePath` (UTF-8) as the run was given it; a make gives its folder's checkfile.
  explicit TPathGate(const std::string& checkfilePath);

  // True when `path` may be opened: a path on a drive with a name after the drive (never the
  // volume itself), a path on the checkfile's own share, a path of this computer that names no
  // root, or, where the checkfile lies under a device path (a volume shadow copy, say), a path
  // below the checkfile's own folder there. Never another share, nor any other device path; nor
  // a path whose way, past the checkfile's folder and the folders above it, goes through a link
  // or junction that MayFollow refuses, or one whose target the system does not tell.
  bool MayOpen(const std::string& path) const;
  // True when a link or junction leading to `target` (platform::LinkTargetPath) may be gone
  // through: a path MayOpen takes, the root folder of a drive, or a volume's own folders (a drive
  // mounted in a folder), where no link on the way to it is refused in turn.
  bool MayFollow(const std::string& target) const;

  // The checkfile's folder as the file services open it, with a final "\".
  const std::string& OwnFolder() const { return ownFolder_; }
  // Where the names below the checkfile's folder begin in `opened` (as platform::OpenedPath gives
  // it), letters compared as the file system compares names; npos when it lies elsewhere.
  std::size_t NamesBelowOwnFolder(std::string_view opened) const;

 private:
  bool RootMayOpen(const std::string& opened, const platform::TPathRoot& root) const;
  bool Follows(const std::string& target, unsigned links) const;
  // No link on the way to `opened` (its root `root`), its own last name included, is refused.
  // `links`: how many links led here.
  bool NoLinkRefused(const std::string& opened, const platform::TPathRoot& root,
                     unsigned links) const;
  // The link at `path`, if it is one, may be gone through.
  bool LinkMayBeFollowed(const std::string& path, unsigned links) const;

  platform::TPathRoot own_;
  std::string ownFolder_;     // the checkfile's folder, opened, with a final "\"
  std::string ownFolderKey_;  // the same folded as platform::FoldedName folds names
  // Folders asked once: whether the way to them goes through no refused link. The digests' worker
  // threads and the listing ask at once.
  mutable platform::TMutex mutex_;
  mutable std::unordered_map<std::string, bool> folders_;
};
