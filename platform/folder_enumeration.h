// Listing one folder's entries for the make pass's walk, and telling folders apart by identity so
// that a walk through junctions and links can notice that it has come back to a folder it is in.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace platform {

struct FolderEntry {
  std::string Name;  // as stored, long form, in UTF-8
  bool IsFolder = false;
  std::uint64_t Size = 0;      // a file's size as the listing tells it
  std::int64_t LastWrite = 0;  // its last write, in the system's file time
  // A link or junction (Windows: any reparse point; host: a symbolic link), told by the listing
  // itself. Only through one can a walk come back to a folder it is inside, so only there need it
  // ask for folder identities, which cost a deep path several system calls.
  bool IsLink = false;
  // The stored name has no UTF-8 form (Windows: a lone UTF-16 surrogate; host: bytes that are not
  // UTF-8): `Name` shows it with the stand-in character, so the entry cannot be reached by it.
  bool Unrepresentable = false;
};

// What became of the attempt to list a folder.
enum class EnumerationState {
  Listing,     // entries may follow
  NoEntries,   // the folder holds nothing (a drive root without entries, an empty folder)
  Unreadable,  // access denied, not found, path too long or any other failure, also part-way
};

// One folder's listing as the walk reads it: the system's, or in tests one that fails on purpose.
class TFolderListing {
 public:
  virtual ~TFolderListing() = default;
  virtual EnumerationState State() const = 0;
  // Fills `entry` with the next entry; false when there is none left, or when the listing broke
  // off part-way (State() is then Unreadable).
  virtual bool Next(FolderEntry& entry) = 0;
};

// Asked while many entries in a row are passed over without being returned, so that the caller
// can let its window's messages run; false ends the listing there.
using TPassingOver = std::function<bool()>;

// Owns one listing of `folder` (a core path without a trailing backslash; "C:" stands for the
// root of drive C). Entries come in the file system's order. Entries marked hidden, system or
// volume label are never returned, nor are "." and ".."; on the host a leading dot stands for
// hidden, and FIFOs, sockets and devices count as system entries (opening them could block).
// A link or junction to a folder is a folder.
class FolderEnumeration final : public TFolderListing {
 public:
  explicit FolderEnumeration(const std::string& folder, TPassingOver passingOver = {});
  ~FolderEnumeration();
  FolderEnumeration(const FolderEnumeration&) = delete;
  FolderEnumeration& operator=(const FolderEnumeration&) = delete;

  EnumerationState State() const override { return state_; }
  // When it returns false the listing holds no system resources any more.
  bool Next(FolderEntry& entry) override;

 private:
  // Counts an entry passed over; every so often asks `passingOver_`. False: end the listing.
  bool PassOver();

  struct Handle;
  std::unique_ptr<Handle> handle_;
  std::string folder_;
  TPassingOver passingOver_;
  unsigned passedOver_ = 0;
  EnumerationState state_ = EnumerationState::Unreadable;
};

// Which folder a path leads to, after following links and junctions: equal identities mean the
// same folder however it was reached. The file ID is 128 bits wide where the system has such IDs
// (Windows' FileIdInfo), else the 64-bit file index or inode in IdLow. A zero ID is unknown and
// equals nothing, so that a folder is never taken for another one.
struct FolderIdentity {
  std::uint64_t Volume = 0;
  std::uint64_t IdHigh = 0;
  std::uint64_t IdLow = 0;
  bool Known() const { return IdHigh != 0 || IdLow != 0; }
  bool operator==(const FolderIdentity& other) const {
    return Known() && other.Known() && Volume == other.Volume && IdHigh == other.IdHigh &&
           IdLow == other.IdLow;
  }
};

// False when the folder cannot be reached or asked.
bool GetFolderIdentity(const std::string& folder, FolderIdentity& identity);

}  // namespace platform
