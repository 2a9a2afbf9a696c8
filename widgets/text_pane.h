// The result pane of the make and check pages: a read-only view of many lines that holds its text
// in the program (see line_store.h) and draws only the rows on the screen, so that adding a line
// costs the same at the millionth line as at the first. It works as a read-only multi-line edit
// box does: scrolling, selecting with mouse and keyboard, select all, copy, its text as the
// window's text, the edit box's messages for lines and positions, and to accessibility clients
// (screen readers, magnifiers) a read-only text box whose value is its text. Its whole text can
// be saved as a report file.
#pragma once

#include <windows.h>

#include <chrono>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "texts/texts.h"
#include "widgets/line_store.h"

// The pane's window class, for layout tables that create their controls by class name.
#define HT_TEXT_PANE_CLASS "THashtallyTextPane"

namespace widgets {

class TTextPane {
 public:
  TTextPane() = default;
  // `reportName` names what the pane reports ("make", "check") in the default name of a saved
  // report: "Hashtally-<reportName>-<date>.txt".
  explicit TTextPane(std::string reportName) : reportName_(std::move(reportName)) {}
  TTextPane(const TTextPane&) = delete;
  TTextPane& operator=(const TTextPane&) = delete;
  ~TTextPane();

  // Registers the window class; done once per process, later calls change nothing.
  static void Register(HINSTANCE instance);
  // A window of the class becomes this pane's window when the pane is its creation data (the last
  // argument of CreateWindowEx); Create makes one so. The pane outlives its window.
  HWND Create(HWND parent, int id, const RECT& bounds, DWORD style, DWORD exStyle);
  HWND Handle() const { return window_; }

  void Clear();
  // Adds one line of UTF-8 at the end; the caret ends behind it and the view follows it.
  void AppendLine(std::string_view utf8);
  // Replaces the whole text with the given lines (the pane's initial text).
  void SetLines(std::initializer_list<std::string_view> lines);

  // While a run is active the screen catches up with the lines a few times a second: scrolling
  // and repainting cost far more than keeping a line. Ending the batching catches up at once.
  void SetBatching(bool batching);
  // The language of the pane's menu, boxes and save dialog.
  void SetLanguage(texts::TLanguage language) { language_ = language; }
  void Flush();
  // Catches up once the batch interval has passed since it last did.
  void FlushIfDue();

 private:
  static constexpr std::chrono::milliseconds kBatchInterval{150};

  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void OnPaint();
  void OnSize();
  void OnSetFont(HFONT font);
  void OnFocus(bool gained);
  void OnKeyDown(WPARAM key);
  void OnButtonDown(POINT point, bool extend);
  void OnDoubleClick(POINT point);
  void OnMouseMove(POINT point);
  void OnDragTimer();
  void OnEndDrag();
  void OnWheel(int delta, bool horizontal);
  void OnScroll(int bar, int code);
  void OnContextMenu(POINT screen);
  LRESULT OnGetText(std::size_t room, wchar_t* buffer) const;
  void OnSetText(const wchar_t* text);
  void OnSetSelection(WPARAM start, LPARAM end);
  LRESULT OnGetSelection(DWORD* start, DWORD* end) const;
  LRESULT OnLineIndex(WPARAM line) const;
  LRESULT OnLineFromChar(WPARAM index) const;
  LRESULT OnLineLength(WPARAM index) const;
  LRESULT OnGetLine(WPARAM line, wchar_t* buffer) const;
  LRESULT OnPosFromChar(WPARAM index);
  LRESULT OnCharFromPos(POINT point);
  // Tells accessibility clients that the value changed; they read the text when they want it.
  void NotifyTextChanged() const;

