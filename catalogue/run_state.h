// The running state of the window and the byte counts it shows, owned by a run.
#pragma once

#include <memory>

#include "catalogue/run_view.h"

// Puts the view into its running state for `kind` and back to idle on every way out, exceptions
// of any type included, so the window can always be used and closed after a run.
class TRunningState {
 public:
  TRunningState(TRunView& view, TRunKind kind) : view_(view), kind_(kind) {
    view_.SetRunning(kind_, true);
  }
  ~TRunningState() { End(); }
  TRunningState(const TRunningState&) = delete;
  TRunningState& operator=(const TRunningState&) = delete;

  // Returns to idle now (where the run's last lines follow the return); once only.
  void End() {
    if (!running_) return;
    running_ = false;
    view_.SetRunning(kind_, false);
  }

 private:
  TRunView& view_;
  TRunKind kind_;
  bool running_ = true;
};

// A run's byte counts, shown by the view until the owner goes. Shared with the threads that count,
// since a thread left stuck in a read may outlive the run.
class TShownProgress {
 public:
  explicit TShownProgress(TRunView& view)
      : view_(view), counts_(std::make_shared<TByteProgress>()) {
    view_.SetByteProgress(counts_.get());
  }
  ~TShownProgress() { view_.SetByteProgress(nullptr); }
  TShownProgress(const TShownProgress&) = delete;
  TShownProgress& operator=(const TShownProgress&) = delete;

  const std::shared_ptr<TByteProgress>& Counts() const { return counts_; }

 private:
  TRunView& view_;
  std::shared_ptr<TByteProgress> counts_;
};
