// A sparse file larger than 4 GiB is digested whole: sizes, offsets and the byte count are 64-bit,
// and the MD5 bit count carries into its high word. Slow: about 4 GiB is read twice.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "digest/digest_service.h"
#include "tests/digest/test_support.h"

namespace {

TEST(DigestLargeFile, BeyondFourGibibytesAgreesWithMd5sum) {
  digest_test::TempFolder folder;
  const std::string native = folder.NativePath("sparse.bin");
  const uint64_t size = (uint64_t{1} << 32) + 8192 + 77;
  const int fd = ::open(native.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::ftruncate(fd, static_cast<off_t>(size)), 0);
  // Marks at the start, on both sides of the 4 GiB line and at the very end, so that a digest of
  // the low 32 bits of the size (8269 bytes) or one that skips a piece would differ.
  const uint64_t marks[] = {0, (uint64_t{1} << 32) - 3, uint64_t{1} << 32, size - 5};
  for (uint64_t at : marks) {
    ASSERT_EQ(::pwrite(fd, "MARK!", 5, static_cast<off_t>(at)), 5);
  }
  ASSERT_EQ(::close(fd), 0);

  EXPECT_EQ(HashFileSize(folder.CorePath("sparse.bin")), static_cast<int64_t>(size));
  std::string text;
  ASSERT_EQ(HashFile(HASH_MD5, folder.CorePath("sparse.bin"), text), HASH_ERR_NONE);
  EXPECT_EQ(text, digest_test::Md5sumOf(native));
}

}  // namespace
