// Result pane over a read-only EDIT control; see text_pane.h.
#include "app/text_pane.h"

#include <climits>

#include "widgets/display_text.h"

void TTextPane::Attach(HWND edit) {
  edit_ = edit;
  // 0 lifts the limit to the largest the control supports: a make run over 100,000 files writes
  // over 200,000 lines, and none may be lost.
  SendMessageW(edit_, EM_SETLIMITTEXT, 0, 0);
  lineCount_ = 0;
  pending_.clear();
}

void TTextPane::Clear() {
  pending_.clear();
  SetWindowTextW(edit_, L"");
  lineCount_ = 0;
}

void TTextPane::AppendLine(const std::string& line) {
  if (lineCount_ > 0) pending_ += "\r\n";
  pending_ += line;
  ++lineCount_;
  if (batching_) {
    FlushIfDue();
  } else {
    Flush();
  }
}

void TTextPane::FlushIfDue() {
  if (std::chrono::steady_clock::now() - lastFlush_ >= kBatchInterval) Flush();
}

void TTextPane::Flush() {
  if (pending_.empty()) return;
  // A position past the end is clamped to the end; asking for the text length instead would cost
  // time in proportion to the text on every hand-over.
  SendMessageW(edit_, EM_SETSEL, INT_MAX, INT_MAX);
  SendMessageW(edit_, EM_REPLACESEL, FALSE,
               reinterpret_cast<LPARAM>(gui::Utf8Wide(pending_).c_str()));
  pending_.clear();
  lastFlush_ = std::chrono::steady_clock::now();
}

void TTextPane::SetBatching(bool batching) {
  batching_ = batching;
  if (!batching_) Flush();
}

void TTextPane::SetLines(std::initializer_list<std::string> lines) {
  std::string text;
  bool first = true;
  for (const std::string& line : lines) {
    if (!first) text += "\r\n";
    text += line;
    first = false;
  }
  pending_.clear();
  SetWindowTextW(edit_, gui::Utf8Wide(text).c_str());
  lineCount_ = lines.size();
}
