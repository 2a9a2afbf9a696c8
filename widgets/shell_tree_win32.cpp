// The shell folder tree: tree-view items over item-ID lists. Every node owns its absolute list;
// folders are bound through the desktop folder when their children are read.
// clang-format off
#include <windows.h>
#include <shellapi.h>
#include <shlwapi.h>
#include <windowsx.h>
// clang-format on

#include <memory>
#include <stdexcept>
#include <utility>

#include "platform/wide_path_win32.h"
#include "widgets/display_text.h"
#include "widgets/gui_helpers.h"
#include "widgets/select_folder_dialog_res.h"
#include "widgets/shell_locator_win32.h"
#include "widgets/shell_tree.h"

namespace widgets {

struct TShellTree::TNode {
  TItemIdList absolute;
  std::wstring path;  // the file-system path, empty for none
  bool filled = false;
};

namespace {

// The text of a display name; frees whatever the shell allocated for it.
std::wstring StrRetText(STRRET& value, LPCITEMIDLIST relative) {
  wchar_t* text = nullptr;
  if (FAILED(StrRetToStrW(&value, relative, &text)) || !text) return std::wstring();
  const std::unique_ptr<wchar_t, decltype(&CoTaskMemFree)> owned(text, CoTaskMemFree);
  return text;
}

std::wstring JoinPath(const std::wstring& folder, const std::wstring& name) {
  return !folder.empty() && folder.back() == L'\\' ? folder + name : folder + L"\\" + name;
}

// The file-system path of `relative`, an item of `folder` whose own path is `folderPath`. The
// shell's answer is taken unless it may have been cut at the classic path limit, as some shells
// cut it; a file-system item's path is then its folder's path and its parsing name.
std::wstring ItemPath(IShellFolder& folder, const std::wstring& folderPath, LPCITEMIDLIST relative,
                      LPCITEMIDLIST absolute) {
  const std::wstring path = IdListWidePath(absolute);
  if ((!path.empty() && path.size() < MAX_PATH - 1) || folderPath.empty()) return path;
  SFGAOF attributes = SFGAO_FILESYSTEM;
  STRRET name = {};
  if (FAILED(folder.GetAttributesOf(1, &relative, &attributes)) ||
      !(attributes & SFGAO_FILESYSTEM) ||
      FAILED(folder.GetDisplayNameOf(relative, SHGDN_INFOLDER | SHGDN_FORPARSING, &name)))
    return path;
  return JoinPath(folderPath, StrRetText(name, relative));
}

// The list of the item's parent folder (the desktop's empty list for a top-level item).
TItemIdList ParentIdList(LPCITEMIDLIST absolute) {
  TItemIdList parent(ILClone(absolute));
  if (parent) ILRemoveLastID(parent.Get());
  return parent;
}

}  // namespace

TShellTree::TShellTree() = default;

TShellTree::~TShellTree() {
  // The window goes with its parent; the nodes and the desktop folder go here.
  nodes_.clear();
  desktop_.Reset();
}

void TShellTree::Create(HWND parent, int id, const RECT& bounds) {
  hwnd_ = CreateWindowExW(
      WS_EX_CLIENTEDGE, WC_TREEVIEWW, L"",
      WS_CHILD | WS_VISIBLE | WS_TABSTOP | TVS_HASBUTTONS | TVS_HASLINES | TVS_SHOWSELALWAYS |
          (readOnly_ ? 0 : TVS_EDITLABELS),
      bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top, parent,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
  if (!hwnd_) throw std::runtime_error(gui::SystemErrorText(GetLastError()));
  SendMessageW(hwnd_, TVM_SETINDENT, 19, 0);
  SHFILEINFOW info = {};
  const auto images = reinterpret_cast<HIMAGELIST>(
      SHGetFileInfoW(L"C:\\", 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
  if (images) TreeView_SetImageList(hwnd_, images, TVSIL_NORMAL);
}

void TShellTree::SetReadOnly(bool readOnly) {
  readOnly_ = readOnly;
  if (!hwnd_) return;
  LONG_PTR style = GetWindowLongPtrW(hwnd_, GWL_STYLE);
  style = readOnly ? style & ~TVS_EDITLABELS : style | TVS_EDITLABELS;
  SetWindowLongPtrW(hwnd_, GWL_STYLE, style);
}

void TShellTree::SetShowRoot(bool showRoot) {
  LONG_PTR style = GetWindowLongPtrW(hwnd_, GWL_STYLE);
  style = showRoot ? style | TVS_LINESATROOT : style & ~TVS_LINESATROOT;
  SetWindowLongPtrW(hwnd_, GWL_STYLE, style);
}

TShellTree::TNode* TShellTree::NodeOf(HTREEITEM item) const {
  if (!item || !hwnd_) return nullptr;
  TVITEMW tvi = {};
  tvi.mask = TVIF_PARAM | TVIF_HANDLE;
  tvi.hItem = item;
  if (!SendMessageW(hwnd_, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tvi))) return nullptr;
  return reinterpret_cast<TNode*>(tvi.lParam);
}

HTREEITEM TShellTree::Selected() const { return hwnd_ ? TreeView_GetSelection(hwnd_) : nullptr; }

HTREEITEM TShellTree::RootItem() const { return hwnd_ ? TreeView_GetRoot(hwnd_) : nullptr; }

bool TShellTree::HasFolderData(HTREEITEM item) const { return NodeOf(item) != nullptr; }

std::wstring TShellTree::NodeWidePath(HTREEITEM item) const {
  const TNode* node = NodeOf(item);
  return node ? node->path : std::wstring();
}

std::string TShellTree::NodePath(HTREEITEM item) const {
  std::string path;
  platform::CodePageName(NodeWidePath(item).c_str(), path);
  return path;
}

LPCITEMIDLIST TShellTree::NodeIdList(HTREEITEM item) const {
  const TNode* node = NodeOf(item);
  return node ? node->absolute.Get() : nullptr;
}

int TShellTree::AbsoluteIndex(HTREEITEM item) const {
  if (!item) return -1;
  // Count the loaded nodes before `item` in pre-order, collapsed branches included.
  int index = 0;
  HTREEITEM current = RootItem();
  while (current) {
    if (current == item) return index;
    ++index;
    HTREEITEM next = TreeView_GetChild(hwnd_, current);
    while (!next && current) {
      next = TreeView_GetNextSibling(hwnd_, current);
      if (!next) current = TreeView_GetParent(hwnd_, current);
    }
    current = next;
  }
  return -1;
}

TComPtr<IShellFolder> TShellTree::BindFolder(LPCITEMIDLIST absolute, HRESULT* error) const {
  if (!absolute || absolute->mkid.cb == 0) return desktop_;
  TComPtr<IShellFolder> folder;
  const HRESULT hr = desktop_->BindToObject(absolute, nullptr, IID_IShellFolder, folder.PutVoid());
  if (FAILED(hr) || !folder) {
    if (error) *error = FAILED(hr) ? hr : E_FAIL;
    folder.Reset();
  }
  return folder;
}

HTREEITEM TShellTree::InsertNode(HTREEITEM parent, TItemIdList absolute, std::wstring path,
                                 const std::wstring& text, bool hasChildren) {
  SHFILEINFOW info = {};
  SHGetFileInfoW(reinterpret_cast<LPCWSTR>(absolute.Get()), 0, &info, sizeof info,
                 SHGFI_PIDL | SHGFI_SYSICONINDEX | SHGFI_SMALLICON);
  const int image = info.iIcon;
  SHGetFileInfoW(reinterpret_cast<LPCWSTR>(absolute.Get()), 0, &info, sizeof info,
                 SHGFI_PIDL | SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_OPENICON);
  nodes_.push_back(std::make_unique<TNode>());
  TNode* node = nodes_.back().get();
  node->absolute = std::move(absolute);
  node->path = std::move(path);

  std::wstring shown = text;
  TVINSERTSTRUCTW insert = {};
  insert.hParent = parent ? parent : TVI_ROOT;
  insert.hInsertAfter = TVI_LAST;
  insert.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_CHILDREN | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
  insert.item.pszText = &shown[0];
  insert.item.lParam = reinterpret_cast<LPARAM>(node);
  insert.item.cChildren = hasChildren ? 1 : 0;
  insert.item.iImage = image;
  insert.item.iSelectedImage = info.iIcon;
  return reinterpret_cast<HTREEITEM>(
      SendMessageW(hwnd_, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
}

void TShellTree::FillChildren(HTREEITEM item) {
  TNode* node = NodeOf(item);
  if (!node || node->filled) return;
  node->filled = true;
  // A folder that cannot be opened (no access, vanished) shows as having no subfolders.
  TComPtr<IShellFolder> folder = BindFolder(node->absolute.Get());
  if (!folder) return SetHasChildren(item, false);

  SHCONTF flags = SHCONTF_FOLDERS;
  if (options_ & ShellTreeOption(stoIncludeNonFolders)) flags |= SHCONTF_NONFOLDERS;
  if (options_ & ShellTreeOption(stoShowHidden)) flags |= SHCONTF_INCLUDEHIDDEN;
  TComPtr<IEnumIDList> items;
  const HRESULT hr = folder->EnumObjects(hwnd_, flags, items.Put());
  bool any = false;
  if (hr == S_OK && items) {
    TItemIdList relative;
    while (items->Next(1, relative.Put(), nullptr) == S_OK) {
      LPCITEMIDLIST child = relative.Get();
      SFGAOF attributes = SFGAO_FOLDER | SFGAO_FILESYSTEM | SFGAO_FILESYSANCESTOR;
      if (FAILED(folder->GetAttributesOf(1, &child, &attributes))) continue;
      const bool isFolder = (attributes & SFGAO_FOLDER) != 0;
      if (!(options_ & ShellTreeOption(stoVirtualFolders)) &&
          !(attributes & (SFGAO_FILESYSTEM | SFGAO_FILESYSANCESTOR)))
        continue;
      if (!isFolder && !(options_ & ShellTreeOption(stoIncludeNonFolders))) continue;
      TItemIdList absolute(ILCombine(node->absolute.Get(), child));
      if (!absolute) continue;
      bool canAdd = true;
      if (OnAddItem) OnAddItem(*this, absolute.Get(), canAdd);
      if (!canAdd) continue;
      STRRET name = {};
      if (FAILED(folder->GetDisplayNameOf(child, SHGDN_INFOLDER, &name))) continue;
      std::wstring path = ItemPath(*folder.Get(), node->path, child, absolute.Get());
      InsertNode(item, std::move(absolute), std::move(path), StrRetText(name, child), isFolder);
      any = true;
    }
  }
  if (any) {
    // Order as the shell orders the folder's items.
    TVSORTCB sort = {};
    sort.hParent = item;
    sort.lParam = reinterpret_cast<LPARAM>(folder.Get());
    sort.lpfnCompare = CompareNodes;
    TreeView_SortChildrenCB(hwnd_, &sort, FALSE);
  } else {
    SetHasChildren(item, false);
  }
}

void TShellTree::SetHasChildren(HTREEITEM item, bool hasChildren) {
  TVITEMW tvi = {};
  tvi.mask = TVIF_CHILDREN | TVIF_HANDLE;
  tvi.hItem = item;
  tvi.cChildren = hasChildren ? 1 : 0;
  SendMessageW(hwnd_, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&tvi));
}

int CALLBACK TShellTree::CompareNodes(LPARAM first, LPARAM second, LPARAM folder) {
  auto* shellFolder = reinterpret_cast<IShellFolder*>(folder);
  const HRESULT order =
      shellFolder->CompareIDs(0, ILFindLastID(reinterpret_cast<TNode*>(first)->absolute.Get()),
                              ILFindLastID(reinterpret_cast<TNode*>(second)->absolute.Get()));
  return FAILED(order) ? 0 : static_cast<short>(HRESULT_CODE(order));
}

HTREEITEM TShellTree::FindChild(HTREEITEM parent, LPCITEMIDLIST absolute) const {
  // The child that is `absolute` itself or one of its ancestors.
  for (HTREEITEM child = TreeView_GetChild(hwnd_, parent); child;
       child = TreeView_GetNextSibling(hwnd_, child)) {
    const TNode* node = NodeOf(child);
    if (node && (ILIsEqual(node->absolute.Get(), absolute) ||
                 ILIsParent(node->absolute.Get(), absolute, FALSE)))
      return child;
  }
  return nullptr;
}

void TShellTree::SelectFolder(LPCITEMIDLIST target) {
  HTREEITEM item = RootItem();
  if (target) {
    const TNode* root = NodeOf(item);
    if (root && ILIsParent(root->absolute.Get(), target, FALSE)) {
      for (;;) {
        const TNode* node = NodeOf(item);
        if (!node || ILIsEqual(node->absolute.Get(), target)) break;
        FillChildren(item);
        HTREEITEM child = FindChild(item, target);
        if (!child) break;
        item = child;
      }
    }
  }
  if (item) {
    TreeView_SelectItem(hwnd_, item);
    TreeView_EnsureVisible(hwnd_, item);
  }
}

void TShellTree::Fill() {
  if (!desktop_) {
    const HRESULT hr = SHGetDesktopFolder(desktop_.Put());
    if (FAILED(hr)) throw std::runtime_error(gui::SystemErrorText(static_cast<DWORD>(hr)));
  }
  // Emptying the tree may move the selection through dying nodes; the folder to select is the one
  // that was current before.
  const TShellLocator current = currentFolder_;
  TreeView_DeleteAllItems(hwnd_);
  nodes_.clear();
  currentFolder_ = current;

  TItemIdList base = LocatorIdList(baseFolder_);
  HRESULT error = S_OK;
  if (!BindFolder(base.Get(), &error))
    throw std::runtime_error(gui::SystemErrorText(static_cast<DWORD>(error)));
  SHFILEINFOW info = {};
  SHGetFileInfoW(reinterpret_cast<LPCWSTR>(base.Get()), 0, &info, sizeof info,
                 SHGFI_PIDL | SHGFI_DISPLAYNAME);
  std::wstring path = IdListWidePath(base.Get());
  HTREEITEM root = InsertNode(nullptr, std::move(base), std::move(path), info.szDisplayName, true);
  FillChildren(root);
  TreeView_Expand(hwnd_, root, TVE_EXPAND);

  if (current.IsEmpty()) {
    SelectFolder(nullptr);
  } else {
    const TItemIdList target = LocatorIdList(current);
    SelectFolder(target.Get());
  }
}

void TShellTree::Refresh() {
  // The current folder follows the selection, so filling again finds it (or its nearest
  // surviving ancestor).
  Fill();
}

bool TShellTree::CreateNewFolder() {
  HTREEITEM parent = Selected();
  const std::wstring folder = NodeWidePath(parent);
  if (folder.empty()) return false;

  const std::wstring baseName =
      gui::ProgramWide(texts::Text(language_, texts::TText::FolderNewName));
  std::wstring name = baseName;
  for (int number = 2;
       GetFileAttributesW(JoinPath(folder, name).c_str()) != INVALID_FILE_ATTRIBUTES; ++number)
    name = baseName + L" (" + std::to_wstring(number) + L")";
  const std::wstring path = JoinPath(folder, name);
  if (!CreateDirectoryW(path.c_str(), nullptr)) {
    const std::wstring error = gui::SystemWide(gui::SystemErrorText(GetLastError()));
    const std::wstring format =
        gui::ProgramWide(texts::Text(language_, texts::TText::FolderCreateFailed));
    DWORD_PTR arguments[] = {reinterpret_cast<DWORD_PTR>(error.c_str()),
                             reinterpret_cast<DWORD_PTR>(name.c_str())};
    gui::TLocalMemory<wchar_t> text;
    FormatMessageW(
        FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_ARGUMENT_ARRAY,
        format.c_str(), 0, 0, reinterpret_cast<wchar_t*>(text.Put()), 0,
        reinterpret_cast<va_list*>(arguments));
    const std::wstring message = text.Get() ? text.Get() : error;
    const HWND owner = GetAncestor(hwnd_, GA_ROOT);
    MessageBoxW(owner, message.c_str(), gui::ControlText(owner).c_str(), MB_OK | MB_ICONERROR);
    return false;
  }
  SHChangeNotify(SHCNE_MKDIR, SHCNF_PATHW, path.c_str(), nullptr);

  // Read the parent's children again so the new folder takes its place among them.
  TNode* node = NodeOf(parent);
  for (HTREEITEM child = TreeView_GetChild(hwnd_, parent); child;
       child = TreeView_GetChild(hwnd_, parent))
    TreeView_DeleteItem(hwnd_, child);
  node->filled = false;
  SetHasChildren(parent, true);
  FillChildren(parent);
  TreeView_Expand(hwnd_, parent, TVE_EXPAND);
  for (HTREEITEM child = TreeView_GetChild(hwnd_, parent); child;
       child = TreeView_GetNextSibling(hwnd_, child)) {
    if (lstrcmpiW(NodeWidePath(child).c_str(), path.c_str()) == 0) {
      TreeView_SelectItem(hwnd_, child);
      TreeView_EnsureVisible(hwnd_, child);
      if (!readOnly_) {
        SetFocus(hwnd_);
        SendMessageW(hwnd_, TVM_EDITLABELW, 0, reinterpret_cast<LPARAM>(child));
      }
      break;
    }
  }
  return true;
}

TComPtr<IContextMenu> TShellTree::NodeContextMenu(const TNode& node) const {
  TComPtr<IContextMenu> menu;
  const TItemIdList parentList = ParentIdList(node.absolute.Get());
  const TComPtr<IShellFolder> parent = BindFolder(parentList.Get());
  LPCITEMIDLIST child = ILFindLastID(node.absolute.Get());
  if (!parent ||
      FAILED(parent->GetUIObjectOf(hwnd_, 1, &child, IID_IContextMenu, nullptr, menu.PutVoid())))
    menu.Reset();
  return menu;
}

HRESULT TShellTree::InvokeMenuCommand(IContextMenu& menu, LPCSTR verb) const {
  CMINVOKECOMMANDINFO command = {};
  command.cbSize = sizeof command;
  command.hwnd = GetAncestor(hwnd_, GA_ROOT);
  command.lpVerb = verb;
  command.nShow = SW_SHOWNORMAL;
  return menu.InvokeCommand(&command);
}

bool TShellTree::InvokeVerb(HTREEITEM item, const char* verb) {
  const TNode* node = NodeOf(item);
  if (!node || node->absolute.Get()->mkid.cb == 0) return false;
  if (const TComPtr<IContextMenu> menu = NodeContextMenu(*node)) {
    // Some menus only accept their verbs after the menu has been built.
    const gui::TMenu popup(CreatePopupMenu());
    menu->QueryContextMenu(popup.Get(), 0, 1, 0x7FFF, CMF_NORMAL);
    if (SUCCEEDED(InvokeMenuCommand(*menu.Get(), verb))) return true;
  }
  // The shell offered no such verb on this item: a folder on disk can still be deleted directly.
  if (lstrcmpA(verb, "delete") != 0 || node->path.empty()) return false;
  const std::wstring from = node->path + L'\0';  // double-zero terminated list
  SHFILEOPSTRUCTW operation = {};
  operation.hwnd = GetAncestor(hwnd_, GA_ROOT);
  operation.wFunc = FO_DELETE;
  operation.pFrom = from.c_str();
  operation.fFlags = FOF_ALLOWUNDO;
  return SHFileOperationW(&operation) == 0 && !operation.fAnyOperationsAborted;
}

bool TShellTree::RenameNode(HTREEITEM item, const wchar_t* newName) {
  TNode* node = NodeOf(item);
  if (!node || !newName || !*newName || item == RootItem()) return false;
  TItemIdList parentList = ParentIdList(node->absolute.Get());
  TComPtr<IShellFolder> parent = BindFolder(parentList.Get());
  if (!parent) return false;
  TItemIdList renamed;
  if (FAILED(parent->SetNameOf(GetAncestor(hwnd_, GA_ROOT), ILFindLastID(node->absolute.Get()),
                               newName, SHGDN_INFOLDER, renamed.Put())) ||
      !renamed)
    return false;
  node->absolute = TItemIdList(ILCombine(parentList.Get(), renamed.Get()));
  node->path = ItemPath(*parent.Get(), NodeWidePath(TreeView_GetParent(hwnd_, item)), renamed.Get(),
                        node->absolute.Get());
  currentFolder_ = LocatorFromIdList(node->absolute.Get());
  if (OnChange && item == Selected()) OnChange(item);
  return true;
}

bool TShellTree::HandleNotify(const NMHDR& header, LRESULT& result) {
  if (header.hwndFrom != hwnd_) return false;
  switch (header.code) {
    case TVN_ITEMEXPANDINGW: {
      const auto& view = reinterpret_cast<const NMTREEVIEWW&>(header);
      if (view.action & TVE_EXPAND) FillChildren(view.itemNew.hItem);
      result = FALSE;
      return true;
    }
    case TVN_SELCHANGEDW: {
      const auto& view = reinterpret_cast<const NMTREEVIEWW&>(header);
      const TNode* node = NodeOf(view.itemNew.hItem);
      if (node) currentFolder_ = LocatorFromIdList(node->absolute.Get());
      if (OnChange) OnChange(view.itemNew.hItem);
      result = 0;
      return true;
    }
    case TVN_BEGINLABELEDITW: {
      const auto& edit = reinterpret_cast<const NMTVDISPINFOW&>(header);
      result = readOnly_ || edit.item.hItem == RootItem() || NodeWidePath(edit.item.hItem).empty();
      return true;
    }
    case TVN_ENDLABELEDITW: {
      const auto& edit = reinterpret_cast<const NMTVDISPINFOW&>(header);
      result = edit.item.pszText && RenameNode(edit.item.hItem, edit.item.pszText);
      return true;
    }
    default:
      return false;
  }
}

bool TShellTree::HandleContextMenu(HWND window, LPARAM position) {
  if (window != hwnd_ || !(options_ & ShellTreeOption(stoContextMenus))) return false;
  POINT point = {GET_X_LPARAM(position), GET_Y_LPARAM(position)};
  HTREEITEM item = nullptr;
  if (point.x == -1 && point.y == -1) {  // from the keyboard: the selected node
    item = Selected();
    RECT bounds;
    if (!item || !TreeView_GetItemRect(hwnd_, item, &bounds, TRUE)) return true;
    point = {bounds.left, bounds.bottom};
    ClientToScreen(hwnd_, &point);
  } else {
    TVHITTESTINFO hit = {};
    hit.pt = point;
    ScreenToClient(hwnd_, &hit.pt);
    item = TreeView_HitTest(hwnd_, &hit);
  }
  const TNode* node = NodeOf(item);
  if (!node || node->absolute.Get()->mkid.cb == 0) return true;
  const TComPtr<IContextMenu> menu = NodeContextMenu(*node);
  if (!menu) return true;
  // The menu goes on every way out, also when the refill after a command throws.
  const gui::TMenu popup(CreatePopupMenu());
  const UINT first = 1;
  menu->QueryContextMenu(popup.Get(), 0, first, 0x7FFF, readOnly_ ? CMF_NORMAL : CMF_CANRENAME);
  const UINT chosen = TrackPopupMenu(popup.Get(), TPM_RETURNCMD | TPM_RIGHTBUTTON, point.x, point.y,
                                     0, GetAncestor(hwnd_, GA_ROOT), nullptr);
  if (chosen >= first &&
      SUCCEEDED(InvokeMenuCommand(*menu.Get(), MAKEINTRESOURCEA(chosen - first))))
    Refresh();
  return true;
}

}  // namespace widgets
