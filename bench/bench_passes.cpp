// The make, check and scrub passes over two generated trees, 20,000 files of 4 KiB in 200 folders
// and 4 files of 256 MiB, next to coreutils md5sum making and checking a list of the same files,
// alone and two at once (xargs -P2). Each tree is built in /tmp and removed after its runs; the
// ratios at the end compare our speed with the peers' (above 1: faster).
//   bench_passes [--tree=small|large] [google benchmark flags]
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <map>
#include <random>
#include <string>

#include "catalogue/check_pass.h"
#include "catalogue/make_pass.h"
#include "catalogue/scrub_pass.h"
#include "platform/path.h"

namespace {

struct TTreeShape {
  const char* name;
  int folders, filesPerFolder;
  std::size_t fileSize;
  int Files() const { return folders * filesPerFolder; }
};
constexpr TTreeShape kShapes[] = {{"small", 200, 100, 4096}, {"large", 1, 4, 256u << 20}};
TTreeShape g_shape = kShapes[0];

// Discards everything: the passes run headless.
class NullView : public TRunView {
 public:
  int lines = 0;
  void ClearPane() override {}
  void AppendLine(TViewText) override { ++lines; }
  void SetStatus(TViewText) override {}
  void ProcessMessages() override {}
  bool AbortRequested() const override { return false; }
  bool CloseRequested() const override { return false; }
  void ClearAbortRequest() override {}
  void ShowNoFilesBox() override {}
  void ShowNow() override {}
  void SetRunning(TRunKind, bool) override {}
  void SetByteProgress(const TByteProgress*) override {}
};

std::string g_base;                    // native: holds tree/ and md5sum's list
std::map<std::string, double> g_best;  // fastest seconds per measurement

std::string TreeNative() { return g_base + "/tree"; }
std::string ListNative() { return g_base + "/list"; }

void MakeTree() {
  const int kFolders = g_shape.folders, kFilesPerFolder = g_shape.filesPerFolder;
  char pattern[] = "/tmp/ht-bench-passes-XXXXXX";
  if (mkdtemp(pattern) == nullptr) throw std::runtime_error("mkdtemp");
  g_base = pattern;
  std::filesystem::create_directory(TreeNative());
  std::mt19937 random(20260314);
  std::string block(g_shape.fileSize, '\0');
  for (int folder = 0; folder < kFolders; ++folder) {
    const std::string dir = TreeNative() + "/folder" + std::to_string(folder);
    std::filesystem::create_directory(dir);
    for (int file = 0; file < kFilesPerFolder; ++file) {
      for (char& c : block) c = static_cast<char>(random());
      std::ofstream(dir + "/file" + std::to_string(file) + ".bin", std::ios::binary)
          .write(block.data(), block.size());
    }
  }
}

template <typename Work>
void Timed(benchmark::State& state, const char* key, Work work) {
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    work();
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    state.SetIterationTime(took.count());
    auto [it, fresh] = g_best.emplace(key, took.count());
    if (!fresh && took.count() < it->second) it->second = took.count();
  }
  state.counters["files/s"] = benchmark::Counter(
      static_cast<double>(g_shape.Files()) * state.iterations(), benchmark::Counter::kIsRate);
}

void RunShell(benchmark::State& state, const std::string& command) {
  if (std::system(command.c_str()) != 0) state.SkipWithError(("failed: " + command).c_str());
}

void BM_MakePass(benchmark::State& state) {
  Timed(state, "make", [&] {
    NullView view;
    std::string folder = platform::CorePath(TreeNative());
    TMakePass(view, "0.2.1.10").Run(folder);
    benchmark::DoNotOptimize(view.lines);
  });
}

void BM_CheckPass(benchmark::State& state) {
  Timed(state, "check", [&] {
    NullView view;
    TCheckPass(view).Run(platform::CorePath(TreeNative() + "/HTSUM-sums.MD5"),
                         TCheckOrigin::Chosen);
    if (view.lines != g_shape.Files() + 5)
      state.SkipWithError("check did not report every file as OK");
  });
}

// A scrub of 10% of the files (it keeps its state beside the tree), against a check of a list of
// the same share of the files alone: what the state costs.
void BM_ScrubPass(benchmark::State& state) {
  TScrubRequest request;
  request.stateFolder = platform::CorePath(g_base + "/state");
  Timed(state, "scrub", [&] {
    NullView view;
    TScrubPass(view).Run(platform::CorePath(TreeNative() + "/HTSUM-sums.MD5"), request);
    benchmark::DoNotOptimize(view.lines);
  });
}

