// Real temporary folder trees for the pass tests, built and inspected with the system's own calls
// so that the passes are checked against the file system, not against our platform layer.
#pragma once

#include <string>

namespace testtree {

// A fresh, empty folder in the system's temporary folder (core path, no trailing backslash),
// removed with everything below it when the owner goes away.
class TempFolder {
 public:
  explicit TempFolder(const std::string& tag);
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::string& Path() const { return path_; }
  // After the tree was moved elsewhere, remove that place instead.
  void Rebase(const std::string& path) { path_ = path; }

 private:
  std::string path_;
};

void MakeFolder(const std::string& path);
void WriteBytes(const std::string& path, const std::string& bytes);
// A file of `size` zero bytes that takes (almost) no room on the disk.
void MakeSparseFile(const std::string& path, unsigned long long size);
bool ReadBytes(const std::string& path, std::string& bytes);
bool Exists(const std::string& path);
void RemoveFile(const std::string& path);
// Sets the last write of `path` to that of `reference` moved by `seconds`.
void SetWriteTimeFrom(const std::string& path, const std::string& reference, int seconds);
void MoveFolder(const std::string& from, const std::string& to);

// Hidden in the system's sense: a leading dot on the host; on Windows the attribute, also applied
// when `system` asks for the system attribute instead.
std::string HiddenName(const std::string& base);
void MarkHiddenOrSystem(const std::string& path, bool system);
// Read-only as the user makes a file so: the attribute on Windows, no write permission on the host.
void MakeReadOnly(const std::string& path, bool readOnly);

// MD5 digest text of a file from a trusted peer: coreutils md5sum on the host, the system's
// cryptographic provider on Windows.
std::string PeerDigest(const std::string& path);

// A link at `link` to the folder `target`; false with the reason when the system cannot make one.
bool MakeFolderLink(const std::string& link, const std::string& target, std::string& whyNot);

#ifndef _WIN32
// Below `parent`, a chain of folders whose full path exceeds what a folder listing accepts, with
// one file at its bottom. Returns the path of the first folder of the chain that is too long.
std::string MakeTooDeepChain(const std::string& parent);
#endif

// Holds `path` open for writing, as an editor would, until the owner goes away. Windows only.
class WriteLock {
 public:
  explicit WriteLock(const std::string& path);
  ~WriteLock();
  WriteLock(const WriteLock&) = delete;
  WriteLock& operator=(const WriteLock&) = delete;
  bool Held() const { return handle_ != nullptr; }

 private:
  void* handle_ = nullptr;
};

}  // namespace testtree
