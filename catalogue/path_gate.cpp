// The gate of path_gate.h: every form of a path is brought to the one the system opens, and its
// root decides, then every link on its way past the checkfile's folder, where that one leads.
#include "catalogue/path_gate.h"

#include <mutex>
#include <vector>

#include "platform/path.h"

namespace {

// How many links one way may go through: the system itself gives up after 63.
constexpr unsigned kMostLinks = 31;

}  // namespace

TPathGate::TPathGate(const std::string& checkfilePath) {
  const std::string opened = platform::OpenedPath(checkfilePath);
  own_ = platform::ParsePathRoot(opened);
  ownFolder_ = opened.substr(0, opened.find_last_of('\\') + 1);
  ownFolderKey_ = platform::FoldedName(ownFolder_);
}

std::size_t TPathGate::NamesBelowOwnFolder(std::string_view opened) const {
  if (ownFolder_.empty() || opened.size() < ownFolder_.size() ||
      platform::FoldedName(opened.substr(0, ownFolder_.size())) != ownFolderKey_)
    return std::string_view::npos;
  return ownFolder_.size();
}

bool TPathGate::RootMayOpen(const std::string& opened, const platform::TPathRoot& root) const {
  switch (root.kind) {
    case platform::TRootKind::Relative:
      return true;
    case platform::TRootKind::Drive:
      // A name after "\\?\C:\": without one it is the volume device, or the root folder.
      return opened.size() > root.end + 1;
    case platform::TRootKind::Share:
      return own_.kind == platform::TRootKind::Share && root.key == own_.key;
    case platform::TRootKind::Device:
      return own_.kind == platform::TRootKind::Device &&
             NamesBelowOwnFolder(opened) != std::string_view::npos;
  }
  return false;
}

bool TPathGate::MayOpen(const std::string& path) const {
  const std::string opened = platform::OpenedPath(path);
  const platform::TPathRoot root = platform::ParsePathRoot(opened);
  return RootMayOpen(opened, root) && NoLinkRefused(opened, root, 0);
}

bool TPathGate::MayFollow(const std::string& target) const { return Follows(target, 0); }

bool TPathGate::Follows(const std::string& target, unsigned links) const {
  if (links >= kMostLinks) return false;
  const std::string opened = platform::OpenedPath(target);
  const platform::TPathRoot root = platform::ParsePathRoot(opened);
  const bool rootFollowed =
      root.kind == platform::TRootKind::Drive ||
      (root.kind == platform::TRootKind::Device && root.key.compare(0, 7, "volume{") == 0) ||
      RootMayOpen(opened, root);
  return rootFollowed && NoLinkRefused(opened, root, links + 1);
}

bool TPathGate::LinkMayBeFollowed(const std::string& path, unsigned links) const {
  std::string target;
  switch (platform::ReadLink(path, target)) {
    case platform::TLinkKind::None:
      return true;
    case platform::TLinkKind::Link:
      return Follows(target, links);
    case platform::TLinkKind::Unknown:
      break;
  }
  return false;
}

bool TPathGate::NoLinkRefused(const std::string& opened, const platform::TPathRoot& root,
                              unsigned links) const {
  // The checkfile's folder and those above it are the user's own way to it; below them, and
  // everywhere else past the root, every folder is asked once.
  const std::size_t below = NamesBelowOwnFolder(opened);
  const std::size_t trusted = below != std::string_view::npos ? below - 1 : root.end;
  const std::size_t last = opened.find_last_of('\\');
  std::vector<std::size_t> ends;  // of the folders not yet asked, deepest first
  std::string folder;
  for (std::size_t end = last; end != std::string::npos && end > trusted;
       end = end == 0 ? std::string::npos : opened.find_last_of('\\', end - 1)) {
    folder.assign(opened, 0, end);
    std::lock_guard<platform::TMutex> lock(mutex_);
    const auto known = folders_.find(folder);
    if (known != folders_.end()) {
      if (!known->second) return false;
      break;
    }
    ends.push_back(end);
  }
  for (auto end = ends.rbegin(); end != ends.rend(); ++end) {
    folder.assign(opened, 0, *end);
    const bool followed = LinkMayBeFollowed(folder, links);
    {
      std::lock_guard<platform::TMutex> lock(mutex_);
      folders_.emplace(folder, followed);
    }
    if (!followed) return false;
  }
  // The last name itself, unless the path ends in a separator or within the trusted part.
  const bool lastAsked =
      (last == std::string::npos || last + 1 < opened.size()) && opened.size() > trusted + 1;
  return !lastAsked || LinkMayBeFollowed(opened, links);
}
