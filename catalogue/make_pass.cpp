// The make run. The tree is walked on a thread of its own while the window's thread shows the
// walk's steps in order and files are digested several at once; lines, status texts and the order
// of the window calls are what the user sees, so they are kept exactly.
#include "catalogue/make_pass.h"

#include <algorithm>
#include <chrono>
#include <memory>
#include <mutex>
#include <utility>

#include "catalogue/background_task.h"
#include "catalogue/digest_pipeline.h"
#include "catalogue/path_gate.h"
#include "catalogue/run_state.h"
#include "catalogue/run_texts.h"
#include "digest/digest_service.h"
#include "platform/clock.h"
#include "platform/drive.h"
#include "platform/path.h"
#include "platform/sync.h"

using texts::TText;

namespace {

// How long the window's thread waits for the walk's next steps before it lets messages run.
constexpr std::chrono::milliseconds kWalkSlice{20};

// Files looked up between two chances for the window's messages to run.
constexpr std::size_t kMessagesEvery = 256;

}  // namespace

// The steps the walk's thread has handed over and the window's thread not yet taken.
class TMakePass::TWalkQueue {
 public:
  // The walk's side.
  void Push(const TTreeWalk::TStep& step) {
    std::lock_guard<platform::TMutex> lock(mutex_);
    TStepBatch& batch = pending_;
    if (step.kind == TTreeWalk::TStepKind::EntryDone && !batch.records.empty()) {
      // The entry of a file or a name left out ends at once: one record holds both.
      TStepRecord& last = batch.records.back();
      if (last.kind != TTreeWalk::TStepKind::Folder && !last.entryDone &&
          last.depth == step.depth) {
        last.entryDone = true;
        return;
      }
    }
    TStepRecord record{step.kind,      step.isFolder,      false,
                       step.depth,     batch.paths.size(), step.path.size(),
                       step.nameStart, step.size,          step.lastWrite};
    batch.paths.append(step.path);
    batch.records.push_back(record);
    if (batch.records.size() == 1) arrived_.NotifyOne();
  }
  void Close() {
    std::lock_guard<platform::TMutex> lock(mutex_);
    closed_ = true;
    arrived_.NotifyOne();
  }
  std::atomic<bool>& Cancelled() { return cancelled_; }

  // The window's side: moves what has arrived behind `batches`, waiting a moment for it when
  // `wait`; true once the walk has ended and everything it gave has been taken.
  bool Take(std::deque<TStepBatch>& batches, std::size_t& taken, bool wait) {
    std::unique_lock<platform::TMutex> lock(mutex_);
    if (wait)
      arrived_.WaitFor(lock, kWalkSlice, [&] { return closed_ || !pending_.records.empty(); });
    if (!pending_.records.empty()) {
      pending_.first = taken;
      taken += pending_.records.size();
      batches.push_back(std::move(pending_));
      pending_ = TStepBatch();
    }
    return closed_;
  }

 private:
  platform::TMutex mutex_;
  platform::TCondition arrived_;
  TStepBatch pending_;
  bool closed_ = false;
  std::atomic<bool> cancelled_{false};
};

TMakePass::TMakePass(TRunView& view, std::string versionText, unsigned digestThreads,
                     TListFolder listFolder)
    : view_(view),
      versionText_(std::move(versionText)),
      digestThreads_(digestThreads),
      listFolder_(std::move(listFolder)) {}

