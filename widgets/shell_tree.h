// TShellTree: a tree view over the shell namespace, the folder tree of the folder chooser. One
// root node stands for the base folder; children are read from the shell when a node expands.
#pragma once

// clang-format off
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>
// clang-format on

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "texts/texts.h"
#include "widgets/com_ptr_win32.h"
#include "widgets/shell_locator.h"

namespace widgets {

enum TShellTreeOption {
  stoContextMenus,
  stoIncludeNonFolders,
  stoShowHidden,
  stoVirtualFolders,
};
using TShellTreeOptions = unsigned;
constexpr TShellTreeOptions ShellTreeOption(TShellTreeOption option) { return 1u << option; }

class TShellTree;

// Asked before an item is added; clearing `canAdd` leaves it out. `absoluteIdList` is the item's
// absolute item-ID list, valid for the call only.
using TShellTreeAddItemEvent =
    std::function<void(TShellTree& sender, LPCITEMIDLIST absoluteIdList, bool& canAdd)>;

class TShellTree {
 public:
  TShellTree();
  ~TShellTree();
  TShellTree(const TShellTree&) = delete;
  TShellTree& operator=(const TShellTree&) = delete;

  // Creates the tree view as a child of `parent`. The parent forwards its WM_NOTIFY messages from
  // this control to HandleNotify and its WM_CONTEXTMENU messages to HandleContextMenu.
  void Create(HWND parent, int id, const RECT& bounds);
  HWND Handle() const { return hwnd_; }

  TShellTreeOptions Options() const { return options_; }
  void SetOptions(TShellTreeOptions options) { options_ = options; }
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool readOnly);
  void SetShowRoot(bool showRoot);

  void SetBaseFolder(const TShellLocator& folder) { baseFolder_ = folder; }
  // The language of the new folder's name and of the box of a folder that cannot be made.
  void SetLanguage(texts::TLanguage language) { language_ = language; }
  const TShellLocator& BaseFolder() const { return baseFolder_; }
  // The folder to select on the next fill; after that, the selected node's folder.
  void SetCurrentFolder(const TShellLocator& folder) { currentFolder_ = folder; }
  const TShellLocator& CurrentFolder() const { return currentFolder_; }

  // Rebuilds the tree: the base folder's node, expanded down to the current folder, which is
  // selected (or the base folder's node when the current folder is empty or not below the base).
  // Raises std::runtime_error with the system's text when the base folder cannot be opened.
  void Fill();
  // Fills again, keeping the selection where the folder still exists (else its nearest ancestor).
  void Refresh();

  HTREEITEM Selected() const;
  HTREEITEM RootItem() const;
  // False for a null item or one that is not a folder node of this tree.
  bool HasFolderData(HTREEITEM item) const;
  // The node's file-system path (empty for none), as long as it is; NodePath gives it in the code
  // page.
  std::wstring NodeWidePath(HTREEITEM item) const;
  std::string NodePath(HTREEITEM item) const;
  LPCITEMIDLIST NodeIdList(HTREEITEM item) const;
  // Position of the node among the loaded nodes in tree order; the base folder's node is 0.
  int AbsoluteIndex(HTREEITEM item) const;

  // Creates "New Folder" (or "New Folder (2)", ...) inside the selected folder, selects it and,
  // unless read-only, starts editing its name. On failure shows the error box and returns false.
  bool CreateNewFolder();
  // Runs a shell verb ("delete") on the node's item. False when the shell refused it.
  bool InvokeVerb(HTREEITEM item, const char* verb);

  std::function<void(HTREEITEM item)> OnChange;
  TShellTreeAddItemEvent OnAddItem;

  // Handles the notifications the tree view sends to its parent; true when handled.
  bool HandleNotify(const NMHDR& header, LRESULT& result);
  // Shows the item's shell context menu when stoContextMenus is set; true when handled.
  bool HandleContextMenu(HWND window, LPARAM position);

 private:
  struct TNode;

  static int CALLBACK CompareNodes(LPARAM first, LPARAM second, LPARAM folder);
  TNode* NodeOf(HTREEITEM item) const;
  HTREEITEM InsertNode(HTREEITEM parent, TItemIdList absolute, std::wstring path,
                       const std::wstring& text, bool hasChildren);
  void FillChildren(HTREEITEM item);
  // The folder object of an absolute list; null (and the reason in `error`) when it cannot be
  // opened.
  TComPtr<IShellFolder> BindFolder(LPCITEMIDLIST absolute, HRESULT* error = nullptr) const;
  void SetHasChildren(HTREEITEM item, bool hasChildren);
  HTREEITEM FindChild(HTREEITEM parent, LPCITEMIDLIST absolute) const;
  void SelectFolder(LPCITEMIDLIST target);
  bool RenameNode(HTREEITEM item, const wchar_t* newName);
  // The shell's context menu object of a node's item; null when the shell has none.
  TComPtr<IContextMenu> NodeContextMenu(const TNode& node) const;
  // Runs a command of the menu (a verb or an offset from the first command id) for the window.
  HRESULT InvokeMenuCommand(IContextMenu& menu, LPCSTR verb) const;

  HWND hwnd_ = nullptr;
  TShellTreeOptions options_ = 0;
  bool readOnly_ = false;
  TShellLocator baseFolder_;
  texts::TLanguage language_ = texts::TLanguage::Chinese;
  TShellLocator currentFolder_;
  TComPtr<IShellFolder> desktop_;
  std::vector<std::unique_ptr<TNode>> nodes_;
};

}  // namespace widgets
