// The result pane's window: a window class of its own that paints the visible rows of its line
// store with the pane's font, and answers the messages of a read-only multi-line edit box.
#include <windows.h>
// The system headers below need windows.h first.
#include <commdlg.h>
#include <shlobj.h>
#include <usp10.h>
#include <windowsx.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <memory>
#include <optional>

#include "platform/clock.h"
#include "platform/wide_path_win32.h"
#include "widgets/display_text.h"
#include "widgets/gui_helpers.h"
#include "widgets/report_file.h"
#include "widgets/text_pane.h"

namespace widgets {

namespace {

constexpr std::uint16_t kUnknownWidth = 0xFFFF;
constexpr UINT_PTR kDragTimer = 1;
constexpr UINT kDragInterval = 50;  // milliseconds between the steps of scrolling while dragging
constexpr int kTabColumns = 8;
constexpr int kTopMargin = 1;  // pixels above the first row, as in an edit box
constexpr std::size_t kMaxClusterWidths = 4096;
// What accessibility clients are told the pane works as: the index of the edit box among the
// standard controls (65536 + 4), as a control derived from one answers.
constexpr LRESULT kEditClassIndex = 65536 + 4;
enum TMenuCommand { CommandCopy = 1, CommandSelectAll, CommandSaveAs };

using texts::TText;

POINT PointOf(LPARAM lParam) { return {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}; }

// A short text laid out as an edit box lays it out (Uniscribe, with the fonts it falls back on
// for characters the pane's font lacks); freed when it goes. Null when the layout failed.
class TScriptString {
 public:
  TScriptString(HDC dc, const std::wstring& text) {
    const int length = static_cast<int>(text.size());
    if (FAILED(ScriptStringAnalyse(dc, text.data(), length, length * 3 / 2 + 16, -1,
                                   SSA_GLYPHS | SSA_FALLBACK | SSA_LINK, 0, nullptr, nullptr,
                                   nullptr, nullptr, nullptr, &analysis_)))
      analysis_ = nullptr;
  }
  TScriptString(const TScriptString&) = delete;
  TScriptString& operator=(const TScriptString&) = delete;
  ~TScriptString() {
    if (analysis_) ScriptStringFree(&analysis_);
  }
  SCRIPT_STRING_ANALYSIS Get() const { return analysis_; }

 private:
  SCRIPT_STRING_ANALYSIS analysis_ = nullptr;
};

// The user's Documents folder; empty when the system has none to give.
std::wstring DocumentsFolder() {
  struct TTaskFree {
    void operator()(wchar_t* text) const { CoTaskMemFree(text); }
  };
  wchar_t* path = nullptr;
  const HRESULT result = SHGetKnownFolderPath(FOLDERID_Documents, 0, nullptr, &path);
  const std::unique_ptr<wchar_t, TTaskFree> owner(path);
  return SUCCEEDED(result) && path ? std::wstring(path) : std::wstring();
}

// The pane's device context with the pane's font chosen, for measuring outside painting.
struct TFontDc {
  gui::TWindowDc window;
  gui::TSelectObject font;
  TFontDc(HWND pane, HFONT paneFont) : window(pane), font(window.Get(), paneFont) {}
  HDC Get() const { return window.Get(); }
};

}  // namespace

TTextPane::~TTextPane() {
  if (window_) DestroyWindow(window_);
}

void TTextPane::Register(HINSTANCE instance) {
  WNDCLASSEXW pane{};
  pane.cbSize = sizeof pane;
  if (GetClassInfoExW(instance, L"" HT_TEXT_PANE_CLASS, &pane)) return;
  pane.style = CS_DBLCLKS;
  pane.lpfnWndProc = WindowProc;
  pane.hInstance = instance;
  pane.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_IBEAM));
  pane.lpszClassName = L"" HT_TEXT_PANE_CLASS;
  RegisterClassExW(&pane);
}

HWND TTextPane::Create(HWND parent, int id, const RECT& bounds, DWORD style, DWORD exStyle) {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  Register(instance);
  CreateWindowExW(exStyle, L"" HT_TEXT_PANE_CLASS, L"", style, bounds.left, bounds.top,
                  bounds.right - bounds.left, bounds.bottom - bounds.top, parent,
                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, this);
  return window_;
}

LRESULT CALLBACK TTextPane::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* pane = static_cast<TTextPane*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    if (!pane) return FALSE;  // the window holds nothing without its pane
    pane->window_ = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(pane));
  }
  auto* pane = reinterpret_cast<TTextPane*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!pane) return DefWindowProcW(window, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    pane->window_ = nullptr;
    return DefWindowProcW(window, message, wParam, lParam);
  }
  // No exception may leave through the system's frames: a message that ran out of memory (a copy
  // of a huge selection) does nothing.
  try {
    return pane->HandleMessage(message, wParam, lParam);
  } catch (...) {
    return 0;
  }
}

