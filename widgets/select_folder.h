// The folder chooser: TSelectFolderDialog, a component that opens the modal window
// TSelectFolderForm with a tree of the shell's folders and keeps the folder the user confirmed.
//
//   TSelectFolderDialog dialog;
//   dialog.BaseFolder = TShellLocator::SpecialFolder(0x11);  // the computer's drives
//   dialog.SetOwnerWindow(hwndMain);
//   if (dialog.Execute()) path = dialog.SelectedPath();
#pragma once

// clang-format off
#include <windows.h>
#include <shlobj.h>
// clang-format on

#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

#include "texts/texts.h"
#include "widgets/gui_helpers.h"
#include "widgets/shell_locator.h"
#include "widgets/shell_tree.h"

namespace widgets {

// Misuse of a dialog component (a nested Execute, a second window).
class EDialogError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

enum TSelectFolderDialogOption {
  sfdoCreateDeleteButtons,
  sfdoContextMenus,
  sfdoReadOnly,
  sfdoIncludeNonFolders,
  sfdoCreateFolderIcon,
  sfdoDeleteFolderIcon,
  sfdoVirtualFolders,
  sfdoShowHidden,
};
// Bit n of the set is option n.
using TSelectFolderDialogOptions = unsigned;
constexpr TSelectFolderDialogOptions SelectFolderOption(TSelectFolderDialogOption option) {
  return 1u << option;
}
constexpr TSelectFolderDialogOptions kDefaultSelectFolderOptions =
    SelectFolderOption(sfdoContextMenus) | SelectFolderOption(sfdoCreateFolderIcon) |
    SelectFolderOption(sfdoDeleteFolderIcon) | SelectFolderOption(sfdoShowHidden);

enum class TWindowState { wsNormal, wsMinimized, wsMaximized };

class TSelectFolderForm;
class TShellDialog;
using TFormNotifyEvent = std::function<void(TSelectFolderForm& sender)>;
using TFolderChangeEvent = std::function<void(TSelectFolderForm& sender, LPCITEMIDLIST newSel)>;
using TDialogNotifyEvent = std::function<void(TShellDialog& sender)>;

// The chooser's window. Created hidden; ShowModal shows it, runs its own message loop with the
// owner disabled, and hides it again. Sizes are given at 96 pixels per inch and scaled.
class TSelectFolderForm {
 public:
  enum ControlId { idShellTree = 100, idNewFolder, idDeleteFolder, idStatusBar };

  explicit TSelectFolderForm(HWND owner);
  virtual ~TSelectFolderForm();
  TSelectFolderForm(const TSelectFolderForm&) = delete;
  TSelectFolderForm& operator=(const TSelectFolderForm&) = delete;

  HWND Handle() const { return hwnd_; }
  // The language of the captions and of the tree's texts.
  void SetLanguage(texts::TLanguage language);
  HWND OkBtn() const { return okBtn_; }
  HWND CancelBtn() const { return cancelBtn_; }
  HWND BtnNewFolder() const { return btnNewFolder_; }
  HWND BtnDeleteFolder() const { return btnDeleteFolder_; }
  HWND StatusBar1() const { return statusBar_; }
  TShellTree ShellTree;

  void SetWidth(int width);
  void SetHeight(int height);
  TWindowState WindowState() const;
  void SetWindowState(TWindowState state) { windowState_ = state; }
  std::wstring Caption() const;
  void SetCaption(const std::wstring& caption);
  // The status line: a path in the code page, shortened to the line's width.
  std::string StatusText() const { return statusText_; }
  void SetStatusText(const std::string& text);

  // Shows the window modally; returns the modal result (IDOK, IDCANCEL).
  int ShowModal();
  int ModalResult() const { return modalResult_; }
  void SetModalResult(int result) { modalResult_ = result; }

  // Width of `text` in the window's font, as the status line draws it.
  int MeasureText(const std::string& text) const;

