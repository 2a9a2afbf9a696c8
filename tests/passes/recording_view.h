// A run view for tests: logs every call in order, keeps the pane and the status, and presses the
// stop button from inside the message pump when a chosen status is showing.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "catalogue/run_view.h"

class RecordingView : public TRunView {
 public:
  std::vector<std::string> calls;  // one text per call, e.g. "Line OK: x", "Pump", "MakeIdle"
  std::vector<std::string> pane;
  std::string status;
  bool abortFlag = false;
  bool closeFlag = false;
  bool makeRunning = false;
  bool checkRunning = false;
  int pumps = 0;
  int noFilesBoxes = 0;
  // Called at every ShowNow with the status showing.
  std::function<void(const std::string&)> onShowNow;
  const TByteProgress* progress = nullptr;      // while a run shows one
  std::uint64_t doneBytes = 0, totalBytes = 0;  // the last run's counts as it ended
  bool boxShownWhileRunning = false;
  // Asked at every pump with the status showing; true presses stop.
  std::function<bool(const std::string&)> pressStopWhen;

  void ClearPane() override {
    calls.push_back("ClearPane");
    pane.clear();
  }
  void AppendLine(TViewText text) override {
    const std::string line = JoinedBytes(text);
    calls.push_back("Line " + line);
    pane.push_back(line);
  }
  void SetStatus(TViewText text) override {
    status = JoinedBytes(text);
    calls.push_back("Status " + status);
  }
  void ProcessMessages() override {
    calls.push_back("Pump");
    ++pumps;
    if (pressStopWhen && pressStopWhen(status)) abortFlag = true;
  }
  void ShowNow() override {
    calls.push_back("ShowNow");
    if (onShowNow) onShowNow(status);
    if (pressStopWhen && pressStopWhen(status)) abortFlag = true;
  }
  bool AbortRequested() const override { return abortFlag; }
  bool CloseRequested() const override { return closeFlag; }
  void ClearAbortRequest() override {
    calls.push_back("ClearAbort");
    abortFlag = false;
  }
  void ShowNoFilesBox() override {
    calls.push_back("NoFilesBox");
    ++noFilesBoxes;
    boxShownWhileRunning = makeRunning;
  }
  void SetRunning(TRunKind kind, bool running) override {
    const bool make = kind == TRunKind::Make;
    calls.push_back(std::string(make ? "Make" : "Check") + (running ? "Running" : "Idle"));
    (make ? makeRunning : checkRunning) = running;
  }
  void SetByteProgress(const TByteProgress* shown) override {
    if (!shown && progress) doneBytes = progress->done, totalBytes = progress->total;
    progress = shown;
  }
};