LRESULT TTextPane::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT:
      OnPaint();
      return 0;
    case WM_ERASEBKGND:
      return 1;  // painting covers every pixel
    case WM_SIZE:
      OnSize();
      return 0;
    case WM_SETFONT:
      OnSetFont(reinterpret_cast<HFONT>(wParam));
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(font_);
    case WM_GETDLGCODE:  // as a read-only multi-line edit box: Tab and Enter stay the dialog's
      return DLGC_WANTCHARS | DLGC_WANTARROWS | DLGC_HASSETSEL;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      OnFocus(message == WM_SETFOCUS);
      return 0;
    case WM_KEYDOWN:
      OnKeyDown(wParam);
      return 0;
    case WM_LBUTTONDOWN:
      OnButtonDown(PointOf(lParam), (wParam & MK_SHIFT) != 0);
      return 0;
    case WM_LBUTTONDBLCLK:
      OnDoubleClick(PointOf(lParam));
      return 0;
    case WM_MOUSEMOVE:
      OnMouseMove(PointOf(lParam));
      return 0;
    case WM_LBUTTONUP:
      ReleaseCapture();  // the drag ends with WM_CAPTURECHANGED
      return 0;
    case WM_CAPTURECHANGED:
      OnEndDrag();
      return 0;
    case WM_TIMER:
      if (wParam == kDragTimer) OnDragTimer();
      return 0;
    case WM_MOUSEWHEEL:
    case WM_MOUSEHWHEEL:
      OnWheel(GET_WHEEL_DELTA_WPARAM(wParam), message == WM_MOUSEHWHEEL);
      return 0;
    case WM_VSCROLL:
    case WM_HSCROLL:
      OnScroll(message == WM_VSCROLL ? SB_VERT : SB_HORZ, LOWORD(wParam));
      return 0;
    case WM_CONTEXTMENU:
      OnContextMenu(PointOf(lParam));
      return 0;
    case WM_COPY:
      CopySelection();
      return 0;
    case WM_GETTEXTLENGTH:
      return static_cast<LRESULT>(lines_.Utf16Length());
    case WM_GETTEXT:
      return OnGetText(wParam, reinterpret_cast<wchar_t*>(lParam));
    case WM_SETTEXT:
      OnSetText(reinterpret_cast<const wchar_t*>(lParam));
      return TRUE;
    case EM_SETSEL:
      OnSetSelection(wParam, lParam);
      return 0;
    case EM_GETSEL:
      return OnGetSelection(reinterpret_cast<DWORD*>(wParam), reinterpret_cast<DWORD*>(lParam));
    case EM_GETLINECOUNT:
      return static_cast<LRESULT>(std::max<std::size_t>(1, lines_.LineCount()));
    case EM_LINEINDEX:
      return OnLineIndex(wParam);
    case EM_LINEFROMCHAR:
      return OnLineFromChar(wParam);
    case EM_LINELENGTH:
      return OnLineLength(wParam);
    case EM_GETLINE:
      return OnGetLine(wParam, reinterpret_cast<wchar_t*>(lParam));
    case EM_POSFROMCHAR:
      return OnPosFromChar(wParam);
    case EM_CHARFROMPOS:
      return OnCharFromPos(PointOf(lParam));
    case WM_GETOBJECT:
      // Asked which standard control the pane works as, it answers "an edit box": the system's
      // accessible object for the pane is then a text box, read-only by the pane's style, whose
      // value is the pane's text, produced only when a client asks for it.
      if (static_cast<DWORD>(lParam) == static_cast<DWORD>(OBJID_QUERYCLASSNAMEIDX))
        return kEditClassIndex;
      break;
  }
  return DefWindowProcW(window_, message, wParam, lParam);
}

void TTextPane::Clear() {
  lines_.Clear();
  selection_ = TSelection();
  column_ = -1;
  topLine_ = 0;
  scrollX_ = 0;
  widest_ = 0;
  measuredLines_ = 0;
  behind_ = false;
  ShowNewText();
}

void TTextPane::AppendLine(std::string_view utf8) {
  lines_.Append(utf8);
  behind_ = true;
  if (batching_) {
    FlushIfDue();
  } else {
    Flush();
  }
}

void TTextPane::SetLines(std::initializer_list<std::string_view> lines) {
  Clear();
  for (std::string_view line : lines) lines_.Append(line);
  ShowNewText();
}

void TTextPane::SetBatching(bool batching) {
  batching_ = batching;
  if (!batching_) Flush();
}

void TTextPane::FlushIfDue() {
  if (behind_ && std::chrono::steady_clock::now() - lastFlush_ >= kBatchInterval) Flush();
}

void TTextPane::Flush() {
  if (!behind_) return;
  behind_ = false;
  lastFlush_ = std::chrono::steady_clock::now();
  // As after a line appended to an edit box: the caret stands behind the last line, and the view
  // shows it, from the line's start where its end fits.
  selection_.anchor = selection_.caret = lines_.End();
  column_ = -1;
  scrollX_ = 0;
  EnsureCaretVisible();
  ShowNewText();
}

void TTextPane::ShowNewText() {
  if (!window_) return;
  MeasureNewLines();
  UpdateScrollBars();
  InvalidateRect(window_, nullptr, FALSE);
  ShowCaretPosition();
  // While a run is active a client that follows the value would read the whole text a few times a
  // second; it hears of the change once the run ends.
  if (!batching_) NotifyTextChanged();
}

void TTextPane::NotifyTextChanged() const {
  NotifyWinEvent(EVENT_OBJECT_VALUECHANGE, window_, OBJID_CLIENT, CHILDID_SELF);
}

// ---- Measuring

