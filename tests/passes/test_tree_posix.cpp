// Temporary trees on the host, through POSIX calls on the native form of the core paths.
#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include "platform/path.h"
#include "tests/passes/test_tree.h"

namespace testtree {
namespace {

void Require(bool ok, const std::string& what) {
  if (!ok) throw std::runtime_error("test tree: " + what);
}

// Removes everything below the open folder `dirFd` without following links, by names relative
// to it, so that paths longer than the system accepts are removed too. Closes `dirFd`.
void EmptyFolderAt(int dirFd) {
  DIR* dir = fdopendir(dirFd);
  if (dir == nullptr) {
    close(dirFd);
    return;
  }
  while (const dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    struct stat info;
    if (fstatat(dirFd, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) continue;
    if (S_ISDIR(info.st_mode)) {
      fchmodat(dirFd, name.c_str(), 0700, 0);
      const int child = openat(dirFd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
      if (child >= 0) EmptyFolderAt(child);
      unlinkat(dirFd, name.c_str(), AT_REMOVEDIR);
    } else {
      unlinkat(dirFd, name.c_str(), 0);
    }
  }
  closedir(dir);
}

}  // namespace

TempFolder::TempFolder(const std::string& tag) {
  std::string pattern = "/tmp/ht-passes-" + tag + "-XXXXXX";
  Require(mkdtemp(&pattern[0]) != nullptr, "mkdtemp " + pattern);
  path_ = platform::CorePath(pattern);
}

TempFolder::~TempFolder() {
  const std::string native = platform::NativePath(path_);
  const int fd = open(native.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
  if (fd >= 0) EmptyFolderAt(fd);
  rmdir(native.c_str());
}

void MakeFolder(const std::string& path) {
  Require(mkdir(platform::NativePath(path).c_str(), 0755) == 0, "mkdir " + path);
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  FILE* file = std::fopen(platform::NativePath(path).c_str(), "wb");
  Require(file != nullptr, "create " + path);
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  Require(std::fclose(file) == 0 && ok, "write " + path);
}

void MakeSparseFile(const std::string& path, unsigned long long size) {
  WriteBytes(path, "");
  Require(truncate(platform::NativePath(path).c_str(), static_cast<off_t>(size)) == 0,
          "size " + path);
}

bool ReadBytes(const std::string& path, std::string& bytes) {
  FILE* file = std::fopen(platform::NativePath(path).c_str(), "rb");
  if (file == nullptr) return false;
  bytes.clear();
  char buffer[4096];
  std::size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, got);
  std::fclose(file);
  return true;
}

bool Exists(const std::string& path) {
  struct stat info;
  return lstat(platform::NativePath(path).c_str(), &info) == 0;
}

void RemoveFile(const std::string& path) {
  Require(unlink(platform::NativePath(path).c_str()) == 0, "unlink " + path);
}

void MoveFolder(const std::string& from, const std::string& to) {
  Require(rename(platform::NativePath(from).c_str(), platform::NativePath(to).c_str()) == 0,
          "rename " + from);
}

std::string HiddenName(const std::string& base) { return "." + base; }

void MarkHiddenOrSystem(const std::string&, bool) {}

void MakeReadOnly(const std::string& path, bool readOnly) {
  Require(chmod(platform::NativePath(path).c_str(), readOnly ? 0444 : 0644) == 0, "chmod " + path);
}

void SetWriteTimeFrom(const std::string& path, const std::string& reference, int seconds) {
  struct stat info;
  Require(stat(platform::NativePath(reference).c_str(), &info) == 0, "stat " + reference);
  timespec times[2] = {info.st_atim, info.st_mtim};
  times[1].tv_sec += seconds;
  Require(utimensat(AT_FDCWD, platform::NativePath(path).c_str(), times, 0) == 0,
          "utimensat " + path);
}

std::string PeerDigest(const std::string& path) {
  std::string quoted = "'";
  for (char c : platform::NativePath(path)) {
    if (c == '\'') {
      quoted += "'\\''";
    } else {
      quoted += c;
    }
  }
  quoted += "'";
  FILE* pipe = popen(("md5sum -- " + quoted).c_str(), "r");
  Require(pipe != nullptr, "md5sum");
  char line[4200] = {};
  const bool got = std::fgets(line, sizeof line, pipe) != nullptr;
  Require(pclose(pipe) == 0 && got, "md5sum " + path);
  const std::string text = line;
  const std::size_t start = text[0] == '\\' ? 1 : 0;  // md5sum's mark for escaped names
  return text.substr(start, 32);
}

bool MakeFolderLink(const std::string& link, const std::string& target, std::string& whyNot) {
  if (symlink(platform::NativePath(target).c_str(), platform::NativePath(link).c_str()) == 0) {
    return true;
  }
  whyNot = "symlink failed";
  return false;
}

std::string MakeTooDeepChain(const std::string& parent) {
  std::string native = platform::NativePath(parent);
  std::string core = parent;
  std::string firstTooLong;
  int fd = open(native.c_str(), O_RDONLY | O_DIRECTORY);
  Require(fd >= 0, "open " + parent);
  for (int level = 0;; ++level) {
    const std::string name = "level" + std::to_string(level) + std::string(200, 'd');
    Require(mkdirat(fd, name.c_str(), 0755) == 0, "mkdirat " + name);
    const int child = openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY);
    close(fd);
    Require(child >= 0, "openat " + name);
    fd = child;
    native += "/" + name;
    core += "\\" + name;
    if (!firstTooLong.empty()) break;  // one level below the first one that is too long
    if (native.size() >= PATH_MAX) firstTooLong = core;
  }
  const int file = openat(fd, "bottom.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644);
  Require(file >= 0 && write(file, "bottom", 6) == 6, "bottom file");
  close(file);
  close(fd);
  return firstTooLong;
}

WriteLock::WriteLock(const std::string&) {}
WriteLock::~WriteLock() = default;

}  // namespace testtree
