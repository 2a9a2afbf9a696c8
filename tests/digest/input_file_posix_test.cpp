// The read-only file owner on POSIX: a shared flock keeps out writers that lock, folders and
// FIFOs are not files, and a file that ends before its measured size fails to digest.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "digest/digest_service.h"
#include "platform/input_file.h"
#include "platform/path.h"
#include "tests/digest/test_support.h"

namespace {

using digest_test::TempFolder;

// A descriptor of the test's own, on the native path, closed at scope end.
struct Descriptor {
  explicit Descriptor(const std::string& nativePath, int flags = O_RDWR)
      : fd(::open(nativePath.c_str(), flags | O_CLOEXEC)) {}
  ~Descriptor() {
    if (fd >= 0) ::close(fd);
  }
  int fd;
};

TEST(InputFilePosix, WhatIsNotARegularFileDoesNotOpen) {
  TempFolder folder;
  ASSERT_EQ(::mkdir(folder.NativePath("sub").c_str(), 0755), 0);
  ASSERT_EQ(::mkfifo(folder.NativePath("pipe").c_str(), 0644), 0);
  platform::InputFile file;
  EXPECT_FALSE(file.Open(folder.CorePath("sub")));
  EXPECT_FALSE(file.Open(folder.CorePath("pipe")));  // and does not wait for a writer
  EXPECT_FALSE(file.Open(folder.CorePath("missing")));
  std::string text = "unchanged";
  EXPECT_EQ(HashFile(HASH_MD5, folder.CorePath("pipe"), text), HASH_ERR_OPEN_FILE);
  EXPECT_EQ(text, "unchanged");
}

TEST(InputFilePosix, AnExclusiveLockHolderKeepsTheFileClosed) {
  TempFolder folder;
  digest_test::WriteBytes(folder.NativePath("locked.bin"), digest_test::GeneratedBytes(100, 2));
  Descriptor writer(folder.NativePath("locked.bin"));
  ASSERT_GE(writer.fd, 0);
  ASSERT_EQ(::flock(writer.fd, LOCK_EX | LOCK_NB), 0);

  platform::InputFile file;
  EXPECT_FALSE(file.Open(folder.CorePath("locked.bin")));
  std::string text = "unchanged";
  EXPECT_EQ(HashFile(HASH_MD5, folder.CorePath("locked.bin"), text), HASH_ERR_OPEN_FILE);
  EXPECT_EQ(text, "unchanged");

  ASSERT_EQ(::flock(writer.fd, LOCK_UN), 0);
  EXPECT_EQ(HashFile(HASH_MD5, folder.CorePath("locked.bin"), text), HASH_ERR_NONE);
}

TEST(InputFilePosix, WhileOpenNoExclusiveLockCanBeTakenAndOtherReadersShare) {
  TempFolder folder;
  digest_test::WriteBytes(folder.NativePath("shared.bin"), digest_test::GeneratedBytes(100, 3));
  {
    platform::InputFile file;
    ASSERT_TRUE(file.Open(folder.CorePath("shared.bin")));
    platform::InputFile secondReader;
    EXPECT_TRUE(secondReader.Open(folder.CorePath("shared.bin")));
    Descriptor writer(folder.NativePath("shared.bin"));
    ASSERT_GE(writer.fd, 0);
    EXPECT_EQ(::flock(writer.fd, LOCK_EX | LOCK_NB), -1);
    EXPECT_EQ(errno, EWOULDBLOCK);
  }
  // Both owners are gone, and with them their locks.
  Descriptor writer(folder.NativePath("shared.bin"));
  EXPECT_EQ(::flock(writer.fd, LOCK_EX | LOCK_NB), 0);
}

// Kernel attribute files report a size of one page but hold a few bytes: reading ends before the
// measured size, as it does for a file that shrank after it was measured.
TEST(InputFilePosix, AFileThatEndsBeforeItsMeasuredSizeGivesReadError) {
  const std::string native = "/sys/kernel/mm/transparent_hugepage/enabled";
  struct stat info;
  if (::stat(native.c_str(), &info) != 0 || info.st_size != 4096) {
    GTEST_SKIP() << "no kernel attribute file of page size here";
  }
  std::string text = "unchanged";
  EXPECT_EQ(HashFileSize(platform::CorePath(native)), 4096);
  EXPECT_EQ(HashFile(HASH_MD5, platform::CorePath(native), text), HASH_ERR_READ_FILE);
  EXPECT_EQ(text, "unchanged");
}

}  // namespace
