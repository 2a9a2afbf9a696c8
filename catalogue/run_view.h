// What a make or check run needs of its window: a pane to write lines into, a status line, a way
// to let pending window messages run, the stop flag, the "nothing to do" box, the enabling rule
// and the progress shown outside the window (the taskbar button).
// The main window implements it over its controls; tests implement it with a recorder.
#pragma once

#include <cstddef>
#include <string>

enum class TRunKind { Make, Check };

class TRunView {
 public:
  virtual ~TRunView() = default;

  virtual void ClearPane() = 0;                          // the run's own pane
  virtual void AppendLine(const std::string& line) = 0;  // one line at the end of that pane
  virtual void SetStatus(const std::string& text) = 0;   // the status line under the pages
  // Lets pending window messages run. The window may skip this when it let them run a moment
  // ago, and may hold back the pane's lines and the status text for a while meanwhile.
  virtual void ProcessMessages() = 0;
  // Shows every line and status text held back, and lets pending messages run, now.
  virtual void ShowNow() = 0;
  virtual bool AbortRequested() const = 0;  // the stop button was pressed
  virtual void ClearAbortRequest() = 0;     // a new run starts
  virtual void ShowNoFilesBox() = 0;        // modal "No files to work with!"

  // The enabling rule: a make run disables the start, folder and tab controls and enables stop;
  // a check run disables the tab control and the open button and enables stop. Ending a run
  // also ends the progress shown for it.
  virtual void SetRunning(TRunKind kind, bool running) = 0;
  // How far a check run is: `done` of `total` entries.
  virtual void SetProgress(std::size_t done, std::size_t total) = 0;
};
