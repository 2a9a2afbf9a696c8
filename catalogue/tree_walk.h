// One walk of a folder tree by the make run's rules: what a make lists, a check finds new, an
// update writes, and the runs count their bytes from. It runs on the thread that calls it, and
// hands each step to a sink in walk order.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/folder_enumeration.h"

class TPathGate;

class TTreeWalk {
 public:
  // How the walk lists one folder; tests put listings that fail on purpose behind it.
  using TListFolder = std::function<std::unique_ptr<platform::TFolderListing>(
      const std::string& folder, platform::TPassingOver passingOver)>;

  enum class TStepKind : unsigned char {
    Folder,           // a folder, before what it holds
    Unreadable,       // the folder at `path` could not be listed, or its listing broke off
    Unrepresentable,  // a name with no UTF-8 form
    TooLong,          // a file whose path below the top folder is too long to store
    File,             // a file to digest
    EntryDone,        // an entry of the level `depth` is done, with everything below it
    Refused,          // a link or junction that leads where the gate refuses: not gone through
  };
  struct TStep {
    TStepKind kind = TStepKind::EntryDone;
    unsigned depth = 0;          // the level that listed the entry; 0 is the top folder
    std::string_view path;       // the entry's full path (the folder's, for Unreadable); valid
                                 // during the call only; empty for EntryDone
    std::size_t nameStart = 0;   // File: where the file's name starts in `path`
    bool isFolder = false;       // Unrepresentable: a folder's name
    std::uint64_t size = 0;      // File: as listed
    std::int64_t lastWrite = 0;  // File: as listed, in the system's file time
  };
  using TSink = std::function<void(const TStep& step)>;

  // Without `listFolder` the system's listing is used. Every link or junction met, to a folder
  // or to a file, passes `gate` before the walk goes through it (none: every one passes).
  explicit TTreeWalk(TListFolder listFolder = {}, std::shared_ptr<const TPathGate> gate = nullptr);

  // Walks the tree below `top` (no trailing backslash; "C:" is the root of drive C): files and
  // folders that are not hidden or system, in the file system's order, every checkfile of our
  // name passed over (at the top, of any letter case: the new one replaces it). A link or
  // junction back to a folder the walk is inside is not followed again. The walk keeps its own
  // stack of open listings, so any depth the system can hold is walked. Ends early, with no
  // further step, once `cancelled` is set.
  void Walk(const std::string& top, const TSink& sink, const std::atomic<bool>& cancelled);

 private:
  // Enters `folder_` as the next level; `throughLink`: its entry is a link or junction.
  bool EnterFolder(bool throughLink);
  // A level of the walk is the folder of `identity`.
  bool IsWalkedInto(const platform::FolderIdentity& identity);
  void LeaveFolder();
  bool WalkEntry(const platform::FolderEntry& entry, unsigned depth);
  bool IsPassedOver(const platform::FolderEntry& entry) const;
  void Emit(TStepKind kind, unsigned depth, std::string_view path = {});

  TListFolder listFolder_;
  std::shared_ptr<const TPathGate> gate_;
  // One walk's state.
  const TSink* sink_ = nullptr;
  const std::atomic<bool>* cancelled_ = nullptr;
  std::string top_;
  // The levels the walk is inside, top first: each one's listing, where its folder's path ends in
  // `folder_` (the deepest level's folder), and its identity once asked. A link or junction
  // leading back to one of them is not followed again.
  struct TLevel {
    std::unique_ptr<platform::TFolderListing> listing;
    std::size_t folderEnd;
    platform::FolderIdentity identity;
    bool identityAsked;
  };
  std::vector<TLevel> levels_;
  std::string folder_;
};