int TTextPane::CharacterWidth(HDC dc, char32_t c) {
  if (widths_.empty()) widths_.assign(0x10000, kUnknownWidth);
  if (widths_[c] == kUnknownWidth) {
    const UINT first = static_cast<UINT>(c) & ~0xFFu;
    INT page[256];
    if (!GetCharWidth32W(dc, first, first + 255, page)) std::fill(page, page + 256, averageWidth_);
    for (int i = 0; i < 256; ++i)
      widths_[first + i] = static_cast<std::uint16_t>(std::clamp(page[i], 0, 0xFFFE));
  }
  return widths_[c];
}

int TTextPane::ClusterWidth(HDC dc, std::string_view cluster) {
  std::string key(cluster);
  const auto known = clusterWidths_.find(key);
  if (known != clusterWidths_.end()) return known->second;
  // A surrogate pair is one glyph, and a mark sits on its base or beside it as the font says:
  // measured whole, as the edit box measures it, never as the sum of its characters.
  const std::wstring text = gui::Utf8Wide(cluster);
  const TScriptString layout(dc, text);
  SIZE size{};
  if (const SIZE* laidOut = layout.Get() ? ScriptString_pSize(layout.Get()) : nullptr) {
    size = *laidOut;
  } else {
    GetTextExtentPoint32W(dc, text.data(), static_cast<int>(text.size()), &size);
  }
  if (clusterWidths_.size() >= kMaxClusterWidths) clusterWidths_.clear();
  clusterWidths_.emplace(std::move(key), size.cx);
  return size.cx;
}

template <typename Visit>
void TTextPane::WalkLine(HDC dc, std::string_view line, Visit visit) {
  const int tab = kTabColumns * averageWidth_;
  int left = 0;
  for (std::size_t at = 0, next = 0; at < line.size();) {
    const char32_t first = DecodeCharacter(line, at, next);
    const std::size_t end = NextCluster(line, at);
    const bool single = end == next && first <= 0xFFFF;
    const int width = !single          ? ClusterWidth(dc, line.substr(at, end - at))
                      : first == U'\t' ? tab - left % tab
                                       : CharacterWidth(dc, first);
    if (!visit(TCluster{at, end, first, single}, left, width)) return;
    left += width;
    at = end;
  }
}

int TTextPane::LineWidth(HDC dc, std::string_view line) {
  int width = 0;
  WalkLine(dc, line, [&width](const TCluster&, int left, int advance) {
    width = left + advance;
    return true;
  });
  return width;
}

int TTextPane::OffsetX(HDC dc, std::size_t line, std::size_t offset) {
  int x = 0;
  WalkLine(dc, lines_.Line(line), [&](const TCluster& cluster, int left, int advance) {
    x = cluster.begin < offset ? left + advance : left;
    return cluster.begin < offset;
  });
  return x;
}

std::size_t TTextPane::OffsetAtX(HDC dc, std::size_t line, int x) {
  const std::string_view text = lines_.Line(line);
  std::size_t found = text.size();
  WalkLine(dc, text, [&](const TCluster& cluster, int left, int advance) {
    if (x >= left + advance / 2) return true;
    found = cluster.begin;
    return false;
  });
  return found;
}

void TTextPane::MeasureNewLines() {
  if (measuredLines_ >= lines_.LineCount()) return;
  const TFontDc dc(window_, font_);
  for (; measuredLines_ < lines_.LineCount(); ++measuredLines_)
    widest_ = std::max(widest_, LineWidth(dc.Get(), lines_.Line(measuredLines_)));
}

// ---- Painting

void TTextPane::OnPaint() {
  const gui::TPaintDc paint(window_);
  const HDC dc = paint.Get();
  const gui::TSelectObject font(dc, font_);
  SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  SetBkColor(dc, GetSysColor(COLOR_WINDOW));
  RECT client;
  GetClientRect(window_, &client);
  // An edit box shows its selection only while it has the focus.
  const bool showSelection = focused_ && !selection_.Empty();
  const RECT top = {client.left, 0, client.right, kTopMargin};
  FillRect(dc, &top, GetSysColorBrush(COLOR_WINDOW));
  for (int row = std::max(0L, paint.Dirty().top - kTopMargin) / lineHeight_;
       kTopMargin + row * lineHeight_ < paint.Dirty().bottom; ++row) {
    const RECT rect = {client.left, kTopMargin + row * lineHeight_, client.right,
                       kTopMargin + (row + 1) * lineHeight_};
    const std::size_t line = topLine_ + static_cast<std::size_t>(row);
    if (line < lines_.LineCount()) {
      PaintRow(dc, line, rect, showSelection);
    } else {
      FillRect(dc, &rect, GetSysColorBrush(COLOR_WINDOW));
    }
  }
}

