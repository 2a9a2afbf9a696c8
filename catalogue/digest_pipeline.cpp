// Worker threads over a ring of slots. The window's thread queues files at one end and takes
// results at the other; the workers claim files in queue order. The only thing a worker asks while
// it reads is the cancel flag, so it never touches the window.
#include "catalogue/digest_pipeline.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <exception>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "catalogue/path_gate.h"
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

// How long a paused worker sleeps between two looks at the pause and cancel flags.
constexpr std::chrono::milliseconds kPausedSlice{20};

int32_t DigestWithMd5(const std::string& path, std::string& digest, THashProgress* progress,
                      TFileFacts* facts) {
  return HashFile(HASH_MD5, path, digest, progress, facts);
}

}  // namespace

struct TDigestPipeline::TShared {
  // A worker's view of the file it reads: counts the bytes, holds the next read while the run is
  // paused, and ends the digest as soon as the run is stopped.
  class TWorkerProgress final : public THashProgress {
   public:
    explicit TWorkerProgress(TShared& shared) : shared_(shared) {}
    // `listed`: the file's size as listed, where the run counted it in its total.
    void StartFile(uint64_t listed = kUnknownSize) {
      counted_ = 0;
      listed_ = listed;
    }
    // The file's whole size once it is digested: what the hook was not told of.
    void EndFile(uint64_t size) {
      if (size > counted_) Count(size - counted_);
    }
    bool KeepReading(uint64_t digested) override {
      if (shared_.cancelled.load(std::memory_order_relaxed)) return false;
      Count(digested - counted_);
      return shared_.WaitWhilePaused();
    }

   private:
    void Count(uint64_t bytes) {
      const uint64_t before = counted_;
      counted_ += bytes;
      if (!shared_.progress) return;
      shared_.progress->done.fetch_add(bytes, std::memory_order_relaxed);
      // A file that grew since it was listed: the total grows with what is read beyond its size.
      if (counted_ > listed_)
        shared_.progress->total.fetch_add(counted_ - std::max(before, listed_),
                                          std::memory_order_relaxed);
    }
    static constexpr uint64_t kUnknownSize = UINT64_MAX;
    TShared& shared_;
    uint64_t counted_ = 0;
    uint64_t listed_ = kUnknownSize;
  };

  struct TSlot {
    std::string path;        // read by the worker and the window's thread while in flight
    std::string otherPaths;  // see Queue
    std::uint64_t listedSize = UINT64_MAX;
    TDigestResult result;
    std::atomic<bool> done{false};
  };

  TShared(std::size_t slots, TPipelineOptions options)
      : slotCount(slots),
        slots(new TSlot[slots]),
        digestFile(options.digestFile ? options.digestFile : DigestWithMd5),
        progress(std::move(options.progress)),
        paused(options.paused),
        gate(std::move(options.gate)) {}

  void Work();
  // Digests the slot's file: its first path, and where the name reads as several paths every one
  // that names a file. Every path passes the gate right before it is opened or looked up.
  void Digest(const TSlot& slot, TWorkerProgress& progress, TDigestResult& result);
  void DigestReading(const std::string& path, TWorkerProgress& progress, TDigestResult& result,
                     std::uint64_t listedSize = UINT64_MAX);
  // Sleeps while the run is paused; false once it is cancelled. The pause flag is not looked at
  // after a cancel: it belongs to the run, which a worker left stuck in a read may outlive.
  bool WaitWhilePaused() {
    while (!cancelled.load()) {
      if (paused == nullptr || !paused->load(std::memory_order_relaxed)) return true;
      std::this_thread::sleep_for(kPausedSlice);
    }
    return false;
  }
  // Wakes the window's thread if it sleeps in Take or Cancel and has waited for this.
  void WakeTaker();

