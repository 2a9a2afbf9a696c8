// The main form: window, layout, start-up, the automatic check and the runs; see main_form.h.
#include "app/main_form.h"

#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>
#include <exception>
#include <vector>

#include "app/layout.h"
#include "app/window_ids.h"
#include "catalogue/check_pass.h"
#include "catalogue/checkfile.h"
#include "catalogue/date_time_text.h"
#include "catalogue/make_pass.h"
#include "platform/text.h"

namespace {

const char* const kApplicationTitle = "Hashtally";
const char* const kAutoCheckLine = "(Hashtally 检查文件已找到;启动自动检查)  ";

constexpr std::chrono::milliseconds kStatusInterval{100};
constexpr std::chrono::milliseconds kPumpInterval{10};

constexpr DWORD kFormStyle =
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;

// The status line's idle text: an empty template formatted with the version string and a line
// feed, which shows nothing.
std::string IdleStatusText() { return std::string(); }

}  // namespace

TForm1::TForm1(HINSTANCE instance) : instance_(instance) {
  SelectFolderDialog1.BaseFolder =
      widgets::TShellLocator::SpecialFolder(0x11);  // the computer's drives
}

TForm1::~TForm1() {
  if (handle_) DestroyWindow(handle_);
}

void TForm1::RegisterClasses(HINSTANCE instance) {
  WNDCLASSEXA form{};
  form.cbSize = sizeof(form);
  form.lpfnWndProc = WindowProc;
  form.hInstance = instance;
  form.hIcon = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
  form.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  form.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  form.lpszClassName = HT_MAIN_WINDOW_CLASS;
  RegisterClassExA(&form);

  WNDCLASSEXA page = form;
  page.lpfnWndProc = PageProc;
  page.hIcon = nullptr;
  page.lpszClassName = HT_PAGE_WINDOW_CLASS;
  RegisterClassExA(&page);
}

void TForm1::Create(int showCommand) {
  RegisterClasses(instance_);
  dpi_ = gui::WindowDpi(nullptr);
  RECT frame = {0, 0, gui::Scale(kFormClientWidth, dpi_), gui::Scale(kFormClientHeight, dpi_)};
  AdjustWindowRectEx(&frame, kFormStyle, FALSE, 0);
  CreateWindowExA(0, HT_MAIN_WINDOW_CLASS, kFormCaption, kFormStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                  frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr, instance_,
                  this);
  if (!handle_) throw std::runtime_error("Cannot create the main window");
  dpi_ = gui::WindowDpi(handle_);
  CreateControls();
  gui::CentreOnDesktop(handle_);
  SelectFolderDialog1.SetOwnerWindow(handle_);
  FormCreate();
  ShowWindow(handle_, showCommand);
  UpdateWindow(handle_);
  SetFocus(Control(IdButtonScanFolder));
}

void TForm1::CreateControls() {
  formFont_ = gui::CreatePointFont("MS Sans Serif", 8, DEFAULT_CHARSET, dpi_);
  // The panes ask for a face that is rarely installed; the system substitutes one that can show
  // the Chinese texts of the GB2312 character set.
  paneFont_ = gui::CreatePointFont("新品速递", 8, GB2312_CHARSET, dpi_);
  auto scale = [this](int value) { return gui::Scale(value, dpi_); };

  pageControl_ =
      CreateWindowExA(0, WC_TABCONTROLA, "", WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS,
                      scale(8), scale(8), scale(505), scale(305), handle_,
                      reinterpret_cast<HMENU>(IdPageControl1), instance_, nullptr);
  SendMessageA(pageControl_, WM_SETFONT, reinterpret_cast<WPARAM>(formFont_.Get()), FALSE);
  for (int i = 0; i < 3; ++i) {
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<char*>(kPageCaptions[i]);
    SendMessageA(pageControl_, TCM_INSERTITEMA, i, reinterpret_cast<LPARAM>(&item));
  }

  // The pages are siblings of the tab control lying over its display area, so that the dialog
  // manager's Tab key walks into them.
  RECT display = {0, 0, scale(505), scale(305)};
  SendMessageA(pageControl_, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
  OffsetRect(&display, scale(8), scale(8));
  for (int i = 0; i < 3; ++i) {
    pages_[i] = CreateWindowExA(
        WS_EX_CONTROLPARENT, HT_PAGE_WINDOW_CLASS, kPageCaptions[i],
        WS_CHILD | WS_CLIPSIBLINGS | (i == 0 ? WS_VISIBLE : 0), display.left, display.top,
        display.right - display.left, display.bottom - display.top, handle_,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(IdTabSheetMake + i)), instance_, nullptr);
  }

  for (std::size_t i = 0; i < kLayoutSize; ++i) {
    const TControlRow& row = kLayout[i];
    const HWND parent = row.parent == OnForm ? handle_ : pages_[row.parent];
    const bool edit = lstrcmpiA(row.className, "EDIT") == 0;
    const HWND control = CreateWindowExA(
        edit ? WS_EX_CLIENTEDGE : 0, row.className, row.text, WS_CHILD | WS_VISIBLE | row.style,
        scale(row.left), scale(row.top), scale(row.width), scale(row.height), parent,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(row.id)), instance_, nullptr);
    const gui::TGdiObject& font = row.font == PaneFont ? paneFont_ : formFont_;
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), FALSE);
  }
  // The tab control lies under its pages and is painted clipped by them; it is also last in the
  // Tab order, after the stop button.
  SetWindowPos(pageControl_, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

  memoMake_.Attach(Control(IdMemoMake));
  memoMake_.SetLines({"选择文件夹,点击 \"开始\" ,制作检查文件,用于对比."});
  memoCheck_.Attach(Control(IdMemoCheck));
  memoCheck_.SetLines({"点击 \"打开检查文件\" 开始对比现有文件", "Hashtally 检查文件."});
  gui::SetControlText(Control(IdMemoAbout), kAboutText);
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
    auto* form = static_cast<TForm1*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    form->handle_ = window;
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
  }
  auto* form = reinterpret_cast<TForm1*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (!form) return DefWindowProcA(window, message, wParam, lParam);
  // No exception may leave through the system's frames.
  try {
    return form->HandleMessage(message, wParam, lParam);
  } catch (const std::exception& error) {
    form->ShowException(error.what());
  } catch (...) {
    form->ShowException("Unexpected error");
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
      return SendMessageA(GetParent(window), message, wParam, lParam);  // the form handles them
    default:
      return DefWindowProcA(window, message, wParam, lParam);
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
    case WM_CLOSE:
      OnClose();
      return 0;
    case WM_DESTROY:
      OnDestroy();
      return 0;
    case WM_NCDESTROY:
      SetWindowLongPtrA(handle_, GWLP_USERDATA, 0);
      handle_ = nullptr;
      break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
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
    case IdButtonAbort:
      ButtonAbortClick();
      break;
  }
}

