// Several files digested at once on worker threads while the window's thread goes on walking,
// writing lines and letting messages run. Results are taken in the order the files were queued,
// so a run shows exactly what a one-at-a-time run shows; only the time differs.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "catalogue/run_view.h"

struct TDigestResult {
  int32_t Code = 0;    // HashFile's result; HASH_ERR_ABANDONED after a stop
  std::string Digest;  // the digest text when Code is 0
};

class TDigestPipeline {
 public:
  // Starts `workers` threads (at least one). At most four files per worker wait or are being
  // digested ahead of the oldest result not yet taken.
  explicit TDigestPipeline(unsigned workers);
  // Abandons what is queued and ends the workers.
  ~TDigestPipeline();
  TDigestPipeline(const TDigestPipeline&) = delete;
  TDigestPipeline& operator=(const TDigestPipeline&) = delete;

  bool Full() const { return queued_ - taken_ == slots_.size(); }
  bool Empty() const { return queued_ == taken_; }

  // Queues a file (a core path) for digesting; only when not Full().
  void Queue(std::string path);

  // True when the oldest file's result is in.
  bool Ready() const;
  // Takes the oldest file's result, waiting for it while the window's messages run. A stop pressed
  // meanwhile abandons every queued file: the result is then HASH_ERR_ABANDONED, whatever came of
  // the file.
  void Take(TRunView& view, TDigestResult& result);

  // Abandons every queued file and waits, letting messages run, until no worker reads any more.
  void Cancel(TRunView& view);

 private:
  enum class TSlotState : unsigned char { Queued, Digesting, Done };
  struct TSlot {
    std::string path;
    TSlotState state = TSlotState::Done;
    TDigestResult result;
  };

  void Work();

  std::vector<TSlot> slots_;            // a ring: file n lives in slot n % size
  std::uint64_t queued_ = 0;            // files queued so far
  std::uint64_t taken_ = 0;             // results taken so far
  std::uint64_t started_ = 0;           // files a worker has begun
  unsigned busy_ = 0;                   // workers inside a digest
  unsigned idle_ = 0;                   // workers waiting for a file
  bool taking_ = false;                 // the window's thread waits for a result
  std::atomic<bool> cancelled_{false};  // asked by the digests' progress hook as they read
  bool ending_ = false;
  mutable std::mutex mutex_;
  std::condition_variable workAvailable_;
  std::condition_variable resultReady_;
  std::vector<std::thread> workers_;
};