  // A ring: file n lives in slot n % slotCount. The window's thread writes a slot's path before
  // it counts the file as queued; a worker writes the result before it marks the slot done. The
  // atomics order those hand-overs, so the mutex is only taken to sleep and to wake.
  const std::size_t slotCount;
  const std::unique_ptr<TSlot[]> slots;
  const TDigestFile digestFile;
  const std::shared_ptr<TByteProgress> progress;
  const std::atomic<bool>* const paused;
  const std::shared_ptr<const TPathGate> gate;
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

TDigestPipeline::TDigestPipeline(unsigned workers, TPipelineOptions options)
    : shared_(std::make_shared<TShared>(
          static_cast<std::size_t>(workers == 0 ? 1 : workers) * kSlotsPerWorker,
          std::move(options))) {
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

void TDigestPipeline::Queue(std::string path, std::string otherPaths, std::uint64_t listedSize) {
  TShared& s = *shared_;
  const std::uint64_t file = s.queued.load(std::memory_order_relaxed);
  TShared::TSlot& slot = s.slots[file % s.slotCount];
  slot.path = std::move(path);
  slot.otherPaths = std::move(otherPaths);
  slot.listedSize = listedSize;
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

void TDigestPipeline::TShared::DigestReading(const std::string& path, TWorkerProgress& progress,
                                             TDigestResult& result, std::uint64_t listedSize) {
  if (gate && !gate->MayOpen(path)) {
    result.Code = HASH_ERR_OPEN_FILE;
    result.Refused = true;
    return;
  }
  TFileFacts facts;
  progress.StartFile(listedSize);
  result.Code = digestFile(path, result.Digest, &progress, &facts);
  if (result.Code == HASH_ERR_NONE) progress.EndFile(facts.Size);
  result.LastWrite = facts.LastWrite;
  result.LastWriteKnown = facts.LastWriteKnown;
}

void TDigestPipeline::TShared::Digest(const TSlot& slot, TWorkerProgress& progress,
                                      TDigestResult& result) {
  DigestReading(slot.path, progress, result, slot.listedSize);
  if (slot.otherPaths.empty() || result.Code == HASH_ERR_ABANDONED) return;
  // The name reads as more than one path: each reading that names a file is digested, so that
  // the caller can tell whether the name is ambiguous.
  const bool firstNamed =
      !result.Refused && (result.Code != HASH_ERR_OPEN_FILE ||
                          platform::GetPathKind(slot.path) != platform::TPathKind::Missing);
  std::vector<TDigestResult> named;
  TDigestResult refused;  // the first reading the gate refused
  if (firstNamed) named.push_back(result);
  if (result.Refused) refused = result;
  unsigned reading = 0;
  for (std::size_t start = 0; start < slot.otherPaths.size() && !cancelled.load();) {
    const std::size_t end = std::min(slot.otherPaths.find('\0', start), slot.otherPaths.size());
    TDigestResult other;
    other.Reading = ++reading;
    other.Path = slot.otherPaths.substr(start, end - start);
    start = end + 1;
    if (gate && !gate->MayOpen(other.Path)) {
      if (!refused.Refused) {
        refused = std::move(other);
        refused.Code = HASH_ERR_OPEN_FILE;
        refused.Refused = true;
      }
      continue;
    }
    if (platform::GetPathKind(other.Path) == platform::TPathKind::Missing) continue;
    DigestReading(other.Path, progress, other);
    if (other.Code == HASH_ERR_ABANDONED) {
      result = std::move(other);
      return;
    }
    named.push_back(std::move(other));
  }
  if (named.empty()) {
    // No reading names a file. One the gate refused may have been the one meant: it is named.
    if (refused.Refused) result = std::move(refused);
    result.NoneNamed = !result.Refused;
    return;
  }
  result = std::move(named.front());
  named.erase(named.begin());
  result.AlsoNamed = std::move(named);
}

void TDigestPipeline::TShared::WakeTaker() {
  if (!taking.load() || finished.load() < wakeAt.load()) return;
  { std::lock_guard<platform::TMutex> lock(mutex); }
  resultReady.NotifyAll();
}

void TDigestPipeline::TShared::Work() {
  TWorkerProgress progress(*this);
  for (;;) {
    WaitWhilePaused();  // no new file is claimed while paused
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
      Digest(slot, progress, result);
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
