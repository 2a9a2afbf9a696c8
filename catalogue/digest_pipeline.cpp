// Worker threads over a ring of slots. The window's thread queues files at one end and takes
// results at the other; the workers claim files in queue order. The only thing a worker asks while
// it reads is the cancel flag, so it never touches the window.
#include "catalogue/digest_pipeline.h"

#include <algorithm>
#include <chrono>
#include <new>
#include <utility>

#include "digest/digest_service.h"

namespace {

// Enough files ahead that the workers never run dry while the window's thread sleeps and wakes.
constexpr unsigned kSlotsPerWorker = 16;
// How long the window's thread sleeps waiting for the workers to end before it lets messages run
// again, and how long waiting for a result before it looks whether the oldest one is in.
constexpr std::chrono::milliseconds kWaitSlice{10};
constexpr std::chrono::milliseconds kResultSlice{5};

// Ends a digest inside a file as soon as the run is stopped.
class TCancelProgress final : public THashProgress {
 public:
  explicit TCancelProgress(const std::atomic<bool>& cancelled) : cancelled_(cancelled) {}
  bool KeepReading() override { return !cancelled_.load(std::memory_order_relaxed); }

 private:
  const std::atomic<bool>& cancelled_;
};

}  // namespace

TDigestPipeline::TDigestPipeline(unsigned workers)
    : slotCount_(static_cast<std::size_t>(workers == 0 ? 1 : workers) * kSlotsPerWorker),
      slots_(new TSlot[slotCount_]) {
  workers_.reserve(slotCount_ / kSlotsPerWorker);
  try {
    for (std::size_t i = 0; i < slotCount_ / kSlotsPerWorker; ++i)
      workers_.emplace_back([this] { Work(); });
  } catch (...) {
    // Fewer threads than asked for still work; none at all cannot.
    if (workers_.empty()) throw;
  }
}

TDigestPipeline::~TDigestPipeline() {
  cancelled_ = true;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    ending_ = true;
  }
  workAvailable_.notify_all();
  for (std::thread& worker : workers_) worker.join();
}

void TDigestPipeline::Queue(std::string path) {
  const std::uint64_t file = queued_.load(std::memory_order_relaxed);
  TSlot& slot = slots_[file % slotCount_];
  slot.path = std::move(path);
  slot.done.store(false, std::memory_order_relaxed);
  queued_.store(file + 1);
  // A busy worker claims the file when it is done: waking nobody saves system calls per file.
  if (idle_.load() > 0) {
    { std::lock_guard<std::mutex> lock(mutex_); }
    workAvailable_.notify_one();
  }
}

bool TDigestPipeline::Ready() const {
  return !Empty() && slots_[taken_ % slotCount_].done.load(std::memory_order_acquire);
}

void TDigestPipeline::Take(TRunView& view, TDigestResult& result) {
  TSlot& slot = slots_[taken_ % slotCount_];
  // Sequentially consistent, as the workers' counts and their look at taking_: one of the two
  // sides always sees the other, so no wake-up is lost.
  while (!slot.done.load()) {
    {
      // Woken when a few results are in, not for each: with small files the workers finish one
      // every few microseconds, and every wake-up costs more. A slow file is noticed within a
      // slice of waiting.
      const std::uint64_t inFlight = queued_.load() - taken_;
      const std::uint64_t batch =
          std::max<std::uint64_t>(1, std::min<std::uint64_t>(inFlight, slotCount_ / 2));
      std::unique_lock<std::mutex> lock(mutex_);
      wakeAt_ = std::max(taken_ + batch, finished_.load() + 1);
      taking_ = true;
      resultReady_.wait_for(lock, kResultSlice, [&] { return finished_.load() >= wakeAt_.load(); });
      taking_ = false;
    }
    if (slot.done.load()) break;
    view.ProcessMessages();
    if (view.AbortRequested()) {
      Cancel(view);
      result = TDigestResult{HASH_ERR_ABANDONED, std::string()};
      ++taken_;
      return;
    }
  }
  result = std::move(slot.result);
  slot.result = TDigestResult();
  ++taken_;
}

void TDigestPipeline::Cancel(TRunView& view) {
  cancelled_ = true;
  const auto stopped = [&] { return busy_.load() == 0; };
  while (!stopped()) {
    {
      std::unique_lock<std::mutex> lock(mutex_);
      wakeAt_ = 0;  // every worker that ends wakes it
      taking_ = true;
      resultReady_.wait_for(lock, kWaitSlice, stopped);
      taking_ = false;
    }
    if (!stopped()) view.ProcessMessages();
  }
}

void TDigestPipeline::WakeTaker() {
  if (!taking_.load() || finished_.load() < wakeAt_.load()) return;
  { std::lock_guard<std::mutex> lock(mutex_); }
  resultReady_.notify_all();
}

void TDigestPipeline::Work() {
  TCancelProgress progress(cancelled_);
  for (;;) {
    std::uint64_t file = started_.load();
    const bool claimable = !cancelled_.load() && file < queued_.load(std::memory_order_acquire);
    if (!claimable) {
      std::unique_lock<std::mutex> lock(mutex_);
      ++idle_;
      workAvailable_.wait(
          lock, [&] { return ending_ || (!cancelled_ && started_.load() < queued_.load()); });
      --idle_;
      if (ending_) return;
      continue;
    }
    ++busy_;  // before the claim, so that Cancel waits for this file once it is claimed
    if (cancelled_.load() || !started_.compare_exchange_weak(file, file + 1)) {
      --busy_;
      continue;  // cancelled meanwhile, or another worker claimed it
    }
    TSlot& slot = slots_[file % slotCount_];
    const std::string path = std::move(slot.path);
    TDigestResult result;
    try {
      result.Code = HashFile(HASH_MD5, path, result.Digest, &progress);
    } catch (const std::bad_alloc&) {
      result.Code = HASH_ERR_GET_FAILED;  // no room for the digest text
    }
    slot.result = std::move(result);
    slot.done.store(true);
    ++finished_;
    --busy_;
    WakeTaker();
  }
}
