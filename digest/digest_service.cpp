// Dispatch by algorithm code over the algorithm layer, and whole-file digests read sequentially
// in large pieces through one read-sharing handle, which measures the file and reads it.
#include "digest/digest_service.h"

#include <algorithm>
#include <memory>
#include <new>

#include "digest/algorithms.h"
#include "platform/input_file.h"

namespace {

// Large sequential reads: a system call per 4 KiB costs more than digesting them under some
// systems, and a disk reads ahead best when asked for much at once.
constexpr uint32_t kReadPiece = 1024 * 1024;
// How many bytes of one file are digested between two questions to the progress hook: often
// enough for a stop to be honoured at once even from a slow disc, rarely enough to cost nothing.
constexpr uint32_t kProgressInterval = 64 * 1024;

// One row per algorithm code: how to make, feed, finish and free its state. The service
// dispatches on the code here and nowhere else.
struct TAlgorithm {
  int32_t code;
  void* (*create)();
  void (*update)(void* state, const uint8_t* bytes, uint32_t length);
  void (*final)(void* state, std::string& text);
  void (*release)(void* state);
};

template <typename State, void (*Init)(State&)>
void* Create() {
  auto* state = new (std::nothrow) State;
  if (state != nullptr) Init(*state);
  return state;
}

template <typename State>
void Release(void* state) {
  delete static_cast<State*>(state);
}

template <TMDTransform Transform>
void MDUpdateWith(void* state, const uint8_t* bytes, uint32_t length) {
  MDUpdate(*static_cast<TMDContext*>(state), bytes, length, Transform);
}

template <TMDTransform Transform>
void MDFinalWith(void* state, std::string& text) {
  MDFinal(*static_cast<TMDContext*>(state), Transform, text);
}

const TAlgorithm kAlgorithms[] = {
    {HASH_MD2, Create<TMD2Context, MD2Init>,
     [](void* state, const uint8_t* bytes, uint32_t length) {
       MD2Update(*static_cast<TMD2Context*>(state), bytes, length);
     },
     [](void* state, std::string& text) { MD2Final(*static_cast<TMD2Context*>(state), text); },
     Release<TMD2Context>},
    {HASH_MD4, Create<TMDContext, MDInit>, MDUpdateWith<MD4Transform>, MDFinalWith<MD4Transform>,
     Release<TMDContext>},
    {HASH_MD5, Create<TMDContext, MDInit>, MDUpdateWith<MD5Transform>, MDFinalWith<MD5Transform>,
     Release<TMDContext>},
    {HASH_ADLER32, Create<TAdler32State, Adler32Init>,
     [](void* state, const uint8_t* bytes, uint32_t length) {
       Adler32Update(*static_cast<TAdler32State*>(state), bytes, length);
     },
     [](void* state, std::string& text) {
       HexDigits(8, *static_cast<TAdler32State*>(state), text);
     },
     Release<TAdler32State>},
};

// The row of an assigned code; null for every other value.
const TAlgorithm* FindAlgorithm(int32_t code) {
  for (const TAlgorithm& algorithm : kAlgorithms) {
    if (algorithm.code == code) return &algorithm;
  }
  return nullptr;
}

void ReleaseState(TDigestContext* context) {
  if (const TAlgorithm* algorithm = FindAlgorithm(context->Code))
    algorithm->release(context->State);
  context->State = nullptr;
}

enum class TReadOutcome { Complete, Failed, Abandoned };

// Feeds bytes [start, end) of an open file to the context, read sequentially in large pieces.
// The progress hook is asked after every kProgressInterval bytes digested, never after the last.
TReadOutcome ReadRange(TDigestContext* context, platform::InputFile& file, uint64_t start,
                       uint64_t end, THashProgress* progress) {
  if (start > end || !file.Seek(start)) return TReadOutcome::Failed;
  const uint64_t limit = end - start;
  if (limit == 0) return TReadOutcome::Complete;
  // A buffer of the file's size up to one piece: a small file costs a small allocation, a large
  // one a single allocation beside megabytes of reading. (A buffer kept per thread would need a
  // thread_local with a destructor, which MinGW's emulated TLS runs after freeing its storage.)
  const uint32_t room = limit < kReadPiece ? static_cast<uint32_t>(limit) : kReadPiece;
  const std::unique_ptr<uint8_t[]> owned(new (std::nothrow) uint8_t[room]);
  uint8_t* const buffer = owned.get();
  if (buffer == nullptr) return TReadOutcome::Failed;
  for (uint64_t total = 0; total < limit;) {
    const uint64_t remaining = limit - total;
    const uint32_t want = remaining < kReadPiece ? static_cast<uint32_t>(remaining) : kReadPiece;
    uint32_t got = 0;
    // A read that delivers nothing before the limit means the file ended early: it shrank.
    if (!file.Read(buffer, want, got) || got == 0) return TReadOutcome::Failed;
    for (uint32_t done = 0; done < got;) {
      const uint32_t slice = std::min(got - done, kProgressInterval);
      HashUpdate(context, buffer + done, slice);
      done += slice;
      total += slice;
      if (progress != nullptr && total < limit && !progress->KeepReading(total))
        return TReadOutcome::Abandoned;
    }
  }
  return TReadOutcome::Complete;
}

}  // namespace

