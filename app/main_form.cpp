// The main form: window, layout, start-up, the automatic check and the runs; see main_form.h.
#include "app/main_form.h"

#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>
#include <exception>
#include <new>
#include <stdexcept>
#include <utility>
#include <vector>

#include "app/layout.h"
#include "app/window_ids.h"
#include "catalogue/check_pass.h"
#include "catalogue/checkfile.h"
#include "catalogue/date_time_text.h"
#include "catalogue/make_pass.h"
#include "catalogue/scrub_pass.h"
#include "catalogue/start_up.h"
#include "catalogue/update_pass.h"
#include "platform/wide_path_win32.h"
#include "widgets/language_setting.h"

namespace {

using texts::TLanguage;
using texts::TText;

const wchar_t kApplicationTitle[] = L"Hashtally";
const wchar_t kMainWindowClass[] = L"" HT_MAIN_WINDOW_CLASS;
const wchar_t kPageWindowClass[] = L"" HT_PAGE_WINDOW_CLASS;

// CSIDL_DRIVES: the computer's drives, the root of the folder chooser's tree.
constexpr int kDrivesFolder = 0x11;

constexpr std::chrono::milliseconds kStatusInterval{100};
constexpr std::chrono::milliseconds kPumpInterval{10};
// How often the progress in bytes is sampled and shown, also while the run is paused.
constexpr std::chrono::milliseconds kProgressInterval{250};

constexpr DWORD kFormStyle =
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;

// The status line's idle text: an empty template formatted with the version string and a line
// feed, which shows nothing.
const char kIdleStatus[] = "";

// The controls a run disables besides the tab control and its pages: a make run its start and
// folder buttons, a check run its open button. Stop is enabled instead.
struct TRunControls {
  TRunKind kind;
  int start;
  int folder;  // 0: none
};
constexpr TRunControls kRunControls[] = {
    {TRunKind::Make, IdButtonGo, IdButtonScanFolder},
    {TRunKind::Check, IdButtonFindCheckFile, 0},
};
const TRunControls& RunControls(TRunKind kind) {
  return kind == kRunControls[0].kind ? kRunControls[0] : kRunControls[1];
}

// The question before an update, as a yes-or-no box; with `kept` files that may be damaged it
// offers, unticked, to take their new digests too (`acceptKept`).
bool AskToUpdate(HWND owner, TLanguage language, const std::string& question, std::size_t kept,
                 bool& acceptKept) {
  const std::wstring text = gui::ProgramWide(question);
  acceptKept = false;
  if (kept == 0)
    return MessageBoxW(owner, text.c_str(), kApplicationTitle, MB_YESNO | MB_ICONQUESTION) == IDYES;
  const std::wstring option =
      gui::ProgramWide(texts::CountText(language, TText::AcceptKeptOption, kept));
  TASKDIALOGCONFIG box{};
  box.cbSize = sizeof box;
  box.hwndParent = owner;
  box.dwFlags = TDF_ALLOW_DIALOG_CANCELLATION | TDF_POSITION_RELATIVE_TO_WINDOW;
  box.dwCommonButtons = TDCBF_YES_BUTTON | TDCBF_NO_BUTTON;
  box.pszWindowTitle = kApplicationTitle;
  box.pszMainIcon = TD_INFORMATION_ICON;
  box.pszContent = text.c_str();
  box.pszVerificationText = option.c_str();
  int button = 0;
  BOOL ticked = FALSE;
  if (FAILED(TaskDialogIndirect(&box, &button, nullptr, &ticked))) return false;
  acceptKept = ticked != FALSE;
  return button == IDYES;
}

// A bar at `permille` thousandths, or moving to and fro while the fraction is not known (-1).
void SetBarPosition(HWND bar, int permille) {
  const bool marquee = permille < 0;
  const LONG_PTR style = GetWindowLongPtrW(bar, GWL_STYLE);
  if (((style & PBS_MARQUEE) != 0) != marquee) {
    SetWindowLongPtrW(bar, GWL_STYLE,
                      marquee ? style | PBS_MARQUEE : style & ~LONG_PTR{PBS_MARQUEE});
    SendMessageW(bar, PBM_SETMARQUEE, marquee ? TRUE : FALSE, 0);
  }
  if (!marquee) SendMessageW(bar, PBM_SETPOS, permille, 0);
}

// The first of the dropped items as it was dropped; false when nothing usable was dropped.
bool FirstDroppedPath(HDROP drop, std::wstring& path) {
  const UINT length = DragQueryFileW(drop, 0, nullptr, 0);
  if (length == 0) return false;
  path.assign(length + 1, L'\0');
  if (DragQueryFileW(drop, 0, &path[0], length + 1) == 0) return false;
  path.resize(length);
  return true;
}

}  // namespace

