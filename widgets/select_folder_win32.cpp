// The folder chooser's component classes and its modal window.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include <algorithm>
#include <utility>

#include "platform/wide_path_win32.h"
#include "widgets/com_ptr_win32.h"
#include "widgets/display_text.h"
#include "widgets/gui_helpers.h"
#include "widgets/select_folder.h"
#include "widgets/select_folder_dialog_res.h"
#include "widgets/shell_locator_win32.h"
#include "widgets/shorten_path.h"

namespace widgets {

namespace {

const wchar_t kFormClass[] = L"HashtallySelectFolderForm";

// Layout of the window at 96 pixels per inch.
const int kClientWidth = 358;
const int kClientHeight = 325;
const int kMinWidth = 366;
const int kMinHeight = 340;
const int kButtonPanelHeight = 29;

struct TControlRow {
  const wchar_t* className;
  int id;
  RECT bounds;  // left, top, right, bottom
  DWORD style;
};

void RegisterFormClass(WNDPROC procedure) {
  static bool registered = false;
  if (registered) return;
  WNDCLASSEXW windowClass = {};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = kFormClass;
  if (!RegisterClassExW(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
    throw std::runtime_error(gui::SystemErrorText(GetLastError()));
  registered = true;
}

RECT WindowRectIn(HWND child, HWND parent) {
  RECT bounds;
  GetWindowRect(child, &bounds);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&bounds), 2);
  return bounds;
}

// Keeps the owner disabled while the modal window runs; on every way out it enables the owner
// again before the window is hidden, so that activation returns to the owner.
class TModalScope {
 public:
  TModalScope(HWND owner, HWND window)
      : owner_(owner && IsWindowEnabled(owner) ? owner : nullptr), window_(window) {
    if (owner_) EnableWindow(owner_, FALSE);
  }
  ~TModalScope() {
    if (owner_) EnableWindow(owner_, TRUE);
    if (IsWindowVisible(window_)) ShowWindow(window_, SW_HIDE);
    if (owner_) SetActiveWindow(owner_);
  }
  TModalScope(const TModalScope&) = delete;
  TModalScope& operator=(const TModalScope&) = delete;

 private:
  HWND owner_;
  HWND window_;
};

// Shows the hourglass for the lifetime of the object and puts the remembered cursor back.
class TWaitCursor {
 public:
  TWaitCursor() : previous_(SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_WAIT)))) {}
  ~TWaitCursor() { SetCursor(previous_); }
  TWaitCursor(const TWaitCursor&) = delete;
  TWaitCursor& operator=(const TWaitCursor&) = delete;

 private:
  HCURSOR previous_;
};

}  // namespace

// ---- TSelectFolderForm ----

TSelectFolderForm::TSelectFolderForm(HWND owner) : owner_(owner), dpi_(gui::WindowDpi(nullptr)) {
  RegisterFormClass(StaticWindowProc);
  const DWORD style = (WS_OVERLAPPEDWINDOW & ~WS_MINIMIZEBOX) | WS_CLIPCHILDREN;
  RECT outer = {0, 0, Scale(kClientWidth), Scale(kClientHeight)};
  AdjustWindowRectEx(&outer, style, FALSE, 0);
  hwnd_ = CreateWindowExW(0, kFormClass, L"", style, CW_USEDEFAULT, CW_USEDEFAULT,
                          outer.right - outer.left, outer.bottom - outer.top, owner, nullptr,
                          GetModuleHandleW(nullptr), this);
  if (!hwnd_) throw std::runtime_error(gui::SystemErrorText(GetLastError()));
  try {
    FormCreate();
  } catch (...) {
    DestroyWindow(hwnd_);
    throw;
  }
}

TSelectFolderForm::~TSelectFolderForm() {
  if (hwnd_) {
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
  }
}

