// Owner of one handle the Windows file services give (a file, a folder or a volume device),
// closed when the owner goes; and the scope in which a 32-bit program opens the real files.
#pragma once

#include <windows.h>

namespace platform {

class FileHandle {
 public:
  explicit FileHandle(HANDLE handle) : handle_(handle) {}
  ~FileHandle() {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};

// While it lives, the file services of this thread name the real files: on 64-bit Windows a 32-bit
// program's paths under %windir%\System32 are otherwise redirected to the 32-bit system's files
// (SysWOW64), so that a make would digest other files than its names say. Held around each call
// that opens or looks up a path of the core, and only there: with redirection off the system could
// not load its own 32-bit libraries. Nothing to do in a 64-bit program or on 32-bit Windows.
class RealFiles {
 public:
#ifdef _WIN64
  RealFiles() {}  // user-provided: held for its scope, as in the 32-bit program
#else
  RealFiles() : off_(Wow64DisableWow64FsRedirection(&old_) != FALSE) {}
  ~RealFiles() {
    if (off_) Wow64RevertWow64FsRedirection(old_);
  }

 private:
  PVOID old_ = nullptr;
  bool off_;
#endif
  RealFiles(const RealFiles&) = delete;
  RealFiles& operator=(const RealFiles&) = delete;
};

}  // namespace platform
