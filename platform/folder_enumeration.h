// Listing one folder's entries for the make pass's walk, and telling folders apart by identity so
// that a walk through junctions and links can notice that it has come back to a folder it is in.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace platform {

struct FolderEntry {
  std::string Name;  // as stored, long form
  bool IsFolder = false;
};

// What became of the attempt to list a folder.
enum class EnumerationState {
  Listing,     // entries may follow
  NoEntries,   // the folder holds nothing (a drive root without entries, an empty folder)
  Unreadable,  // access denied, not found, path too long or any other failure
};

// Owns one listing of `folder` (a core path without a trailing backslash; "C:" stands for the
// root of drive C). Entries come in the file system's order. Entries marked hidden, system or
// volume label are never returned, nor are "." and ".."; on the host a leading dot stands for
// hidden, and FIFOs, sockets and devices count as system entries (opening them could block).
// A link or junction to a folder is a folder.
class FolderEnumeration {
 public:
  explicit FolderEnumeration(const std::string& folder);
  ~FolderEnumeration();
  FolderEnumeration(const FolderEnumeration&) = delete;
  FolderEnumeration& operator=(const FolderEnumeration&) = delete;

  EnumerationState State() const { return state_; }

  // Fills `entry` with the next entry; false when there is none left (the listing then holds no
  // system resources any more).
  bool Next(FolderEntry& entry);

 private:
  struct Handle;
  std::unique_ptr<Handle> handle_;
  std::string folder_;
  EnumerationState state_ = EnumerationState::Unreadable;
};

// Which folder a path leads to, after following links and junctions: equal identities mean the
// same folder however it was reached.
struct FolderIdentity {
  std::uint64_t Volume = 0;
  std::uint64_t Index = 0;
  bool operator==(const FolderIdentity& other) const {
    return Volume == other.Volume && Index == other.Index;
  }
};

// False when the folder cannot be reached or asked.
bool GetFolderIdentity(const std::string& folder, FolderIdentity& identity);

}  // namespace platform
