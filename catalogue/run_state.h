// Small owners the two runs share: the running state of the window, and the progress hook that
// keeps the window answering while one long file is digested.
#pragma once

#include "catalogue/run_view.h"
#include "digest/digest_service.h"

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

// Lets the window's messages run inside a long file and abandons the file on a stop.
class TRunProgress final : public THashProgress {
 public:
  explicit TRunProgress(TRunView& view) : view_(view) {}
  bool KeepReading() override {
    view_.ProcessMessages();
    return !view_.AbortRequested();
  }

 private:
  TRunView& view_;
};