  // Character widths, measured with the pane's font once per 256 characters.
  int CharacterWidth(HDC dc, char32_t c);
  // Widths of clusters that are more than one character of the basic plane, as the edit box lays
  // them out; a few thousand kept.
  int ClusterWidth(HDC dc, std::string_view cluster);
  // Draws the clusters of the row being painted that ExtTextOutW cannot, within `clip`.
  void DrawRowClusters(HDC dc, std::string_view line, int y, const RECT& clip) const;
  struct TCluster {
    std::size_t begin;
    std::size_t end;
    char32_t first;  // its first character
    bool single;     // one character of the basic plane, drawn by ExtTextOutW
  };
  // Calls visit(cluster, left, width) for the clusters of `line` in order, `left` counted from the
  // line's start, until visit returns false.
  template <typename Visit>
  void WalkLine(HDC dc, std::string_view line, Visit visit);
  int LineWidth(HDC dc, std::string_view line);
  int OffsetX(HDC dc, std::size_t line, std::size_t offset);
  std::size_t OffsetAtX(HDC dc, std::size_t line, int x);

  void PaintRow(HDC dc, std::size_t line, const RECT& row, bool showSelection);
  int VisibleRows() const;
  int ClientWidth() const;
  std::size_t LastTopLine() const;
  void UpdateScrollBars();
  // Scrolls to show `topLine` at the top and `scrollX` pixels from the text's left edge, both
  // kept within the text.
  void ScrollTo(std::size_t topLine, long long scrollX);
  void ScrollLines(long long delta);
  void MeasureNewLines();
  // Brings the scroll bars, the screen and the caret up to date with the lines held.
  void ShowNewText();
  void ShowCaretPosition();
  POINT CaretPoint();
  TTextPosition HitTest(POINT point);
  void MoveCaret(TTextPosition to, bool extend, bool keepColumn = false);
  // Up and down by `delta` rows, keeping to the column the moves started from.
  void MoveRows(long long delta, bool extend);
  POINT InsideView(POINT point) const;
  void EnsureCaretVisible();
  void SelectAll();
  void CopySelection();
  // Asks for a file in the save dialog and saves the whole text there (see report_file.h).
  void SaveAs();
  bool AskReportPath(std::wstring& chosen) const;
  // A box with the stop icon over the pane's top-level window.
  void ShowStopBox(const std::wstring& text) const;
  // Returns null when the selection is on the clipboard, or else the program text that says why
  // it is not.
  // The box's text when the copy failed.
  std::optional<texts::TText> PutSelectionOnClipboard();
  std::wstring Say(texts::TText name) const;  // the text in the pane's language
  // Writes the text from `from` to `to` as UTF-16 into `out`, at most `room` units; returns the
  // units written. With a null `out`, returns the units the text needs.
  std::size_t WriteUtf16(TTextPosition from, TTextPosition to, wchar_t* out,
                         std::size_t room) const;

  HWND window_ = nullptr;
  std::string reportName_ = "report";
  texts::TLanguage language_ = texts::TLanguage::Chinese;
  TLineStore lines_;
  TSelection selection_;
  int column_ = -1;  // the x that up and down keep to; -1: the caret's own

  HFONT font_ = nullptr;
  int lineHeight_ = 16;
  int averageWidth_ = 7;
  int margin_ = 3;
  std::vector<std::uint16_t> widths_;  // per character below U+10000; kUnknownWidth until asked
  std::unordered_map<std::string, int> clusterWidths_;  // by the cluster's UTF-8

  std::size_t topLine_ = 0;
  int scrollX_ = 0;
  int widest_ = 0;  // widest line measured, in pixels
  std::size_t measuredLines_ = 0;

  bool focused_ = false;
  bool dragging_ = false;
  int wheelRest_ = 0;  // wheel movement not yet worth a line
  bool batching_ = false;
  bool behind_ = false;  // lines were added since the screen last caught up
  std::chrono::steady_clock::time_point lastFlush_{};

  std::wstring rowText_;  // the row being painted, reused from row to row
  std::vector<INT> rowAdvances_;
  struct TPlacedCluster {
    std::size_t begin;
    std::size_t end;
    int x;
  };
  std::vector<TPlacedCluster> rowClusters_;  // its clusters that are not single characters
};

}  // namespace widgets
