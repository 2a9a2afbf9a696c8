// Dispatch by algorithm code over the algorithm layer, and whole-file digests read sequentially
// in 4096-byte pieces. The file is opened twice: once to measure it, once to read it.
#include "digest/digest_service.h"

#include <new>

#include "digest/algorithms.h"
#include "platform/input_file.h"

namespace {

constexpr uint32_t kReadPiece = 4096;

const char* const kErrorTexts[] = {
    "没有错误",       // HASH_ERR_NONE
    "未知散列类型 ",  // HASH_ERR_UNKNOWN_TYPE
    "散列数值为空 ",  // HASH_ERR_NO_CONTEXT
    "无效散列数值 ",  // HASH_ERR_NO_STATE
    "无法读取文件",   // HASH_ERR_READ_FILE
    "无法打开文件",   // HASH_ERR_OPEN_FILE
    "散列获取失败",   // HASH_ERR_GET_FAILED
};
const char kUnknownErrorText[] = "未知错误";

bool IsAssigned(int32_t code) {
  return code == HASH_MD2 || code == HASH_MD4 || code == HASH_MD5 || code == HASH_ADLER32;
}

void ReleaseState(TDigestContext* context) {
  switch (context->Code) {
    case HASH_MD2:
      delete static_cast<TMD2Context*>(context->State);
      break;
    case HASH_MD4:
    case HASH_MD5:
      delete static_cast<TMDContext*>(context->State);
      break;
    case HASH_ADLER32:
      delete static_cast<TAdler32State*>(context->State);
      break;
  }
  context->State = nullptr;
}

}  // namespace

int32_t HashInit(TDigestContext* context, int32_t code) {
  if (context == nullptr) return HASH_ERR_NO_CONTEXT;
  context->Code = code;
  switch (code) {
    case HASH_MD2: {
      auto* state = new (std::nothrow) TMD2Context;
      if (state == nullptr) return HASH_ERR_GET_FAILED;
      MD2Init(*state);
      context->State = state;
      return HASH_ERR_NONE;
    }
    case HASH_MD4:
    case HASH_MD5: {
      auto* state = new (std::nothrow) TMDContext;
      if (state == nullptr) return HASH_ERR_GET_FAILED;
      MDInit(*state);
      context->State = state;
      return HASH_ERR_NONE;
    }
    case HASH_ADLER32: {
      auto* state = new (std::nothrow) TAdler32State;
      if (state == nullptr) return HASH_ERR_GET_FAILED;
      Adler32Init(*state);
      context->State = state;
      return HASH_ERR_NONE;
    }
  }
  return HASH_ERR_UNKNOWN_TYPE;
}

int32_t HashUpdate(TDigestContext* context, const void* bytes, uint32_t length) {
  if (context == nullptr) return HASH_ERR_NO_CONTEXT;
  if (context->State == nullptr) return HASH_ERR_NO_STATE;
  if (!IsAssigned(context->Code)) return HASH_ERR_UNKNOWN_TYPE;
  if (length == 0) return HASH_ERR_NONE;
  const auto* data = static_cast<const uint8_t*>(bytes);
  switch (context->Code) {
    case HASH_MD2:
      MD2Update(*static_cast<TMD2Context*>(context->State), data, length);
      break;
    case HASH_MD4:
      MDUpdate(*static_cast<TMDContext*>(context->State), data, length, MD4Transform);
      break;
    case HASH_MD5:
      MDUpdate(*static_cast<TMDContext*>(context->State), data, length, MD5Transform);
      break;
    case HASH_ADLER32:
      Adler32Update(*static_cast<TAdler32State*>(context->State), data, length);
      break;
  }
  return HASH_ERR_NONE;
}

int32_t HashFinal(TDigestContext* context, std::string& text) {
  if (context == nullptr) return HASH_ERR_NO_CONTEXT;
  if (!IsAssigned(context->Code)) return HASH_ERR_UNKNOWN_TYPE;
  if (context->State == nullptr) return HASH_ERR_NO_STATE;
  std::string digest;
  switch (context->Code) {
    case HASH_MD2:
      MD2Final(*static_cast<TMD2Context*>(context->State), digest);
      break;
    case HASH_MD4:
      MDFinal(*static_cast<TMDContext*>(context->State), MD4Transform, digest);
      break;
    case HASH_MD5:
      MDFinal(*static_cast<TMDContext*>(context->State), MD5Transform, digest);
      break;
    case HASH_ADLER32:
      HexDigits(8, *static_cast<TAdler32State*>(context->State), digest);
      break;
  }
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
  if (start > end) return false;
  platform::InputFile file;
  if (!file.Open(path) || !file.Seek(start)) return false;
  const uint64_t limit = end - start;
  uint8_t buffer[kReadPiece];
  for (uint64_t total = 0; total < limit;) {
    const uint64_t remaining = limit - total;
    const uint32_t want = remaining < kReadPiece ? static_cast<uint32_t>(remaining) : kReadPiece;
    uint32_t got = 0;
    // A read that delivers nothing before the limit means the file ended early: it shrank.
    if (!file.Read(buffer, want, got) || got == 0) return false;
    HashUpdate(context, buffer, got);
    total += got;
  }
  return true;
}

int32_t HashFile(int32_t code, const std::string& path, std::string& text) {
  TDigestContext context = {nullptr, 0};
  const int64_t size = HashFileSize(path);
  if (size < 0) return HASH_ERR_OPEN_FILE;
  const int32_t rc = HashInit(&context, code);
  if (rc != HASH_ERR_NONE) return rc;
  if (!HashFileRange(&context, path, 0, static_cast<uint64_t>(size))) {
    ReleaseState(&context);
    return HASH_ERR_READ_FILE;
  }
  return HashFinal(&context, text);
}

void HashErrorText(int32_t code, std::string& text) {
  if (code >= 0 && code < static_cast<int32_t>(sizeof kErrorTexts / sizeof kErrorTexts[0])) {
    text = kErrorTexts[code];
  } else {
    text = kUnknownErrorText;
  }
}
