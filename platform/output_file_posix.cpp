// Output files on the host; core paths are mapped to POSIX paths here.
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/output_file.h"
#include "platform/path.h"

namespace platform {

TOutputFile::~TOutputFile() { Close(); }

TCreateResult TOutputFile::CreateNew(const std::string& corePath) {
  Close();
  const std::string native = NativePath(corePath);
  const int fd = open(native.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) return errno == EEXIST ? TCreateResult::AlreadyExists : TCreateResult::Failed;
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const int error = errno;
    close(fd);
    unlink(native.c_str());
    errno = error;
    return TCreateResult::Failed;
  }
  descriptor_ = fd;
  return TCreateResult::Created;
}

bool TOutputFile::Write(const void* data, std::size_t size) {
  if (descriptor_ < 0) return false;
  const char* bytes = static_cast<const char*>(data);
  std::size_t allowed = detail::ApplyTestSettings(size);
  while (allowed > 0) {
    const ssize_t written = write(descriptor_, bytes, allowed);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    bytes += written;
    allowed -= static_cast<std::size_t>(written);
    size -= static_cast<std::size_t>(written);
  }
  return size == 0;
}

bool TOutputFile::Flush() { return descriptor_ >= 0 && fsync(descriptor_) == 0; }

bool TOutputFile::SetLastWrite(std::int64_t fileTime) {
  constexpr std::int64_t kUnixEpochInFileTime = 11644473600LL * 10000000;
  const std::int64_t ticks = fileTime - kUnixEpochInFileTime;
  timespec times[2];
  times[0].tv_sec = 0;
  times[0].tv_nsec = UTIME_OMIT;
  times[1].tv_sec = static_cast<time_t>(ticks / 10000000);
  times[1].tv_nsec = static_cast<long>(ticks % 10000000) * 100;
  return descriptor_ >= 0 && futimens(descriptor_, times) == 0;
}

bool TOutputFile::Close() {
  if (descriptor_ < 0) return true;
  const bool closed = close(descriptor_) == 0;
  descriptor_ = -1;
  return closed;
}

bool ReplaceFileInOneStep(const std::string& source, const std::string& target) {
  return std::rename(NativePath(source).c_str(), NativePath(target).c_str()) == 0;
}

void RemoveStaleTemporaryFiles(const std::string& folder) {
  const std::string native = NativePath(folder);
  DIR* listing = opendir(native.c_str());
  if (!listing) return;
  while (const dirent* entry = readdir(listing)) {
    if (!IsTemporaryFileName(entry->d_name)) continue;
    const std::string path = native + "/" + entry->d_name;
    // A writer holds an exclusive lock on its file as long as it writes.
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) continue;
    if (flock(fd, LOCK_EX | LOCK_NB) == 0) unlink(path.c_str());
    close(fd);
  }
  closedir(listing);
}

bool IsReadOnlyFile(const std::string& corePath) {
  struct stat facts {};
  return stat(NativePath(corePath).c_str(), &facts) == 0 && S_ISREG(facts.st_mode) &&
         (facts.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

bool RemoveFile(const std::string& corePath) { return unlink(NativePath(corePath).c_str()) == 0; }

unsigned long CurrentProcessId() { return static_cast<unsigned long>(getpid()); }

}  // namespace platform