std::string TMakePass::Run(const std::string& scanFolder) {
  view_.ClearAbortRequest();
  // The checkfile is dated when the make began, so that a later check takes a file written at any
  // time after that for an edit, and never for damage: the make may have read it before the edit.
  const std::int64_t started = platform::FileTimeNow();
  TRunningState running(view_, TRunKind::Make);
  TShownProgress shown(view_);
  progress_ = shown.Counts().get();
  scanFolder_ = scanFolder;
  if (!scanFolder_.empty() && scanFolder_.back() == '\\') scanFolder_.pop_back();
  view_.ClearPane();
  nodes_.clear();
  listed_.clear();
  batches_.clear();
  shown_ = queueAt_ = 0;
  depth_ = 0;
  shownFolder_ = scanFolder_;
  shownEnds_.assign(1, scanFolder_.size());
  stopped_ = false;
  written_ = false;
  leftOut_ = 0;
  if (!scanFolder_.empty()) {
    TPipelineOptions options;
    options.progress = shown.Counts();
    options.paused = &view_.PauseFlag();
    TDigestPipeline pipeline(
        digestThreads_ != 0 ? digestThreads_ : platform::DigestThreads(scanFolder_),
        std::move(options));
    pipeline_ = &pipeline;
    // The walk owns what it uses: it may be left behind, stuck in a listing, when the window
    // closes during a stop.
    const auto queue = std::make_shared<TWalkQueue>();
    TBackgroundTask walk([queue, counts = shown.Counts(), top = scanFolder_, list = listFolder_] {
      struct TClose {  // the queue is closed however the walk ends
        TWalkQueue& queue;
        ~TClose() { queue.Close(); }
      } close{*queue};
      // Every link the walk meets passes the gate of the checkfile the run writes.
      TTreeWalk walker(list, std::make_shared<const TPathGate>(top + "\\" + CheckfileName));
      walker.Walk(
          top,
          [&](const TTreeWalk::TStep& step) {
            if (step.kind == TTreeWalk::TStepKind::File)
              counts->total.fetch_add(step.size, std::memory_order_relaxed);
            queue->Push(step);
          },
          queue->Cancelled());
      counts->totalKnown = true;
    });
    struct TCancelWalk {  // on every way out, before the walk is joined
      TWalkQueue& queue;
      ~TCancelWalk() { queue.Cancelled() = true; }
    } cancelOnExit{*queue};
    ShowSteps(*queue);
    queue->Cancelled() = true;
    walk.Finish(view_);
    pipeline_ = nullptr;
  }
  view_.SetStatus({ProgramText(kIdleStatus)});

  if (view_.AbortRequested()) return scanFolder_;
  if (nodes_.empty()) {
    view_.ShowNoFilesBox();
    return scanFolder_;
  }

  // Shown at once, whatever the status line's repaint rate held back, and kept while writing.
  view_.SetStatus({ProgramText(Say(view_, TText::WritingStatus))});
  view_.ShowNow();
  try {
    ShowFilesChangedSinceListed();
    const TCheckfileBody body = CheckfileBody(scanFolder_, nodes_);
    // Written in UTF-8, a path may take more bytes than the walk counted for it.
    for (const std::size_t i : body.LeftOut)
      AppendPath(view_, TText::TooLongLine, nodes_.FullPath(i));
    leftOut_ += static_cast<int>(body.LeftOut.size());
    if (body.LeftOut.size() == nodes_.size()) {
      nodes_.clear();
      view_.SetStatus({ProgramText(kIdleStatus)});
      view_.ShowNoFilesBox();
      return scanFolder_;
    }
    TCheckfileWriting writing;
    writing.datedAt = started;
    writing.language = view_.Language();
    WriteCheckfile(scanFolder_, versionText_, platform::LocalNow(), body, writing);
    written_ = true;
  } catch (...) {
    view_.SetStatus({ProgramText(kIdleStatus)});
    nodes_.clear();
    throw;
  }
  nodes_.clear();
  running.End();
  view_.SetStatus({ProgramText(kIdleStatus)});
  view_.AppendLine({ProgramText(Say(view_, TText::SavedLine)), Utf8Text(scanFolder_),
                    ProgramText("\\"), ProgramText(CheckfileName)});
  if (leftOut_ > 0) AppendCount(view_, TText::LeftOutCount, leftOut_);
  return scanFolder_;
}

void TMakePass::ShowSteps(TWalkQueue& queue) {
  std::size_t taken = 0;  // steps moved behind `batches_`
  bool ended = false;
  while (!stopped_) {
    const bool waiting = shown_ == taken;
    ended = queue.Take(batches_, taken, waiting && !ended);
    QueueFiles();
    if (shown_ < taken) {
      ShowFront();
      continue;
    }
    if (ended) return;
    // Waiting for the walk: the window answers, and a stop ends the run at the level shown last.
    view_.ProcessMessages();
    if (view_.AbortRequested()) ShowStop(depth_);
  }
}

void TMakePass::QueueFiles() {
  const std::size_t available =
      batches_.empty() ? 0 : batches_.back().first + batches_.back().records.size();
  std::string_view path;
  while (queueAt_ < available && !pipeline_->Full()) {
    const TStepRecord& record = Record(queueAt_++, &path);
    if (record.kind == TTreeWalk::TStepKind::File)
      pipeline_->Queue(std::string(path), std::string(), record.size);
  }
}