  virtual void LoadCaptions();
  texts::TLanguage language_ = texts::TLanguage::Chinese;
  virtual void ApplyOptions(TSelectFolderDialogOptions options);
  void FormResize();
  void ShellTreeChange(HTREEITEM node);
  void CreateBtnClick();
  void DeleteBtnClick();

  TFolderChangeEvent OnSelChange;
  TFormNotifyEvent OnFormShow;
  TFormNotifyEvent OnFormClose;

 protected:
  // The show hook: font, tree fill, captions, then OnFormShow. The hide hook fires OnFormClose.
  virtual void DoShow();
  virtual void DoHide();
  virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  int Scale(int pixels) const { return gui::Scale(pixels, dpi_); }

 private:
  static LRESULT CALLBACK StaticWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  void FormCreate();
  void SetFontName(const std::wstring& name);
  void OnCommand(int id, int code);

  HWND owner_;
  HWND hwnd_ = nullptr;
  HWND okBtn_ = nullptr;
  HWND cancelBtn_ = nullptr;
  HWND btnNewFolder_ = nullptr;
  HWND btnDeleteFolder_ = nullptr;
  HWND statusBar_ = nullptr;
  gui::TGdiObject font_;
  int dpi_ = 96;
  int modalResult_ = 0;
  TWindowState windowState_ = TWindowState::wsNormal;
  std::string statusText_;
  // An exception raised inside the window procedure, carried out of the message loop.
  std::exception_ptr pending_;
};

// A non-visual dialog component: Execute guards against re-entry and runs the dialog.
class TShellDialog {
 public:
  virtual ~TShellDialog() = default;

  // Raises EDialogError("<class name> already executing") when called while running.
  bool Execute();
  bool Executing() const { return busy_; }
  virtual const char* ClassName() const = 0;

  TDialogNotifyEvent OnInitialized;

 protected:
  virtual void DoInitialized();
  virtual bool RunDialog() = 0;

 private:
  bool busy_ = false;
};

class TCustomSelectFolderDialog : public TShellDialog {
 public:
  // Owner of the modal window; it is disabled while the window is open.
  void SetOwnerWindow(HWND owner) { owner_ = owner; }

  // File-system path of the folder confirmed by the last OK, as long as it is: "C:\" for a drive,
  // no trailing backslash otherwise, empty for a folder without a path (the computer's drives
  // node). Before the first OK it is the namespace root's, the desktop directory.
  std::wstring SelectedWidePath() const;
  // The same in the code page (a character it cannot hold shows as its default character).
  std::string SelectedPath() const;
  const TShellLocator& ChosenFolder() const { return chosenFolder_; }
  // The window while a run is active, else null.
  TSelectFolderForm* Form() const { return form_; }

  std::string Title;  // a program text; empty for the standard caption
  texts::TLanguage Language = texts::TLanguage::Chinese;  // of the window's texts
  int FormWidth = -1;
  int FormHeight = -1;
  TWindowState FormWindowState = TWindowState::wsNormal;
  TShellLocator BaseFolder;
  TSelectFolderDialogOptions Options = kDefaultSelectFolderOptions;
  TShellTreeAddItemEvent OnAddItem;
  TFormNotifyEvent OnFormClose;
  TFormNotifyEvent OnFormShow;
  TFolderChangeEvent OnSelChange;

 protected:
  bool RunDialog() override;
  virtual std::unique_ptr<TSelectFolderForm> CreateDialogForm();
  virtual void InitDialogForm(TSelectFolderForm& form);
  virtual void ReadDialogForm(TSelectFolderForm& form);

 private:
  HWND owner_ = nullptr;
  TSelectFolderForm* form_ = nullptr;
  TShellLocator chosenFolder_;
  // The chosen node's own path, known after the first OK: the shell may not give a path that
  // long for the folder's item-ID list.
  std::optional<std::wstring> chosenPath_;
};

class TSelectFolderDialog : public TCustomSelectFolderDialog {
 public:
  const char* ClassName() const override { return "TSelectFolderDialog"; }
};

}  // namespace widgets
