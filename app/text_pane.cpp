// Result pane over a read-only EDIT control; see text_pane.h.
#include "app/text_pane.h"

#include <climits>

void TTextPane::Attach(HWND edit) {
  edit_ = edit;
  // 0 lifts the limit to the largest the control supports: a make run over 100,000 files writes
  // over 200,000 lines, and none may be lost.
  SendMessageA(edit_, EM_SETLIMITTEXT, 0, 0);
  lineCount_ = 0;
}

void TTextPane::Clear() {
  SetWindowTextA(edit_, "");
  lineCount_ = 0;
}

void TTextPane::AppendLine(const std::string& line) {
  // A position past the end is clamped to the end; asking for the text length instead would cost
  // time in proportion to the text on every line.
  SendMessageA(edit_, EM_SETSEL, INT_MAX, INT_MAX);
  const std::string text = lineCount_ == 0 ? line : "\r\n" + line;
  SendMessageA(edit_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
  ++lineCount_;
}

void TTextPane::SetLines(std::initializer_list<std::string> lines) {
  std::string text;
  bool first = true;
  for (const std::string& line : lines) {
    if (!first) text += "\r\n";
    text += line;
    first = false;
  }
  SetWindowTextA(edit_, text.c_str());
  lineCount_ = lines.size();
}
