// MD2 (RFC 1319), strictly byte by byte: every 16th byte completes a block and compresses it.
#include <cstring>

#include "digest/algorithms.h"

namespace {

// The permutation S built from the digits of pi.
constexpr uint8_t kSubstitution[256] = {
    41,  46,  67,  201, 162, 216, 124, 1,   61,  54,  84,  161, 236, 240, 6,   19,  98,  167, 5,
    243, 192, 199, 115, 140, 152, 147, 43,  217, 188, 76,  130, 202, 30,  155, 87,  60,  253, 212,
    224, 22,  103, 66,  111, 24,  138, 23,  229, 18,  190, 78,  196, 214, 218, 158, 222, 73,  160,
    251, 245, 142, 187, 47,  238, 122, 169, 104, 121, 145, 21,  178, 7,   63,  148, 194, 16,  137,
    11,  34,  95,  33,  128, 127, 93,  154, 90,  144, 50,  39,  53,  62,  204, 231, 191, 247, 151,
    3,   255, 25,  48,  179, 72,  165, 181, 209, 215, 94,  146, 42,  172, 86,  170, 198, 79,  184,
    56,  210, 150, 164, 125, 182, 118, 252, 107, 226, 156, 116, 4,   241, 69,  157, 112, 89,  100,
    113, 135, 32,  134, 91,  207, 101, 230, 45,  168, 2,   27,  96,  37,  173, 174, 176, 185, 246,
    28,  70,  97,  105, 52,  64,  126, 15,  85,  71,  163, 35,  221, 81,  175, 58,  195, 92,  249,
    206, 186, 197, 234, 38,  44,  83,  13,  110, 133, 40,  132, 9,   211, 223, 205, 244, 65,  129,
    77,  82,  106, 220, 55,  200, 108, 193, 171, 250, 36,  225, 123, 8,   12,  189, 177, 74,  120,
    136, 149, 139, 227, 99,  232, 109, 233, 203, 213, 254, 59,  0,   29,  57,  242, 239, 183, 14,
    102, 88,  208, 228, 166, 119, 114, 248, 235, 117, 75,  10,  49,  68,  80,  180, 143, 237, 31,
    26,  219, 153, 141, 51,  159, 17,  131, 20};

constexpr int kRounds = 18;

void Compress(TMD2Context& context) {
  unsigned t = 0;
  for (int j = 0; j < kRounds; ++j) {
    for (uint8_t& x : context.X) {
      x ^= kSubstitution[t];
      t = x;
    }
    t = (t + static_cast<unsigned>(j)) & 0xFF;
  }
}

}  // namespace

void MD2Init(TMD2Context& context) {
  std::memset(context.X, 0, 16);
  std::memset(context.Checksum, 0, sizeof context.Checksum);
  context.Count = 0;
  context.Last = 0;
}

void MD2Byte(TMD2Context& context, uint8_t b) {
  const unsigned i = context.Count;
  context.X[16 + i] = b;
  context.X[32 + i] = static_cast<uint8_t>(context.X[i] ^ b);
  context.Checksum[i] ^= kSubstitution[b ^ context.Last];
  context.Last = context.Checksum[i];
  context.Count = static_cast<uint8_t>((i + 1) & 15);
  if (context.Count == 0) Compress(context);
}

void MD2Update(TMD2Context& context, const uint8_t* bytes, uint32_t length) {
  for (uint32_t i = 0; i < length; ++i) MD2Byte(context, bytes[i]);
}

void MD2Final(TMD2Context& context, std::string& text) {
  const uint8_t padding = static_cast<uint8_t>(16 - context.Count);
  for (unsigned i = 0; i < padding; ++i) MD2Byte(context, padding);
  // Each checksum byte is read before the step for its own position rewrites it, so the block fed
  // is the checksum as it stood after the padding.
  for (unsigned i = 0; i < 16; ++i) MD2Byte(context, context.Checksum[i]);
  std::string digest, pair;
  digest.reserve(32);
  for (unsigned i = 0; i < 16; ++i) {
    HexDigits(2, context.X[i], pair);
    digest += pair;
  }
  text = digest;
}
