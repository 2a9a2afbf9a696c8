// The four algorithms against their standards' test suites, fed whole and in every split, plus
// Adler-32 against its plain modulo definition and the padding boundaries of each block size.
#include "digest/algorithms.h"

#include <gtest/gtest.h>

#include "digest/digest_service.h"
#include "tests/digest/test_support.h"

namespace {

const char kAlphabet[] = "abcdefghijklmnopqrstuvwxyz";
const char kAlphanumeric[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
const char kDigits80[] =
    "12345678901234567890123456789012345678901234567890123456789012345678901234567890";

struct Vector {
  int32_t code;
  const char* input;
  const char* digest;
};

// The seven strings of each RFC's test suite.
const Vector kSuites[] = {
    {HASH_MD2, "", "8350e5a3e24c153df2275c9f80692773"},
    {HASH_MD2, "a", "32ec01ec4a6dac72c0ab96fb34c0b5d1"},
    {HASH_MD2, "abc", "da853b0d3f88d99b30283a69e6ded6bb"},
    {HASH_MD2, "message digest", "ab4f496bfb2a530b219ff33031fe06b0"},
    {HASH_MD2, kAlphabet, "4e8ddff3650292ab5a4108c3aa47940b"},
    {HASH_MD2, kAlphanumeric, "da33def2a42df13975352846c30338cd"},
    {HASH_MD2, kDigits80, "d5976f79d83d3a0dc9806c3c66f3efd8"},
    {HASH_MD4, "", "31d6cfe0d16ae931b73c59d7e0c089c0"},
    {HASH_MD4, "a", "bde52cb31de33e46245e05fbdbd6fb24"},
    {HASH_MD4, "abc", "a448017aaf21d8525fc10ae87aa6729d"},
    {HASH_MD4, "message digest", "d9130a8164549fe818874806e1c7014b"},
    {HASH_MD4, kAlphabet, "d79e1c308aa5bbcdeea8ed63df412da9"},
    {HASH_MD4, kAlphanumeric, "043f8582f241db351ce627e153e7f0e4"},
    {HASH_MD4, kDigits80, "e33b4ddc9c38f2199c3e7b164fcc0536"},
    {HASH_MD5, "", "d41d8cd98f00b204e9800998ecf8427e"},
    {HASH_MD5, "a", "0cc175b9c0f1b6a831c399e269772661"},
    {HASH_MD5, "abc", "900150983cd24fb0d6963f7d28e17f72"},
    {HASH_MD5, "message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
    {HASH_MD5, kAlphabet, "c3fcd3d76192e4007dfb496cca67e13b"},
    {HASH_MD5, kAlphanumeric, "d174ab98d277d9f5a5611c2c9f419d9f"},
    {HASH_MD5, kDigits80, "57edf4a22be3c955ac49da2e2107b67a"},
    {HASH_ADLER32, "", "00000001"},
    {HASH_ADLER32, "abc", "024d0127"},
    {HASH_ADLER32, "Wikipedia", "11e60398"},
};

// Feeds `input` cut at `first` and `second` (first <= second), with empty pieces between.
std::string DigestInThreePieces(int32_t code, const std::string& input, std::size_t first,
                                std::size_t second) {
  TDigestContext context = {nullptr, 0};
  std::string text;
  EXPECT_EQ(HashInit(&context, code), HASH_ERR_NONE);
  const char* data = input.data();
  EXPECT_EQ(HashUpdate(&context, data, static_cast<uint32_t>(first)), HASH_ERR_NONE);
  EXPECT_EQ(HashUpdate(&context, data + first, 0), HASH_ERR_NONE);
  EXPECT_EQ(HashUpdate(&context, data + first, static_cast<uint32_t>(second - first)),
            HASH_ERR_NONE);
  EXPECT_EQ(HashUpdate(&context, nullptr, 0), HASH_ERR_NONE);
  EXPECT_EQ(HashUpdate(&context, data + second, static_cast<uint32_t>(input.size() - second)),
            HASH_ERR_NONE);
  EXPECT_EQ(HashFinal(&context, text), HASH_ERR_NONE);
  return text;
}

TEST(DigestAlgorithms, StandardSuitesWholeAndAtEverySplit) {
  for (const Vector& v : kSuites) {
    const std::string input = v.input;
    SCOPED_TRACE(std::to_string(v.code) + " \"" + input + "\"");
    EXPECT_EQ(digest_test::MemoryDigest(v.code, std::vector<uint8_t>(input.begin(), input.end())),
              v.digest);
    for (std::size_t first = 0; first <= input.size(); ++first) {
      for (std::size_t second = first; second <= input.size(); ++second) {
        const std::string text = DigestInThreePieces(v.code, input, first, second);
        if (text != v.digest) {
          ADD_FAILURE() << "cut at " << first << " and " << second << ": " << text;
          return;
        }
      }
    }
  }
}

// Adler-32 by its definition: s1 = 1 + sum of bytes, s2 = sum of the successive s1, both mod 65521.
uint32_t ReferenceAdler32(const std::vector<uint8_t>& bytes) {
  uint64_t s1 = 1, s2 = 0;
  for (uint8_t b : bytes) {
    s1 = (s1 + b) % 65521;
    s2 = (s2 + s1) % 65521;
  }
  return static_cast<uint32_t>(s2 << 16 | s1);
}

TEST(DigestAlgorithms, Adler32MatchesItsDefinition) {
  const std::vector<uint8_t> run(300000, 0xFF);
  std::string expected;
  HexDigits(8, ReferenceAdler32(run), expected);
  EXPECT_EQ(digest_test::MemoryDigest(HASH_ADLER32, run), expected);

  // Byte by byte, every running value: over this many bytes the sums land exactly on the modulus
  // several times, where a reduction that tests "above" instead of "at or above" goes wrong.
  const std::vector<uint8_t> bytes = digest_test::GeneratedBytes(400000, 17);
  TAdler32State state;
  Adler32Init(state);
  uint64_t s1 = 1, s2 = 0;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    Adler32Update(state, &bytes[i], 1);
    s1 = (s1 + bytes[i]) % 65521;
    s2 = (s2 + s1) % 65521;
    if (state != static_cast<uint32_t>(s2 << 16 | s1)) {
      ADD_FAILURE() << "after byte " << i << ": " << state;
      break;
    }
  }
}

TEST(DigestAlgorithms, HexDigitsAndRotation) {
  struct HexCase {
    int count;
    uint64_t value;
    const char* text;
  };
  const HexCase hexCases[] = {
      {2, 0x0A, "0a"},
      {8, 0x024D0127, "024d0127"},
      {1, 0x1234, "4"},
      {16, 0x0123456789ABCDEFull, "0123456789abcdef"},
  };
  for (const HexCase& c : hexCases) {
    std::string text = "old";
    HexDigits(c.count, c.value, text);
    EXPECT_EQ(text, c.text);
  }

  struct RotationCase {
    uint32_t value;
    unsigned shift;
    uint32_t result;
  };
  const RotationCase rotations[] = {
      {0x80000001u, 1, 0x00000003u}, {0x12345678u, 0, 0x12345678u},  {0x12345678u, 32, 0x12345678u},
      {0x12345678u, 4, 0x23456781u}, {0x12345678u, 31, 0x091A2B3Cu}, {0x12345678u, 36, 0x23456781u},
  };
  for (const RotationCase& c : rotations) {
    EXPECT_EQ(RotateBitsLeft(c.value, c.shift), c.result) << c.value << " by " << c.shift;
  }
}

// The padding boundaries: a block of 64 (MD4/MD5) or 16 (MD2) bytes and the lengths around the
// 56 bytes after which MD4/MD5 need a second final block. Every length from 0 to 130 is digested
// whole and in pieces of 1, 15, 55, 56, 63, 64 and 65 bytes.
TEST(DigestAlgorithms, PaddingBoundariesAgreeAcrossPieceSizes) {
  const std::vector<uint8_t> all = digest_test::GeneratedBytes(130, 11);
  for (int32_t code : {HASH_MD2, HASH_MD4, HASH_MD5}) {
    for (std::size_t length = 0; length <= all.size(); ++length) {
      const std::vector<uint8_t> input(all.begin(), all.begin() + length);
      const std::string whole = digest_test::MemoryDigest(code, input);
      for (std::size_t piece : {1, 15, 55, 56, 63, 64, 65}) {
        TDigestContext context = {nullptr, 0};
        std::string text;
        HashInit(&context, code);
        for (std::size_t at = 0; at < length; at += piece) {
          HashUpdate(&context, input.data() + at,
                     static_cast<uint32_t>(std::min(piece, length - at)));
        }
        HashFinal(&context, text);
        EXPECT_EQ(text, whole) << code << " length " << length << " piece " << piece;
      }
    }
  }
}

}  // namespace
