// MD5 throughput: our engine and OpenSSL's over the same 1 MiB buffers, and HashFile over a
// 1 GiB file created for the run in the temporary folder and removed afterwards (cached after the
// first pass), without and with a progress hook like the window's.
#include <benchmark/benchmark.h>
#include <unistd.h>

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#include <openssl/md5.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "digest/algorithms.h"
#include "digest/digest_service.h"
#include "platform/path.h"

namespace {

constexpr std::size_t kBufferSize = 1 << 20;
constexpr std::size_t kFileSize = std::size_t{1} << 30;

const std::vector<uint8_t>& Buffer() {
  static const std::vector<uint8_t> buffer = [] {
    std::vector<uint8_t> bytes(kBufferSize);
    uint32_t x = 12345;
    for (auto& b : bytes) {
      x = x * 1103515245 + 12345;
      b = static_cast<uint8_t>(x >> 23);
    }
    return bytes;
  }();
  return buffer;
}

std::string g_filePath;

void BM_MD5_Ours(benchmark::State& state) {
  const auto& buffer = Buffer();
  std::string text;
  for (auto _ : state) {
    TMDContext context;
    MDInit(context);
    MDUpdate(context, buffer.data(), static_cast<uint32_t>(buffer.size()), MD5Transform);
    MDFinal(context, MD5Transform, text);
    benchmark::DoNotOptimize(text.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kBufferSize);
}
BENCHMARK(BM_MD5_Ours)->MinTime(2.0);

void BM_MD5_OpenSSL(benchmark::State& state) {
  const auto& buffer = Buffer();
  unsigned char digest[MD5_DIGEST_LENGTH];
  for (auto _ : state) {
    MD5_CTX context;
    MD5_Init(&context);
    MD5_Update(&context, buffer.data(), buffer.size());
    MD5_Final(digest, &context);
    benchmark::DoNotOptimize(digest);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kBufferSize);
}
BENCHMARK(BM_MD5_OpenSSL)->MinTime(2.0);

// Asked every 64 KiB: looks at a clock as the window's pump does, and goes on.
class TClockProgress final : public THashProgress {
 public:
  bool KeepReading(uint64_t) override {
    benchmark::DoNotOptimize(std::chrono::steady_clock::now());
    return true;
  }
};

void HashFileBench(benchmark::State& state, THashProgress* progress) {
  std::string text;
  for (auto _ : state) {
    if (HashFile(HASH_MD5, platform::CorePath(g_filePath), text, progress) != HASH_ERR_NONE) {
      state.SkipWithError("HashFile failed");
      break;
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kFileSize);
}

void BM_HashFile_1GiB(benchmark::State& state) { HashFileBench(state, nullptr); }
BENCHMARK(BM_HashFile_1GiB)->Unit(benchmark::kMillisecond)->MinTime(3.0);

void BM_HashFile_1GiB_Progress(benchmark::State& state) {
  TClockProgress progress;
  HashFileBench(state, &progress);
}
BENCHMARK(BM_HashFile_1GiB_Progress)->Unit(benchmark::kMillisecond)->MinTime(3.0);

bool CreateBenchFile() {
  g_filePath = "/tmp/ht-bench-digest-" + std::to_string(getpid()) + ".bin";
  std::ofstream out(g_filePath, std::ios::binary | std::ios::trunc);
  const auto& buffer = Buffer();
  for (std::size_t written = 0; written < kFileSize; written += buffer.size()) {
    out.write(reinterpret_cast<const char*>(buffer.data()),
              static_cast<std::streamsize>(buffer.size()));
  }
  return static_cast<bool>(out.flush());
}

}  // namespace

#pragma GCC diagnostic pop

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  if (!CreateBenchFile()) {
    std::fprintf(stderr, "cannot create %s\n", g_filePath.c_str());
    std::remove(g_filePath.c_str());
    return 1;
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::remove(g_filePath.c_str());
  return 0;
}
