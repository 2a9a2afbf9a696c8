// Worker threads over a ring of slots. The window's thread queues files at one end and takes
// results at the other; the workers claim files in queue order. The only thing a worker asks while
// it reads is the cancel flag, so it never touches the window.
#include "catalogue/digest_pipeline.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <exception>
#include <mutex>
#include <utility>

#include "digest/digest_service.h"
#include "platform/path.h"
#include "platform/sync.h"

namespace {

// Enough files ahead that the workers never run dry while the window's thread sleeps and wakes.
constexpr unsigned kSlotsPerWorker = 16;
// How long the window's thread sleeps waiting for the workers to end before it lets messages run
// again, and how long waiting for a result before it looks whether the oldest one is in and lets
// messages run: fifty times a second answers a user, and inside large files, where the workers
// take both processors, each wake-up takes time from them.
constexpr std::chrono::milliseconds kWaitSlice{10};
constexpr std::chrono::milliseconds kResultSlice{20};

// Ends a digest inside a file as soon as the run is stopped.
class TCancelProgress final : public THashProgress {
 public:
  explicit TCancelProgress(const std::atomic<bool>& cancelled) : cancelled_(cancelled) {}
  bool KeepReading() override { return !cancelled_.load(std::memory_order_relaxed); }

 private:
  const std::atomic<bool>& cancelled_;
};

int32_t DigestWithMd5(const std::string& path, std::string& digest, THashProgress* progress) {
  return HashFile(HASH_MD5, path, digest, progress);
}

}  // namespace

struct TDigestPipeline::TShared {
  struct TSlot {
    std::string path;        // read by the worker and the window's thread while in flight
    std::string otherPaths;  // see Queue
    TDigestResult result;
    std::atomic<bool> done{false};
  };

  TShared(std::size_t slots, TDigestFile digest)
      : slotCount(slots), slots(new TSlot[slots]), digestFile(digest) {}

  void Work();
  // When the slot's first path names nothing: digests the first of its other paths that names
  // something, if any.
  void TryOtherPaths(const TSlot& slot, THashProgress* progress, TDigestResult& result);
  // Wakes the window's thread if it sleeps in Take or Cancel and has waited for this.
  void WakeTaker();

  // A ring: file n lives in slot n % slotCount. The window's thread writes a slot's path before
  // it counts the file as queued; a worker writes the result before it marks the slot done. The
  // atomics order those hand-overs, so the mutex is only taken to sleep and to wake.
  const std::size_t slotCount;
  const std::unique_ptr<TSlot[]> slots;
  const TDigestFile digestFile;
  std::atomic<std::uint64_t> queued{0};    // files queued so far
  std::atomic<std::uint64_t> started{0};   // files a worker has claimed
  std::atomic<std::uint64_t> finished{0};  // files a worker has finished, in any order
  std::uint64_t taken = 0;                 // results taken so far (the window's thread only)
  // While the window's thread sleeps in Take: the finished count that is worth waking it for.
  std::atomic<std::uint64_t> wakeAt{0};
  std::atomic<unsigned> busy{0};       // workers inside a digest
  std::atomic<unsigned> idle{0};       // workers asleep, waiting for a file
  std::atomic<bool> taking{false};     // the window's thread sleeps waiting for a worker
  std::atomic<bool> cancelled{false};  // asked by the digests' progress hook as they read
  bool ending = false;
  platform::TMutex mutex;
  platform::TCondition workAvailable;
  platform::TCondition resultReady;
};

TDigestPipeline::TDigestPipeline(unsigned workers, TDigestFile digestFile)
    : shared_(std::make_shared<TShared>(
          static_cast<std::size_t>(workers == 0 ? 1 : workers) * kSlotsPerWorker,
          digestFile ? digestFile : DigestWithMd5)) {
  const std::size_t count = shared_->slotCount / kSlotsPerWorker;
  workers_.reserve(count);
  try {
    for (std::size_t i = 0; i < count; ++i)
      workers_.emplace_back([shared = shared_] { shared->Work(); });
  } catch (...) {
    // Fewer threads than asked for still work; none at all cannot.
    if (workers_.empty()) throw;
  }
}

TDigestPipeline::~TDigestPipeline() {
  shared_->cancelled = true;
  {
    std::lock_guard<platform::TMutex> lock(shared_->mutex);
    shared_->ending = true;
  }
  shared_->workAvailable.NotifyAll();
  for (std::thread& worker : workers_) {
    if (leaveWorkers_) {
      worker.detach();
    } else {
      worker.join();
    }
  }
}

bool TDigestPipeline::Full() const {
  return shared_->queued.load(std::memory_order_relaxed) - shared_->taken == shared_->slotCount;
}

bool TDigestPipeline::Empty() const {
  return shared_->queued.load(std::memory_order_relaxed) == shared_->taken;
}

