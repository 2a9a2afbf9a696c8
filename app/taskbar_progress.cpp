// Taskbar progress through ITaskbarList3; see taskbar_progress.h.
#include "app/taskbar_progress.h"

ITaskbarList3* TTaskbarProgress::Taskbar() {
  if (!asked_ && window_ != nullptr) {
    asked_ = true;
    if (FAILED(CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskbarList3,
                                taskbar_.PutVoid())) ||
        FAILED(taskbar_->HrInit())) {
      taskbar_.Reset();
    }
  }
  return taskbar_.Get();
}

void TTaskbarProgress::SetIndeterminate() {
  if (ITaskbarList3* taskbar = Taskbar()) taskbar->SetProgressState(window_, TBPF_INDETERMINATE);
}

void TTaskbarProgress::SetValue(std::size_t done, std::size_t total) {
  if (total == 0) return;
  // A thousand steps at most: each call crosses into the shell's process.
  const int permille = static_cast<int>(static_cast<unsigned long long>(done) * 1000 / total);
  if (permille == shownPermille_) return;
  shownPermille_ = permille;
  if (ITaskbarList3* taskbar = Taskbar()) taskbar->SetProgressValue(window_, permille, 1000);
}

void TTaskbarProgress::Clear() {
  shownPermille_ = -1;
  if (ITaskbarList3* taskbar = Taskbar()) taskbar->SetProgressState(window_, TBPF_NOPROGRESS);
}
