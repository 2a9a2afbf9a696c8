// A read-only multi-line edit control used as a result pane: lines are appended at the end, so the
// pane's text is always its lines joined with CR LF, however many lines a run writes.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

class TTextPane {
 public:
  TTextPane() = default;
  // Takes over an existing EDIT control and lifts its default 32K text limit.
  void Attach(HWND edit);
  HWND Handle() const { return edit_; }

  void Clear();
  // Adds one line at the end of the text; the caret ends behind it and the pane scrolls to it.
  void AppendLine(const std::string& line);
  // Replaces the whole text with the given lines (the pane's initial text).
  void SetLines(std::initializer_list<std::string> lines);

 private:
  HWND edit_ = nullptr;
  std::size_t lineCount_ = 0;  // lines appended since the last clear; the first has no break
};
