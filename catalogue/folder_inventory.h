// What the checkfile's folder holds against what the checkfile lists: one walk of the folder by the
// make run's rules, made on a thread of its own beside the check's digests. It finds the files no
// entry names (new since the checkfile was made), keeps every file in walk order for an update,
// and counts the bytes the check will digest.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "catalogue/run_view.h"
#include "catalogue/tree_walk.h"

class TCheckfileEntries;
class TPathGate;

class TFolderInventory {
 public:
  static constexpr std::uint32_t kNoEntry = UINT32_MAX;

  // One file of the folder, or a folder that could not be listed, in walk order.
  struct TItem {
    bool unreadable;       // a folder that could not be listed, or only in part
    std::uint8_t reading;  // the reading of the entry's name that names the file
    bool exact;            // that reading is the listed name, letter case too
    // The entry the file belongs to: the first whose name is the listed one exactly, else the
    // first that names it as the file system compares names, where no file of that exact name
    // was listed (then the check read the entry as that other file). kNoEntry for a new file.
    std::uint32_t entry;
    std::uint64_t size;      // as listed
    std::int64_t lastWrite;  // as listed, in the system's file time
  };

  // `checkfilePath` as the run was given it.
  TFolderInventory(std::shared_ptr<const TCheckfileEntries> entries,
                   const std::string& checkfilePath, std::shared_ptr<const TPathGate> gate,
                   TTreeWalk::TListFolder listFolder = {});

  // Walks the folder and counts into `progress` (its total: the sizes of the files the entries
  // name, once per reading of a name that names a file, as the check reads them; as listed, or
  // asked one by one where the walk does not reach them), ending early once `cancelled` is set.
  // Runs on the listing's thread; everything below is read after it ended.
  void Make(TByteProgress& progress, const std::atomic<bool>& cancelled);

  // Some entry names a file outside the checkfile's folder: no walk, no new files.
  bool NamesFilesOutside() const { return outside_; }
  const std::vector<TItem>& Items() const { return items_; }
  // Item `i`'s path below the folder (the entry's own reading where the listed name is the same).
  std::string RelativePath(std::size_t i) const;
  // The checkfile's folder as the check shows paths: what entry names are appended to.
  const std::string& ShownBase() const { return shownBase_; }
  // The folder as the walk listed it (as the file services open it), without a final "\".
  const std::string& Top() const { return top_; }
  // The walk met a file that entry `entry` names.
  bool Names(std::size_t entry) const { return !met_.empty() && met_[entry] != 0; }
  // Some reading of entry `entry`'s name named something when the folder was listed.
  bool Present(std::size_t entry) const { return entry < present_.size() && present_[entry]; }
  std::size_t NewFiles() const { return newFiles_; }
  bool SomeFolderUnreadable() const { return unreadable_; }

 private:
  struct TClaim {
    std::uint32_t entry = kNoEntry;
    std::uint8_t reading = 0;
    bool exact = false;
  };

  // The path below the folder that a path made from an entry names, as the file services open it;
  // false when it lies outside the folder.
  bool RelativeOf(const std::string& path, std::string& relative) const;
  // The same, folded as the file system compares names.
  bool KeyOf(const std::string& path, std::string& key) const;
  // Adds `relative` (below the folder, as listed) under the entry it belongs to, if any.
  void AddFile(std::string_view relative, std::uint64_t size, std::int64_t lastWrite,
               TByteProgress& progress);
  // The entry the file of `key`, listed as `relative`, belongs to (see TItem::entry), with the
  // reading that names it; every reading of an entry that names it counts it (see Count).
  TClaim Claim(const std::string& key, std::string_view relative, std::uint64_t size,
               TByteProgress& progress);
  // Reading `reading` of entry `entry` names a file of `size` bytes, `exact`ly or as the file
  // system compares names: each reading counts once, the size of the file of its exact name
  // where there is one (which the check reads on a file system that tells letter case apart).
  void Count(std::uint32_t entry, unsigned reading, bool exact, std::uint64_t size,
             TByteProgress& progress);
  // The entries' keys into the table; sets `outside_` instead where one lies outside the folder.
  void Index();
  // After the walk: a file that took an entry only as the file system compares names gives it up
  // where a file of the entry's exact name was listed after it.
  void GiveUpClaimsOfAnotherCase(TByteProgress& progress);

  const std::shared_ptr<const TCheckfileEntries> entriesOwned_;
  const TCheckfileEntries& entries_;
  const std::shared_ptr<const TPathGate> gate_;
  TTreeWalk::TListFolder listFolder_;
  std::string checkfilePath_;
  std::string shownBase_;
  std::string top_;     // the folder as the walk lists it (OpenedPath), without a final "\"
  std::string ownKey_;  // the checkfile's own key: never a new file
  bool outside_ = false;
  bool unreadable_ = false;
  std::size_t newFiles_ = 0;
  // The hashes of the entries' keys (every reading inside the folder) with their entries, sorted.
  std::vector<std::pair<std::uint64_t, std::uint32_t>> keys_;
  // Per entry, the readings whose file the walk met (bit r), and met by their exact name (bit
  // 4 + r); and the sizes counted for readings met only as the file system compares names.
  std::vector<std::uint8_t> met_;
  std::unordered_map<std::uint64_t, std::uint64_t> foldedSizes_;
  std::vector<bool> present_;  // entries whose name names something
  std::vector<TItem> items_;
  std::vector<std::uint32_t> pathEnds_;  // per item: where its stored path ends in `paths_`
  std::string paths_;                    // items' paths that are not their entry's reading
};
