// Read-only descriptors on POSIX. A shared flock stands in for Windows' read-sharing open: a
// holder of an exclusive flock (a writer that locks) makes the open fail, and while we read no
// such lock can be taken.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/file_time_posix.h"
#include "platform/input_file.h"
#include "platform/path.h"

namespace platform {

InputFile::~InputFile() { Close(); }

bool InputFile::Open(const std::string& path) {
  Close();
  // O_NONBLOCK keeps a FIFO in a scanned tree from stalling the open; only regular files are taken,
  // and on those the flag changes nothing, so it stays set.
  int fd;
  do {
    fd = ::open(NativePath(path).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return false;
  struct stat info;
  int error = 0;
  if (::fstat(fd, &info) != 0) {
    error = errno;
  } else if (!S_ISREG(info.st_mode) || info.st_size < 0) {
    error = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
  } else {
    int locked;
    do {
      locked = ::flock(fd, LOCK_SH | LOCK_NB);
    } while (locked != 0 && errno == EINTR);
    if (locked != 0) error = errno;
  }
  if (error != 0) {
    ::close(fd);
    errno = error;  // the caller reports why the open failed
    return false;
  }
  // Every reader of this owner goes through the file from start to end; for small files the
  // system's own read-ahead does as well and the call would cost more than it saves.
  if (info.st_size > (1 << 20)) ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
  fd_ = fd;
  size_ = static_cast<uint64_t>(info.st_size);
  lastWrite_ = FileTimeOf(info.st_mtim);
  offset_ = 0;
  return true;
}

bool InputFile::IsOpen() const { return fd_ >= 0; }

void InputFile::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

// The size measured when the file was opened: every digest opens, measures and reads at once, so
// one fstat per open serves both the regular-file test and the size.
bool InputFile::Size(uint64_t& size) const {
  if (!IsOpen()) return false;
  size = size_;
  return true;
}

bool InputFile::LastWriteTime(int64_t& time) const {
  if (!IsOpen()) return false;
  time = lastWrite_;
  return true;
}

// Reads are positioned (pread), so moving costs no system call.
bool InputFile::Seek(uint64_t offset) {
  if (!IsOpen() || offset > static_cast<uint64_t>(INT64_MAX)) return false;
  offset_ = offset;
  return true;
}

bool InputFile::Read(void* buffer, uint32_t capacity, uint32_t& got) {
  got = 0;
  if (!IsOpen()) return false;
  ssize_t n;
  do {
    n = ::pread(fd_, buffer, capacity, static_cast<off_t>(offset_));
  } while (n < 0 && errno == EINTR);
  if (n < 0) return false;
  got = static_cast<uint32_t>(n);
  offset_ += got;
  return true;
}

}  // namespace platform