void TTextPane::PaintRow(HDC dc, std::size_t line, const RECT& row, bool showSelection) {
  // Only the characters inside the row are handed over, each at the advance it was measured with,
  // so that the pixels agree with hit-testing and the cost does not grow with the line.
  rowText_.clear();
  rowAdvances_.clear();
  rowClusters_.clear();
  const std::string_view text = lines_.Line(line);
  const int origin = margin_ - scrollX_;
  int start = origin;
  WalkLine(dc, text, [&](const TCluster& cluster, int left, int width) {
    const int x = origin + left;
    if (x >= row.right) return false;
    if (x + width <= row.left) return true;
    if (rowText_.empty()) start = x;
    // A cluster keeps its room as a blank, and is drawn over it as the edit box draws it.
    if (!cluster.single) rowClusters_.push_back({cluster.begin, cluster.end, x});
    const bool blank = !cluster.single || cluster.first == U'\t';
    rowText_ += blank ? L' ' : static_cast<wchar_t>(cluster.first);
    rowAdvances_.push_back(width);
    return true;
  });
  const auto count = static_cast<UINT>(rowText_.size());
  ExtTextOutW(dc, start, row.top, ETO_OPAQUE | ETO_CLIPPED, &row, rowText_.data(), count,
              rowAdvances_.data());
  DrawRowClusters(dc, text, row.top, row);

  const TTextPosition begin = selection_.Begin();
  const TTextPosition end = selection_.End();
  if (!showSelection || line < begin.line || line > end.line) return;
  RECT selected = row;
  selected.left =
      std::max<LONG>(row.left, origin + (line == begin.line ? OffsetX(dc, line, begin.offset) : 0));
  selected.right = std::min<LONG>(
      row.right, origin + (line == end.line ? OffsetX(dc, line, end.offset) : LineWidth(dc, text)));
  if (selected.left >= selected.right) return;
  const COLORREF textColour = SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
  const COLORREF backColour = SetBkColor(dc, GetSysColor(COLOR_HIGHLIGHT));
  ExtTextOutW(dc, start, row.top, ETO_OPAQUE | ETO_CLIPPED, &selected, rowText_.data(), count,
              rowAdvances_.data());
  DrawRowClusters(dc, text, row.top, selected);
  SetTextColor(dc, textColour);
  SetBkColor(dc, backColour);
}

void TTextPane::DrawRowClusters(HDC dc, std::string_view line, int y, const RECT& clip) const {
  if (rowClusters_.empty()) return;
  const int mode = SetBkMode(dc, TRANSPARENT);  // the background is painted already
  for (const TPlacedCluster& cluster : rowClusters_) {
    const TScriptString layout(
        dc, gui::Utf8Wide(line.substr(cluster.begin, cluster.end - cluster.begin)));
    if (layout.Get()) ScriptStringOut(layout.Get(), cluster.x, y, ETO_CLIPPED, &clip, 0, 0, FALSE);
  }
  SetBkMode(dc, mode);
}

void TTextPane::OnSetFont(HFONT font) {
  font_ = font;
  {
    const TFontDc dc(window_, font_);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc.Get(), &metrics);
    lineHeight_ = std::max<int>(1, metrics.tmHeight);
    averageWidth_ = std::max<int>(1, metrics.tmAveCharWidth);
  }
  margin_ = averageWidth_ / 4;  // the left margin of an edit box in the same font
  widths_.clear();
  clusterWidths_.clear();
  widest_ = 0;
  measuredLines_ = 0;
  if (focused_) OnFocus(true);  // a caret of the new line height
  ShowNewText();
}

// ---- Scrolling

int TTextPane::VisibleRows() const {
  RECT client;
  GetClientRect(window_, &client);
  return std::max<int>(1, (client.bottom - kTopMargin) / lineHeight_);
}

int TTextPane::ClientWidth() const {
  RECT client;
  GetClientRect(window_, &client);
  return client.right;
}

std::size_t TTextPane::LastTopLine() const {
  const auto rows = static_cast<std::size_t>(VisibleRows());
  return lines_.LineCount() > rows ? lines_.LineCount() - rows : 0;
}

void TTextPane::UpdateScrollBars() {
  // Bars that are not needed stay, disabled, as an edit box's do.
  SCROLLINFO vertical{};
  vertical.cbSize = sizeof vertical;
  vertical.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
  vertical.nMax = static_cast<int>(
      std::min<std::size_t>(lines_.LineCount() > 0 ? lines_.LineCount() - 1 : 0, INT_MAX));
  vertical.nPage = static_cast<UINT>(VisibleRows());
  vertical.nPos = static_cast<int>(std::min<std::size_t>(topLine_, INT_MAX));
  SetScrollInfo(window_, SB_VERT, &vertical, TRUE);

  SCROLLINFO horizontal = vertical;
  horizontal.nMax = std::max(0, widest_ + 2 * margin_ - 1);
  horizontal.nPage = static_cast<UINT>(std::max(0, ClientWidth()));
  horizontal.nPos = scrollX_;
  SetScrollInfo(window_, SB_HORZ, &horizontal, TRUE);
}

void TTextPane::ScrollTo(std::size_t topLine, long long scrollX) {
  topLine = std::min(topLine, LastTopLine());
  const long long widest = std::max(0, widest_ + 2 * margin_ - ClientWidth());
  const int x = static_cast<int>(std::clamp<long long>(scrollX, 0, widest));
  if (topLine == topLine_ && x == scrollX_) return;
  topLine_ = topLine;
  scrollX_ = x;
  UpdateScrollBars();
  InvalidateRect(window_, nullptr, FALSE);
  ShowCaretPosition();
}

void TTextPane::ScrollLines(long long delta) {
  const long long top = static_cast<long long>(topLine_) + delta;
  ScrollTo(static_cast<std::size_t>(std::max(0LL, top)), scrollX_);
}