TForm1::TForm1(HINSTANCE instance, std::wstring commandLinePath)
    : instance_(instance),
      commandLinePath_(std::move(commandLinePath)),
      language_(widgets::UserLanguage()) {
  SelectFolderDialog1.BaseFolder = widgets::TShellLocator::SpecialFolder(kDrivesFolder);
}

std::wstring TForm1::Say(TText name) const {
  return gui::ProgramWide(texts::Text(language_, name));
}

TForm1::~TForm1() {
  if (handle_) DestroyWindow(handle_);
}

void TForm1::RegisterClasses(HINSTANCE instance) {
  WNDCLASSEXW form{};
  form.cbSize = sizeof(form);
  form.lpfnWndProc = WindowProc;
  form.hInstance = instance;
  form.hIcon = LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION));
  form.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  form.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  form.lpszClassName = kMainWindowClass;
  RegisterClassExW(&form);

  WNDCLASSEXW page = form;
  page.lpfnWndProc = PageProc;
  page.hIcon = nullptr;
  page.lpszClassName = kPageWindowClass;
  RegisterClassExW(&page);

  widgets::TTextPane::Register(instance);
}

void TForm1::Create(int showCommand) {
  RegisterClasses(instance_);
  dpi_ = gui::WindowDpi(nullptr);
  RECT frame = {0, 0, gui::Scale(kFormClientWidth, dpi_), gui::Scale(kFormClientHeight, dpi_)};
  AdjustWindowRectEx(&frame, kFormStyle, FALSE, 0);
  CreateWindowExW(0, kMainWindowClass, Say(TText::FormCaption).c_str(), kFormStyle, CW_USEDEFAULT,
                  CW_USEDEFAULT, frame.right - frame.left, frame.bottom - frame.top, nullptr,
                  nullptr, instance_, this);
  if (!handle_) throw std::runtime_error("Cannot create the main window");
  dpi_ = gui::WindowDpi(handle_);
  CreateControls();
  gui::CentreOnDesktop(handle_);
  SelectFolderDialog1.SetOwnerWindow(handle_);
  taskbar_.Attach(handle_);
  DragAcceptFiles(handle_, TRUE);
  FormCreate();
  ShowWindow(handle_, showCommand);
  UpdateWindow(handle_);
  SetFocus(Control(IdButtonScanFolder));
}

void TForm1::CreateControls() {
  formFont_ = gui::CreatePointFont(L"MS Sans Serif", 8, gui::ChineseCharset(), dpi_);
  // The panes ask for a face that is rarely installed; the system substitutes one that can show
  // the Chinese texts of the GB2312 character set.
  paneFont_ = gui::CreatePointFont(L"新品速递", 8, GB2312_CHARSET, dpi_);
  auto scale = [this](int value) { return gui::Scale(value, dpi_); };

  pageControl_ =
      CreateWindowExW(0, WC_TABCONTROLW, L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS,
                      scale(8), scale(8), scale(505), scale(305), handle_,
                      reinterpret_cast<HMENU>(IdPageControl1), instance_, nullptr);
  SendMessageW(pageControl_, WM_SETFONT, reinterpret_cast<WPARAM>(formFont_.Get()), FALSE);
  for (int i = 0; i < 3; ++i) {
    TCITEMW item{};
    SendMessageW(pageControl_, TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item));
  }

  // The pages are siblings of the tab control lying over its display area, so that the dialog
  // manager's Tab key walks into them.
  RECT display = {0, 0, scale(505), scale(305)};
  SendMessageW(pageControl_, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
  OffsetRect(&display, scale(8), scale(8));
  for (int i = 0; i < 3; ++i) {
    pages_[i] = CreateWindowExW(
        WS_EX_CONTROLPARENT, kPageWindowClass, L"",
        WS_CHILD | WS_CLIPSIBLINGS | (i == 0 ? WS_VISIBLE : 0), display.left, display.top,
        display.right - display.left, display.bottom - display.top, handle_,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(IdTabSheetMake + i)), instance_, nullptr);
  }

  for (std::size_t i = 0; i < kLayoutSize; ++i) {
    const TControlRow& row = kLayout[i];
    const HWND parent = row.parent == OnForm ? handle_ : pages_[row.parent];
    const bool sunken = lstrcmpiW(row.className, L"EDIT") == 0 ||
                        lstrcmpiW(row.className, L"" HT_TEXT_PANE_CLASS) == 0;
    const HWND control = CreateWindowExW(
        sunken ? WS_EX_CLIENTEDGE : 0, row.className, L"",
        WS_CHILD | (row.shown == Always ? WS_VISIBLE : 0) | row.style, scale(row.left),
        scale(row.top), scale(row.width), scale(row.height), parent,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(row.id)), instance_, PaneFor(row.id));
    const gui::TGdiObject& font = row.font == PaneFont ? paneFont_ : formFont_;
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), FALSE);
  }
  // The tab control lies under its pages and is painted clipped by them; it is also last in the
  // Tab order, after the stop button.
  SetWindowPos(pageControl_, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

  makeView_.showsHint = checkView_.showsHint = true;
  ApplyLanguage();
}

