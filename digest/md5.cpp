// The MD5 block transform (RFC 1321): four rounds of sixteen steps. MD5 is latency-bound, so each
// round function is written in the form with the fewest operations that wait for p, the variable
// the previous step has just produced; everything else is computed while that step runs.
#include "digest/algorithms.h"
#include "digest/byte_order.h"

namespace {

// T[i] = floor(|sin(i + 1)| * 2^32).
constexpr uint32_t kSineTable[64] = {
    0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613, 0xfd469501,
    0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193, 0xa679438e, 0x49b40821,
    0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d, 0x02441453, 0xd8a1e681, 0xe7d3fbc8,
    0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed, 0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a,
    0xfffa3942, 0x8771f681, 0x6d9d6122, 0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70,
    0x289b7ec6, 0xeaa127fa, 0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665,
    0xf4292244, 0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
    0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb, 0xeb86d391};

constexpr uint8_t kWordOrder[64] = {
    0, 1, 2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 15,  // round 1: k = i
    1, 6, 11, 0,  5,  10, 15, 4,  9,  14, 3,  8,  13, 2,  7,  12,  // round 2: k = 1 + 5i
    5, 8, 11, 14, 1,  4,  7,  10, 13, 0,  3,  6,  9,  12, 15, 2,   // round 3: k = 5 + 3i
    0, 7, 14, 5,  12, 3,  10, 1,  8,  15, 6,  13, 4,  11, 2,  9};  // round 4: k = 7i

constexpr unsigned kShifts[4][4] = {
    {7, 12, 17, 22}, {5, 9, 14, 20}, {4, 11, 16, 23}, {6, 10, 15, 21}};

// One step: v = p + RotateBitsLeft(v + f(p, q, r) + X[k] + T[i], s). The sum of v, X[k] and T[i]
// and the parts of f that do not involve p are independent of the previous step.
//   F = (p AND q) OR (NOT p AND r)  as  r XOR (p AND (q XOR r))
//   G = (p AND r) OR (q AND NOT r)  as  (q AND NOT r) + (p AND r): the two terms share no bit
//   H = p XOR q XOR r               as  p XOR (q XOR r)
//   I = q XOR (p OR NOT r)
template <int round>
inline void Step(uint32_t& v, uint32_t p, uint32_t q, uint32_t r, const uint32_t* x, int i) {
  uint32_t sum = v + x[kWordOrder[i]] + kSineTable[i];
  if (round == 0) {
    sum += r ^ (p & (q ^ r));
  } else if (round == 1) {
    sum += q & ~r;
    sum += p & r;
  } else if (round == 2) {
    sum += p ^ (q ^ r);
  } else {
    sum += q ^ (p | ~r);
  }
  v = p + RotateBitsLeft(sum, kShifts[round][i & 3]);
}

template <int round>
inline void Round(uint32_t& a, uint32_t& b, uint32_t& c, uint32_t& d, const uint32_t* x) {
#pragma GCC unroll 4
  for (int i = 16 * round; i < 16 * round + 16; i += 4) {
    Step<round>(a, b, c, d, x, i);
    Step<round>(d, a, b, c, x, i + 1);
    Step<round>(c, d, a, b, x, i + 2);
    Step<round>(b, c, d, a, x, i + 3);
  }
}

}  // namespace

void MD5Transform(uint32_t* state, const uint8_t* block) {
  uint32_t x[16];
  for (int i = 0; i < 16; ++i) x[i] = LoadLittleEndian32(block + 4 * i);
  uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
  Round<0>(a, b, c, d, x);
  Round<1>(a, b, c, d, x);
  Round<2>(a, b, c, d, x);
  Round<3>(a, b, c, d, x);
  state[0] += a;
  state[1] += b;
  state[2] += c;
  state[3] += d;
}
