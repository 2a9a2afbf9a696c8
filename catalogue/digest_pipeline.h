// Several files digested at once on worker threads while the window's thread goes on walking,
// writing lines and letting messages run. Results are taken in the order the files were queued,
// so a run shows exactly what a one-at-a-time run shows; only the time differs.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "catalogue/run_view.h"

class THashProgress;
class TPathGate;
struct TFileFacts;

struct TDigestResult {
  int32_t Code = 0;      // HashFile's result; HASH_ERR_ABANDONED after a stop
  std::string Digest;    // the digest text when Code is 0
  std::string Path;      // the path digested, or tried
  unsigned Reading = 0;  // which of the paths queued for the file it is, the first being 0
  // The file's last write as the open handle told it (the system's file time), when it opened.
  std::int64_t LastWrite = 0;
  bool LastWriteKnown = false;
  bool Refused = false;  // the gate refused `Path` (Code is 5): nothing was opened
  // Where the name reads as several paths: none of them names a file (`Path` is the first).
  bool NoneNamed = false;
  // Where the name reads as several paths: the other readings that name a file as well, each
  // digested. Empty where only one does.
  std::vector<TDigestResult> AlsoNamed;
};

// How a worker digests one file: HashFile with MD5 unless a test puts another behind it.
using TDigestFile = int32_t (*)(const std::string& path, std::string& digest,
                                THashProgress* progress, TFileFacts* facts);

// What a pipeline shares with the run that owns it, besides the files.
struct TPipelineOptions {
  TDigestFile digestFile = nullptr;  // HashFile with MD5 when null
  // Bytes digested are added to its `done` as the workers read (may be null). Shared, since a
  // worker left stuck in a read may outlive the run.
  std::shared_ptr<TByteProgress> progress;
  // While set, no worker starts a read (may be null). Looked at only until the pipeline is
  // cancelled.
  const std::atomic<bool>* paused = nullptr;
  // Every path passes it right before it is opened or looked up (null: every path passes).
  std::shared_ptr<const TPathGate> gate;
};

class TDigestPipeline {
 public:
  // Starts `workers` threads (at least one). At most sixteen files per worker wait or are being
  // digested ahead of the oldest result not yet taken.
  explicit TDigestPipeline(unsigned workers, TPipelineOptions options = {});
  // Abandons what is queued and ends the workers; a worker that Cancel had to leave stuck inside
  // a read is left to end on its own (it touches nothing of the run any more).
  ~TDigestPipeline();
  TDigestPipeline(const TDigestPipeline&) = delete;
  TDigestPipeline& operator=(const TDigestPipeline&) = delete;

  bool Full() const;
  bool Empty() const;

  // Queues a file (a core path) for digesting; only when not Full(). `otherPaths` are other
  // readings of the same name, each followed by a NUL byte: each that names a file is digested
  // as well (TDigestResult::AlsoNamed), and where `path` names none the first that does stands.
  // `listedSize`: the size the run counted in its total for the file (UINT64_MAX: none); what is
  // read beyond it is added to the total.
  void Queue(std::string path, std::string otherPaths = std::string(),
             std::uint64_t listedSize = UINT64_MAX);
  // The first path queued for the oldest file whose result is not taken yet; only when not
  // Empty(). Valid until that result is taken.
  const std::string& OldestPath() const;

  // True when the oldest file's result is in.
  bool Ready() const;
  // Takes the oldest file's result, waiting for it while the window's messages run. A stop
  // pressed meanwhile abandons every queued file: the result is then HASH_ERR_ABANDONED, whatever
  // came of the file.
  void Take(TRunView& view, TDigestResult& result);

  // Abandons every queued file and waits, letting messages run, until no worker reads any more,
  // or until the window is asked to close: a read that blocks (a dead share, a failing disk)
  // must not keep the program from ending after a stop, and nothing is written after one.
  void Cancel(TRunView& view);

 private:
  struct TShared;  // what the workers use; they keep it alive as long as they run

  std::shared_ptr<TShared> shared_;
  std::vector<std::thread> workers_;
  bool leaveWorkers_ = false;  // Cancel gave up waiting for a worker stuck in a read
};