void TForm1::ApplyLanguage() {
  gui::SetControlText(handle_, Say(TText::FormCaption));
  for (int i = 0; i < 3; ++i) {
    std::wstring caption = Say(kPageCaptions[i]);
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = &caption[0];
    SendMessageW(pageControl_, TCM_SETITEMW, i, reinterpret_cast<LPARAM>(&item));
    gui::SetControlText(pages_[i], caption);  // the page's name, for screen readers
  }
  for (std::size_t i = 0; i < kLayoutSize; ++i) {
    const TControlRow& row = kLayout[i];
    if (row.text != kNoText && row.id != IdButtonScanFolder)  // that one names the folder
      gui::SetControlText(Control(row.id), Say(row.text));
  }
  // Each language is named in its own words.
  gui::SetControlText(Control(IdRadioChinese),
                      gui::ProgramWide(texts::Text(TLanguage::Chinese, TText::LanguageName)));
  gui::SetControlText(Control(IdRadioEnglish),
                      gui::ProgramWide(texts::Text(TLanguage::English, TText::LanguageName)));
  CheckRadioButton(pages_[2], IdRadioChinese, IdRadioEnglish,
                   language_ == TLanguage::Chinese ? IdRadioChinese : IdRadioEnglish);
  const HWND label2 = Control(IdLabel2);
  gui::SetControlText(label2, Say(TText::VersionLabel) + gui::SystemWide(VersionInfo1.VersionString(
                                                             widgets::TVersionInfo::kFileVersion)));
  gui::FitLabelWidth(label2);
  gui::SetControlText(Control(IdMemoAbout), Say(TText::AboutText));
  // A pane keeps what a run wrote into it, in the run's language; the hints follow.
  const auto utf8 = [this](TText name) { return gui::Utf8(Say(name)); };
  if (makeView_.showsHint) memoMake_.SetLines({utf8(TText::MakePaneHint)});
  if (checkView_.showsHint)
    memoCheck_.SetLines({utf8(TText::CheckPaneHint1), utf8(TText::CheckPaneHint2)});
  makeView_.SetLanguage(language_);
  checkView_.SetLanguage(language_);
  memoMake_.SetLanguage(language_);
  memoCheck_.SetLanguage(language_);
  SelectFolderDialog1.Language = language_;
}

void TForm1::ChooseLanguage(TLanguage language) {
  if (language == language_) return;
  language_ = language;
  widgets::RememberLanguage(language);
  ApplyLanguage();
}

widgets::TTextPane* TForm1::PaneFor(int id) {
  if (id == IdMemoMake) return &memoMake_;
  if (id == IdMemoCheck) return &memoCheck_;
  return nullptr;
}

HWND TForm1::Control(int id) const {
  const HWND direct = GetDlgItem(handle_, id);
  if (direct) return direct;
  for (HWND page : pages_) {
    const HWND onPage = GetDlgItem(page, id);
    if (onPage) return onPage;
  }
  return nullptr;
}

LRESULT CALLBACK TForm1::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* form = static_cast<TForm1*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    form->handle_ = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
  }
  auto* form = reinterpret_cast<TForm1*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!form) return DefWindowProcW(window, message, wParam, lParam);
  // No exception may leave through the system's frames.
  try {
    return form->HandleMessage(message, wParam, lParam);
  } catch (...) {
    form->ShowException();
  }
  return 0;
}

LRESULT CALLBACK TForm1::PageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
      return SendMessageW(GetParent(window), message, wParam, lParam);  // the form handles them
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

