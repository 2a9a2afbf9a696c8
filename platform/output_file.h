// A file written from scratch and then put in place of another in one step, so that a failed
// write never leaves a half-written file where a complete one used to be.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

enum class TCreateResult { Created, AlreadyExists, Failed };

// Owner of a newly created file, open for reading and writing and shared with nobody while it is
// written (Windows: CREATE_NEW with no sharing; POSIX: O_CREAT | O_EXCL and an exclusive flock).
// The destructor closes the file; it never removes it.
class TOutputFile {
 public:
  TOutputFile() = default;
  ~TOutputFile();
  TOutputFile(const TOutputFile&) = delete;
  TOutputFile& operator=(const TOutputFile&) = delete;

  // `corePath` must not exist yet. On Failed the system's error code is left for LastErrorCode().
  TCreateResult CreateNew(const std::string& corePath);

  // true only when every byte was written.
  bool Write(const void* data, std::size_t size);

  // Pushes the written bytes to the medium (FlushFileBuffers / fsync).
  bool Flush();

  // Dates the file's last write `fileTime` (the system's file time): set after the last write, it
  // stays through Close and a ReplaceTarget.
  bool SetLastWrite(std::int64_t fileTime);

  // Closes the file; false when the system reports a failure while closing.
  bool Close();

 private:
#ifdef _WIN32
  void* handle_ = reinterpret_cast<void*>(static_cast<std::intptr_t>(-1));  // INVALID_HANDLE_VALUE
#else
  int descriptor_ = -1;
#endif
};

// A new file in the folder of the file it is to replace, named "~HT<process>-<counter>.tmp" so
// that neither the target nor another writer's temporary file is ever taken; removed when it goes
// unless it was put in the target's place. The checkfile and saved reports are written so.
class TTemporaryFile {
 public:
  TTemporaryFile() = default;
  ~TTemporaryFile();
  TTemporaryFile(const TTemporaryFile&) = delete;
  TTemporaryFile& operator=(const TTemporaryFile&) = delete;

  // Creates it in `folder` (no final separator); false with the system's error code in `error`
  // when no file could be created.
  bool Create(const std::string& folder, unsigned long& error);
  TOutputFile& File() { return file_; }
  // Puts the file, written and closed, in place of `target` (see ReplaceFileInOneStep); from then
  // on it is the target's and stays, and the temporary files that writers killed while writing
  // left in the folder are removed. On failure the error code is left for LastErrorCode().
  bool ReplaceTarget(const std::string& target);

 private:
  TOutputFile file_;
  std::string folder_;
  std::string path_;
  bool created_ = false;
  bool replaced_ = false;
};

// Writes `content` to `target` (a full core path) as the checkfile is written: into a temporary
// file beside it, pushed to the medium, which then takes its place in one step. False with the
// system's error code in `error` when it could not; `target` is then as it was.
bool ReplaceWithContent(const std::string& target, const std::string& content,
                        unsigned long& error);

// True for a name TTemporaryFile gives (of any process).
bool IsTemporaryFileName(std::string_view name);

// Removes from `folder` the files named as TTemporaryFile names them that no writer holds open:
// those a writer left when it was killed or the power failed.
void RemoveStaleTemporaryFiles(const std::string& folder);

// True when `corePath` is a file the user marked read-only (Windows: the read-only attribute;
// host: no write permission for anyone).
bool IsReadOnlyFile(const std::string& corePath);

// Puts `source` in place of `target` in one step (not named ReplaceFile: <windows.h> makes that a
// macro), replacing a `target` that exists (Windows:
// MoveFileExA with MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH; POSIX: rename). On failure
// the system's error code is left for LastErrorCode() and both files are as they were.
bool ReplaceFileInOneStep(const std::string& source, const std::string& target);

// Deletes a file; false when it could not be deleted.
bool RemoveFile(const std::string& corePath);

// The running process's id, for names that other processes will not pick.
unsigned long CurrentProcessId();

// Tests only: from now on all TOutputFile writes together may write at most `bytes` more bytes,
// as on a medium that is about to be full. NoWriteLimit lifts the limit.
inline constexpr std::size_t NoWriteLimit = static_cast<std::size_t>(-1);
void SetWriteLimitForTesting(std::size_t bytes);

// Tests only: `hook` (null for none) runs before every TOutputFile write, as on a medium that
// holds writes up for a while.
void SetWriteHookForTesting(void (*hook)());

namespace detail {
// Applies the test settings to a write of `size` bytes: runs the hook, then returns how many of
// the bytes the limit lets through and takes them off the limit.
std::size_t ApplyTestSettings(std::size_t size);
}  // namespace detail

}  // namespace platform
