// Temporary folders, generated contents and reference digests for the digest tests.
#include "tests/digest/test_support.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "digest/digest_service.h"
#include "platform/path.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace digest_test {

namespace fs = std::filesystem;

TempFolder::TempFolder() {
  static int counter = 0;
#ifdef _WIN32
  const unsigned long pid = GetCurrentProcessId();
#else
  const unsigned long pid = static_cast<unsigned long>(getpid());
#endif
  const fs::path folder = fs::temp_directory_path() /
                          ("ht-digest-" + std::to_string(pid) + "-" + std::to_string(++counter));
  fs::remove_all(folder);
  fs::create_directories(folder);
  native_ = folder.string();
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  fs::remove_all(native_, ignored);
}

std::string TempFolder::NativePath(const std::string& name) const {
  return (fs::path(native_) / name).string();
}

std::string TempFolder::CorePath(const std::string& name) const {
  return platform::CorePath(NativePath(name));
}

std::vector<uint8_t> GeneratedBytes(std::size_t size, uint32_t seed) {
  std::vector<uint8_t> bytes(size);
  uint32_t x = seed * 2654435761u + 1;
  for (auto& b : bytes) {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    b = static_cast<uint8_t>(x >> 24);
  }
  return bytes;
}

void WriteBytes(const std::string& nativePath, const std::vector<uint8_t>& bytes) {
  std::ofstream out(nativePath, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  if (!out.flush()) throw std::runtime_error("cannot write " + nativePath);
}

std::string MemoryDigest(int32_t code, const std::vector<uint8_t>& bytes) {
  TDigestContext context = {nullptr, 0};
  std::string text;
  if (HashInit(&context, code) != HASH_ERR_NONE) return "init failed";
  HashUpdate(&context, bytes.data(), static_cast<uint32_t>(bytes.size()));
  if (HashFinal(&context, text) != HASH_ERR_NONE) return "final failed";
  return text;
}

#ifndef _WIN32
std::string Md5sumOf(const std::string& nativePath) {
  std::string quoted = "'";
  for (char c : nativePath) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  quoted += "'";
  FILE* pipe = popen(("md5sum < " + quoted).c_str(), "r");
  if (pipe == nullptr) return "";
  char line[64] = {};
  const bool got = std::fgets(line, sizeof line, pipe) != nullptr;
  const int status = pclose(pipe);
  if (!got || status != 0) return "";
  return std::string(line).substr(0, 32);
}
#endif

}  // namespace digest_test