LRESULT TForm1::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  const HWND window = handle_;  // WM_NCDESTROY lets go of handle_ before the default handling
  switch (message) {
    case WM_COMMAND:
      if (HIWORD(wParam) == BN_CLICKED) OnCommand(LOWORD(wParam));
      return 0;
    case WM_NOTIFY:
      return OnNotify(*reinterpret_cast<const NMHDR*>(lParam));
    case WM_CTLCOLORSTATIC:
      return OnCtlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_ACTIVATE:
      OnActivate(LOWORD(wParam));
      return 0;
    case WM_SETTINGCHANGE:  // also WM_WININICHANGE, the same message
      OnSettingChange();
      break;
    case WM_DROPFILES:
      OnDropFiles(reinterpret_cast<HDROP>(wParam));
      return 0;
    case WM_CLOSE:
      OnClose();
      return 0;
    case WM_DESTROY:
      OnDestroy();
      return 0;
    case WM_NCDESTROY:
      SetWindowLongPtrW(handle_, GWLP_USERDATA, 0);
      handle_ = nullptr;
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

void TForm1::OnCommand(int id) {
  // A click that arrives for an inert control (disabled itself, or on a disabled page while a run
  // is active) is not acted on: runs never overlap.
  const HWND control = Control(id);
  if (!control || !IsWindowEnabled(control) || !IsWindowEnabled(GetParent(control))) return;
  switch (id) {
    case IdButtonScanFolder:
      RunHandler([this] { ButtonScanFolderClick(); });
      break;
    case IdButtonGo:
      RunHandler([this] { ButtonGoClick(); });
      break;
    case IdButtonFindCheckFile:
      RunHandler([this] { ButtonFindCheckFileClick(); });
      break;
    case IdButtonUpdateCheckfile:
      RunHandler([this] { ButtonUpdateCheckfileClick(); });
      break;
    case IdButtonAbort:
      ButtonAbortClick();
      break;
    case IdButtonPause:
      ButtonPauseClick();
      break;
    case IdRadioChinese:
      ChooseLanguage(TLanguage::Chinese);
      break;
    case IdRadioEnglish:
      ChooseLanguage(TLanguage::English);
      break;
  }
}

LRESULT TForm1::OnNotify(const NMHDR& header) {
  if (header.hwndFrom != pageControl_) return 0;
  if (header.code == TCN_SELCHANGING) return IsWindowEnabled(pageControl_) ? FALSE : TRUE;
  if (header.code == TCN_SELCHANGE)
    ShowPage(static_cast<int>(SendMessageW(pageControl_, TCM_GETCURSEL, 0, 0)));
  return 0;
}

LRESULT TForm1::OnCtlColor(HDC dc, HWND control) {
  // The read-only about pane keeps the window colour instead of turning grey.
  if (GetDlgCtrlID(control) == IdMemoAbout) {
    SetBkColor(dc, GetSysColor(COLOR_WINDOW));
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
  }
  return DefWindowProcW(handle_, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                        reinterpret_cast<LPARAM>(control));
}

void TForm1::OnActivate(int state) {
  // The dialog manager does not keep the focus of a plain window across deactivation.
  if (state == WA_INACTIVE) {
    const HWND focus = GetFocus();
    if (focus && IsChild(handle_, focus)) lastFocus_ = focus;
  } else if (lastFocus_ && IsWindow(lastFocus_) && IsWindowEnabled(lastFocus_)) {
    SetFocus(lastFocus_);
  }
}

void TForm1::OnClose() {
  // A run goes on to its end (a make run still writes its checkfile); the window goes after it.
  if (handlerDepth_ > 0) {
    terminating_ = true;
    SetPaused(false);  // a paused run goes on to its end too
    return;
  }
  DestroyWindow(handle_);
}

void TForm1::OnDestroy() { PostQuitMessage(0); }

void TForm1::OnSettingChange() { ReloadDateTimeSettings(); }

void TForm1::OnDropFiles(HDROP drop) {
  // Refused while a run, a dialog or a box of another handler is active: runs never overlap.
  std::wstring dropped;
  const bool accepted = handlerDepth_ == 0 && FirstDroppedPath(drop, dropped);
  DragFinish(drop);
  if (accepted) {
    RunHandler([&] {
      std::string path;
      if (CorePath(dropped, path)) OpenPath(path);
    });
  }
}

template <typename Handler>
void TForm1::RunHandler(Handler handler) {
  // The count goes down on every way out, so that a close asked for meanwhile is never lost.
  struct TDepth {
    int& depth;
    explicit TDepth(int& d) : depth(d) { ++depth; }
    ~TDepth() { --depth; }
  };
  {
    TDepth depth(handlerDepth_);
    try {
      handler();
    } catch (...) {
      ShowException();
    }
  }
  // The close asked for meanwhile is made again from the message loop, where nothing of the
  // handler's call chain (the clicked button, say) is still on the stack.
  if (handlerDepth_ == 0 && terminating_ && handle_) PostMessageW(handle_, WM_CLOSE, 0, 0);
}

void TForm1::ShowException() {
  // A run that ran out of memory has let go of what it held by now, and has returned the window
  // to idle; an old checkfile is only ever replaced by a new one written whole.
  try {
    throw;
  } catch (const std::bad_alloc&) {
    ShowErrorBox(Say(TText::OutOfMemoryBox));
  } catch (const std::length_error&) {
    // A string or list asked to grow past what this build can address: memory ran out too.
    ShowErrorBox(Say(TText::OutOfMemoryBox));
  } catch (const ECheckfileError& error) {
    ShowErrorBox(gui::ViewTextWide(error.Text()));
  } catch (const std::exception& error) {
    // The errors' texts are English, with paths and system texts in the code page.
    ShowErrorBox(gui::SystemWide(error.what()));
  } catch (...) {
    ShowErrorBox(Say(TText::UnexpectedErrorBox));
  }
}

void TForm1::ShowErrorBox(const std::wstring& text) {
  MessageBoxW(handle_, text.c_str(), kApplicationTitle, MB_OK | MB_ICONSTOP);
}

bool TForm1::CorePath(const std::wstring& given, std::string& path) {
  if (platform::Utf8Name(given.c_str(), path)) return true;
  ShowUnrepresentableName(given);
  return false;
}

void TForm1::ShowUnrepresentableName(const std::wstring& given) {
  ShowErrorBox(Say(TText::UnrepresentableNameBox) + given);
}

void TForm1::ProcessMessages() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      quitReceived_ = true;
      return;
    }
    if (!handle_ || !IsDialogMessageW(handle_, &message)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
}

