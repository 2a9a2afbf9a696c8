// A read-only multi-line edit control used as a result pane: lines are appended at the end, so the
// pane's text is always its lines joined with CR LF, however many lines a run writes. Lines come
// as UTF-8 and are shown through the wide calls, so any name reads right.
#pragma once

#include <windows.h>

#include <chrono>
#include <cstddef>
#include <initializer_list>
#include <string>

class TTextPane {
 public:
  TTextPane() = default;
  // Takes over an existing EDIT control (created wide) and lifts its default 32K text limit.
  void Attach(HWND edit);
  HWND Handle() const { return edit_; }

  void Clear();
  // Adds one UTF-8 line at the end of the text; the caret ends behind it and the pane scrolls to
  // it.
  void AppendLine(const std::string& line);
  // Replaces the whole text with the given UTF-8 lines (the pane's initial text).
  void SetLines(std::initializer_list<std::string> lines);

  // While a run is active the lines are handed to the control in batches, a few times a second:
  // every hand-over scrolls and repaints the pane, which costs far more than the text itself.
  // Ending the batching hands over what is still held.
  void SetBatching(bool batching);
  void Flush();
  // Hands over what is held once the batch interval has passed since the last hand-over.
  void FlushIfDue();

 private:
  static constexpr std::chrono::milliseconds kBatchInterval{150};

  HWND edit_ = nullptr;
  std::size_t lineCount_ = 0;  // lines appended since the last clear; the first has no break
  bool batching_ = false;
  std::string pending_;  // UTF-8 text not yet in the control
  std::chrono::steady_clock::time_point lastFlush_{};
};
