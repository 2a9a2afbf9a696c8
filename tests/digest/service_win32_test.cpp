// Windows file sharing around the digest: a file open for writing elsewhere cannot be digested,
// a file being digested cannot be opened for writing, and every handle is closed on return.
#include <gtest/gtest.h>
#include <windows.h>

#include "digest/digest_service.h"
#include "platform/input_file.h"
#include "tests/digest/test_support.h"

namespace {

using digest_test::TempFolder;

// A handle of the test's own, closed at scope end.
struct Handle {
  explicit Handle(HANDLE h) : handle(h) {}
  ~Handle() {
    if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
  }
  HANDLE handle;
};

HANDLE OpenForWriting(const std::string& path) {
  return CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                     OPEN_EXISTING, 0, nullptr);
}

TEST(DigestWindows, AFileOpenForWritingElsewhereCannotBeOpened) {
  TempFolder folder;
  const std::string path = folder.CorePath("busy.bin");
  digest_test::WriteBytes(path, digest_test::GeneratedBytes(1000, 1));
  {
    Handle writer(OpenForWriting(path));
    ASSERT_NE(writer.handle, INVALID_HANDLE_VALUE);
    std::string text = "unchanged";
    EXPECT_EQ(HashFile(HASH_MD5, path, text), HASH_ERR_OPEN_FILE);
    EXPECT_EQ(text, "unchanged");
    EXPECT_EQ(HashFileSize(path), -1);
  }
  std::string text;
  EXPECT_EQ(HashFile(HASH_MD5, path, text), HASH_ERR_NONE);
}

TEST(DigestWindows, WhileReadingNoWriterCanOpenTheFile) {
  TempFolder folder;
  const std::string path = folder.CorePath("reading.bin");
  digest_test::WriteBytes(path, digest_test::GeneratedBytes(1000, 2));
  {
    platform::InputFile file;
    ASSERT_TRUE(file.Open(path));
    Handle writer(OpenForWriting(path));
    EXPECT_EQ(writer.handle, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    platform::InputFile secondReader;
    EXPECT_TRUE(secondReader.Open(path));
  }
  Handle writer(OpenForWriting(path));
  EXPECT_NE(writer.handle, INVALID_HANDLE_VALUE);
}

TEST(DigestWindows, UnassignedCodeOnMissingAndPresentFiles) {
  TempFolder folder;
  digest_test::WriteBytes(folder.CorePath("present.bin"), {'a', 'b', 'c'});
  std::string text = "unchanged";
  EXPECT_EQ(HashFile(260, folder.CorePath("missing.bin"), text), HASH_ERR_OPEN_FILE);
  EXPECT_EQ(HashFile(260, folder.CorePath("present.bin"), text), HASH_ERR_UNKNOWN_TYPE);
  EXPECT_EQ(text, "unchanged");
}

// After every outcome the file can be deleted at once: no handle of ours is left open.
TEST(DigestWindows, EveryHandleIsClosedOnReturn) {
  TempFolder folder;
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
    int32_t code;
    int32_t result;
  };
  const Case cases[] = {
      {"success", digest_test::GeneratedBytes(10000, 3), HASH_MD5, HASH_ERR_NONE},
      {"empty file", {}, HASH_MD5, HASH_ERR_NONE},
      {"unassigned code", digest_test::GeneratedBytes(10, 4), 261, HASH_ERR_UNKNOWN_TYPE},
      {"another algorithm", digest_test::GeneratedBytes(5000, 5), HASH_MD2, HASH_ERR_NONE},
  };
  for (const Case& c : cases) {
    const std::string path = folder.CorePath("file.bin");
    digest_test::WriteBytes(path, c.bytes);
    std::string text;
    EXPECT_EQ(HashFile(c.code, path, text), c.result) << c.what;
    EXPECT_TRUE(DeleteFileA(path.c_str())) << c.what << ": error " << GetLastError();
  }

  // A range that ends past the end of the file fails part-way through reading.
  const std::string path = folder.CorePath("short.bin");
  digest_test::WriteBytes(path, digest_test::GeneratedBytes(5000, 6));
  TDigestContext context = {nullptr, 0};
  ASSERT_EQ(HashInit(&context, HASH_MD5), HASH_ERR_NONE);
  EXPECT_FALSE(HashFileRange(&context, path, 0, 9000));
  std::string text;
  HashFinal(&context, text);
  EXPECT_TRUE(DeleteFileA(path.c_str())) << "short range: error " << GetLastError();

  // A failed open leaves nothing behind either.
  const std::string busy = folder.CorePath("busy.bin");
  digest_test::WriteBytes(busy, digest_test::GeneratedBytes(10, 7));
  {
    Handle writer(OpenForWriting(busy));
    EXPECT_EQ(HashFile(HASH_MD5, busy, text), HASH_ERR_OPEN_FILE);
  }
  EXPECT_TRUE(DeleteFileA(busy.c_str())) << "failed open: error " << GetLastError();
}

}  // namespace
