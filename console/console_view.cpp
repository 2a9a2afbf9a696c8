// The console program's run view; see console_view.h.
#include "console/console_view.h"

#include "catalogue/run_texts.h"

namespace {

// Lines are written a few times a second, or sooner when this much is held back: a write for
// every line of a check over millions of files would cost more than the check.
constexpr std::chrono::milliseconds kWriteInterval{100};
constexpr std::size_t kWriteSize = 64 << 10;
// As in the window: the progress line changes four times a second at most.
constexpr std::chrono::milliseconds kProgressInterval{250};

bool FirstPieceIs(TViewText line, std::string_view text) {
  return line.size() > 0 && line.begin()->source == TTextSource::Program &&
         line.begin()->text == text;
}

}  // namespace

TConsoleView::TConsoleView(TConsoleSystem& system, const TConsoleStop& stop, bool quiet)
    : system_(system), stop_(stop), quiet_(quiet) {}

void TConsoleView::ClearPane() {
  // A run clears its pane before its first line.
  lines_.Clear();
  pending_.clear();
}

bool TConsoleView::Routine(TViewText line) const {
  using texts::TText;
  if (line.size() == 1 &&
      (FirstPieceIs(line, "") || FirstPieceIs(line, Say(*this, TText::ResultsDoneLine))))
    return true;
  for (const TText routine :
       {TText::FolderLine, TText::FileLine, TText::MatchedLine, TText::CheckingLine})
    if (line.size() == 2 && FirstPieceIs(line, Say(*this, routine))) return true;
  return false;
}

void TConsoleView::AppendLine(TViewText line) {
  if (!quiet_ || !Routine(line)) {
    if (quiet_ && running_) {
      if (!heldFolder_.empty()) Print(heldFolder_);
      if (!heldFile_.empty()) Print(heldFile_);
    }
    heldFolder_.clear();
    heldFile_.clear();
    Print(ViewTextUtf8(line));
    return;
  }
  HoldContext(line);
}

void TConsoleView::HoldContext(TViewText line) {
  if (FirstPieceIs(line, Say(*this, texts::TText::FolderLine))) {
    heldFolder_ = ViewTextUtf8(line);
    heldFile_.clear();
  } else if (FirstPieceIs(line, Say(*this, texts::TText::FileLine))) {
    heldFile_ = ViewTextUtf8(line);
  }
}

void TConsoleView::Print(const std::string& utf8) {
  lines_.Append(utf8);
  pending_ += utf8;
  pending_ += "\r\n";
  if (pending_.size() >= kWriteSize) Flush();
}

void TConsoleView::Flush() {
  if (pending_.empty()) return;
  HideProgress();
  system_.WriteOutput(pending_);
  pending_.clear();
  written_ = TClock::now();
}

void TConsoleView::ProcessMessages() {
  const TClock::time_point now = TClock::now();
  // Beside a progress line, lines are written as it is redrawn.
  if (progress_) {
    if (now - sampled_ >= kProgressInterval) ShowProgress(now);
  } else if (now - written_ >= kWriteInterval) {
    Flush();
  }
}

void TConsoleView::ShowNow() {
  Flush();
  // The make stops walking here and goes on writing: nothing held is about a file any more.
  heldFolder_.clear();
  heldFile_.clear();
}

void TConsoleView::ShowNoFilesBox() {
  WriteError(ViewTextUtf8({ProgramText(texts::Text(Language(), texts::TText::NoFilesBox))}));
}

void TConsoleView::SetRunning(TRunKind, bool running) {
  running_ = running;
  if (!running) HideProgress();
}

void TConsoleView::SetByteProgress(const TByteProgress* progress) {
  progress_ = system_.ShowsProgress() ? progress : nullptr;
  meter_ = TProgressMeter();
  if (!progress_) HideProgress();
}

void TConsoleView::ShowProgress(TClock::time_point now) {
  sampled_ = now;
  meter_.Add({std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()),
              progress_->done.load(std::memory_order_relaxed),
              progress_->total.load(std::memory_order_relaxed), progress_->totalKnown.load(),
              false});
  const std::string text = ViewTextUtf8({ProgramText(meter_.Shown(Language()).text)});
  if (text == progressShown_ && pending_.empty()) return;
  Flush();  // the lines held back stand above it
  system_.ShowProgress(text);
  progressShown_ = std::move(text);
}

void TConsoleView::HideProgress() {
  if (progressShown_.empty()) return;
  system_.ShowProgress("");
  progressShown_.clear();
}

void TConsoleView::Finish() {
  Flush();
  HideProgress();
}

void TConsoleView::WriteError(std::string_view utf8) {
  Finish();
  std::string line(utf8);
  // A system's text may end with its own line break.
  while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.pop_back();
  system_.WriteError(line + "\r\n");
}
