// What a make or check run needs of its window: a pane to write lines into, a status line, a way
// to let pending window messages run, the stop and pause flags, the "nothing to do" box, the
// enabling rule and the progress in bytes.
// The main window implements it over its controls; tests implement it with a recorder.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "texts/texts.h"

enum class TRunKind { Make, Check };

// Where the bytes of a piece of shown text come from. The program's own texts are GBK whatever
// the system; names and paths are held in UTF-8; system texts and the bytes of a checkfile stored
// in the system's code page are in that code page. The window converts each piece from its own
// form before joining them, so that a line reads right on any code page.
enum class TTextSource : unsigned char {
  Program,  // the program's own texts (GBK, code page 936); ASCII digits and letters too
  System,   // system texts and stored checkfile bytes: the system's ANSI code page
  Utf8,     // names and paths
};

struct TTextPiece {
  std::string_view text;
  TTextSource source;
};

inline TTextPiece ProgramText(std::string_view text) { return {text, TTextSource::Program}; }
inline TTextPiece SystemText(std::string_view text) { return {text, TTextSource::System}; }
inline TTextPiece Utf8Text(std::string_view text) { return {text, TTextSource::Utf8}; }

// A pane line or a status text: its pieces, first to last, as a braced list or an array of them.
// The pieces only live for the call.
class TViewText {
 public:
  TViewText() = default;
  TViewText(std::initializer_list<TTextPiece> pieces) : list_(pieces) {}
  TViewText(const TTextPiece* begin, const TTextPiece* end) : begin_(begin), end_(end) {}
  const TTextPiece* begin() const { return begin_ ? begin_ : list_.begin(); }
  const TTextPiece* end() const { return begin_ ? end_ : list_.end(); }
  std::size_t size() const { return static_cast<std::size_t>(end() - begin()); }

 private:
  std::initializer_list<TTextPiece> list_;  // a braced list, or
  const TTextPiece* begin_ = nullptr;       // an array
  const TTextPiece* end_ = nullptr;
};

// A text of the program's with its "%1" to "%9" filled by pieces of any source (a path, a
// count), as one view text; it refers to the pattern and the pieces, which must outlive it.
class TFilledText {
 public:
  TFilledText(std::string_view pattern, TViewText args);
  operator TViewText() const { return {pieces_, pieces_ + size_}; }

 private:
  static constexpr std::size_t kMostPieces = 19;  // nine arguments and the text around them
  TTextPiece pieces_[kMostPieces];
  std::size_t size_ = 0;
};

// The pieces' bytes joined as they stand: the text as a system whose code page is GBK shows it.
std::string JoinedBytes(TViewText text);

class TShownText;
// The text in UTF-8, each piece converted from its own form: what the window's pane holds of a
// line, and what the console program prints. Bytes that are not UTF-8 (a damaged checkfile's) come
// out as the stand-in character.
std::string ViewTextUtf8(TViewText text);
std::string ViewTextUtf8(const TShownText& text);

// A view text that keeps its own bytes, for a text made now and shown later (an error's message).
class TShownText {
 public:
  TShownText() = default;
  TShownText(TViewText text) { Assign(text); }
  // Takes `text`'s pieces, keeping the room this text had (a status set for every file).
  void Assign(TViewText text);
  std::size_t size() const { return ends_.size(); }
  TTextPiece operator[](std::size_t i) const;
  const std::string& Joined() const { return bytes_; }  // as JoinedBytes
  std::vector<TTextPiece> Pieces() const;               // for a view text of them

 private:
  std::string bytes_;
  std::vector<std::pair<std::size_t, TTextSource>> ends_;  // where each piece ends, its source
};

// How far a run is in bytes of file content, counted by the threads that list and digest the
// files as they go; the window samples it while the run is active.
struct TByteProgress {
  std::atomic<std::uint64_t> done{0};   // bytes digested
  std::atomic<std::uint64_t> total{0};  // bytes of the files to digest, as far as known
  std::atomic<bool> totalKnown{false};  // the listing has ended: `total` no longer grows
};

class TRunView {
 public:
  virtual ~TRunView() = default;

  virtual void ClearPane() = 0;                 // the run's own pane
  virtual void AppendLine(TViewText line) = 0;  // one line at the end of that pane
  virtual void SetStatus(TViewText text) = 0;   // the status line under the pages
  // Lets pending window messages run. The window may skip this when it let them run a moment
  // ago, and may hold back the pane's lines and the status text for a while meanwhile.
  virtual void ProcessMessages() = 0;
  // Shows every line and status text held back, and lets pending messages run, now.
  virtual void ShowNow() = 0;
  virtual bool AbortRequested() const = 0;  // the stop button was pressed
  // The window was asked to close while the run goes on. After a stop the run then no longer
  // waits for a read that does not end.
  virtual bool CloseRequested() const = 0;
  virtual void ClearAbortRequest() = 0;  // a new run starts
  virtual void ShowNoFilesBox() = 0;     // modal "No files to work with!"

  // The enabling rule: a make run disables the start, folder and tab controls and enables stop;
  // a check run disables the tab control and the open button and enables stop. Ending a run
  // also ends the progress shown for it.
  virtual void SetRunning(TRunKind kind, bool running) = 0;
  // The run's byte counts, to be sampled until the run ends (null: none).
  virtual void SetByteProgress(const TByteProgress* progress) = 0;

  // Set by the window while the user holds the run paused; the threads that read files look at it
  // from their own threads and start no read while it is set.
  std::atomic<bool>& PauseFlag() { return paused_; }

  // The language of the view's texts. A run takes it when it starts and keeps it to its end.
  texts::TLanguage Language() const { return language_; }
  void SetLanguage(texts::TLanguage language) { language_ = language; }

 private:
  std::atomic<bool> paused_{false};
  texts::TLanguage language_ = texts::TLanguage::Chinese;
};
