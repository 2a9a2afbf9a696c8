// Several files digested at once on worker threads while the window's thread goes on walking,
// writing lines and letting messages run. Results are taken in the order the files were queued,
// so a run shows exactly what a one-at-a-time run shows; only the time differs.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
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
  // Starts `workers` threads (at least one). At most sixteen files per worker wait or are being
  // digested ahead of the oldest result not yet taken.
  explicit TDigestPipeline(unsigned workers);
  // Abandons what is queued and ends the workers.
  ~TDigestPipeline();
  TDigestPipeline(const TDigestPipeline&) = delete;
  TDigestPipeline& operator=(const TDigestPipeline&) = delete;

  bool Full() const { return queued_.load(std::memory_order_relaxed) - taken_ == slotCount_; }
  bool Empty() const { return queued_.load(std::memory_order_relaxed) == taken_; }

  // Queues a file (a core path) for digesting; only when not Full().
  void Queue(std::string path);

  // True when the oldest file's result is in.
  bool Ready() const;
  // Takes the oldest file's result, waiting for it while the window's messages run. A stop
  // pressed meanwhile abandons every queued file: the result is then HASH_ERR_ABANDONED, whatever
  // came of the file.
  void Take(TRunView& view, TDigestResult& result);

  // Abandons every queued file and waits, letting messages run, until no worker reads any more.
  void Cancel(TRunView& view);

 private:
  struct TSlot {
    std::string path;
    TDigestResult result;
    std::atomic<bool> done{false};
  };

  void Work();
  // Wakes the window's thread if it sleeps in Take or Cancel and has waited for this.
  void WakeTaker();

  // A ring: file n lives in slot n % slotCount_. The window's thread writes a slot's path before
  // it counts the file as queued; a worker writes the result before it marks the slot done. The
  // atomics order those hand-overs, so the mutex is only taken to sleep and to wake.
  std::size_t slotCount_;
  std::unique_ptr<TSlot[]> slots_;
  std::atomic<std::uint64_t> queued_{0};    // files queued so far
  std::atomic<std::uint64_t> started_{0};   // files a worker has claimed
  std::atomic<std::uint64_t> finished_{0};  // files a worker has finished, in any order
  std::uint64_t taken_ = 0;                 // results taken so far (the window's thread only)
  // While the window's thread sleeps in Take: the finished count that is worth waking it for.
  std::atomic<std::uint64_t> wakeAt_{0};
  std::atomic<unsigned> busy_{0};       // workers inside a digest
  std::atomic<unsigned> idle_{0};       // workers asleep, waiting for a file
  std::atomic<bool> taking_{false};     // the window's thread sleeps waiting for a worker
  std::atomic<bool> cancelled_{false};  // asked by the digests' progress hook as they read
  bool ending_ = false;
  std::mutex mutex_;
  std::condition_variable workAvailable_;
  std::condition_variable resultReady_;
  std::vector<std::thread> workers_;
};
