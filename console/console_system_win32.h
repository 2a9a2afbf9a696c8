// The console program's side of Windows: standard output and error (UTF-16 to a console through
// the console's own call, UTF-8 to a pipe or a file), the progress line redrawn in place on the
// console, the console's control events as the run's stop, and the background mode.
#pragma once

#include <windows.h>

#include <atomic>
#include <thread>

#include "console/console_view.h"

class TWindowsConsole : public TConsoleSystem {
 public:
  // Ctrl+C, Ctrl+Break, closing the console, a logoff and a shutdown request `stop` while this
  // lives; `stop` must outlive the process's end, since a close, a logoff or a shutdown holds the
  // thread that was told of it until then.
  explicit TWindowsConsole(TConsoleStop& stop);
  ~TWindowsConsole() override;
  TWindowsConsole(const TWindowsConsole&) = delete;
  TWindowsConsole& operator=(const TWindowsConsole&) = delete;

  void WriteOutput(std::string_view text) override { output_.Write(text); }
  void WriteError(std::string_view text) override { error_.Write(text); }
  bool ShowsProgress() const override { return error_.Console(); }
  void ShowProgress(std::string_view text) override;
  bool EnterBackgroundMode(std::string& why) override;

 private:
  // A standard handle, which the process does not own.
  class TStream {
   public:
    explicit TStream(DWORD which);
    bool Console() const { return console_; }
    HANDLE Handle() const { return handle_; }
    void Write(std::string_view utf8) const;

   private:
    HANDLE handle_;
    bool console_ = false;
  };

  // The program takes in the window library (the core's platform layer uses it and the shell's),
  // so the system tells a logoff or a shutdown to the process's windows, not to its console
  // handler: a hidden window on a thread of its own hears of it.
  class TSessionWatch {
   public:
    TSessionWatch();
    ~TSessionWatch();
    TSessionWatch(const TSessionWatch&) = delete;
    TSessionWatch& operator=(const TSessionWatch&) = delete;

   private:
    void Run();
    std::atomic<DWORD> threadId_{0};  // set once the thread has its message queue
    std::thread thread_;
  };

  TSessionWatch sessionWatch_;
  TStream output_{STD_OUTPUT_HANDLE};
  TStream error_{STD_ERROR_HANDLE};
  bool progressShown_ = false;
  COORD progressAt_{};  // where the progress line begins
};