void TForm1::ProcessMessagesDuringRun() {
  const auto now = std::chrono::steady_clock::now();
  if (now - lastPump_ < kPumpInterval) return;
  lastPump_ = now;
  // Inside a long file no new line or status arrives to carry the held-back ones to the screen.
  memoMake_.FlushIfDue();
  memoCheck_.FlushIfDue();
  if (statusPending_ && !paused_ && now - statusShown_ >= kStatusInterval) ShowPendingStatus();
  if (now - progressSampled_ >= kProgressInterval) ShowProgress();
  ProcessMessages();
  WaitWhilePaused();
}

void TForm1::WaitWhilePaused() {
  while (paused_ && !quitReceived_) {
    MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(kProgressInterval.count()),
                                QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    ProcessMessages();
    if (std::chrono::steady_clock::now() - progressSampled_ >= kProgressInterval) ShowProgress();
  }
}

void TForm1::ShowPage(int index) {
  if (SendMessageW(pageControl_, TCM_GETCURSEL, 0, 0) != index)
    SendMessageW(pageControl_, TCM_SETCURSEL, index, 0);
  for (int i = 0; i < 3; ++i) ShowWindow(pages_[i], i == index ? SW_SHOW : SW_HIDE);
}

void TForm1::SetEnabled(HWND control, bool enabled) {
  if (!enabled) {
    const HWND focus = GetFocus();
    if (focus == control || IsChild(control, focus)) SetFocus(handle_);
  }
  EnableWindow(control, enabled ? TRUE : FALSE);
}

void TForm1::SetPageControlEnabled(bool enabled) {
  // Disabling the tab control makes every control on its pages inert.
  SetEnabled(pageControl_, enabled);
  for (HWND page : pages_) SetEnabled(page, enabled);
}

void TForm1::SetRunning(TRunKind kind, bool running) {
  const TRunControls& controls = RunControls(kind);
  const HWND start = Control(controls.start);
  const HWND abort = Control(IdButtonAbort);
  (kind == TRunKind::Make ? memoMake_ : memoCheck_).SetBatching(running);
  if (running) {
    // Another run makes what the last check found stale.
    lastCheck_.reset();
    SetEnabled(Control(IdButtonUpdateCheckfile), false);
    runKind_ = kind;
    runActive_ = true;
    SetEnabled(start, false);
    if (controls.folder != 0) SetEnabled(Control(controls.folder), false);
    SetPageControlEnabled(false);
    SetEnabled(abort, true);
    SetFocus(abort);
    DragAcceptFiles(handle_, FALSE);
    ShowRunControls(true);
    keepAwake_.Set(true);
  } else {
    SetPaused(false);  // pressed while the run wrote its checkfile, say
    runActive_ = false;
    ShowPendingStatus();
    const HWND focus = GetFocus();
    const bool focusLost =
        focus == abort || focus == Control(IdButtonPause) || focus == nullptr || focus == handle_;
    ShowRunControls(false);
    SetEnabled(start, true);
    SetEnabled(abort, false);
    if (controls.folder != 0) SetEnabled(Control(controls.folder), true);
    SetPageControlEnabled(true);
    if (focusLost) SetFocus(start);
    DragAcceptFiles(handle_, TRUE);
    taskbar_.Clear();
    keepAwake_.Set(false);
  }
}