void TTextPane::OnSize() {
  UpdateScrollBars();
  ScrollTo(topLine_, scrollX_);  // a bigger pane may show more of the text
  InvalidateRect(window_, nullptr, FALSE);
}

void TTextPane::OnScroll(int bar, int code) {
  SCROLLINFO info{};
  info.cbSize = sizeof info;
  info.fMask = SIF_ALL;  // the 32-bit thumb position too, for texts of a million lines
  GetScrollInfo(window_, bar, &info);
  const bool vertical = bar == SB_VERT;
  const long long step = vertical ? 1 : averageWidth_;
  const long long page = vertical ? VisibleRows() : ClientWidth();
  long long position = vertical ? static_cast<long long>(topLine_) : scrollX_;
  switch (code) {
    case SB_LINEUP:
      position -= step;
      break;
    case SB_LINEDOWN:
      position += step;
      break;
    case SB_PAGEUP:
      position -= page;
      break;
    case SB_PAGEDOWN:
      position += page;
      break;
    case SB_TOP:
      position = 0;
      break;
    case SB_BOTTOM:
      position = LLONG_MAX / 2;
      break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION:
      position = info.nTrackPos;
      break;
    default:
      return;
  }
  position = std::max(0LL, position);
  if (vertical) {
    ScrollTo(static_cast<std::size_t>(position), scrollX_);
  } else {
    ScrollTo(topLine_, position);
  }
}

void TTextPane::OnWheel(int delta, bool horizontal) {
  if (horizontal) {
    ScrollTo(topLine_, scrollX_ + 3LL * averageWidth_ * delta / WHEEL_DELTA);
    return;
  }
  UINT linesPerNotch = 3;
  SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &linesPerNotch, 0);
  wheelRest_ += delta;
  const int notches = wheelRest_ / WHEEL_DELTA;
  wheelRest_ -= notches * WHEEL_DELTA;
  const long long rows = linesPerNotch == WHEEL_PAGESCROLL ? VisibleRows() : linesPerNotch;
  ScrollLines(-notches * rows);
}

// ---- Caret and selection

void TTextPane::OnFocus(bool gained) {
  focused_ = gained;
  if (gained) {
    CreateCaret(window_, nullptr, GetSystemMetrics(SM_CXBORDER), lineHeight_);
    ShowCaretPosition();
    ShowCaret(window_);
  } else {
    DestroyCaret();
  }
  InvalidateRect(window_, nullptr, FALSE);  // the selection shows only with the focus
}

POINT TTextPane::CaretPoint() {
  const TTextPosition caret = selection_.caret;
  RECT client;
  GetClientRect(window_, &client);
  // Rows far off the view are placed just outside it, where the caret does not show.
  const long long row = static_cast<long long>(caret.line) - static_cast<long long>(topLine_);
  const long long y =
      std::clamp<long long>(kTopMargin + row * lineHeight_, -lineHeight_, client.bottom);
  int x = margin_ - scrollX_;
  if (lines_.LineCount() > 0) x += OffsetX(TFontDc(window_, font_).Get(), caret.line, caret.offset);
  return {x, static_cast<LONG>(y)};
}

void TTextPane::ShowCaretPosition() {
  if (!focused_) return;
  const POINT at = CaretPoint();
  SetCaretPos(at.x, at.y);
}

TTextPosition TTextPane::HitTest(POINT point) {
  if (lines_.LineCount() == 0) return {};
  const long long row = point.y < 0 ? -1 : std::max(0L, point.y - kTopMargin) / lineHeight_;
  const auto line = static_cast<std::size_t>(std::clamp<long long>(
      static_cast<long long>(topLine_) + row, 0, static_cast<long long>(lines_.LineCount() - 1)));
  const TFontDc dc(window_, font_);
  return {line, OffsetAtX(dc.Get(), line, point.x - margin_ + scrollX_)};
}

void TTextPane::MoveCaret(TTextPosition to, bool extend, bool keepColumn) {
  selection_.caret = to;
  if (!extend) selection_.anchor = to;
  if (!keepColumn) column_ = -1;
  EnsureCaretVisible();
  InvalidateRect(window_, nullptr, FALSE);
  ShowCaretPosition();
}

void TTextPane::EnsureCaretVisible() {
  if (!window_ || lines_.LineCount() == 0) return;
  MeasureNewLines();
  const TTextPosition caret = selection_.caret;
  const auto rows = static_cast<std::size_t>(VisibleRows());
  std::size_t top = topLine_;
  if (caret.line < top) top = caret.line;
  if (caret.line >= top + rows) top = caret.line - rows + 1;
  // Sideways as an edit box does: by a good part of the width, not pixel by pixel.
  const int x = margin_ + OffsetX(TFontDc(window_, font_).Get(), caret.line, caret.offset);
  const int width = ClientWidth();
  long long scrollX = scrollX_;
  if (x < scrollX_ + margin_) scrollX = x - width / 4;
  if (x >= scrollX_ + width - margin_) scrollX = x - width * 3 / 4;
  ScrollTo(top, scrollX);
}

void TTextPane::SelectAll() { OnSetSelection(0, -1); }

