// What a make or check run needs of its window: a pane to write lines into, a status line, a way
// to let pending window messages run, the stop flag, the "nothing to do" box and the enabling rule.
// The main window implements it over its controls; tests implement it with a recorder.
#pragma once

#include <string>

class TRunView {
 public:
  virtual ~TRunView() = default;

  virtual void ClearPane() = 0;                         // the run's own pane
  virtual void AppendLine(const std::string& line) = 0;  // one line at the end of that pane
  virtual void SetStatus(const std::string& text) = 0;   // the status line under the pages
  virtual void ProcessMessages() = 0;                    // let all pending window messages run
  virtual bool AbortRequested() const = 0;               // the stop button was pressed
  virtual void ClearAbortRequest() = 0;                  // a new run starts
  virtual void ShowNoFilesBox() = 0;                     // modal "No files to work with!"

  // The enabling rule: a make run disables the start, folder and tab controls and enables stop;
  // a check run disables the tab control and the open button and enables stop. false = idle.
  virtual void SetMakeRunning(bool running) = 0;
  virtual void SetCheckRunning(bool running) = 0;
};
