// Adler-32 (RFC 1950): both sums reduced after every byte by one conditional subtraction.
#include "digest/algorithms.h"

namespace {
constexpr uint32_t kModulus = 65521;
}

void Adler32Init(TAdler32State& state) { state = 1; }

void Adler32Update(TAdler32State& state, const uint8_t* bytes, uint32_t length) {
  uint32_t s1 = state & 0xFFFF;
  uint32_t s2 = state >> 16;
  for (uint32_t i = 0; i < length; ++i) {
    s1 += bytes[i];
    if (s1 >= kModulus) s1 -= kModulus;
    s2 += s1;
    if (s2 >= kModulus) s2 -= kModulus;
  }
  state = (s2 << 16) | s1;
}