void TSelectFolderForm::FormCreate() {
  const TControlRow rows[] = {
      {L"BUTTON", idNewFolder, {8, 4, 8 + 101, 4 + 25}, BS_PUSHBUTTON | WS_TABSTOP},
      {L"BUTTON", idDeleteFolder, {117, 4, 117 + 68, 4 + 25}, BS_PUSHBUTTON | WS_TABSTOP},
      {L"BUTTON", IDOK, {12, 2, 12 + 75, 2 + 23}, BS_DEFPUSHBUTTON | WS_TABSTOP | WS_VISIBLE},
      {L"BUTTON", IDCANCEL, {92, 2, 92 + 75, 2 + 23}, BS_PUSHBUTTON | WS_TABSTOP | WS_VISIBLE},
  };
  HWND* handles[] = {&btnNewFolder_, &btnDeleteFolder_, &okBtn_, &cancelBtn_};
  // The tree comes first in tab order.
  ShellTree.Create(hwnd_, idShellTree, {Scale(8), Scale(32), Scale(8 + 341), Scale(32 + 241)});
  for (std::size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
    const TControlRow& row = rows[i];
    *handles[i] = CreateWindowExW(
        0, row.className, L"", WS_CHILD | row.style, Scale(row.bounds.left), Scale(row.bounds.top),
        Scale(row.bounds.right - row.bounds.left), Scale(row.bounds.bottom - row.bounds.top), hwnd_,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(row.id)), GetModuleHandleW(nullptr), nullptr);
    if (!*handles[i]) throw std::runtime_error(gui::SystemErrorText(GetLastError()));
  }
  statusBar_ =
      CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE | CCS_BOTTOM, 0, 0, 0,
                      Scale(19), hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(idStatusBar)),
                      GetModuleHandleW(nullptr), nullptr);
  if (!statusBar_) throw std::runtime_error(gui::SystemErrorText(GetLastError()));
  SendMessageW(statusBar_, SB_SIMPLE, TRUE, 0);
  ShellTree.SetShowRoot(true);
  ShellTree.OnChange = [this](HTREEITEM node) { ShellTreeChange(node); };
  SetFontName(L"MS Sans Serif");
  FormResize();
}

LRESULT CALLBACK TSelectFolderForm::StaticWindowProc(HWND hwnd, UINT message, WPARAM wParam,
                                                     LPARAM lParam) {
  if (message == WM_NCCREATE) {
    // The form object comes with the create parameters; every later message is forwarded to it.
    auto* created =
        static_cast<TSelectFolderForm*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    created->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created));
  }
  auto* form = reinterpret_cast<TSelectFolderForm*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!form) return DefWindowProcW(hwnd, message, wParam, lParam);
  // Nothing may unwind through the system's frames: keep the exception for the modal loop.
  try {
    return form->WindowProc(message, wParam, lParam);
  } catch (...) {
    if (!form->pending_) form->pending_ = std::current_exception();
    form->modalResult_ = IDCANCEL;
    return 0;
  }
}

LRESULT TSelectFolderForm::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SIZE:
      FormResize();
      return 0;
    case WM_GETMINMAXINFO: {
      auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
      info->ptMinTrackSize.x = Scale(kMinWidth);
      info->ptMinTrackSize.y = Scale(kMinHeight);
      return 0;
    }
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam));
      return 0;
    case WM_NOTIFY: {
      LRESULT result = 0;
      if (ShellTree.HandleNotify(*reinterpret_cast<const NMHDR*>(lParam), result)) return result;
      break;
    }
    case WM_CONTEXTMENU:
      if (ShellTree.HandleContextMenu(reinterpret_cast<HWND>(wParam), lParam)) return 0;
      break;
    case DM_GETDEFID:
      return MAKELRESULT(IDOK, DC_HASDEFID);
    case WM_CLOSE:
      modalResult_ = IDCANCEL;
      return 0;
  }
  return DefWindowProcW(hwnd_, message, wParam, lParam);
}

void TSelectFolderForm::OnCommand(int id, int code) {
  if (code != BN_CLICKED) return;
  switch (id) {
    case IDOK:
    case IDCANCEL:
      modalResult_ = id;
      break;
    case idNewFolder:
      CreateBtnClick();
      break;
    case idDeleteFolder:
      DeleteBtnClick();
      break;
  }
}

void TSelectFolderForm::SetFontName(const std::wstring& name) {
  // Folder names may be Chinese whatever the system's code page.
  gui::TGdiObject font = gui::CreatePointFont(name.c_str(), 8, gui::ChineseCharset(), dpi_);
  if (!font.Get()) return;
  for (HWND child :
       {ShellTree.Handle(), okBtn_, cancelBtn_, btnNewFolder_, btnDeleteFolder_, statusBar_})
    if (child) SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), FALSE);
  font_ = std::move(font);  // the font the controls had until now goes
}

