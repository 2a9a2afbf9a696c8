// Reading a checkfile on the host; the shared lock keeps cooperating writers out while it reads.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

#include "catalogue/checkfile.h"
#include "catalogue/checkfile_io.h"
#include "platform/path.h"

namespace {

class TDescriptor {
 public:
  explicit TDescriptor(int fd) : fd_(fd) {}
  ~TDescriptor() {
    if (fd_ >= 0) close(fd_);
  }
  TDescriptor(const TDescriptor&) = delete;
  TDescriptor& operator=(const TDescriptor&) = delete;
  int Get() const { return fd_; }

 private:
  int fd_;
};

}  // namespace

std::string ReadCheckfileContent(const std::string& path) {
  TDescriptor file(open(platform::NativePath(path).c_str(), O_RDONLY | O_CLOEXEC));
  if (file.Get() < 0) throw ECheckfileError(SystemFailureMessage("Cannot open file", path, errno));
  struct stat status;
  if (fstat(file.Get(), &status) != 0) {
    throw ECheckfileError(SystemFailureMessage("Cannot open file", path, errno));
  }
  if (S_ISDIR(status.st_mode)) {
    throw ECheckfileError(SystemFailureMessage("Cannot open file", path, EISDIR));
  }
  if (flock(file.Get(), LOCK_SH | LOCK_NB) != 0) {
    throw ECheckfileError(SystemFailureMessage("Cannot open file", path, errno));
  }
  // The size as a 32-bit count, as on Windows.
  std::string content(static_cast<std::uint32_t>(status.st_size), '\0');
  std::size_t done = 0;
  while (done < content.size()) {
    const ssize_t got = read(file.Get(), &content[done], content.size() - done);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) throw ECheckfileError("Stream read error");
    if (got == 0) break;  // the file shrank meanwhile
    done += static_cast<std::size_t>(got);
  }
  content.resize(done);
  return content;
}
