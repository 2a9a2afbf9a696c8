// The buffering engine shared by MD4 and MD5: a 64-bit bit count, a partial block, and padding
// with the length. Whole blocks go to the transform straight from the caller's memory.
#include <cstring>

#include "digest/algorithms.h"
#include "digest/byte_order.h"

namespace {

constexpr uint8_t kPadding[64] = {0x80};

constexpr uint32_t kInitialState[4] = {0x67452301, 0xEFCDAB89, 0x98BADCFE, 0x10325476};

}  // namespace

void MDInit(TMDContext& context) {
  std::memcpy(context.State, kInitialState, sizeof context.State);
  context.Count[0] = 0;
  context.Count[1] = 0;
}

void MDUpdate(TMDContext& context, const uint8_t* bytes, uint32_t length, TMDTransform transform) {
  if (length == 0) return;
  uint32_t index = (context.Count[0] >> 3) & 63;

  const uint32_t bits = length << 3;
  context.Count[0] += bits;
  if (context.Count[0] < bits) ++context.Count[1];
  context.Count[1] += length >> 29;

  const uint32_t part = 64 - index;
  uint32_t i = 0;
  if (length >= part) {
    std::memcpy(context.Buffer + index, bytes, part);
    transform(context.State, context.Buffer);
    for (i = part; length - i >= 64; i += 64) transform(context.State, bytes + i);
    index = 0;
  }
  if (length > i) std::memcpy(context.Buffer + index, bytes + i, length - i);
}

void MDFinal(TMDContext& context, TMDTransform transform, std::string& text) {
  uint8_t bitCount[8];
  StoreLittleEndian32(context.Count[0], bitCount);
  StoreLittleEndian32(context.Count[1], bitCount + 4);

  const uint32_t index = (context.Count[0] >> 3) & 63;
  const uint32_t paddingLength = index < 56 ? 56 - index : 120 - index;
  MDUpdate(context, kPadding, paddingLength, transform);
  MDUpdate(context, bitCount, 8, transform);

  uint8_t digest[16];
  for (int i = 0; i < 4; ++i) StoreLittleEndian32(context.State[i], digest + 4 * i);
  std::string result, pair;
  result.reserve(32);
  for (uint8_t b : digest) {
    HexDigits(2, b, pair);
    result += pair;
  }
  text = result;
  std::memset(&context, 0, sizeof context);
}