LRESULT TForm1::OnNotify(const NMHDR& header) {
  if (header.hwndFrom != pageControl_) return 0;
  if (header.code == TCN_SELCHANGING) return IsWindowEnabled(pageControl_) ? FALSE : TRUE;
  if (header.code == TCN_SELCHANGE)
    ShowPage(static_cast<int>(SendMessageA(pageControl_, TCM_GETCURSEL, 0, 0)));
  return 0;
}

LRESULT TForm1::OnCtlColor(HDC dc, HWND control) {
  // Read-only panes keep the window colour instead of turning grey.
  const int id = GetDlgCtrlID(control);
  if (id == IdMemoMake || id == IdMemoCheck || id == IdMemoAbout) {
    SetBkColor(dc, GetSysColor(COLOR_WINDOW));
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
  }
  return DefWindowProcA(handle_, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
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
    return;
  }
  DestroyWindow(handle_);
}

void TForm1::OnDestroy() { PostQuitMessage(0); }

void TForm1::OnSettingChange() { ReloadDateTimeSettings(); }

template <typename Handler>
void TForm1::RunHandler(Handler handler) {
  ++handlerDepth_;
  try {
    handler();
  } catch (const std::exception& error) {
    ShowException(error.what());
  }
  --handlerDepth_;
  // The close asked for meanwhile is made again from the message loop, where nothing of the
  // handler's call chain (the clicked button, say) is still on the stack.
  if (handlerDepth_ == 0 && terminating_ && handle_) PostMessageA(handle_, WM_CLOSE, 0, 0);
}

void TForm1::ShowException(const char* message) {
  MessageBoxA(handle_, message, kApplicationTitle, MB_OK | MB_ICONSTOP);
}

void TForm1::ProcessMessages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      quitReceived_ = true;
      return;
    }
    if (!handle_ || !IsDialogMessageA(handle_, &message)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
  }
}

void TForm1::ProcessMessagesDuringRun() {
  const auto now = std::chrono::steady_clock::now();
  if (now - lastPump_ < kPumpInterval) return;
  lastPump_ = now;
  ProcessMessages();
}

