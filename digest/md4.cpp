// The MD4 block transform (RFC 1320): three rounds of sixteen steps.
#include "digest/algorithms.h"
#include "digest/byte_order.h"

namespace {

constexpr uint8_t kWordOrder[3][16] = {{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15},
                                       {0, 4, 8, 12, 1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15},
                                       {0, 8, 4, 12, 2, 10, 6, 14, 1, 9, 5, 13, 3, 11, 7, 15}};
constexpr unsigned kShifts[3][4] = {{3, 7, 11, 19}, {3, 5, 9, 13}, {3, 9, 11, 15}};
constexpr uint32_t kRoundConstants[3] = {0, 0x5A827999, 0x6ED9EBA1};

inline uint32_t F(uint32_t x, uint32_t y, uint32_t z) { return z ^ (x & (y ^ z)); }
inline uint32_t G(uint32_t x, uint32_t y, uint32_t z) { return (x & y) | (z & (x | y)); }
inline uint32_t H(uint32_t x, uint32_t y, uint32_t z) { return x ^ y ^ z; }

// v = RotateBitsLeft(v + f(p, q, r) + X[k] + constant, s), where p, q, r follow v in a, b, c, d.
template <int round>
inline void Step(uint32_t& v, uint32_t p, uint32_t q, uint32_t r, const uint32_t* x, int step) {
  const uint32_t f = round == 0 ? F(p, q, r) : round == 1 ? G(p, q, r) : H(p, q, r);
  v = RotateBitsLeft(v + f + x[kWordOrder[round][step]] + kRoundConstants[round],
                     kShifts[round][step & 3]);
}

template <int round>
inline void Round(uint32_t& a, uint32_t& b, uint32_t& c, uint32_t& d, const uint32_t* x) {
#pragma GCC unroll 4
  for (int step = 0; step < 16; step += 4) {
    Step<round>(a, b, c, d, x, step);
    Step<round>(d, a, b, c, x, step + 1);
    Step<round>(c, d, a, b, x, step + 2);
    Step<round>(b, c, d, a, x, step + 3);
  }
}

}  // namespace

void MD4Transform(uint32_t* state, const uint8_t* block) {
  uint32_t x[16];
  for (int i = 0; i < 16; ++i) x[i] = LoadLittleEndian32(block + 4 * i);
  uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
  Round<0>(a, b, c, d, x);
  Round<1>(a, b, c, d, x);
  Round<2>(a, b, c, d, x);
  state[0] += a;
  state[1] += b;
  state[2] += c;
  state[3] += d;
}
