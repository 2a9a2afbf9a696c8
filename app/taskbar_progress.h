// The progress of a run on the program's taskbar button, where the system offers it
// (ITaskbarList3, Windows 7 and later). Where it does not, every call does nothing.
#pragma once

#include <windows.h>
// The system header below needs windows.h first.
#include <shobjidl.h>

#include "widgets/com_ptr_win32.h"

class TTaskbarProgress {
 public:
  void Attach(HWND window) { window_ = window; }
  // The run's fraction in thousandths (-1: not known yet, a busy state instead), shown paused while
  // the user holds the run; only a change the button can show is handed on.
  void Show(int permille, bool paused);
  // Every ending of a run, stop and failure included.
  void Clear();

 private:
  // The system's interface, made on first use; null where the system has none.
  ITaskbarList3* Taskbar();

  HWND window_ = nullptr;
  widgets::TComPtr<ITaskbarList3> taskbar_;
  bool asked_ = false;
  TBPFLAG shownState_ = TBPF_NOPROGRESS;
  int shownPermille_ = -1;
};
