// The folder chooser driven in-process: a thread timer plays a script of user actions (select a
// node, press a key, click a button, resize) while the dialog's own modal loop runs, and the test
// checks what Execute and SelectedPath return and what the window showed.
// clang-format off
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>
// clang-format on

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "widgets/com_ptr_win32.h"
#include "widgets/display_text.h"
#include "widgets/select_folder.h"
#include "widgets/shell_locator_win32.h"
#include "widgets/shorten_path.h"

namespace {

using widgets::TSelectFolderDialog;
using widgets::TSelectFolderForm;
using widgets::TShellLocator;
using widgets::TShellTree;
using widgets::TWindowState;

const int kDrives = 0x11;  // CSIDL_DRIVES
const std::string kRoot = "C:\\ht-dialog-test";

using TStep = std::function<void(TSelectFolderForm& form)>;

// Under Wine in an X server without a window manager, a managed window waits two seconds for a
// manager on every hide, and a maximised one is restored when X reports its position. This
// executable asks Wine (its per-program settings) for unmanaged windows before it makes any.
const bool kUnmanagedWindows = [] {
  if (!GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version")) return false;
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER,
                      "Software\\Wine\\AppDefaults\\folder_dialog_tests.exe\\X11 Driver", 0,
                      nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS)
    return false;
  RegSetValueExA(key, "Managed", 0, REG_SZ, reinterpret_cast<const BYTE*>("N"), 2);
  RegCloseKey(key);
  return true;
}();

// ---- the script player ----

struct TScript {
  widgets::TCustomSelectFolderDialog* dialog = nullptr;
  std::vector<TStep> steps;
  std::size_t next = 0;
  int idleTicks = 0;
};
TScript* gScript = nullptr;

void CALLBACK ScriptTick(HWND, UINT, UINT_PTR, DWORD) {
  TSelectFolderForm* form = gScript ? gScript->dialog->Form() : nullptr;
  if (!form || !IsWindowVisible(form->Handle())) return;
  if (gScript->next < gScript->steps.size()) {
    const TStep& step = gScript->steps[gScript->next++];  // a step may run a nested loop
    step(*form);
  } else if (++gScript->idleTicks > 200) {
    ADD_FAILURE() << "the dialog stayed open after its script";
    form->SetModalResult(IDCANCEL);
  }
}

// Runs Execute with the steps played one per timer tick; every step must have run.
bool RunScript(widgets::TCustomSelectFolderDialog& dialog, std::vector<TStep> steps) {
  TScript script;
  script.dialog = &dialog;
  script.steps = std::move(steps);
  gScript = &script;
  const UINT_PTR timer = SetTimer(nullptr, 0, 20, ScriptTick);
  struct TStop {
    UINT_PTR timer;
    ~TStop() {
      KillTimer(nullptr, timer);
      gScript = nullptr;
    }
  } stop{timer};
  const bool result = dialog.Execute();
  EXPECT_EQ(script.next, script.steps.size()) << "the dialog closed before its script ended";
  return result;
}

// ---- helpers over the window ----

std::string StatusText(const TSelectFolderForm& form) {
  const LRESULT length = SendMessageA(form.StatusBar1(), SB_GETTEXTLENGTHA, 0, 0) & 0xFFFF;
  std::string text(length + 1, '\0');
  SendMessageA(form.StatusBar1(), SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(&text[0]));
  text.resize(length);
  return text;
}

RECT ChildRect(HWND child) {
  RECT bounds;
  GetWindowRect(child, &bounds);
  MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&bounds), 2);
  return bounds;
}

SIZE WindowSize(HWND window) {
  RECT bounds;
  GetWindowRect(window, &bounds);
  return {bounds.right - bounds.left, bounds.bottom - bounds.top};
}

bool SamePath(const std::string& a, const std::string& b) {
  return lstrcmpiA(a.c_str(), b.c_str()) == 0;
}