void TTextPane::OnSetSelection(WPARAM start, LPARAM end) {
  const auto first = static_cast<int>(start);
  const auto last = static_cast<int>(end);
  if (first == -1) {
    selection_.anchor = selection_.caret;  // the selection goes, the caret stays
  } else if (first == 0 && last == -1) {
    selection_ = lines_.All();
  } else {
    // An index inside a cluster selects from the cluster's start: the caret never splits one.
    const auto at = [this](int index) {
      const TTextPosition p = lines_.PositionAtUtf16(static_cast<std::size_t>(index));
      if (p.line >= lines_.LineCount()) return p;
      return TTextPosition{p.line, ClusterStart(lines_.Line(p.line), p.offset)};
    };
    selection_.anchor = at(std::max(first, 0));
    selection_.caret = last < 0 ? lines_.End() : at(last);
  }
  column_ = -1;
  InvalidateRect(window_, nullptr, FALSE);
  ShowCaretPosition();
}

// ---- Keyboard and mouse

void TTextPane::OnKeyDown(WPARAM key) {
  const bool shift = GetKeyState(VK_SHIFT) < 0;
  const bool control = GetKeyState(VK_CONTROL) < 0;
  // Ctrl+A, Ctrl+C and Ctrl+S are taken as keys: the dialog manager keeps the characters they
  // type from the pane.
  if (control && (key == VK_INSERT || key == 'C')) CopySelection();
  if (control && key == 'A') SelectAll();
  if (control && key == 'S') {
    SaveAs();
    return;
  }
  if (lines_.LineCount() == 0) return;
  const TTextPosition caret = selection_.caret;
  const std::string_view text = lines_.Line(caret.line);
  switch (key) {
    case VK_LEFT:
      if (!shift && !selection_.Empty()) {
        MoveCaret(selection_.Begin(), false);
      } else if (caret.offset > 0) {
        MoveCaret({caret.line, PreviousCluster(text, caret.offset)}, shift);
      } else if (caret.line > 0) {
        MoveCaret({caret.line - 1, lines_.Line(caret.line - 1).size()}, shift);
      }
      break;
    case VK_RIGHT:
      if (!shift && !selection_.Empty()) {
        MoveCaret(selection_.End(), false);
      } else if (caret.offset < text.size()) {
        MoveCaret({caret.line, NextCluster(text, caret.offset)}, shift);
      } else if (caret.line + 1 < lines_.LineCount()) {
        MoveCaret({caret.line + 1, 0}, shift);
      }
      break;
    case VK_UP:
    case VK_DOWN:
      MoveRows(key == VK_UP ? -1 : 1, shift);
      break;
    case VK_PRIOR:
    case VK_NEXT: {
      const long long page = key == VK_PRIOR ? -VisibleRows() : VisibleRows();
      ScrollLines(page);  // the view turns the page with the caret
      MoveRows(page, shift);
      break;
    }
    case VK_HOME:
      MoveCaret(control ? TTextPosition{} : TTextPosition{caret.line, 0}, shift);
      break;
    case VK_END:
      MoveCaret(control ? lines_.End() : TTextPosition{caret.line, text.size()}, shift);
      break;
  }
}

void TTextPane::MoveRows(long long delta, bool extend) {
  const TTextPosition caret = selection_.caret;
  const TFontDc dc(window_, font_);
  if (column_ < 0) column_ = OffsetX(dc.Get(), caret.line, caret.offset);
  const auto line = static_cast<std::size_t>(
      std::clamp<long long>(static_cast<long long>(caret.line) + delta, 0,
                            static_cast<long long>(lines_.LineCount() - 1)));
  MoveCaret({line, OffsetAtX(dc.Get(), line, column_)}, extend, true);
}

void TTextPane::OnButtonDown(POINT point, bool extend) {
  SetFocus(window_);
  MoveCaret(HitTest(point), extend);
  dragging_ = true;
  SetCapture(window_);
  SetTimer(window_, kDragTimer, kDragInterval, nullptr);
}

void TTextPane::OnDoubleClick(POINT point) {
  const TTextPosition at = HitTest(point);
  if (lines_.LineCount() == 0) return;
  const auto word = WordAround(lines_.Line(at.line), at.offset);
  selection_.anchor = {at.line, word.first};
  MoveCaret({at.line, word.second}, true);
}

POINT TTextPane::InsideView(POINT point) const {
  RECT client;
  GetClientRect(window_, &client);
  // Full rows only, so that a drag held at the bottom edge does not creep on by itself.
  point.x = std::clamp<LONG>(point.x, 0, std::max<LONG>(0, client.right - 1));
  point.y = std::clamp<LONG>(point.y, kTopMargin, kTopMargin + VisibleRows() * lineHeight_ - 1);
  return point;
}

void TTextPane::OnMouseMove(POINT point) {
  if (dragging_) MoveCaret(HitTest(InsideView(point)), true);
}

void TTextPane::OnDragTimer() {
  // A drag held outside the pane scrolls it, a row or a character at a time.
  POINT point;
  GetCursorPos(&point);
  ScreenToClient(window_, &point);
  RECT client;
  GetClientRect(window_, &client);
  const int rows = point.y < 0 ? -1 : point.y >= client.bottom ? 1 : 0;
  const int columns = point.x < 0 ? -1 : point.x >= client.right ? 1 : 0;
  if (rows == 0 && columns == 0) return;
  ScrollLines(rows);
  ScrollTo(topLine_, scrollX_ + columns * averageWidth_);
  MoveCaret(HitTest(InsideView(point)), true);
}