void TForm1::ShowPage(int index) {
  if (SendMessageA(pageControl_, TCM_GETCURSEL, 0, 0) != index)
    SendMessageA(pageControl_, TCM_SETCURSEL, index, 0);
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

void TForm1::SetMakeRunning(bool running) {
  const HWND go = Control(IdButtonGo);
  const HWND abort = Control(IdButtonAbort);
  memoMake_.SetBatching(running);
  runActive_ = running;
  if (!running) ShowPendingStatus();
  if (running) {
    SetEnabled(go, false);
    SetEnabled(Control(IdButtonScanFolder), false);
    SetPageControlEnabled(false);
    SetEnabled(abort, true);
    SetFocus(abort);
  } else {
    const bool focusLost = GetFocus() == abort || GetFocus() == nullptr || GetFocus() == handle_;
    SetEnabled(go, true);
    SetEnabled(abort, false);
    SetEnabled(Control(IdButtonScanFolder), true);
    SetPageControlEnabled(true);
    if (focusLost) SetFocus(go);
  }
}

void TForm1::SetCheckRunning(bool running) {
  const HWND open = Control(IdButtonFindCheckFile);
  const HWND abort = Control(IdButtonAbort);
  memoCheck_.SetBatching(running);
  runActive_ = running;
  if (!running) ShowPendingStatus();
  if (running) {
    SetPageControlEnabled(false);
    SetEnabled(open, false);
    SetEnabled(abort, true);
    SetFocus(abort);
  } else {
    const bool focusLost = GetFocus() == abort || GetFocus() == nullptr || GetFocus() == handle_;
    SetPageControlEnabled(true);
    SetEnabled(open, true);
    SetEnabled(abort, false);
    if (focusLost) SetFocus(open);
  }
}

void TForm1::TPaneRunView::SetStatus(const std::string& text) { form_.SetStatusText(text); }

void TForm1::SetStatusText(const std::string& text) {
  pendingStatus_ = text;
  statusPending_ = true;
  if (!runActive_ || std::chrono::steady_clock::now() - statusShown_ >= kStatusInterval)
    ShowPendingStatus();
}

void TForm1::ShowPendingStatus() {
  if (!statusPending_) return;
  gui::SetControlText(Control(IdLabelStatus), pendingStatus_);
  statusPending_ = false;
  statusShown_ = std::chrono::steady_clock::now();
}

void TForm1::TPaneRunView::ShowNoFilesBox() {
  pane_.Flush();  // the pane and the status line are complete while the box is up
  form_.ShowPendingStatus();
  MessageBoxA(form_.handle_, "No files to work with!", kApplicationTitle, MB_OK);
}

void TForm1::FormCreate() {
  gui::SetControlText(Control(IdLabelStatus), IdleStatusText());
  const HWND label2 = Control(IdLabel2);
  gui::SetControlText(label2, gui::ControlText(label2) + VersionInfo1.VersionString(2));
  gui::FitLabelWidth(label2);

  const std::string program = gui::ModuleFileName(nullptr);
  const std::size_t folderEnd = platform::FindLastDelimiter(program, "\\:");
  ScanFolder = folderEnd == std::string::npos ? std::string() : program.substr(0, folderEnd + 1);
  gui::SetControlText(Control(IdButtonScanFolder), ScanFolder);

  const std::string beside = ScanFolder + CheckfileName;
  const DWORD attributes = GetFileAttributesA(beside.c_str());
  AutoCheckPending =
      attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void TForm1::ApplicationEvents1Idle() {
  if (!AutoCheckPending) return;
  RunHandler([this] {
    ShowPage(1);
    ButtonFindCheckFileClick();
  });
  AutoCheckPending = false;
}

void TForm1::ButtonScanFolderClick() {
  if (!SelectFolderDialog1.Execute()) return;
  gui::SetControlText(Control(IdButtonScanFolder), SelectFolderDialog1.SelectedPath());
  ScanFolder = SelectFolderDialog1.SelectedPath();
}

void TForm1::ButtonGoClick() {
  TMakePass(makeView_, VersionInfo1.VersionString(2)).Run(ScanFolder);
}

void TForm1::ButtonFindCheckFileClick() {
  memoCheck_.Clear();
  if (AutoCheckPending) {
    AutoCheckPending = false;
    openDialogFileName_ = ScanFolder + CheckfileName;
    memoCheck_.AppendLine(kAutoCheckLine);
  } else if (!ExecuteOpenDialog()) {
    return;
  }
  TCheckPass(checkView_).Run(openDialogFileName_);
}

void TForm1::ButtonAbortClick() { AbortRequested = true; }

bool TForm1::ExecuteOpenDialog() {
  // The name box starts with the checkfile used last; the buffer leaves room for any typed path.
  std::vector<char> fileName(std::max<std::size_t>(openDialogFileName_.size() + 1, 32768), '\0');
  std::copy(openDialogFileName_.begin(), openDialogFileName_.end(), fileName.begin());
  static const char filter[] = "Hashtally 检查文件\0*.MD5\0";  // ends with the double zero

  OPENFILENAMEA dialog{};
  dialog.lStructSize = sizeof(dialog);
  dialog.hwndOwner = handle_;
  dialog.lpstrFilter = filter;
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = fileName.data();
  dialog.nMaxFile = static_cast<DWORD>(fileName.size());
  // An empty scan folder (a chooser item without a file-system path) opens the current directory.
  dialog.lpstrInitialDir = ScanFolder.empty() ? "." : ScanFolder.c_str();
  dialog.lpstrDefExt = "txt";
  dialog.Flags = OFN_HIDEREADONLY | OFN_ENABLESIZING | OFN_EXPLORER;
  if (!GetOpenFileNameA(&dialog)) return false;
  openDialogFileName_ = fileName.data();
  return true;
}