// Finds the node of `path` the way a user would: expanding the nodes on the way down, through
// folders that hold it and folders without a path (the computer's drives node).
HTREEITEM FindNodeBelow(TShellTree& tree, HTREEITEM item, const std::string& path, int depth) {
  if (depth > 8) return nullptr;
  TreeView_Expand(tree.Handle(), item, TVE_EXPAND);
  for (HTREEITEM child = TreeView_GetChild(tree.Handle(), item); child;
       child = TreeView_GetNextSibling(tree.Handle(), child)) {
    std::string prefix = tree.NodePath(child);
    if (SamePath(prefix, path)) return child;
    if (!prefix.empty() && prefix.back() != '\\') prefix += '\\';
    const bool holds = !prefix.empty() && path.size() > prefix.size() &&
                       SamePath(path.substr(0, prefix.size()), prefix);
    if (holds || prefix.empty())
      if (HTREEITEM found = FindNodeBelow(tree, child, path, depth + 1)) return found;
  }
  return nullptr;
}

HTREEITEM FindNode(TShellTree& tree, const std::string& path) {
  HTREEITEM root = tree.RootItem();
  return SamePath(tree.NodePath(root), path) ? root : FindNodeBelow(tree, root, path, 0);
}

TStep Select(const std::string& path) {
  return [path](TSelectFolderForm& form) {
    HTREEITEM item = FindNode(form.ShellTree, path);
    ASSERT_NE(item, nullptr) << path;
    TreeView_SelectItem(form.ShellTree.Handle(), item);
  };
}

TStep PressKey(WORD key) {
  return [key](TSelectFolderForm& form) {
    PostMessageA(GetFocus() ? GetFocus() : form.ShellTree.Handle(), WM_KEYDOWN, key, 1);
    PostMessageA(GetFocus() ? GetFocus() : form.ShellTree.Handle(), WM_KEYUP, key, 0xC0000001);
  };
}

TStep ClickOk() {
  return [](TSelectFolderForm& form) { SendMessageA(form.OkBtn(), BM_CLICK, 0, 0); };
}

TStep ClickCancel() {
  return [](TSelectFolderForm& form) { SendMessageA(form.CancelBtn(), BM_CLICK, 0, 0); };
}

TStep Check(std::function<void(TSelectFolderForm&)> check) { return check; }

// ---- helpers over the file system and the shell ----

void RemoveTree(const std::string& path) {
  std::string from = path + '\0';
  SHFILEOPSTRUCTA operation = {};
  operation.wFunc = FO_DELETE;
  operation.pFrom = from.c_str();
  operation.fFlags = FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
  SHFileOperationA(&operation);
}

bool FolderExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

TShellLocator PathLocator(const std::string& path) {
  widgets::TComInit com;
  widgets::TItemIdList list(ILCreateFromPathA(path.c_str()));
  EXPECT_TRUE(list) << path;
  return widgets::LocatorFromIdList(list.Get());
}

class FolderDialog : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    RemoveTree(kRoot);
    for (const char* folder : {"", "\\sub", "\\sub\\deeper", "\\other", "\\make"})
      CreateDirectoryA((kRoot + folder).c_str(), nullptr);
  }
  static void TearDownTestSuite() { RemoveTree(kRoot); }

  void SetUp() override {
    ASSERT_TRUE(FolderExists(kRoot + "\\sub\\deeper"));
    owner_ = CreateWindowExA(0, "STATIC", "owner", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                             nullptr, GetModuleHandleA(nullptr), nullptr);
    ShowWindow(owner_, SW_SHOWNORMAL);
    dialog_.BaseFolder = TShellLocator::SpecialFolder(kDrives);
    dialog_.SetOwnerWindow(owner_);
  }
  void TearDown() override { DestroyWindow(owner_); }

  HWND owner_ = nullptr;
  TSelectFolderDialog dialog_;
};

// ---- the tests ----

TEST_F(FolderDialog, OkReturnsTheSelectedFoldersPath) {
  // The first run selects the drives node, which has no path: OK gives true and empty text.
  bool ownerDisabled = false;
  EXPECT_TRUE(RunScript(dialog_, {Check([&](TSelectFolderForm& form) {
                                    ownerDisabled = !IsWindowEnabled(owner_);
                                    EXPECT_EQ(form.ShellTree.Selected(), form.ShellTree.RootItem());
                                    EXPECT_EQ(StatusText(form), "");
                                  }),
                                  PressKey(VK_RETURN)}));
  EXPECT_TRUE(ownerDisabled);
  EXPECT_TRUE(IsWindowEnabled(owner_));
  EXPECT_EQ(dialog_.SelectedPath(), "");

  const struct {
    std::string select;
    std::string expected;
  } cases[] = {
      {"C:\\", "C:\\"},  // a drive keeps its backslash
      {kRoot + "\\sub", kRoot + "\\sub"},
      {kRoot + "\\sub\\deeper", kRoot + "\\sub\\deeper"},
      {"Z:\\", "Z:\\"},
  };
  for (const auto& c : cases) {
    EXPECT_TRUE(RunScript(dialog_, {Select(c.select), ClickOk()})) << c.select;
    EXPECT_TRUE(SamePath(dialog_.SelectedPath(), c.expected))
        << c.select << " gave " << dialog_.SelectedPath();
  }
}

