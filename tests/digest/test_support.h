// Helpers of the digest tests: a private temporary folder, generated file contents, and digests
// computed through the service from memory or, on the host, by coreutils md5sum.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace digest_test {

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  // Path of `name` inside the folder in the operating system's form, and in the core's form.
  std::string NativePath(const std::string& name) const;
  std::string CorePath(const std::string& name) const;

 private:
  std::string native_;
};

// Deterministic pseudo-random bytes.
std::vector<uint8_t> GeneratedBytes(std::size_t size, uint32_t seed);

void WriteBytes(const std::string& nativePath, const std::vector<uint8_t>& bytes);

// Digest text of `bytes` through HashInit/HashUpdate/HashFinal, fed in one piece.
std::string MemoryDigest(int32_t code, const std::vector<uint8_t>& bytes);

#ifndef _WIN32
// The first 32 characters md5sum prints for the file, or empty text if it could not run.
std::string Md5sumOf(const std::string& nativePath);
#endif

}  // namespace digest_test