void TForm1::ShowRunControls(bool running) {
  const TLayoutParent page = runKind_ == TRunKind::Make ? OnTabSheetMake : OnTabSheetCheck;
  if (running) {
    // The bar and its line start afresh; the bar counts in thousandths.
    const HWND bar = Control(runKind_ == TRunKind::Make ? IdProgressMake : IdProgressCheck);
    SendMessageW(bar, PBM_SETRANGE32, 0, 1000);
    SendMessageW(bar, PBM_SETSTATE, PBST_NORMAL, 0);
    SetBarPosition(bar, 0);
    gui::SetControlText(
        Control(runKind_ == TRunKind::Make ? IdProgressTextMake : IdProgressTextCheck), L"");
  }
  for (std::size_t i = 0; i < kLayoutSize; ++i) {
    const TControlRow& row = kLayout[i];
    if (row.parent != OnForm && row.parent != page) continue;
    const HWND control = Control(row.id);
    if (PaneFor(row.id)) {
      const int height = row.height - (running ? kProgressRoom : 0);
      SetWindowPos(control, nullptr, 0, 0, gui::Scale(row.width, dpi_), gui::Scale(height, dpi_),
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    } else if (row.shown == DuringRuns) {
      ShowWindow(control, running ? SW_SHOWNA : SW_HIDE);
    }
  }
}

void TForm1::SetPaused(bool paused) {
  if (paused == paused_ || (paused && !runActive_)) return;
  paused_ = paused;
  RunningView().PauseFlag() = paused;
  ShowProgress();  // the moment a pause begins or ends parts running time from paused time
  gui::SetControlText(Control(IdButtonPause), Say(paused ? TText::Resume : TText::Pause));
  SendMessageW(Control(runKind_ == TRunKind::Make ? IdProgressMake : IdProgressCheck), PBM_SETSTATE,
               paused ? PBST_PAUSED : PBST_NORMAL, 0);
  if (paused) {
    gui::SetControlText(Control(IdLabelStatus), Say(TText::PausedStatus));
  } else {
    statusPending_ = true;  // the run's own text, as it stood
    ShowPendingStatus();
  }
  keepAwake_.Set(runActive_ && !paused_);
}

void TForm1::SetByteProgress(const TByteProgress* progress) {
  progress_ = progress;
  meter_ = TProgressMeter();
  progressShown_ = TProgressShown();
  if (progress_) ShowProgress();  // the run's start
}

void TForm1::ShowProgress() {
  const auto now = std::chrono::steady_clock::now();
  progressSampled_ = now;
  if (!runActive_ || !progress_) return;
  meter_.Add({std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()),
              progress_->done.load(std::memory_order_relaxed),
              progress_->total.load(std::memory_order_relaxed), progress_->totalKnown.load(),
              paused_});
  TProgressShown shown = meter_.Shown(RunningView().Language());
  const bool make = runKind_ == TRunKind::Make;
  // A repaint only for a new text: the line's words change a few times a second at most.
  if (shown.text != progressShown_.text)
    gui::SetControlText(Control(make ? IdProgressTextMake : IdProgressTextCheck),
                        gui::ProgramWide(shown.text));
  SetBarPosition(Control(make ? IdProgressMake : IdProgressCheck), shown.permille);
  taskbar_.Show(shown.permille, paused_);
  progressShown_ = std::move(shown);
}

void TForm1::TPaneRunView::SetStatus(TViewText text) { form_.SetStatusText(text); }

void TForm1::SetStatusText(TViewText text) {
  pendingStatus_.Assign(text);
  statusPending_ = true;
  if (!runActive_ || std::chrono::steady_clock::now() - statusShown_ >= kStatusInterval)
    ShowPendingStatus();
}

void TForm1::ShowPendingStatus() {
  if (!statusPending_) return;
  gui::SetControlText(Control(IdLabelStatus), gui::ViewTextWide(pendingStatus_));
  statusPending_ = false;
  statusShown_ = std::chrono::steady_clock::now();
}