int32_t HashInit(TDigestContext* context, int32_t code) {
  if (context == nullptr) return HASH_ERR_NO_CONTEXT;
  context->Code = code;
  const TAlgorithm* algorithm = FindAlgorithm(code);
  if (algorithm == nullptr) return HASH_ERR_UNKNOWN_TYPE;
  void* state = algorithm->create();
  if (state == nullptr) return HASH_ERR_GET_FAILED;
  context->State = state;
  return HASH_ERR_NONE;
}

int32_t HashUpdate(TDigestContext* context, const void* bytes, uint32_t length) {
  if (context == nullptr) return HASH_ERR_NO_CONTEXT;
  if (context->State == nullptr) return HASH_ERR_NO_STATE;
  const TAlgorithm* algorithm = FindAlgorithm(context->Code);
  if (algorithm == nullptr) return HASH_ERR_UNKNOWN_TYPE;
  if (length > 0) algorithm->update(context->State, static_cast<const uint8_t*>(bytes), length);
  return HASH_ERR_NONE;
}

int32_t HashFinal(TDigestContext* context, std::string& text) {
  if (context == nullptr) return HASH_ERR_NO_CONTEXT;
  const TAlgorithm* algorithm = FindAlgorithm(context->Code);
  if (algorithm == nullptr) return HASH_ERR_UNKNOWN_TYPE;
  if (context->State == nullptr) return HASH_ERR_NO_STATE;
  std::string digest;
  algorithm->final(context->State, digest);
  text.swap(digest);
  ReleaseState(context);
  return HASH_ERR_NONE;
}

int64_t HashFileSize(const std::string& path) {
  platform::InputFile file;
  uint64_t size = 0;
  if (!file.Open(path) || !file.Size(size) || size > static_cast<uint64_t>(INT64_MAX)) return -1;
  return static_cast<int64_t>(size);
}

bool HashFileRange(TDigestContext* context, const std::string& path, uint64_t start, uint64_t end) {
  platform::InputFile file;
  return file.Open(path) && ReadRange(context, file, start, end, nullptr) == TReadOutcome::Complete;
}

int32_t HashFile(int32_t code, const std::string& path, std::string& text, THashProgress* progress,
                 TFileFacts* facts) {
  TDigestContext context = {nullptr, 0};
  // One handle measures and reads: no writer can change the file between the two, since the
  // handle lets other programs read it but not write it.
  platform::InputFile file;
  uint64_t size = 0;
  if (!file.Open(path) || !file.Size(size) || size > static_cast<uint64_t>(INT64_MAX))
    return HASH_ERR_OPEN_FILE;
  if (facts != nullptr) {
    facts->Size = size;
    facts->LastWriteKnown = file.LastWriteTime(facts->LastWrite);
  }
  const int32_t rc = HashInit(&context, code);
  if (rc != HASH_ERR_NONE) return rc;
  const TReadOutcome outcome = ReadRange(&context, file, 0, size, progress);
  if (outcome != TReadOutcome::Complete) {
    ReleaseState(&context);
    return outcome == TReadOutcome::Abandoned ? HASH_ERR_ABANDONED : HASH_ERR_READ_FILE;
  }
  return HashFinal(&context, text);
}

texts::TText HashErrorName(int32_t code) {
  static constexpr texts::TText kNames[] = {
      texts::TText::HashErrorNone,      texts::TText::HashErrorUnknownType,
      texts::TText::HashErrorNoContext, texts::TText::HashErrorNoState,
      texts::TText::HashErrorReadFile,  texts::TText::HashErrorOpenFile,
      texts::TText::HashErrorGetFailed,
  };
  return code >= 0 && code < static_cast<int32_t>(sizeof kNames / sizeof kNames[0])
             ? kNames[code]
             : texts::TText::HashErrorUnknown;
}

void HashErrorText(int32_t code, std::string& text) {
  text = texts::Text(texts::TLanguage::Chinese, HashErrorName(code));
}
