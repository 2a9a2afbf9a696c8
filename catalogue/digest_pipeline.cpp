// Worker threads over a ring of slots. The window's thread queues files at one end and takes
// results at the other; the workers take files in queue order. One mutex guards the ring; the
// only thing a worker asks while it reads is the cancel flag, so it never touches the window.
#include "catalogue/digest_pipeline.h"

#include <chrono>
#include <new>
#include <utility>

#include "digest/digest_service.h"

namespace {

constexpr unsigned kSlotsPerWorker = 4;
// How long the window's thread sleeps waiting for a result before it lets messages run again.
constexpr std::chrono::milliseconds kWaitSlice{10};

// Ends a digest inside a file as soon as the run is stopped.
class TCancelProgress final : public THashProgress {
 public:
  explicit TCancelProgress(const std::atomic<bool>& cancelled) : cancelled_(cancelled) {}
  bool KeepReading() override { return !cancelled_.load(std::memory_order_relaxed); }

 private:
  const std::atomic<bool>& cancelled_;
};

}  // namespace

TDigestPipeline::TDigestPipeline(unsigned workers) {
  if (workers == 0) workers = 1;
  slots_.resize(static_cast<std::size_t>(workers) * kSlotsPerWorker);
  workers_.reserve(workers);
  try {
    for (unsigned i = 0; i < workers; ++i) workers_.emplace_back([this] { Work(); });
  } catch (...) {
    // Fewer threads than asked for still work; none at all cannot.
    if (workers_.empty()) throw;
  }
}

TDigestPipeline::~TDigestPipeline() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    ending_ = true;
    cancelled_ = true;
  }
  workAvailable_.notify_all();
  for (std::thread& worker : workers_) worker.join();
}

void TDigestPipeline::Queue(std::string path) {
  bool wake = false;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    TSlot& slot = slots_[queued_ % slots_.size()];
    slot.path = std::move(path);
    slot.state = TSlotState::Queued;
    ++queued_;
    wake = idle_ > 0;
  }
  // A busy worker takes the file when it is done: waking nobody saves a system call per file.
  if (wake) workAvailable_.notify_one();
}

bool TDigestPipeline::Ready() const {
  if (Empty()) return false;
  std::lock_guard<std::mutex> lock(mutex_);
  return slots_[taken_ % slots_.size()].state == TSlotState::Done;
}

void TDigestPipeline::Take(TRunView& view, TDigestResult& result) {
  std::unique_lock<std::mutex> lock(mutex_);
  TSlot& slot = slots_[taken_ % slots_.size()];
  for (;;) {
    taking_ = true;
    const bool done =
        resultReady_.wait_for(lock, kWaitSlice, [&] { return slot.state == TSlotState::Done; });
    taking_ = false;
    if (done) break;
    lock.unlock();
    view.ProcessMessages();
    if (view.AbortRequested()) {
      Cancel(view);
      result = TDigestResult{HASH_ERR_ABANDONED, std::string()};
      ++taken_;
      return;
    }
    lock.lock();
  }
  result = std::move(slot.result);
  slot.result = TDigestResult();
  ++taken_;
}

void TDigestPipeline::Cancel(TRunView& view) {
  cancelled_ = true;
  workAvailable_.notify_all();
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    taking_ = true;
    const bool done = resultReady_.wait_for(lock, kWaitSlice, [&] { return busy_ == 0; });
    taking_ = false;
    if (done) break;
    lock.unlock();
    view.ProcessMessages();
    lock.lock();
  }
}

void TDigestPipeline::Work() {
  TCancelProgress progress(cancelled_);
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    ++idle_;
    workAvailable_.wait(lock, [&] { return ending_ || (!cancelled_ && started_ < queued_); });
    --idle_;
    if (ending_) return;
    TSlot& slot = slots_[started_++ % slots_.size()];
    slot.state = TSlotState::Digesting;
    const std::string path = std::move(slot.path);
    ++busy_;
    lock.unlock();
    TDigestResult result;
    try {
      result.Code = HashFile(HASH_MD5, path, result.Digest, &progress);
    } catch (const std::bad_alloc&) {
      result.Code = HASH_ERR_GET_FAILED;  // no room for the digest text
    }
    lock.lock();
    --busy_;
    slot.result = std::move(result);
    slot.state = TSlotState::Done;
    if (taking_) resultReady_.notify_all();
  }
}
