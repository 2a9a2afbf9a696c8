// The digest service: algorithms selected by numeric code, a generic context, digests of memory
// and of whole files, and numeric error codes with fixed message texts. No operation throws; every
// failure is a code and leaves the output text as it was.
#pragma once

#include <cstdint>
#include <string>

#include "texts/texts.h"

constexpr int32_t HASH_MD2 = 257;
constexpr int32_t HASH_MD4 = 258;
constexpr int32_t HASH_MD5 = 259;
constexpr int32_t HASH_ADLER32 = 262;

constexpr int32_t HASH_ERR_NONE = 0;
constexpr int32_t HASH_ERR_UNKNOWN_TYPE = 1;
constexpr int32_t HASH_ERR_NO_CONTEXT = 2;
constexpr int32_t HASH_ERR_NO_STATE = 3;
constexpr int32_t HASH_ERR_READ_FILE = 4;
constexpr int32_t HASH_ERR_OPEN_FILE = 5;
constexpr int32_t HASH_ERR_GET_FAILED = 6;
// HashFile only: the progress hook asked to stop inside the file. Nothing was digested; callers
// end their run instead of reporting it, so it has no text of its own.
constexpr int32_t HASH_ERR_ABANDONED = -1;

// Asked now and then while one file is read, so that its caller can let its window answer, count
// the bytes done and notice a stop inside a long file; false abandons the file. `digested` is how
// many bytes of the file have been digested so far.
class THashProgress {
 public:
  virtual bool KeepReading(uint64_t digested) = 0;

 protected:
  ~THashProgress() = default;
};

// Owned by the caller and filled with zeros before its first HashInit. State is allocated by
// HashInit and released by HashFinal; it is null whenever the context holds none.
struct TDigestContext {
  void* State;
  int32_t Code;
};

// Allocates and initialises the state for `code` (HASH_MD2, HASH_MD4, HASH_MD5, HASH_ADLER32).
// Expects an empty context. Returns 6 only if the state cannot be allocated.
int32_t HashInit(TDigestContext* context, int32_t code);
int32_t HashUpdate(TDigestContext* context, const void* bytes, uint32_t length);
// Writes the lower-case digest text (32 digits, 8 for Adler-32) and releases the state.
int32_t HashFinal(TDigestContext* context, std::string& text);

// What the digest of a file learned of it from the handle it was read through.
struct TFileFacts {
  uint64_t Size = 0;
  // The last write, in the system's file time: 100-nanosecond ticks since 1601-01-01 UTC.
  int64_t LastWrite = 0;
  bool LastWriteKnown = false;
};

// The size of the file at the core path `path`, or -1 when it cannot be opened for reading.
int64_t HashFileSize(const std::string& path);
// Feeds bytes [start, end) of the file to an initialised context. False when the file cannot be
// opened or positioned, a read fails, or the file ends before `end`.
bool HashFileRange(TDigestContext* context, const std::string& path, uint64_t start, uint64_t end);
// The digest text of a whole file: 0, or 1 (unknown code, file present), 4 (read failed or the
// file shrank while being read), 5 (cannot open, or not a disk file), or HASH_ERR_ABANDONED when
// `progress` said to stop. `progress` (may be null) is asked after every 64 KiB digested, never
// after the last piece. `facts` (may be null) receives the file's size and last-write time once
// it is open, whatever comes of the digest. Safe to call on several threads at once: the progress
// hook is asked on the calling thread.
int32_t HashFile(int32_t code, const std::string& path, std::string& text,
                 THashProgress* progress = nullptr, TFileFacts* facts = nullptr);

// The message text of an error code (of any value), in Chinese as the library has always given it;
// HashErrorName names it in the program's texts, for a message in another language.
void HashErrorText(int32_t code, std::string& text);
texts::TText HashErrorName(int32_t code);
