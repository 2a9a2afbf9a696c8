// The algorithm layer of the digest library: MD2, MD4, MD5 and Adler-32 over byte streams, each an
// initialise/update/final over a small context, plus the shared hexadecimal and rotation helpers.
// It knows nothing of files or error codes; the digest service selects and drives these.
#pragma once

#include <cstdint>
#include <string>

// MD2 context: X[0..15] the running state, X[16..31] the block being gathered, X[32..47] state XOR
// block, filled byte by byte as the block arrives.
struct TMD2Context {
  uint8_t X[48];
  uint8_t Checksum[16];
  uint8_t Count;  // bytes of the current block gathered so far, 0 to 15
  uint8_t Last;   // the checksum byte last written
};
static_assert(sizeof(TMD2Context) == 66, "MD2 context layout");

// One context layout serves MD4 and MD5. Count is the message length in bits, low word first; the
// bytes waiting in Buffer number (Count[0] >> 3) & 63.
struct TMDContext {
  uint32_t State[4];
  uint32_t Count[2];
  uint8_t Buffer[64];
};
static_assert(sizeof(TMDContext) == 88, "MD4/MD5 context layout");

// Adler-32: s2 in bits 16-31, s1 in bits 0-15, both always below 65521.
using TAdler32State = uint32_t;

// One compression of a 64-byte block into the four chaining values. The engine takes it as an
// argument so that MDUpdate and MDFinal serve MD4 and MD5 alike.
using TMDTransform = void (*)(uint32_t* state, const uint8_t* block);

// Replaces `text` with the `count` (1 to 16) lowest nibbles of `value`, lower case, most
// significant first.
void HexDigits(int count, uint64_t value, std::string& text);

inline constexpr uint32_t RotateBitsLeft(uint32_t value, unsigned shift) {
  shift &= 31;
  return (value << shift) | (value >> ((32 - shift) & 31));
}

void MD2Init(TMD2Context& context);
void MD2Byte(TMD2Context& context, uint8_t b);
void MD2Update(TMD2Context& context, const uint8_t* bytes, uint32_t length);
// Consumes the context: it must be initialised again before reuse.
void MD2Final(TMD2Context& context, std::string& text);

void MDInit(TMDContext& context);
void MDUpdate(TMDContext& context, const uint8_t* bytes, uint32_t length, TMDTransform transform);
// Writes the 32 hexadecimal digits of the digest and clears the whole context.
void MDFinal(TMDContext& context, TMDTransform transform, std::string& text);
void MD4Transform(uint32_t* state, const uint8_t* block);
void MD5Transform(uint32_t* state, const uint8_t* block);

void Adler32Init(TAdler32State& state);
void Adler32Update(TAdler32State& state, const uint8_t* bytes, uint32_t length);
