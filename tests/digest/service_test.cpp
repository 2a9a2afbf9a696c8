// The digest service: its error codes and texts, digests of real files against md5sum (host) or
// the memory digest (Windows), byte ranges, and the outcomes of files that cannot be read.
#include <gtest/gtest.h>

#include <fstream>
#include <utility>

#include "digest/digest_service.h"
#include "tests/digest/test_support.h"

namespace {

using digest_test::GeneratedBytes;
using digest_test::MemoryDigest;
using digest_test::TempFolder;
using digest_test::WriteBytes;

std::vector<uint8_t> Bytes(const std::string& text) {
  return std::vector<uint8_t>(text.begin(), text.end());
}

// The texts are GBK bytes (the build's execution character set), codes 1 to 3 keep their final
// blank, and every code outside the table has the unknown-error text.
TEST(DigestService, ErrorTexts) {
  const std::pair<int32_t, const char*> cases[] = {
      {HASH_ERR_OPEN_FILE, "\xce\xde\xb7\xa8\xb4\xf2\xbf\xaa\xce\xc4\xbc\xfe"},
      {HASH_ERR_UNKNOWN_TYPE, "未知散列类型 "},
      {7, "未知错误"},
      {-1, "未知错误"},
      {INT32_MIN, "未知错误"},
  };
  for (const auto& [code, expected] : cases) {
    std::string text = "previous text";
    HashErrorText(code, text);
    EXPECT_EQ(text, expected) << code;
  }
}

// Inside a long file the hook is asked after every 64 KiB but the last; a stop abandons the file.
TEST(DigestService, ProgressHookIsAskedInsideAFileAndCanAbandonIt) {
  struct TCountingProgress final : THashProgress {
    int asked = 0;
    int stopAt = 0;  // 0: never
    uint64_t digested = 0;
    bool KeepReading(uint64_t done) override {
      digested = done;
      return ++asked != stopAt;
    }
  };
  TempFolder folder;
  const std::vector<uint8_t> bytes = GeneratedBytes(4 * 65536, 7);
  WriteBytes(folder.NativePath("long.bin"), bytes);

  TCountingProgress all;
  std::string text;
  ASSERT_EQ(HashFile(HASH_MD5, folder.CorePath("long.bin"), text, &all), HASH_ERR_NONE);
  EXPECT_EQ(text, MemoryDigest(HASH_MD5, bytes));
  EXPECT_EQ(all.asked, 3);
  EXPECT_EQ(all.digested, 3u * 65536);

  TCountingProgress stopped;
  stopped.stopAt = 2;
  text = "unchanged";
  EXPECT_EQ(HashFile(HASH_MD5, folder.CorePath("long.bin"), text, &stopped), HASH_ERR_ABANDONED);
  EXPECT_EQ(text, "unchanged");
  EXPECT_EQ(stopped.asked, 2);
}

TEST(DigestService, ContextErrorCodes) {
  std::string text = "kept";
  EXPECT_EQ(HashInit(nullptr, HASH_MD5), HASH_ERR_NO_CONTEXT);
  EXPECT_EQ(HashUpdate(nullptr, "a", 1), HASH_ERR_NO_CONTEXT);
  EXPECT_EQ(HashFinal(nullptr, text), HASH_ERR_NO_CONTEXT);

  for (int32_t code : {0, 256, 260, 261, 263, -259}) {
    TDigestContext context = {nullptr, 0};
    EXPECT_EQ(HashInit(&context, code), HASH_ERR_UNKNOWN_TYPE) << code;
    EXPECT_EQ(context.Code, code);
    EXPECT_EQ(context.State, nullptr);
    EXPECT_EQ(HashUpdate(&context, "a", 1), HASH_ERR_NO_STATE);
    EXPECT_EQ(HashFinal(&context, text), HASH_ERR_UNKNOWN_TYPE);
  }

  TDigestContext empty = {nullptr, HASH_MD5};
  EXPECT_EQ(HashUpdate(&empty, "a", 1), HASH_ERR_NO_STATE);
  EXPECT_EQ(HashFinal(&empty, text), HASH_ERR_NO_STATE);
  EXPECT_EQ(text, "kept");

  // The final releases the state: a second final fails and leaves the text alone.
  for (int32_t code : {HASH_MD2, HASH_MD4, HASH_MD5, HASH_ADLER32}) {
    TDigestContext context = {nullptr, 0};
    ASSERT_EQ(HashInit(&context, code), HASH_ERR_NONE);
    ASSERT_EQ(HashFinal(&context, text), HASH_ERR_NONE);
    EXPECT_EQ(context.State, nullptr);
    const std::string first = text;
    EXPECT_EQ(HashFinal(&context, text), HASH_ERR_NO_STATE);
    EXPECT_EQ(text, first);
  }
}

TEST(DigestService, SmallFilesForEveryAlgorithm) {
  TempFolder folder;
  WriteBytes(folder.NativePath("abc.txt"), Bytes("abc"));
  WriteBytes(folder.NativePath("empty.bin"), {});
  struct Case {
    const char* file;
    int32_t code;
    const char* digest;
  };
  const Case cases[] = {
      {"abc.txt", HASH_MD5, "900150983cd24fb0d6963f7d28e17f72"},
      {"abc.txt", HASH_MD4, "a448017aaf21d8525fc10ae87aa6729d"},
      {"abc.txt", HASH_MD2, "da853b0d3f88d99b30283a69e6ded6bb"},
      {"abc.txt", HASH_ADLER32, "024d0127"},
      // An empty file has a digest like any other: that of the empty input.
      {"empty.bin", HASH_MD5, "d41d8cd98f00b204e9800998ecf8427e"},
      {"empty.bin", HASH_MD2, "8350e5a3e24c153df2275c9f80692773"},
      {"empty.bin", HASH_ADLER32, "00000001"},
  };
  for (const Case& c : cases) {
    std::string text = "old";
    EXPECT_EQ(HashFile(c.code, folder.CorePath(c.file), text), HASH_ERR_NONE) << c.file;
    EXPECT_EQ(text, c.digest) << c.file << " " << c.code;
  }
  EXPECT_EQ(HashFileSize(folder.CorePath("abc.txt")), 3);
  EXPECT_EQ(HashFileSize(folder.CorePath("empty.bin")), 0);
}

TEST(DigestService, FilesThatCannotBeDigested) {
  TempFolder folder;
  WriteBytes(folder.NativePath("present.txt"), Bytes("abc"));
  struct Case {
    const char* what;
    std::string path;
    int32_t code;
    int32_t result;
  };
  const Case cases[] = {
      {"missing file", folder.CorePath("missing.txt"), HASH_MD5, HASH_ERR_OPEN_FILE},
      {"missing file, unassigned code", folder.CorePath("missing.txt"), 260, HASH_ERR_OPEN_FILE},
      {"present file, unassigned code", folder.CorePath("present.txt"), 260, HASH_ERR_UNKNOWN_TYPE},
      {"present file, code 0", folder.CorePath("present.txt"), 0, HASH_ERR_UNKNOWN_TYPE},
      {"a folder", folder.CorePath(""), HASH_MD5, HASH_ERR_OPEN_FILE},
      {"empty path", "", HASH_MD5, HASH_ERR_OPEN_FILE},
      {"missing folder", folder.CorePath("no-such-folder") + "\\a.txt", HASH_MD5,
       HASH_ERR_OPEN_FILE},
  };
  for (const Case& c : cases) {
    std::string text = "unchanged";
    EXPECT_EQ(HashFile(c.code, c.path, text), c.result) << c.what;
    EXPECT_EQ(text, "unchanged") << c.what;
  }
  EXPECT_EQ(HashFileSize(folder.CorePath("missing.txt")), -1);
}

// Sizes at the 4096-byte read pieces and the padding limits, and a few larger random sizes.
TEST(DigestService, FileDigestsAgreeWithAPeer) {
  TempFolder folder;
  const std::size_t sizes[] = {0,    1,    55,   56,    63,     64,      65,     4095,
                               4096, 4097, 8192, 12289, 100003, 1048576, 3000017};
  uint32_t seed = 1;
  for (std::size_t size : sizes) {
    const std::vector<uint8_t> bytes = GeneratedBytes(size, seed++);
    const std::string name = "file-" + std::to_string(size) + ".bin";
    WriteBytes(folder.NativePath(name), bytes);
    std::string text;
    ASSERT_EQ(HashFile(HASH_MD5, folder.CorePath(name), text), HASH_ERR_NONE) << size;
#ifdef _WIN32
    EXPECT_EQ(text, MemoryDigest(HASH_MD5, bytes)) << size;
#else
    EXPECT_EQ(text, digest_test::Md5sumOf(folder.NativePath(name))) << size;
#endif
    EXPECT_EQ(HashFileSize(folder.CorePath(name)), static_cast<int64_t>(size));
  }
#ifndef _WIN32
  // Just past 512 MiB the bit count carries into its high word (sparse: it costs no disk).
  const std::string sparse = folder.NativePath("carry.bin");
  {
    std::ofstream out(sparse, std::ios::binary);
    out.seekp((std::streamoff{1} << 29) + 4, std::ios::beg);
    out.write("MARK", 4);
  }
  std::string carried;
  ASSERT_EQ(HashFile(HASH_MD5, folder.CorePath("carry.bin"), carried), HASH_ERR_NONE);
  EXPECT_EQ(carried, digest_test::Md5sumOf(sparse));
#endif
  // The other algorithms read files the same way.
  const std::vector<uint8_t> bytes = GeneratedBytes(10000, 99);
  WriteBytes(folder.NativePath("other.bin"), bytes);
  for (int32_t code : {HASH_MD2, HASH_MD4, HASH_ADLER32}) {
    std::string text;
    EXPECT_EQ(HashFile(code, folder.CorePath("other.bin"), text), HASH_ERR_NONE);
    EXPECT_EQ(text, MemoryDigest(code, bytes)) << code;
  }
}

// HashFile measures the file, then reads it. A range that ends beyond the end of the file is what
// the reading sees when the file shrank after it was measured; one that ends before the end is a
// file that grew.
TEST(DigestService, FileRanges) {
  TempFolder folder;
  const std::vector<uint8_t> bytes = GeneratedBytes(10000, 42);
  const std::string path = folder.CorePath("range.bin");
  WriteBytes(folder.NativePath("range.bin"), bytes);
  auto slice = [&](std::size_t from, std::size_t to) {
    return MemoryDigest(HASH_MD5, std::vector<uint8_t>(bytes.begin() + from, bytes.begin() + to));
  };
  struct Case {
    uint64_t start, end;
    bool ok;
    std::string digest;
  };
  const Case cases[] = {
      {0, 10000, true, slice(0, 10000)},
      {0, 4096, true, slice(0, 4096)},
      {0, 5000, true, slice(0, 5000)},
      {123, 8315, true, slice(123, 8315)},
      {10000, 10000, true, slice(0, 0)},
      {0, 0, true, slice(0, 0)},
      {0, 10001, false, ""},
      {9999, 20000, false, ""},
      {20000, 20001, false, ""},
      {5, 4, false, ""},
  };
  for (const Case& c : cases) {
    TDigestContext context = {nullptr, 0};
    ASSERT_EQ(HashInit(&context, HASH_MD5), HASH_ERR_NONE);
    EXPECT_EQ(HashFileRange(&context, path, c.start, c.end), c.ok) << c.start << "-" << c.end;
    std::string text;
    ASSERT_EQ(HashFinal(&context, text), HASH_ERR_NONE);
    if (c.ok) {
      EXPECT_EQ(text, c.digest) << c.start << "-" << c.end;
    }
  }
  TDigestContext context = {nullptr, 0};
  ASSERT_EQ(HashInit(&context, HASH_MD5), HASH_ERR_NONE);
  EXPECT_FALSE(HashFileRange(&context, folder.CorePath("missing.bin"), 0, 1));
  std::string text;
  HashFinal(&context, text);
}

}  // namespace