void TTextPane::OnEndDrag() {
  if (!dragging_) return;
  dragging_ = false;
  KillTimer(window_, kDragTimer);
}

void TTextPane::OnContextMenu(POINT screen) {
  SetFocus(window_);
  if (screen.x == -1 && screen.y == -1) {  // from the keyboard: at the caret
    screen = CaretPoint();
    screen.y += lineHeight_;
    ClientToScreen(window_, &screen);
  }
  const gui::TMenu menu(CreatePopupMenu());
  AppendMenuW(menu.Get(), MF_STRING | (selection_.Empty() ? MF_GRAYED : 0), CommandCopy,
              Say(TText::PaneCopy).c_str());
  const UINT empty = lines_.Utf16Length() == 0 ? MF_GRAYED : 0;
  AppendMenuW(menu.Get(), MF_STRING | empty, CommandSelectAll, Say(TText::PaneSelectAll).c_str());
  AppendMenuW(menu.Get(), MF_SEPARATOR, 0, nullptr);
  AppendMenuW(menu.Get(), MF_STRING | empty, CommandSaveAs, Say(TText::PaneSaveAs).c_str());
  const BOOL command = TrackPopupMenu(menu.Get(), TPM_RETURNCMD | TPM_RIGHTBUTTON, screen.x,
                                      screen.y, 0, window_, nullptr);
  if (command == CommandCopy) CopySelection();
  if (command == CommandSelectAll) SelectAll();
  if (command == CommandSaveAs) SaveAs();
}

// ---- Saving the text

void TTextPane::SaveAs() {
  std::wstring chosen;
  if (lines_.Utf16Length() == 0 || !AskReportPath(chosen)) return;
  // A name with no UTF-8 form (a lone surrogate) is refused: a stand-in could name another file.
  std::string path;
  unsigned long error = ERROR_INVALID_NAME;
  if (platform::Utf8Name(chosen.c_str(), path) && SaveReport(lines_, path, error)) return;
  if (error == kReadOnlyReport) return ShowStopBox(Say(TText::ReadOnlyReportBox) + chosen);
  ShowStopBox(Say(TText::SaveFailedBox) + chosen + L"\r\n" +
              gui::SystemWide(gui::SystemErrorText(error)));
}

bool TTextPane::AskReportPath(std::wstring& chosen) const {
  // The date in a form that file names take everywhere: 2026-12-09.
  const platform::LocalDateTime now = platform::LocalNow();
  char date[32];
  std::snprintf(date, sizeof date, "%04d-%02d-%02d", now.Year, now.Month, now.Day);
  const std::wstring name = gui::ProgramWide("Hashtally-" + reportName_ + "-" + date + ".txt");
  // Room for any path the system takes, long paths included.
  std::vector<wchar_t> file(std::max<std::size_t>(name.size() + 1, 32768), L'\0');
  std::copy(name.begin(), name.end(), file.begin());
  const std::wstring filter = gui::DialogFilter(Say(TText::ReportFilter));
  const std::wstring documents = DocumentsFolder();

  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = GetAncestor(window_, GA_ROOT);
  dialog.lpstrFilter = filter.c_str();
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = file.data();
  dialog.nMaxFile = static_cast<DWORD>(file.size());
  dialog.lpstrInitialDir = documents.empty() ? nullptr : documents.c_str();
  dialog.lpstrDefExt = L"txt";
  dialog.Flags =
      OFN_HIDEREADONLY | OFN_ENABLESIZING | OFN_EXPLORER | OFN_OVERWRITEPROMPT | OFN_NOCHANGEDIR;
  if (!GetSaveFileNameW(&dialog)) return false;
  chosen = file.data();
  return true;
}

void TTextPane::ShowStopBox(const std::wstring& text) const {
  MessageBoxW(GetAncestor(window_, GA_ROOT), text.c_str(), L"Hashtally", MB_OK | MB_ICONSTOP);
}

// ---- The text as the system's text

std::size_t TTextPane::WriteUtf16(TTextPosition from, TTextPosition to, wchar_t* out,
                                  std::size_t room) const {
  std::size_t written = 0;
  lines_.VisitText(from, to, [&](std::string_view piece) {
    const int size = static_cast<int>(piece.size());
    if (size == 0 || (out && written >= room)) return;
    const int units = MultiByteToWideChar(CP_UTF8, 0, piece.data(), size, nullptr, 0);
    if (!out) {
      written += static_cast<std::size_t>(units);
    } else if (static_cast<std::size_t>(units) <= room - written) {
      MultiByteToWideChar(CP_UTF8, 0, piece.data(), size, out + written, units);
      written += static_cast<std::size_t>(units);
    } else {  // the last piece that fits in part
      std::wstring whole(static_cast<std::size_t>(units), L'\0');
      MultiByteToWideChar(CP_UTF8, 0, piece.data(), size, &whole[0], units);
      std::copy_n(whole.begin(), room - written, out + written);
      written = room;
    }
  });
  return written;
}

LRESULT TTextPane::OnGetText(std::size_t room, wchar_t* buffer) const {
  if (!buffer || room == 0) return 0;
  const std::size_t written = WriteUtf16({}, lines_.End(), buffer, room - 1);
  buffer[written] = L'\0';
  return static_cast<LRESULT>(written);
}

