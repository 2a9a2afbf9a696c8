// A piece of a run's work on a thread of its own (the listing of a tree, beside the digests). What
// the work uses it must own (shared), since a thread stuck in a system call on a dead share may be
// left behind when the window closes.
#pragma once

#include <atomic>
#include <exception>
#include <functional>
#include <memory>
#include <thread>

#include "catalogue/run_view.h"

class TBackgroundTask {
 public:
  explicit TBackgroundTask(std::function<void()> work);
  // Joins the thread unless Finish left it behind.
  ~TBackgroundTask();
  TBackgroundTask(const TBackgroundTask&) = delete;
  TBackgroundTask& operator=(const TBackgroundTask&) = delete;

  bool Done() const { return shared_->done.load(); }
  // Waits until the work has ended, letting the window's messages run, and throws what the work
  // threw; once the window is asked to close it waits no longer and leaves the thread to end on
  // its own. A stop pressed meanwhile sets `cancel` (may be null), which the work looks at: false
  // then.
  bool Finish(TRunView& view, std::atomic<bool>* cancel = nullptr);

 private:
  struct TShared {
    std::atomic<bool> done{false};
    std::exception_ptr error;  // written before `done`
  };
  std::shared_ptr<TShared> shared_;
  std::thread thread_;
};