void TDigestPipeline::Queue(std::string path, std::string otherPaths) {
  TShared& s = *shared_;
  const std::uint64_t file = s.queued.load(std::memory_order_relaxed);
  TShared::TSlot& slot = s.slots[file % s.slotCount];
  slot.path = std::move(path);
  slot.otherPaths = std::move(otherPaths);
  slot.done.store(false, std::memory_order_relaxed);
  s.queued.store(file + 1);
  // A busy worker claims the file when it is done: waking nobody saves system calls per file.
  if (s.idle.load() > 0) {
    { std::lock_guard<platform::TMutex> lock(s.mutex); }
    s.workAvailable.NotifyOne();
  }
}

const std::string& TDigestPipeline::OldestPath() const {
  const TShared& s = *shared_;
  return s.slots[s.taken % s.slotCount].path;
}

bool TDigestPipeline::Ready() const {
  const TShared& s = *shared_;
  return !Empty() && s.slots[s.taken % s.slotCount].done.load(std::memory_order_acquire);
}

void TDigestPipeline::Take(TRunView& view, TDigestResult& result) {
  TShared& s = *shared_;
  TShared::TSlot& slot = s.slots[s.taken % s.slotCount];
  // Sequentially consistent, as the workers' counts and their look at `taking`: one of the two
  // sides always sees the other, so no wake-up is lost.
  while (!slot.done.load()) {
    {
      // Woken when a few results are in, not for each: with small files the workers finish one
      // every few microseconds, and every wake-up costs more. A slow file is noticed within a
      // slice of waiting.
      const std::uint64_t inFlight = s.queued.load() - s.taken;
      const std::uint64_t batch =
          std::max<std::uint64_t>(1, std::min<std::uint64_t>(inFlight, s.slotCount / 2));
      std::unique_lock<platform::TMutex> lock(s.mutex);
      s.wakeAt = std::max(s.taken + batch, s.finished.load() + 1);
      s.taking = true;
      s.resultReady.WaitFor(lock, kResultSlice,
                            [&] { return s.finished.load() >= s.wakeAt.load(); });
      s.taking = false;
    }
    if (slot.done.load()) break;
    view.ProcessMessages();
    if (view.AbortRequested()) {
      Cancel(view);
      result = TDigestResult();
      result.Code = HASH_ERR_ABANDONED;
      ++s.taken;
      return;
    }
  }
  result = std::move(slot.result);
  slot.result = TDigestResult();
  if (result.Reading == 0) result.Path = std::move(slot.path);
  ++s.taken;
}

void TDigestPipeline::Cancel(TRunView& view) {
  TShared& s = *shared_;
  s.cancelled = true;
  const auto stopped = [&] { return s.busy.load() == 0; };
  while (!stopped()) {
    {
      std::unique_lock<platform::TMutex> lock(s.mutex);
      s.wakeAt = 0;  // every worker that ends wakes it
      s.taking = true;
      s.resultReady.WaitFor(lock, kWaitSlice, stopped);
      s.taking = false;
    }
    if (stopped()) break;
    view.ProcessMessages();
    if (view.CloseRequested()) {
      leaveWorkers_ = true;
      return;
    }
  }
}

void TDigestPipeline::TShared::TryOtherPaths(const TSlot& slot, THashProgress* progress,
                                             TDigestResult& result) {
  if (platform::GetPathKind(slot.path) != platform::TPathKind::Missing) return;
  unsigned reading = 0;
  for (std::size_t start = 0; start < slot.otherPaths.size();) {
    const std::size_t end = std::min(slot.otherPaths.find('\0', start), slot.otherPaths.size());
    ++reading;
    std::string other = slot.otherPaths.substr(start, end - start);
    start = end + 1;
    if (platform::GetPathKind(other) == platform::TPathKind::Missing) continue;
    result.Code = digestFile(other, result.Digest, progress);
    result.Path = std::move(other);
    result.Reading = reading;
    return;
  }
}

void TDigestPipeline::TShared::WakeTaker() {
  if (!taking.load() || finished.load() < wakeAt.load()) return;
  { std::lock_guard<platform::TMutex> lock(mutex); }
  resultReady.NotifyAll();
}

void TDigestPipeline::TShared::Work() {
  TCancelProgress progress(cancelled);
  for (;;) {
    std::uint64_t file = started.load();
    const bool claimable = !cancelled.load() && file < queued.load(std::memory_order_acquire);
    if (!claimable) {
      std::unique_lock<platform::TMutex> lock(mutex);
      ++idle;
      workAvailable.Wait(lock,
                         [&] { return ending || (!cancelled && started.load() < queued.load()); });
      --idle;
      if (ending) return;
      continue;
    }
    ++busy;  // before the claim, so that Cancel waits for this file once it is claimed
    if (cancelled.load() || !started.compare_exchange_weak(file, file + 1)) {
      --busy;
      continue;  // cancelled meanwhile, or another worker claimed it
    }
    TSlot& slot = slots[file % slotCount];
    TDigestResult result;
    try {
      result.Code = digestFile(slot.path, result.Digest, &progress);
      if (result.Code == HASH_ERR_OPEN_FILE && !slot.otherPaths.empty())
        TryOtherPaths(slot, &progress, result);
    } catch (const std::exception&) {
      result.Code = HASH_ERR_GET_FAILED;  // no room for the digest text or the wide path
    }
    slot.result = std::move(result);
    slot.done.store(true);
    ++finished;
    --busy;
    WakeTaker();
  }
}
