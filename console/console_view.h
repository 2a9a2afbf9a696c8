// The run view of the console program: the lines the window's pane would show go to standard
// output as they come, and are kept for the report; the run's progress in bytes is a line on the
// console; Ctrl+C is the stop button.
#pragma once

#include <atomic>
#include <chrono>
#include <string>
#include <string_view>

#include "catalogue/progress_meter.h"
#include "catalogue/run_view.h"
#include "widgets/line_store.h"

// What the console program asks of the system it runs on.
class TConsoleSystem {
 public:
  virtual ~TConsoleSystem() = default;
  // Text in UTF-8, its lines ended by CR LF, to standard output and to standard error.
  virtual void WriteOutput(std::string_view text) = 0;
  virtual void WriteError(std::string_view text) = 0;
  // True when standard error is a console, where the progress line is shown.
  virtual bool ShowsProgress() const = 0;
  // The progress line (UTF-8, no line end) in place of the one shown before; empty takes it away.
  virtual void ShowProgress(std::string_view text) = 0;
  // Lowers the process's processor and disk priority; false with the system's words (in its code
  // page) in `why`.
  virtual bool EnterBackgroundMode(std::string& why) = 0;
};

// A stop asked of the run, from the system's own thread: the first Ctrl+C or Ctrl+Break stops it
// as the window's stop button does; a second one, closing the console, a logoff or a shutdown
// also closes it, so that it waits for no read that does not end.
class TConsoleStop {
 public:
  void Request(bool close) {
    if (stopping_.exchange(true) || close) closing_ = true;
  }
  bool Stopping() const { return stopping_.load(); }
  bool Closing() const { return closing_.load(); }

 private:
  std::atomic<bool> stopping_{false};
  std::atomic<bool> closing_{false};
};

class TConsoleView : public TRunView {
 public:
  // `quiet`: only the lines about files that are not OK, and the counts.
  TConsoleView(TConsoleSystem& system, const TConsoleStop& stop, bool quiet);

  void ClearPane() override;
  void AppendLine(TViewText line) override;
  void SetStatus(TViewText) override {}
  void ProcessMessages() override;
  void ShowNow() override;
  bool AbortRequested() const override { return stop_.Stopping(); }
  bool CloseRequested() const override { return stop_.Closing(); }
  // A console run is the program's only one: a stop asked for before it began still counts.
  void ClearAbortRequest() override {}
  void ShowNoFilesBox() override;
  void SetRunning(TRunKind kind, bool running) override;
  void SetByteProgress(const TByteProgress* progress) override;

  // Writes the lines held back and takes the progress line away; the run has ended.
  void Finish();
  // An error of the run, on standard error after the lines so far.
  void WriteError(std::string_view utf8);
  // The lines printed, for the report.
  const widgets::TLineStore& Lines() const { return lines_; }
  bool NoFiles() const { return noFiles_; }

 private:
  using TClock = std::chrono::steady_clock;

  // True for a line of the run's routine, which the quiet output leaves out.
  bool Routine(TViewText line) const;
  // The quiet output keeps the last folder and file line of a make back, and shows them before a
  // line about that file (its error) that comes while the run goes on.
  void HoldContext(TViewText line);
  void Print(const std::string& utf8);
  void Flush();
  void HideProgress();
  void ShowProgress(TClock::time_point now);

  TConsoleSystem& system_;
  const TConsoleStop& stop_;
  bool quiet_;
  bool running_ = false;
  bool noFiles_ = false;
  widgets::TLineStore lines_;
  std::string pending_;  // lines printed but not yet written, each with its CR LF
  std::string heldFolder_, heldFile_;
  TClock::time_point written_{};
  TClock::time_point sampled_{};
  const TByteProgress* progress_ = nullptr;
  TProgressMeter meter_;
  std::string progressShown_;  // the progress line on the console, empty when none
};