void TTextPane::OnSetText(const wchar_t* text) {
  Clear();
  const std::wstring_view all = text ? text : L"";
  for (std::size_t start = 0; !all.empty();) {
    const std::size_t end = all.find(L"\r\n", start);
    const std::wstring_view line = all.substr(start, end - start);
    lines_.Append(gui::Utf8(line));
    if (end == std::wstring_view::npos) break;
    start = end + 2;
  }
  ShowNewText();
}

void TTextPane::CopySelection() {
  if (selection_.Empty()) return;
  // Told in a box, once the clipboard is closed again: a copy that silently failed would leave
  // the user pasting whatever was there before.
  if (const std::optional<TText> failure = PutSelectionOnClipboard()) ShowStopBox(Say(*failure));
}

std::wstring TTextPane::Say(TText name) const {
  return gui::ProgramWide(texts::Text(language_, name));
}

std::optional<TText> TTextPane::PutSelectionOnClipboard() {
  const TTextPosition from = selection_.Begin();
  const TTextPosition to = selection_.End();
  const std::size_t units = WriteUtf16(from, to, nullptr, 0);
  gui::TGlobalMemory memory((units + 1) * sizeof(wchar_t));
  {
    const gui::TGlobalLock<wchar_t> text(memory.Get());
    if (!text.Get()) return TText::CopyFailedBox;
    text.Get()[WriteUtf16(from, to, text.Get(), units)] = L'\0';
  }
  const gui::TClipboard clipboard(window_);  // fails while another program holds it open
  if (!clipboard.Open() || !EmptyClipboard()) return TText::CopyFailedBox;
  if (!SetClipboardData(CF_UNICODETEXT, memory.Get())) return TText::CopyLostBox;
  memory.Release();  // the system owns it now
  return std::nullopt;
}

// ---- The edit box's messages for lines and positions, in UTF-16 units as an edit box counts

LRESULT TTextPane::OnGetSelection(DWORD* start, DWORD* end) const {
  const std::size_t first = lines_.Utf16Index(selection_.Begin());
  const std::size_t last = lines_.Utf16Index(selection_.End());
  if (start) *start = static_cast<DWORD>(first);
  if (end) *end = static_cast<DWORD>(last);
  return first > 0xFFFF || last > 0xFFFF ? -1 : static_cast<LRESULT>(MAKELONG(first, last));
}

LRESULT TTextPane::OnLineIndex(WPARAM line) const {
  const std::size_t which = static_cast<int>(line) == -1 ? selection_.caret.line : line;
  if (lines_.LineCount() == 0) return which == 0 ? 0 : -1;
  if (which >= lines_.LineCount()) return -1;
  return static_cast<LRESULT>(lines_.LineStartUtf16(which));
}

LRESULT TTextPane::OnLineFromChar(WPARAM index) const {
  // -1: the line where the selection begins, which is the caret's without a selection.
  if (static_cast<int>(index) == -1) return static_cast<LRESULT>(selection_.Begin().line);
  return static_cast<LRESULT>(lines_.PositionAtUtf16(index).line);
}

LRESULT TTextPane::OnLineLength(WPARAM index) const {
  if (lines_.LineCount() == 0) return 0;
  if (static_cast<int>(index) == -1) {  // the unselected characters on the selection's lines
    const TTextPosition begin = selection_.Begin();
    const TTextPosition end = selection_.End();
    return static_cast<LRESULT>(Utf16Units(lines_.Line(begin.line).substr(0, begin.offset)) +
                                Utf16Units(lines_.Line(end.line).substr(end.offset)));
  }
  if (index > lines_.Utf16Length()) return 0;
  return static_cast<LRESULT>(Utf16Units(lines_.Line(lines_.PositionAtUtf16(index).line)));
}

LRESULT TTextPane::OnGetLine(WPARAM line, wchar_t* buffer) const {
  if (!buffer || line >= lines_.LineCount()) return 0;
  const std::size_t room = static_cast<WORD>(buffer[0]);  // the buffer's first word: its size
  const TTextPosition end = {line, lines_.Line(line).size()};
  return static_cast<LRESULT>(WriteUtf16({line, 0}, end, buffer, room));  // without a terminator
}

LRESULT TTextPane::OnPosFromChar(WPARAM index) {
  if (index >= lines_.Utf16Length()) return -1;  // past the last character, as an edit box
  const TTextPosition at = lines_.PositionAtUtf16(index);
  const long long x =
      margin_ - scrollX_ + OffsetX(TFontDc(window_, font_).Get(), at.line, at.offset);
  const long long y =
      kTopMargin +
      (static_cast<long long>(at.line) - static_cast<long long>(topLine_)) * lineHeight_;
  const auto word = [](long long value) {
    return static_cast<WORD>(static_cast<short>(std::clamp<long long>(value, SHRT_MIN, SHRT_MAX)));
  };
  return static_cast<LRESULT>(MAKELONG(word(x), word(y)));
}

LRESULT TTextPane::OnCharFromPos(POINT point) {
  const TTextPosition at = HitTest(point);
  // Each in 16 bits as an edit box gives them; the line tells the rest through EM_LINEINDEX.
  return static_cast<LRESULT>(MAKELONG(lines_.Utf16Index(at), at.line));
}

}  // namespace widgets