TEST_F(FolderDialog, CancelEscAndCloseKeepTheChosenFolder) {
  ASSERT_TRUE(RunScript(dialog_, {Select(kRoot + "\\other"), ClickOk()}));
  const TStep closers[] = {
      ClickCancel(),
      PressKey(VK_ESCAPE),
      [](TSelectFolderForm& form) { PostMessageA(form.Handle(), WM_CLOSE, 0, 0); },
  };
  for (const TStep& close : closers) {
    EXPECT_FALSE(RunScript(dialog_, {Select("C:\\"), close}));
    EXPECT_TRUE(SamePath(dialog_.SelectedPath(), kRoot + "\\other"));
    EXPECT_TRUE(IsWindowEnabled(owner_));
  }
  // The empty locator is the namespace root, whose path is the desktop directory.
  TSelectFolderDialog fresh;
  char desktop[MAX_PATH] = "";
  ASSERT_TRUE(SHGetSpecialFolderPathA(nullptr, desktop, CSIDL_DESKTOPDIRECTORY, FALSE));
  EXPECT_TRUE(SamePath(fresh.SelectedPath(), desktop));
}

TEST_F(FolderDialog, NextRunOpensAtLastSizeStateAndFolder) {
  const std::string folder = kRoot + "\\sub\\deeper";
  ASSERT_TRUE(RunScript(dialog_, {Select(folder),
                                  [](TSelectFolderForm& form) {
                                    SetWindowPos(form.Handle(), nullptr, 0, 0, 520, 430,
                                                 SWP_NOMOVE | SWP_NOZORDER);
                                  },
                                  ClickOk()}));
  EXPECT_EQ(dialog_.FormWidth, 520);
  EXPECT_EQ(dialog_.FormHeight, 430);
  EXPECT_EQ(dialog_.FormWindowState, TWindowState::wsNormal);

  // Opens at that size with the folder selected and its ancestors expanded; closes maximised.
  EXPECT_FALSE(RunScript(
      dialog_, {Check([&](TSelectFolderForm& form) {
                  const SIZE size = WindowSize(form.Handle());
                  EXPECT_EQ(size.cx, 520);
                  EXPECT_EQ(size.cy, 430);
                  TShellTree& tree = form.ShellTree;
                  EXPECT_TRUE(SamePath(tree.NodePath(tree.Selected()), folder));
                  HTREEITEM parent = TreeView_GetParent(tree.Handle(), tree.Selected());
                  EXPECT_TRUE(TreeView_GetItemState(tree.Handle(), parent, TVIS_EXPANDED) &
                              TVIS_EXPANDED);
                  EXPECT_TRUE(SamePath(StatusText(form), folder))
                      << "[" << StatusText(form) << "] [" << form.StatusText() << "]";
                }),
                [](TSelectFolderForm& form) {
                  ShowWindow(form.Handle(), SW_MAXIMIZE);
                  EXPECT_TRUE(IsZoomed(form.Handle()));
                  SendMessageA(form.CancelBtn(), BM_CLICK, 0, 0);
                }}));
  EXPECT_EQ(dialog_.FormWindowState, TWindowState::wsMaximized);
  EXPECT_EQ(dialog_.FormWidth, 520);  // the restored size, not the maximised one
  EXPECT_EQ(dialog_.FormHeight, 430);

  // Opens maximised; restoring gives the last normal size. Cancel kept the folder.
  bool openedMaximised = false;
  dialog_.OnFormShow = [&](TSelectFolderForm& form) { openedMaximised = IsZoomed(form.Handle()); };
  EXPECT_FALSE(
      RunScript(dialog_, {[&](TSelectFolderForm& form) {
                  EXPECT_TRUE(SamePath(form.ShellTree.NodePath(form.ShellTree.Selected()), folder));
                  ShowWindow(form.Handle(), SW_RESTORE);
                  const SIZE size = WindowSize(form.Handle());
                  EXPECT_EQ(size.cx, 520);
                  EXPECT_EQ(size.cy, 430);
                  SendMessageA(form.CancelBtn(), BM_CLICK, 0, 0);
                }}));
  EXPECT_TRUE(openedMaximised);
  EXPECT_EQ(dialog_.FormWindowState, TWindowState::wsNormal);
}

