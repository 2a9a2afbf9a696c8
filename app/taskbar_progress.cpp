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

void TTaskbarProgress::Show(int permille, bool paused) {
  ITaskbarList3* taskbar = Taskbar();
  if (!taskbar) return;
  // Each call crosses into the shell's process.
  const TBPFLAG state = paused ? TBPF_PAUSED : permille < 0 ? TBPF_INDETERMINATE : TBPF_NORMAL;
  if (state != shownState_) {
    shownState_ = state;
    taskbar->SetProgressState(window_, state);
  }
  if (permille >= 0 && permille != shownPermille_) {
    shownPermille_ = permille;
    taskbar->SetProgressValue(window_, permille, 1000);
  }
}

void TTaskbarProgress::Clear() {
  shownState_ = TBPF_NOPROGRESS;
  shownPermille_ = -1;
  if (ITaskbarList3* taskbar = Taskbar()) taskbar->SetProgressState(window_, TBPF_NOPROGRESS);
}