void TForm1::TPaneRunView::ShowNow() {
  pane_.Flush();
  form_.ShowPendingStatus();
  form_.ShowProgress();
  // Painted now: the caller may keep the thread busy (writing the checkfile) for a while.
  UpdateWindow(form_.Control(IdLabelStatus));
  form_.lastPump_ = std::chrono::steady_clock::now();
  form_.ProcessMessages();
}

void TForm1::TPaneRunView::ShowNoFilesBox() {
  pane_.Flush();  // the pane and the status line are complete while the box is up
  form_.ShowPendingStatus();
  MessageBoxW(form_.handle_, form_.Say(TText::NoFilesBox).c_str(), kApplicationTitle, MB_OK);
}

void TForm1::FormCreate() {
  gui::SetControlText(Control(IdLabelStatus), gui::ProgramWide(kIdleStatus));

  std::string program;
  platform::Utf8Name(gui::ModuleWidePath(nullptr).c_str(), program);
  const std::size_t folderEnd = program.find_last_of("\\:");
  ScanFolder = folderEnd == std::string::npos ? std::string() : program.substr(0, folderEnd + 1);
  gui::SetControlText(Control(IdButtonScanFolder), gui::Utf8Wide(ScanFolder));

  // A given name that no text can hold is refused once the window shows; it still wins over the
  // checkfile beside the program, which is not checked instead.
  std::string argument;
  const bool representable = platform::Utf8Name(commandLinePath_.c_str(), argument);
  if (!representable) unopenableArgument_ = commandLinePath_;
  const TStartPlan plan = representable ? PlanStart(ScanFolder, argument) : TStartPlan();
  AutoCheckPending = plan.Action == TStartPlan::CheckBesideProgram;
  if (plan.Action == TStartPlan::CheckGiven) givenCheckfile_ = plan.Path;
  if (plan.Action == TStartPlan::ScanGiven) UseScanFolder(plan.Path);
}

void TForm1::ApplicationEvents1Idle() {
  if (AutoCheckPending) {
    RunHandler([this] {
      ShowPage(1);
      ButtonFindCheckFileClick();
    });
    AutoCheckPending = false;
  } else if (!givenCheckfile_.empty()) {
    const std::string path = std::exchange(givenCheckfile_, std::string());
    RunHandler([&] { CheckGivenFile(path); });
  } else if (!unopenableArgument_.empty()) {
    const std::wstring given = std::exchange(unopenableArgument_, std::wstring());
    RunHandler([&] { ShowUnrepresentableName(given); });
  }
}

void TForm1::ButtonScanFolderClick() {
  if (!SelectFolderDialog1.Execute()) return;
  std::string folder;
  if (CorePath(SelectFolderDialog1.SelectedWidePath(), folder)) UseScanFolder(folder);
}

void TForm1::UseScanFolder(const std::string& folder) {
  gui::SetControlText(Control(IdButtonScanFolder), gui::Utf8Wide(folder));
  ScanFolder = folder;
}

void TForm1::ButtonGoClick() {
  ScanFolder = TMakePass(makeView_, VersionInfo1.VersionString(widgets::TVersionInfo::kFileVersion))
                   .Run(ScanFolder);
}

void TForm1::ButtonFindCheckFileClick() {
  TCheckOrigin origin = TCheckOrigin::Chosen;
  if (AutoCheckPending) {
    AutoCheckPending = false;
    openDialogFileName_ = ScanFolder + CheckfileName;
    origin = TCheckOrigin::BesideProgram;
  } else {
    // Cleared before the dialog shows, so that it stays empty after a cancel too.
    checkView_.ClearPane();
    if (!ExecuteOpenDialog()) return;
  }
  RunCheck(openDialogFileName_, origin);
}

void TForm1::RunCheck(const std::string& path, TCheckOrigin origin) {
  TCheckPass pass(checkView_);
  pass.Run(path, origin);
  // Where rolling scrubs keep a state of this checkfile: how far they have come.
  TShownText scrubbed;
  if (pass.Outcome() &&
      ScrubStateLine(path, *pass.Outcome()->entries, ScrubStateFolder(), language_, scrubbed)) {
    const std::vector<TTextPiece> pieces = scrubbed.Pieces();
    checkView_.AppendLine({pieces.data(), pieces.data() + pieces.size()});
  }
  if (pass.Outcome() && TUpdatePass::Plan(*pass.Outcome()).possible) {
    lastCheck_ = pass.Outcome();
    SetEnabled(Control(IdButtonUpdateCheckfile), true);
  }
}