const TMakePass::TStepRecord& TMakePass::Record(std::size_t index, std::string_view* path) const {
  for (const TStepBatch& batch : batches_) {
    if (index >= batch.first + batch.records.size()) continue;
    const TStepRecord& record = batch.records[index - batch.first];
    if (path) *path = std::string_view(batch.paths).substr(record.pathStart, record.pathLength);
    return record;
  }
  return batches_.back().records.back();  // never reached: `index` was handed over
}

void TMakePass::ShowFront() {
  std::string_view path;
  const TStepRecord& step = Record(shown_, &path);
  switch (step.kind) {
    case TTreeWalk::TStepKind::Folder:
      AppendPath(view_, TText::FolderLine, path);
      // The new folder's path starts with those of the levels above it.
      shownEnds_.resize(step.depth + 1);
      shownEnds_.push_back(path.size());
      shownFolder_ = path;
      depth_ = step.depth + 1;
      break;
    case TTreeWalk::TStepKind::Unreadable:
      AppendPath(view_, TText::UnreadableFolderLine, path);
      ++leftOut_;
      break;
    case TTreeWalk::TStepKind::Unrepresentable:
      view_.AppendLine({ProgramText(Say(view_, step.isFolder ? TText::UnrepresentableFolderLine
                                                             : TText::UnrepresentableFileLine)),
                        Utf8Text(path)});
      ++leftOut_;
      break;
    case TTreeWalk::TStepKind::TooLong:
      AppendPath(view_, TText::TooLongLine, path);
      ++leftOut_;
      break;
    case TTreeWalk::TStepKind::Refused:
      AppendPath(view_, TText::RefusedLinkLine, path);
      ++leftOut_;
      break;
    case TTreeWalk::TStepKind::File:
      // The file's line shows while its result is waited for.
      AppendPath(view_, TText::FileLine, path.substr(step.nameStart));
      ShowFileResult(path, step);
      break;
    case TTreeWalk::TStepKind::EntryDone:
      if (!EntryDone(step.depth)) return;
      break;
  }
  if (step.entryDone && !EntryDone(step.depth)) return;
  if (++shown_ == batches_.front().first + batches_.front().records.size()) batches_.pop_front();
}

bool TMakePass::EntryDone(unsigned depth) {
  depth_ = depth;
  view_.SetStatus({ProgramText(FilesProgressText(view_, nodes_.size())),
                   Utf8Text(std::string_view(shownFolder_).substr(0, shownEnds_[depth]))});
  view_.ProcessMessages();
  if (!view_.AbortRequested()) return true;
  ShowStop(depth);
  return false;
}

void TMakePass::ShowFileResult(std::string_view path, const TStepRecord& step) {
  TDigestResult result;
  pipeline_->Take(view_, result);
  // A file digested after the stop is never reported: the run ends at the entry's end.
  if (view_.AbortRequested() || result.Code == HASH_ERR_ABANDONED) return;
  if (result.Code == HASH_ERR_NONE) {
    nodes_.Append(path, result.Digest);
    listed_.emplace_back(step.size, step.lastWrite);
    return;
  }
  AppendText(view_, HashErrorName(result.Code));
  ++leftOut_;
}

void TMakePass::ShowFilesChangedSinceListed() {
  std::string path;
  for (std::size_t i = 0; i < nodes_.size(); ++i) {
    if (i % kMessagesEvery == kMessagesEvery - 1) view_.ProcessMessages();
    path.assign(nodes_.FullPath(i));
    std::uint64_t size = 0;
    std::int64_t lastWrite = 0;
    if (platform::GetPathKind(path, &size, &lastWrite) != platform::TPathKind::File ||
        size != listed_[i].first || lastWrite != listed_[i].second)
      AppendPath(view_, TText::ChangedWhileReadLine, path);
  }
}

void TMakePass::ShowStop(unsigned depth) {
  stopped_ = true;
  pipeline_->Cancel(view_);
  nodes_.clear();
  AppendText(view_, TText::MakeAbortLine);
  // Each enclosing level shows its emptied count, lets messages run and says so too.
  for (unsigned level = depth; level-- > 0;) {
    view_.SetStatus({ProgramText(FilesProgressText(view_, 0)),
                     Utf8Text(std::string_view(shownFolder_).substr(0, shownEnds_[level]))});
    view_.ProcessMessages();
    AppendText(view_, TText::MakeAbortLine);
  }
}