TEST_F(FolderDialog, WindowRefusesToShrinkBelowItsMinimum) {
  EXPECT_FALSE(RunScript(
      dialog_, {Check([](TSelectFolderForm& form) {
                  MINMAXINFO info = {};
                  SendMessageA(form.Handle(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
                  EXPECT_EQ(info.ptMinTrackSize.x, 366);
                  EXPECT_EQ(info.ptMinTrackSize.y, 340);
                  SetWindowPos(form.Handle(), nullptr, 0, 0, 200, 150, SWP_NOMOVE | SWP_NOZORDER);
                  const SIZE size = WindowSize(form.Handle());
                  EXPECT_GE(size.cx, 366);
                  EXPECT_GE(size.cy, 340);
                  // Cancel stays right-aligned, 8 pixels from the edge.
                  RECT client;
                  GetClientRect(form.Handle(), &client);
                  const RECT cancel = ChildRect(form.CancelBtn());
                  const RECT ok = ChildRect(form.OkBtn());
                  EXPECT_EQ(cancel.right, client.right - 8);
                  EXPECT_EQ(ok.right, cancel.left - 8);
                  EXPECT_LT(ChildRect(form.ShellTree.Handle()).bottom, ok.top);
                  EXPECT_LE(ChildRect(form.ShellTree.Handle()).right, client.right - 8);
                }),
                ClickCancel()}));
}

TEST_F(FolderDialog, CreateAndDeleteButtonsFollowTheirOptions) {
  // Default options: no buttons, the tree 8 pixels below the top.
  EXPECT_FALSE(RunScript(dialog_, {Check([](TSelectFolderForm& form) {
                                     EXPECT_FALSE(IsWindowVisible(form.BtnNewFolder()));
                                     EXPECT_FALSE(IsWindowVisible(form.BtnDeleteFolder()));
                                     EXPECT_EQ(ChildRect(form.ShellTree.Handle()).top, 8);
                                   }),
                                   ClickCancel()}));

  // With the buttons, from the namespace root: the root has a path but is the first node; the
  // drives node has no path.
  TSelectFolderDialog dialog;
  dialog.Options |= widgets::SelectFolderOption(widgets::sfdoCreateDeleteButtons);
  const auto enabled = [](HWND button) { return IsWindowEnabled(button) != FALSE; };
  EXPECT_FALSE(RunScript(
      dialog, {Check([&](TSelectFolderForm& form) {
                 EXPECT_TRUE(IsWindowVisible(form.BtnNewFolder()));
                 EXPECT_TRUE(IsWindowVisible(form.BtnDeleteFolder()));
                 EXPECT_EQ(ChildRect(form.ShellTree.Handle()).top,
                           ChildRect(form.BtnNewFolder()).bottom + 4);
                 TShellTree& tree = form.ShellTree;
                 EXPECT_EQ(tree.Selected(), tree.RootItem());
                 EXPECT_TRUE(enabled(form.BtnNewFolder()));
                 EXPECT_FALSE(enabled(form.BtnDeleteFolder()));
                 HTREEITEM noPath = nullptr;
                 for (HTREEITEM child = TreeView_GetChild(tree.Handle(), tree.RootItem()); child;
                      child = TreeView_GetNextSibling(tree.Handle(), child))
                   if (tree.HasFolderData(child) && tree.NodePath(child).empty()) noPath = child;
                 ASSERT_NE(noPath, nullptr) << "no folder without a path below the desktop";
                 TreeView_SelectItem(tree.Handle(), noPath);
                 EXPECT_FALSE(enabled(form.BtnNewFolder()));
                 EXPECT_FALSE(enabled(form.BtnDeleteFolder()));
                 EXPECT_EQ(StatusText(form), "");
               }),
               Select(kRoot + "\\sub"), Check([&](TSelectFolderForm& form) {
                 EXPECT_TRUE(enabled(form.BtnNewFolder()));
                 EXPECT_TRUE(enabled(form.BtnDeleteFolder()));
               }),
               ClickCancel()}));
}

TEST_F(FolderDialog, OptionsDecideWhatTheTreeLists) {
  const std::string hidden = kRoot + "\\hidden";
  const std::string file = kRoot + "\\file.txt";
  const std::string other = kRoot + "\\other";
  ASSERT_TRUE(CreateDirectoryA(hidden.c_str(), nullptr));
  ASSERT_TRUE(SetFileAttributesA(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN));
  CloseHandle(CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  const widgets::TShellTreeAddItemEvent skipOther = [&](TShellTree&, LPCITEMIDLIST list,
                                                        bool& canAdd) {
    if (SamePath(widgets::IdListPath(list), other)) canAdd = false;
  };
  const auto option = widgets::SelectFolderOption;
  const unsigned defaults = widgets::kDefaultSelectFolderOptions;
  const struct {
    unsigned options;
    bool filter;
    std::vector<std::pair<std::string, bool>> listed;
  } cases[] = {
      {defaults, false, {{hidden, true}, {file, false}, {other, true}}},
      {defaults & ~option(widgets::sfdoShowHidden), false, {{hidden, false}, {other, true}}},
      {defaults | option(widgets::sfdoIncludeNonFolders), false, {{file, true}}},
      {defaults, true, {{other, false}, {kRoot + "\\sub", true}}},
  };
  for (const auto& c : cases) {
    TSelectFolderDialog dialog;
    dialog.BaseFolder = PathLocator(kRoot);
    dialog.Options = c.options;
    if (c.filter) dialog.OnAddItem = skipOther;
    EXPECT_FALSE(
        RunScript(dialog, {Check([&](TSelectFolderForm& form) {
                             for (const auto& [path, expected] : c.listed)
                               EXPECT_EQ(FindNode(form.ShellTree, path) != nullptr, expected)
                                   << path << " options " << c.options;
                           }),
                           ClickCancel()}));
  }
}

TEST_F(FolderDialog, NewFolderTakesTheNextFreeName) {
  const std::string parent = kRoot + "\\make";
  dialog_.BaseFolder = PathLocator(parent);
  dialog_.Options |= widgets::SelectFolderOption(widgets::sfdoCreateDeleteButtons);
  const TStep clickNew = [](TSelectFolderForm& form) {
    SendMessageA(form.BtnNewFolder(), BM_CLICK, 0, 0);
  };
  const TStep endEditing = [](TSelectFolderForm& form) {
    EXPECT_NE(TreeView_GetEditControl(form.ShellTree.Handle()), nullptr) << "name not in edit";
    TreeView_EndEditLabelNow(form.ShellTree.Handle(), TRUE);
  };
  const auto selectedIs = [](const std::string& path) -> TStep {
    return [path](TSelectFolderForm& form) {
      EXPECT_TRUE(SamePath(form.ShellTree.NodePath(form.ShellTree.Selected()), path))
          << form.ShellTree.NodePath(form.ShellTree.Selected());
      EXPECT_TRUE(SamePath(StatusText(form), path));
    };
  };
  // The second new folder is renamed in place, as a user types its name.
  const TStep typeName = [](TSelectFolderForm& form) {
    HWND edit = TreeView_GetEditControl(form.ShellTree.Handle());
    ASSERT_NE(edit, nullptr) << "name not in edit";
    SetWindowTextA(edit, "Renamed");
    TreeView_EndEditLabelNow(form.ShellTree.Handle(), FALSE);
  };
  EXPECT_TRUE(RunScript(dialog_, {clickNew, selectedIs(parent + "\\New Folder"), endEditing,
                                  Select(parent), clickNew, selectedIs(parent + "\\New Folder (2)"),
                                  typeName, selectedIs(parent + "\\Renamed"), ClickOk()}));
  EXPECT_TRUE(FolderExists(parent + "\\New Folder"));
  EXPECT_FALSE(FolderExists(parent + "\\New Folder (2)"));
  EXPECT_TRUE(FolderExists(parent + "\\Renamed"));
  EXPECT_TRUE(SamePath(dialog_.SelectedPath(), parent + "\\Renamed"));

  // Read-only: the folder is made and selected, but its name is not opened for editing.
  dialog_.Options |= widgets::SelectFolderOption(widgets::sfdoReadOnly);
  EXPECT_TRUE(RunScript(dialog_, {Select(parent), clickNew, selectedIs(parent + "\\New Folder (2)"),
                                  [](TSelectFolderForm& form) {
                                    EXPECT_EQ(TreeView_GetEditControl(form.ShellTree.Handle()),
                                              nullptr);
                                  },
                                  ClickOk()}));
  EXPECT_TRUE(FolderExists(parent + "\\New Folder (2)"));
}

TEST_F(FolderDialog, ContextMenuFollowsItsOption) {
  // A step finds the shell's menu open (class #32768) and closes it.
  bool menuShown = false;
  const TStep openMenu = [](TSelectFolderForm& form) {
    SendMessageA(form.ShellTree.Handle(), WM_CONTEXTMENU,
                 reinterpret_cast<WPARAM>(form.ShellTree.Handle()), MAKELPARAM(-1, -1));
  };
  const TStep closeMenu = [&](TSelectFolderForm&) {
    menuShown = FindWindowA("#32768", nullptr) != nullptr &&
                IsWindowVisible(FindWindowA("#32768", nullptr));
    EndMenu();
  };
  for (const bool menus : {true, false}) {
    menuShown = false;
    dialog_.Options = widgets::kDefaultSelectFolderOptions;
    if (!menus) dialog_.Options &= ~widgets::SelectFolderOption(widgets::sfdoContextMenus);
    EXPECT_FALSE(RunScript(dialog_, {Select(kRoot), openMenu, closeMenu, ClickCancel()}));
    EXPECT_EQ(menuShown, menus);
  }
}

TEST_F(FolderDialog, DeleteRemovesTheSelectedFolder) {
  const std::string parent = kRoot + "\\make";
  const std::string name = "doomed-" + std::to_string(GetCurrentProcessId());
  ASSERT_TRUE(CreateDirectoryA((parent + "\\" + name).c_str(), nullptr));
  dialog_.BaseFolder = PathLocator(parent);
  dialog_.Options |= widgets::SelectFolderOption(widgets::sfdoCreateDeleteButtons);
  // Answers the shell's confirmation, if it asks, with Yes.
  const TStep confirm = [](TSelectFolderForm& form) {
    HWND box = GetLastActivePopup(form.Handle());
    if (box && box != form.Handle())  // one answer only: a second would replace the first
      SendMessageA(box, WM_COMMAND, GetDlgItem(box, IDYES) ? IDYES : IDOK, 0);
  };
  EXPECT_TRUE(RunScript(
      dialog_,
      {Select(parent + "\\" + name),
       [](TSelectFolderForm& form) { SendMessageA(form.BtnDeleteFolder(), BM_CLICK, 0, 0); },
       confirm, confirm,
       [&](TSelectFolderForm& form) {
         // The tree was read again; the selection fell back to the parent.
         EXPECT_TRUE(SamePath(form.ShellTree.NodePath(form.ShellTree.Selected()), parent));
       },
       ClickOk()}));
  EXPECT_FALSE(FolderExists(parent + "\\" + name));
  EXPECT_TRUE(SamePath(dialog_.SelectedPath(), parent));
  // Wine's shell moves it to the host user's trash; leave no trace there.
  char home[MAX_PATH] = "";
  if (GetEnvironmentVariableA("WINEHOMEDIR", home, sizeof home)) {
    const std::string trash = std::string(home).substr(4) + "\\.local\\share\\Trash";  // \??\Z:...
    RemoveTree(trash + "\\files\\" + name);
    DeleteFileA((trash + "\\info\\" + name + ".trashinfo").c_str());
  }
}

TEST_F(FolderDialog, FailedNewFolderShowsTheErrorBox) {
  // The folder vanishes from disk while the dialog shows it.
  const std::string gone = kRoot + "\\gone";
  ASSERT_TRUE(CreateDirectoryA(gone.c_str(), nullptr));
  dialog_.BaseFolder = PathLocator(gone);
  dialog_.Options |= widgets::SelectFolderOption(widgets::sfdoCreateDeleteButtons);
  std::string message;
  EXPECT_FALSE(RunScript(
      dialog_, {[&](TSelectFolderForm& form) {
                  ASSERT_TRUE(RemoveDirectoryA(gone.c_str()));
                  SendMessageA(form.BtnNewFolder(), BM_CLICK, 0, 0);
                },
                [&](TSelectFolderForm& form) {
                  HWND box = GetLastActivePopup(form.Handle());
                  ASSERT_NE(box, form.Handle()) << "no error box";
                  message = std::string(GetWindowTextLengthA(GetDlgItem(box, 0xFFFF)) + 1, '\0');
                  GetDlgItemTextA(box, 0xFFFF, &message[0], static_cast<int>(message.size()));
                  message.resize(lstrlenA(message.c_str()));
                  SendMessageA(box, WM_COMMAND, IDOK, 0);
                },
                ClickCancel()}));
  // The box may show the line breaks as CR LF.
  for (std::size_t at; (at = message.find("\r\n")) != std::string::npos;) message.erase(at, 1);
  EXPECT_EQ(message.rfind("Unable to create the folder 'New Folder'\n\n", 0), 0u) << message;
  EXPECT_GT(message.size(), std::string("Unable to create the folder 'New Folder'\n\n").size());
}

TEST_F(FolderDialog, StatusLineShortensTheSelectedPathToItsWidth) {
  const std::string deep = kRoot + "\\a-rather-long-folder-name\\another-long-folder-name\\last";
  ASSERT_TRUE(CreateDirectoryA((kRoot + "\\a-rather-long-folder-name").c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA(
      (kRoot + "\\a-rather-long-folder-name\\another-long-folder-name").c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA(deep.c_str(), nullptr));
  const auto statusFits = [](TSelectFolderForm& form) {
    RECT status;
    GetClientRect(form.StatusBar1(), &status);
    EXPECT_LE(form.MeasureText(StatusText(form)), status.right - 20) << StatusText(form);
  };
  EXPECT_FALSE(RunScript(
      dialog_,
      {Select(deep),
       [&](TSelectFolderForm& form) {
         SetWindowPos(form.Handle(), nullptr, 0, 0, 366, 340, SWP_NOMOVE | SWP_NOZORDER);
         const std::string shown = StatusText(form);
         EXPECT_EQ(shown.rfind("C:\\...\\", 0), 0u) << shown;
         EXPECT_EQ(shown.substr(shown.size() - 5), "\\last") << shown;
         statusFits(form);
       },
       [&](TSelectFolderForm& form) {
         ShowWindow(form.Handle(), SW_MAXIMIZE);  // wide enough again: the whole path
         EXPECT_TRUE(SamePath(StatusText(form), deep));
       },
       [&](TSelectFolderForm& form) {
         // On the window's own canvas each step of the narrowing is shown once it fits.
         const std::string path = "C:\\alpha\\beta\\gamma\\d";
         const auto measure = [&form](const std::string& text) { return form.MeasureText(text); };
         for (const std::string step :
              {"C:\\...\\beta\\gamma\\d", "C:\\...\\gamma\\d", "C:\\...\\d", "...\\d", "d"})
           EXPECT_EQ(widgets::ShortenPath(path, measure, form.MeasureText(step)), step);
         EXPECT_EQ(widgets::ShortenPath(path, measure, form.MeasureText(path)), path);
         // A double-byte name whose second byte is a backslash stays whole: 乗 is 81 5C.
         const std::string jou = "\x81\x5c";
         const std::string chinese = "C:\\" + jou + "\\" + jou + jou + "\\" + jou;
         EXPECT_EQ(widgets::ShortenPath(chinese, measure, form.MeasureText("C:\\...\\" + jou)),
                   "C:\\...\\" + jou);
       },
       ClickCancel()}));
}

// Lets a test reach the protected run step, as a derived component would.
class TOpenDialog : public TSelectFolderDialog {
 public:
  using TSelectFolderDialog::RunDialog;
};

TEST_F(FolderDialog, NestedRunsAreRefusedAndLeaveTheDialogRunning) {
  TOpenDialog dialog;
  dialog.BaseFolder = TShellLocator::SpecialFolder(kDrives);
  std::vector<std::string> errors;
  dialog.OnFormShow = [&](TSelectFolderForm&) {
    for (const auto& nested : {std::function<bool()>([&] { return dialog.Execute(); }),
                               std::function<bool()>([&] { return dialog.RunDialog(); })}) {
      try {
        nested();
        errors.push_back("no error");
      } catch (const widgets::EDialogError& error) {
        errors.push_back(error.what());
      }
    }
  };
  EXPECT_TRUE(RunScript(dialog, {Check([&](TSelectFolderForm& form) {
                                   EXPECT_EQ(dialog.Form(), &form);
                                   EXPECT_TRUE(dialog.Executing());
                                 }),
                                 Select("C:\\"), ClickOk()}));
  EXPECT_EQ(errors, (std::vector<std::string>{"TSelectFolderDialog already executing",
                                              "TSelectFolderDialog form already active"}));
  EXPECT_EQ(dialog.SelectedPath(), "C:\\");
  EXPECT_FALSE(dialog.Executing());
  EXPECT_EQ(dialog.Form(), nullptr);
}

TEST_F(FolderDialog, FailureInsideARunLeavesNothingBehind) {
  ASSERT_TRUE(RunScript(dialog_, {Select("C:\\"), ClickOk()}));
  const int width = dialog_.FormWidth;
  const struct {
    const char* what;
    std::function<void(TSelectFolderDialog&)> arm;
  } failures[] = {
      {"selection handler",
       [](TSelectFolderDialog& d) {
         d.OnSelChange = [](TSelectFolderForm&, LPCITEMIDLIST) {
           throw std::runtime_error("boom");
         };
       }},
      {"show handler",
       [](TSelectFolderDialog& d) {
         d.OnFormShow = [](TSelectFolderForm&) { throw std::runtime_error("boom"); };
       }},
      {"base folder",
       [](TSelectFolderDialog& d) { d.BaseFolder = TShellLocator::SpecialFolder(0x7E); }},
  };
  for (const auto& failure : failures) {
    TSelectFolderDialog dialog = dialog_;
    failure.arm(dialog);
    EXPECT_THROW(dialog.Execute(), std::runtime_error) << failure.what;
    EXPECT_FALSE(dialog.Executing()) << failure.what;
    EXPECT_EQ(dialog.Form(), nullptr) << failure.what;
    EXPECT_EQ(FindWindowA("HashtallySelectFolderForm", nullptr), nullptr) << failure.what;
    EXPECT_TRUE(IsWindowEnabled(owner_)) << failure.what;
    EXPECT_EQ(dialog.SelectedPath(), "C:\\") << failure.what;
    EXPECT_EQ(dialog.FormWidth, width) << failure.what;
  }
  // The component still works afterwards.
  EXPECT_FALSE(RunScript(dialog_, {ClickCancel()}));
}

TEST_F(FolderDialog, EventsAndCaption) {
  std::vector<std::string> events;
  dialog_.OnInitialized = [&](widgets::TShellDialog& sender) {
    EXPECT_EQ(&sender, &dialog_);
    events.push_back("initialized");
  };
  dialog_.OnSelChange = [&](TSelectFolderForm&, LPCITEMIDLIST list) {
    EXPECT_NE(list, nullptr);
    events.push_back("selection " + widgets::IdListPath(list));
  };
  dialog_.OnFormShow = [&](TSelectFolderForm& form) {
    events.push_back("show " + gui::Utf8(form.Caption()));
  };
  dialog_.OnFormClose = [&](TSelectFolderForm& form) {
    EXPECT_FALSE(IsWindowVisible(form.Handle()));
    events.push_back("close");
  };
  EXPECT_FALSE(RunScript(dialog_, {Select("C:\\"), ClickCancel()}));
  dialog_.Title = "Pick one";
  EXPECT_FALSE(RunScript(dialog_, {ClickCancel()}));
  EXPECT_EQ(events, (std::vector<std::string>{"initialized", "selection ", "show Browse for Folder",
                                              "selection C:\\", "close", "initialized",
                                              "selection ", "show Pick one", "close"}));
}

}  // namespace