void BM_CheckOfTheShareAlone(benchmark::State& state) {
  std::ifstream all(TreeNative() + "/HTSUM-sums.MD5", std::ios::binary);
  std::ofstream part(TreeNative() + "/part.md5", std::ios::binary);
  std::string line;
  for (int i = 0; i < 3 + g_shape.Files() / 10 && std::getline(all, line); ++i)
    part << line << '\n';
  part.close();
  Timed(state, "check of 10%", [&] {
    NullView view;
    TCheckPass(view).Run(platform::CorePath(TreeNative() + "/part.md5"), TCheckOrigin::Chosen);
    benchmark::DoNotOptimize(view.lines);
  });
  std::filesystem::remove(TreeNative() + "/part.md5");
}

void BM_Md5sumList(benchmark::State& state) {
  Timed(state, "md5sum", [&] {
    RunShell(state, "find '" + TreeNative() +
                        "' -type f ! -name HTSUM-sums.MD5 | xargs md5sum > '" + ListNative() + "'");
  });
}

// Two md5sum processes at once over batches of the files.
void BM_Md5sumListTwoAtOnce(benchmark::State& state) {
  const std::string batch = std::to_string(std::max(1, g_shape.Files() / 16));
  Timed(state, "md5sum -P2", [&] {
    RunShell(state, "find '" + TreeNative() + "' -type f ! -name HTSUM-sums.MD5 | xargs -P2 -n" +
                        batch + " md5sum > /dev/null");
  });
}

void BM_Md5sumCheck(benchmark::State& state) {
  Timed(state, "md5sum -c",
        [&] { RunShell(state, "md5sum --quiet -c '" + ListNative() + "' > /dev/null"); });
}

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    for (const TTreeShape& shape : kShapes)
      if (std::string(argv[i]) == std::string("--tree=") + shape.name) g_shape = shape;
  }
  benchmark::Initialize(&argc, argv);
  MakeTree();
  // Warm the page cache once, so that no measurement pays for the first reads alone.
  std::system(("cat '" + TreeNative() + "'/*/* > /dev/null").c_str());
  for (auto* b : {benchmark::RegisterBenchmark("MakePass", BM_MakePass),
                  benchmark::RegisterBenchmark("Md5sumList", BM_Md5sumList),
                  benchmark::RegisterBenchmark("Md5sumListTwoAtOnce", BM_Md5sumListTwoAtOnce),
                  benchmark::RegisterBenchmark("CheckPass", BM_CheckPass),
                  benchmark::RegisterBenchmark("ScrubPass", BM_ScrubPass),
                  benchmark::RegisterBenchmark("CheckOfTheShareAlone", BM_CheckOfTheShareAlone),
                  benchmark::RegisterBenchmark("Md5sumCheck", BM_Md5sumCheck)}) {
    b->UseManualTime()
        ->Iterations(getenv("HT_BENCH_ITERATIONS") ? atoi(getenv("HT_BENCH_ITERATIONS")) : 3)
        ->Unit(benchmark::kMillisecond);
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::filesystem::remove_all(g_base);

  if (g_best.count("make") && g_best.count("md5sum")) {
    std::printf(
        "make pass vs find|xargs md5sum: speed ratio %.2f (%.3f s vs %.3f s, best of runs)\n",
        g_best["md5sum"] / g_best["make"], g_best["make"], g_best["md5sum"]);
  }
  if (g_best.count("make") && g_best.count("md5sum -P2")) {
    std::printf("make pass vs xargs -P2 md5sum: speed ratio %.2f (%.3f s vs %.3f s)\n",
                g_best["md5sum -P2"] / g_best["make"], g_best["make"], g_best["md5sum -P2"]);
  }
  if (g_best.count("check") && g_best.count("md5sum -c")) {
    std::printf("check pass vs md5sum -c: speed ratio %.2f (%.3f s vs %.3f s, best of runs)\n",
                g_best["md5sum -c"] / g_best["check"], g_best["check"], g_best["md5sum -c"]);
  }
  if (g_best.count("scrub") && g_best.count("check of 10%")) {
    std::printf("scrub of 10%% vs a check of those files listed alone: %.3f (%.3f s vs %.3f s)\n",
                g_best["scrub"] / g_best["check of 10%"], g_best["scrub"], g_best["check of 10%"]);
  }
  return 0;
}
