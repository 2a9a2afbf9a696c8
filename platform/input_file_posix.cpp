// Read-only descriptors on POSIX. A shared flock stands in for Windows' read-sharing open: a
// holder of an exclusive flock (a writer that locks) makes the open fail, and while we read no
// such lock can be taken.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/input_file.h"
#include "platform/path.h"

namespace platform {

InputFile::~InputFile() { Close(); }

bool InputFile::Open(const std::string& path) {
  Close();
  // O_NONBLOCK keeps a FIFO in a scanned tree from stalling the open; only regular files are taken.
  int fd;
  do {
    fd = ::open(NativePath(path).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return false;
  struct stat info;
  int locked;
  do {
    locked = ::flock(fd, LOCK_SH | LOCK_NB);
  } while (locked != 0 && errno == EINTR);
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || locked != 0 ||
      ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
    ::close(fd);
    return false;
  }
  fd_ = fd;
  return true;
}

bool InputFile::IsOpen() const { return fd_ >= 0; }

void InputFile::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

bool InputFile::Size(uint64_t& size) const {
  struct stat info;
  if (!IsOpen() || ::fstat(fd_, &info) != 0 || info.st_size < 0) return false;
  size = static_cast<uint64_t>(info.st_size);
  return true;
}

bool InputFile::Seek(uint64_t offset) {
  if (!IsOpen() || offset > static_cast<uint64_t>(INT64_MAX)) return false;
  return ::lseek(fd_, static_cast<off_t>(offset), SEEK_SET) != static_cast<off_t>(-1);
}

bool InputFile::Read(void* buffer, uint32_t capacity, uint32_t& got) {
  got = 0;
  if (!IsOpen()) return false;
  ssize_t n;
  do {
    n = ::read(fd_, buffer, capacity);
  } while (n < 0 && errno == EINTR);
  if (n < 0) return false;
  got = static_cast<uint32_t>(n);
  return true;
}

}  // namespace platform
