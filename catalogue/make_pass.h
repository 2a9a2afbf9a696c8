// The make pass: walks a folder tree, digests every file and writes the tree's checkfile, reporting
// through the window's run view.
#pragma once

#include <cstddef>
#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "catalogue/checkfile.h"
#include "catalogue/run_view.h"
#include "catalogue/tree_walk.h"

class TDigestPipeline;

class TMakePass {
 public:
  using TListFolder = TTreeWalk::TListFolder;

  // `view` must outlive the pass; `versionText` goes into the checkfile's first header line.
  // `digestThreads` files are digested at once; 0 chooses by the drive that holds the folder.
  // Without `listFolder` the system's listing is used.
  TMakePass(TRunView& view, std::string versionText, unsigned digestThreads = 0,
            TListFolder listFolder = {});

  // One make run over `scanFolder` (UTF-8; ButtonGoClick). Returns the folder as scanned: one
  // trailing backslash dropped; the caller keeps it as its scan folder. Every ending leaves the
  // view idle; a checkfile that cannot be written throws ECheckfileError after that.
  std::string Run(const std::string& scanFolder);
  // After a run: whether it wrote the checkfile, and how many files and folders it left out.
  bool Written() const { return written_; }
  int LeftOut() const { return leftOut_; }

  // A step of the walk as the pane will show it, kept compactly: the walk runs on a thread of its
  // own, as far ahead of the pane as it gets, so that the run knows its total early. The steps
  // are shown in walk order, exactly as a walk that digests one file at a time shows them.
  struct TStepRecord {
    TTreeWalk::TStepKind kind;
    bool isFolder;   // Unrepresentable: a folder's name
    bool entryDone;  // the entry's EntryDone step follows at once (merged into this record)
    unsigned depth;
    std::size_t pathStart, pathLength;  // in the batch's path bytes
    std::size_t nameStart;              // File: where its name starts in the path
    std::uint64_t size;                 // File: as listed
    std::int64_t lastWrite;             // File: as listed
  };
  // Steps as the walk handed them over, in order; `first` is the walk's index of the first.
  struct TStepBatch {
    std::vector<TStepRecord> records;
    std::string paths;
    std::size_t first = 0;
  };
  class TWalkQueue;

 private:
  // Shows the walk's steps as they come, keeping the pipeline fed, until the walk has ended and
  // every step is shown or the run is stopped.
  void ShowSteps(TWalkQueue& queue);
  // Hands the files the walk has given, from `queueAt_` on, to the pipeline while it has room.
  void QueueFiles();
  const TStepRecord& Record(std::size_t index, std::string_view* path = nullptr) const;
  // Shows the oldest step not shown (its file's result waited for).
  void ShowFront();
  // The status after an entry of level `depth`, the messages, and the stop button; false once
  // the run is stopped.
  bool EntryDone(unsigned depth);
  void ShowFileResult(std::string_view path, const TStepRecord& step);
  // Names each file whose size or last write is no longer what the walk listed: it changed while
  // or after it was read, and its entry may not hold what it holds now.
  void ShowFilesChangedSinceListed();
  // The stop was noticed at a level `depth` down: one line for it and one for each level above.
  void ShowStop(unsigned depth);

  TRunView& view_;
  std::string versionText_;
  unsigned digestThreads_;
  TListFolder listFolder_;

  // One run's state.
  std::string scanFolder_;
  TDigestPipeline* pipeline_ = nullptr;
  TByteProgress* progress_ = nullptr;
  std::deque<TStepBatch> batches_;  // taken from the walk; the front's records are shown first
  std::size_t shown_ = 0;           // steps shown (the walk's index of the oldest not shown)
  std::size_t queueAt_ = 0;         // the walk's index of the next step to look at for queueing
  unsigned depth_ = 0;              // the level of the step shown last: where a stop is noticed
  TMD5NodeArray nodes_;
  // Each node's size and last write as the walk listed them.
  std::vector<std::pair<std::uint64_t, std::int64_t>> listed_;
  bool stopped_ = false;
  bool written_ = false;
  // Files and folders of this run that could not be digested or listed.
  int leftOut_ = 0;
  // The folder of the deepest level the shown steps are in, and where each level's folder ends
  // in it, top first (the scanned folder).
  std::string shownFolder_;
  std::vector<std::size_t> shownEnds_;
};
