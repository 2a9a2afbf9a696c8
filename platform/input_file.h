// Owner of one file opened for reading while other readers may share it but no writer may: the
// digest service reads every file through it. The handle is closed when the owner goes.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

class InputFile {
 public:
  InputFile() = default;
  ~InputFile();
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  // Opens the file at the core path `path`, for reading from start to end (the system may read
  // ahead). Fails for a missing file, a folder, a file another
  // program holds open for writing (Windows) or under an exclusive lock (POSIX), and when access
  // is denied. A file already open is closed first. On failure the system's last error
  // (platform::LastErrorCode) says why.
  bool Open(const std::string& path);
  bool IsOpen() const;
  void Close();

  bool Size(uint64_t& size) const;
  // The file's last write in the system's file time (100-nanosecond ticks since 1601-01-01 UTC).
  bool LastWriteTime(int64_t& time) const;
  bool Seek(uint64_t offset);
  // Reads up to `capacity` bytes at the current position; `got` is 0 at the end of the file.
  bool Read(void* buffer, uint32_t capacity, uint32_t& got);

 private:
#ifdef _WIN32
  void* handle_ = reinterpret_cast<void*>(static_cast<intptr_t>(-1));
#else
  int fd_ = -1;
  uint64_t size_ = 0;
  int64_t lastWrite_ = 0;
  uint64_t offset_ = 0;
#endif
};

}  // namespace platform