void TForm1::ButtonUpdateCheckfileClick() {
  if (!lastCheck_) return;
  const std::shared_ptr<const TCheckOutcome> outcome = lastCheck_;
  TUpdatePass pass(checkView_, VersionInfo1.VersionString(widgets::TVersionInfo::kFileVersion));
  // What the check found still holds where the user stops the reading or answers no: the
  // update stays on offer.
  const auto offerAgain = [&] {
    lastCheck_ = outcome;
    SetEnabled(Control(IdButtonUpdateCheckfile), true);
  };
  // Read first, so that the question tells exactly what will happen, moves included.
  if (!pass.Read(*outcome)) return offerAgain();
  const TUpdatePass::TPlan& plan = pass.Prepared();
  // "将添加 N 个新文件,删除 M 个已不存在的文件的条目,K 个被修改的文件采用新的MD5值;J 个可能已损坏的
  // 文件保留原来的MD5值。继续吗?", the parts that count nothing left out.
  const auto part = [this](TText name, std::size_t count) {
    return texts::CountText(language_, name, count);
  };
  std::string question;
  const std::pair<std::size_t, TText> parts[] = {
      {plan.added, TText::UpdateQuestionAdd},     {plan.removed, TText::UpdateQuestionRemove},
      {plan.moved, TText::UpdateQuestionMove},    {plan.edited, TText::UpdateQuestionEdit},
      {plan.reread, TText::UpdateQuestionReread},
  };
  const std::string start(texts::Text(language_, TText::UpdateQuestionStart));
  for (const auto& [count, name] : parts)
    if (count > 0)
      question +=
          (question.empty() ? start
                            : std::string(texts::Text(language_, TText::UpdateQuestionComma))) +
          part(name, count);
  if (plan.kept > 0)
    question +=
        (question.empty() ? start
                          : std::string(texts::Text(language_, TText::UpdateQuestionSemicolon))) +
        part(TText::UpdateQuestionKeep, plan.kept);
  question += texts::Text(language_, TText::UpdateQuestionEnd);
  bool acceptKept = false;
  if (!plan.possible) return pass.LeaveAsItWas();
  if (!AskToUpdate(handle_, language_, question, plan.kept, acceptKept)) {
    pass.LeaveAsItWas();
    return offerAgain();
  }
  pass.Write(acceptKept);
}

void TForm1::OpenPath(const std::string& path) {
  const TStartPlan plan = PlanOpen(path);
  if (plan.Action == TStartPlan::ScanGiven) {
    ShowPage(0);
    UseScanFolder(plan.Path);
  } else {
    CheckGivenFile(plan.Path);
  }
}

void TForm1::CheckGivenFile(const std::string& path) {
  // As if chosen in the open dialog: it becomes the dialog's file name.
  ShowPage(1);
  openDialogFileName_ = path;
  RunCheck(openDialogFileName_, TCheckOrigin::Chosen);
}

void TForm1::ButtonAbortClick() {
  AbortRequested = true;
  SetPaused(false);  // the run takes its steps again, to stop
}

void TForm1::ButtonPauseClick() { SetPaused(!paused_); }

bool TForm1::ExecuteOpenDialog() {
  // The name box starts with the checkfile used last; the buffer leaves room for any path the
  // system takes, long paths included.
  const std::wstring last = gui::Utf8Wide(openDialogFileName_);
  std::vector<wchar_t> fileName(std::max<std::size_t>(last.size() + 1, 32768), L'\0');
  std::copy(last.begin(), last.end(), fileName.begin());
  // Our own checkfiles first, then the lists other tools write, then anything; ends with the
  // double zero.
  const std::wstring wideFilter = gui::DialogFilter(Say(TText::OpenDialogFilter));
  // An empty scan folder (a chooser item without a file-system path) opens the current directory.
  const std::wstring initialFolder = ScanFolder.empty() ? L"." : gui::Utf8Wide(ScanFolder);

  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof(dialog);
  dialog.hwndOwner = handle_;
  dialog.lpstrFilter = wideFilter.c_str();
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = fileName.data();
  dialog.nMaxFile = static_cast<DWORD>(fileName.size());
  dialog.lpstrInitialDir = initialFolder.c_str();
  dialog.lpstrDefExt = L"txt";
  dialog.Flags = OFN_HIDEREADONLY | OFN_ENABLESIZING | OFN_EXPLORER;
  std::string chosen;
  if (!GetOpenFileNameW(&dialog) || !CorePath(fileName.data(), chosen)) return false;
  openDialogFileName_ = chosen;
  return true;
}