void TSelectFolderForm::SetWidth(int width) {
  RECT bounds;
  GetWindowRect(hwnd_, &bounds);
  SetWindowPos(hwnd_, nullptr, 0, 0, width, bounds.bottom - bounds.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TSelectFolderForm::SetHeight(int height) {
  RECT bounds;
  GetWindowRect(hwnd_, &bounds);
  SetWindowPos(hwnd_, nullptr, 0, 0, bounds.right - bounds.left, height,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

TWindowState TSelectFolderForm::WindowState() const {
  // Before it is shown and after it is hidden, the window keeps the state it was given or had.
  if (!IsWindowVisible(hwnd_)) return windowState_;
  if (IsZoomed(hwnd_)) return TWindowState::wsMaximized;
  if (IsIconic(hwnd_)) return TWindowState::wsMinimized;
  return TWindowState::wsNormal;
}

std::wstring TSelectFolderForm::Caption() const { return gui::ControlText(hwnd_); }

void TSelectFolderForm::SetCaption(const std::wstring& caption) {
  gui::SetControlText(hwnd_, caption);
}

void TSelectFolderForm::SetStatusText(const std::string& text) {
  statusText_ = text;
  const std::wstring shown = gui::SystemWide(statusText_);
  SendMessageW(statusBar_, SB_SETTEXTW, SB_SIMPLEID | SBT_NOBORDERS,
               reinterpret_cast<LPARAM>(shown.c_str()));
}

int TSelectFolderForm::MeasureText(const std::string& text) const {
  return gui::TextWidth(hwnd_, font_.Get(), gui::SystemWide(text));
}

void TSelectFolderForm::SetLanguage(texts::TLanguage language) {
  language_ = language;
  ShellTree.SetLanguage(language);
  LoadCaptions();
}

void TSelectFolderForm::LoadCaptions() {
  const auto say = [this](texts::TText name) {
    return gui::ProgramWide(texts::Text(language_, name));
  };
  gui::SetControlText(okBtn_, say(texts::TText::FolderOk));
  gui::SetControlText(cancelBtn_, say(texts::TText::FolderCancel));
  gui::SetControlText(btnNewFolder_, say(texts::TText::FolderCreate));
  gui::SetControlText(btnDeleteFolder_, say(texts::TText::FolderDelete));
  if (Caption().empty()) SetCaption(say(texts::TText::FolderCaption));
}

void TSelectFolderForm::ApplyOptions(TSelectFolderDialogOptions options) {
  const auto has = [options](TSelectFolderDialogOption option) {
    return (options & SelectFolderOption(option)) != 0;
  };
  const std::pair<TShellTreeOption, TSelectFolderDialogOption> mapping[] = {
      {stoIncludeNonFolders, sfdoIncludeNonFolders},
      {stoVirtualFolders, sfdoVirtualFolders},
      {stoContextMenus, sfdoContextMenus},
      {stoShowHidden, sfdoShowHidden},
  };
  TShellTreeOptions treeOptions = ShellTree.Options();
  for (const auto& [treeOption, dialogOption] : mapping) {
    if (has(dialogOption))
      treeOptions |= ShellTreeOption(treeOption);
    else
      treeOptions &= ~ShellTreeOption(treeOption);
  }
  ShellTree.SetOptions(treeOptions);

  const int show = has(sfdoCreateDeleteButtons) ? SW_SHOW : SW_HIDE;
  ShowWindow(btnNewFolder_, show);
  ShowWindow(btnDeleteFolder_, show);
  const bool flat = has(sfdoCreateFolderIcon) && has(sfdoDeleteFolderIcon);
  for (HWND button : {btnNewFolder_, btnDeleteFolder_}) {
    const LONG_PTR style = GetWindowLongPtrW(button, GWL_STYLE);
    SetWindowLongPtrW(button, GWL_STYLE, flat ? style | BS_FLAT : style & ~BS_FLAT);
  }
  ShellTree.SetReadOnly(has(sfdoReadOnly));
  FormResize();
}

void TSelectFolderForm::FormResize() {
  if (!ShellTree.Handle() || !statusBar_) return;
  SendMessageW(statusBar_, WM_SIZE, 0, 0);  // the status bar docks itself to the bottom
  RECT client;
  GetClientRect(hwnd_, &client);
  RECT outer;
  GetWindowRect(hwnd_, &outer);
  const RECT status = WindowRectIn(statusBar_, hwnd_);
  const int panelTop = status.top - Scale(kButtonPanelHeight);

  int treeTop = Scale(8);
  if (IsWindowVisible(btnNewFolder_))
    treeTop = WindowRectIn(btnNewFolder_, hwnd_).bottom + Scale(4);
  else if (IsWindowVisible(btnDeleteFolder_))
    treeTop = WindowRectIn(btnDeleteFolder_, hwnd_).bottom + Scale(4);
  const RECT tree = WindowRectIn(ShellTree.Handle(), hwnd_);
  // The design's frame was 4 pixels a side, so outer width - 24 left an 8-pixel margin; with
  // thicker frames the tree would run under the right edge and hide its scroll bar.
  const int treeRight =
      std::min<int>(tree.left + (outer.right - outer.left) - Scale(24), client.right - Scale(8));
  const int treeBottom = panelTop - Scale(4);
  MoveWindow(ShellTree.Handle(), tree.left, treeTop, treeRight - tree.left, treeBottom - treeTop,
             TRUE);

  const RECT cancel = WindowRectIn(cancelBtn_, hwnd_);
  const RECT ok = WindowRectIn(okBtn_, hwnd_);
  const int cancelWidth = cancel.right - cancel.left;
  const int okWidth = ok.right - ok.left;
  const int cancelLeft = client.right - Scale(8) - cancelWidth;
  const int buttonTop = panelTop + Scale(2);
  MoveWindow(cancelBtn_, cancelLeft, buttonTop, cancelWidth, cancel.bottom - cancel.top, TRUE);
  MoveWindow(okBtn_, cancelLeft - Scale(8) - okWidth, buttonTop, okWidth, ok.bottom - ok.top, TRUE);

  const HTREEITEM selected = ShellTree.Selected();
  if (ShellTree.HasFolderData(selected)) {
    RECT statusClient;
    GetClientRect(statusBar_, &statusClient);
    SetStatusText(ShortenPath(
        ShellTree.NodePath(selected), [this](const std::string& text) { return MeasureText(text); },
        statusClient.right - Scale(20)));
  }
}

void TSelectFolderForm::ShellTreeChange(HTREEITEM node) {
  if (!ShellTree.HasFolderData(node)) return;
  const std::string path = ShellTree.NodePath(node);
  const bool hasPath = !path.empty();
  RECT statusClient;
  GetClientRect(statusBar_, &statusClient);
  SetStatusText(ShortenPath(
      path, [this](const std::string& text) { return MeasureText(text); },
      statusClient.right - Scale(20)));
  EnableWindow(btnNewFolder_, hasPath);
  EnableWindow(btnDeleteFolder_, hasPath && ShellTree.AbsoluteIndex(node) != 0);
  if (OnSelChange) OnSelChange(*this, ShellTree.NodeIdList(node));
}

void TSelectFolderForm::CreateBtnClick() { ShellTree.CreateNewFolder(); }

void TSelectFolderForm::DeleteBtnClick() {
  ShellTree.InvokeVerb(ShellTree.Selected(), "delete");
  ShellTree.Refresh();
}

void TSelectFolderForm::DoShow() {
  gui::CentreOnMonitorOf(hwnd_, owner_ ? owner_ : hwnd_);
  SetFontName(gui::LoadResourceString(IDS_SFD_FONT_NAME));
  ShellTree.Fill();
  if (pending_) std::rethrow_exception(std::exchange(pending_, nullptr));
  LoadCaptions();
  const int show = windowState_ == TWindowState::wsMaximized   ? SW_SHOWMAXIMIZED
                   : windowState_ == TWindowState::wsMinimized ? SW_SHOWMINIMIZED
                                                               : SW_SHOWNORMAL;
  ShowWindow(hwnd_, show);
  UpdateWindow(hwnd_);
  SetFocus(ShellTree.Handle());
  if (OnFormShow) OnFormShow(*this);
}

void TSelectFolderForm::DoHide() {
  ShowWindow(hwnd_, SW_HIDE);
  if (OnFormClose) OnFormClose(*this);
}

int TSelectFolderForm::ShowModal() {
  // Something the window procedure caught while the window was being prepared ends the run now.
  if (pending_) std::rethrow_exception(std::exchange(pending_, nullptr));
  modalResult_ = 0;
  {
    TModalScope scope(owner_, hwnd_);
    DoShow();
    MSG message;
    while (modalResult_ == 0 && !pending_) {
      const BOOL got = GetMessageW(&message, nullptr, 0, 0);
      if (got == 0) {  // the application is quitting: pass the request on and close
        PostQuitMessage(static_cast<int>(message.wParam));
        modalResult_ = IDCANCEL;
        break;
      }
      if (got < 0) {
        modalResult_ = IDCANCEL;
        break;
      }
      // While a folder name is being edited, Enter and Esc belong to the edit box.
      const bool editing = TreeView_GetEditControl(ShellTree.Handle()) != nullptr;
      if (!editing && IsDialogMessageW(hwnd_, &message)) continue;
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    if (pending_) std::rethrow_exception(std::exchange(pending_, nullptr));
    windowState_ = WindowState();
  }
  DoHide();
  return modalResult_;
}

// ---- TShellDialog ----

bool TShellDialog::Execute() {
  if (busy_) throw EDialogError(std::string(ClassName()) + " already executing");
  busy_ = true;
  struct TBusyReset {
    bool& busy;
    ~TBusyReset() { busy = false; }
  } reset{busy_};
  return RunDialog();
}

void TShellDialog::DoInitialized() {
  if (OnInitialized) OnInitialized(*this);
}

// ---- TCustomSelectFolderDialog ----

std::unique_ptr<TSelectFolderForm> TCustomSelectFolderDialog::CreateDialogForm() {
  return std::make_unique<TSelectFolderForm>(owner_);
}

void TCustomSelectFolderDialog::InitDialogForm(TSelectFolderForm& form) {
  form.SetLanguage(Language);
  form.OnSelChange = OnSelChange;
  form.OnFormShow = OnFormShow;
  form.OnFormClose = OnFormClose;
  form.ShellTree.OnAddItem = OnAddItem;
  form.SetStatusText(std::string());
  if (FormWidth > 0) form.SetWidth(FormWidth);
  if (FormHeight > 0) form.SetHeight(FormHeight);
  form.SetWindowState(FormWindowState);
  form.ApplyOptions(Options);
  form.SetCaption(gui::ProgramWide(
      !Title.empty() ? Title : texts::Text(Language, texts::TText::FolderCaption)));
  form.ShellTree.SetBaseFolder(BaseFolder);
  form.ShellTree.SetCurrentFolder(chosenFolder_);
}

void TCustomSelectFolderDialog::ReadDialogForm(TSelectFolderForm& form) {
  WINDOWPLACEMENT placement = {};
  placement.length = sizeof placement;
  if (GetWindowPlacement(form.Handle(), &placement)) {
    FormWidth = placement.rcNormalPosition.right - placement.rcNormalPosition.left;
    FormHeight = placement.rcNormalPosition.bottom - placement.rcNormalPosition.top;
  }
  FormWindowState = form.WindowState();
  if (form.ModalResult() == IDOK) {
    chosenFolder_ = form.ShellTree.CurrentFolder();
    const HTREEITEM chosen = form.ShellTree.Selected();
    chosenPath_ = form.ShellTree.HasFolderData(chosen)
                      ? form.ShellTree.NodeWidePath(chosen)
                      : IdListWidePath(LocatorIdList(chosenFolder_).Get());
  }
}

bool TCustomSelectFolderDialog::RunDialog() {
  if (form_) throw EDialogError("TSelectFolderDialog form already active");
  TWaitCursor cursor;
  TComInit com;  // released after the window and everything it holds of the shell
  std::unique_ptr<TSelectFolderForm> form = CreateDialogForm();
  struct TFormReset {
    TSelectFolderForm*& form;
    ~TFormReset() { form = nullptr; }
  } reset{form_};
  InitDialogForm(*form);
  form_ = form.get();
  DoInitialized();
  const bool ok = form->ShowModal() == IDOK;
  ReadDialogForm(*form);
  return ok;
}

std::wstring TCustomSelectFolderDialog::SelectedWidePath() const {
  if (chosenPath_) return *chosenPath_;
  TComInit com;
  const TItemIdList folder = LocatorIdList(chosenFolder_);
  return IdListWidePath(folder.Get());
}

std::string TCustomSelectFolderDialog::SelectedPath() const {
  std::string path;
  platform::CodePageName(SelectedWidePath().c_str(), path);
  return path;
}

}  // namespace widgets
