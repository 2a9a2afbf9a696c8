// The background task of background_task.h.
#include "catalogue/background_task.h"

#include <chrono>
#include <utility>

namespace {

// How long the window's thread sleeps between two looks at the task while it waits for it.
constexpr std::chrono::milliseconds kFinishSlice{10};

}  // namespace

TBackgroundTask::TBackgroundTask(std::function<void()> work)
    : shared_(std::make_shared<TShared>()) {
  thread_ = std::thread([shared = shared_, work = std::move(work)] {
    try {
      work();
    } catch (...) {
      shared->error = std::current_exception();
    }
    shared->done.store(true);
  });
}

TBackgroundTask::~TBackgroundTask() {
  if (thread_.joinable()) thread_.join();
}

bool TBackgroundTask::Finish(TRunView& view, std::atomic<bool>* cancel) {
  bool stopped = false;
  while (!shared_->done.load()) {
    std::this_thread::sleep_for(kFinishSlice);
    view.ProcessMessages();
    if (cancel && view.AbortRequested()) {
      stopped = true;
      *cancel = true;
    }
    if (view.CloseRequested() && !shared_->done.load()) {
      thread_.detach();
      return false;
    }
  }
  thread_.join();
  if (shared_->error) std::rethrow_exception(std::exchange(shared_->error, nullptr));
  return !stopped;
}
