// Starts the real hashtally.exe and drives its dialogs from outside: the folder picked in the
// folder chooser is the one a make run works on, and the check page's open dialog offers the
// checkfiles of the folder being scanned.
#include <windows.h>
// The system headers below need windows.h first.
#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "tests/app/program_driver.h"

using namespace driver;

namespace {

const char kCheckfile[] = "HTSUM-sums.MD5";
const char kAbcEntry[] = "900150983cd24fb0d6963f7d28e17f72|a.txt";  // MD5 of "abc"

// Each case starts its own copy of the program from a folder of its own.
class Dialogs : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(CopyFileA(BuiltProgramPath().c_str(), program_.c_str(), FALSE));
  }

  TTempFolder programFolder_;
  const std::string program_ = programFolder_ / "hashtally.exe";
};

// A folder of the system drive's root, removed with its contents at the end.
struct TRootFolder {
  explicit TRootFolder(const std::string& folder) : path(folder) { MakeFolder(path); }
  ~TRootFolder() { RemoveTree(path); }
  const std::string path;
};

// The first child of `parent` in a tree view of the program whose text satisfies `matches`.
HTREEITEM FindChildItem(const TProgram& program, HWND tree, HTREEITEM parent,
                        const std::function<bool(const std::string&)>& matches) {
  for (HTREEITEM child = TreeView_GetChild(tree, parent); child;
       child = TreeView_GetNextSibling(tree, child))
    if (matches(program.TreeItemText(tree, child))) return child;
  return nullptr;
}

TEST_F(Dialogs, FolderChosenInTheChooserIsWhereTheMakeRunWrites) {
  // A folder past the classic path limit, below one right under C: (the root: the drives).
  const std::string name = "ht-dialogs-" + std::to_string(GetCurrentProcessId());
  const TRootFolder scanned{"C:\\" + name};
  const std::string steps[] = {name, std::string(100, 'a'), std::string(100, 'b'),
                               std::string(70, 'c')};
  std::string folder = "C:";
  for (const std::string& step : steps) MakeFolder(folder += "\\" + step);
  ASSERT_GT(folder.size(), 260u);
  WriteFile(folder + "\\a.txt", "abc");
  TProgram program(program_, programFolder_.Path());

  const char* const caption = "Browse for Folder";
  program.Click(IdButtonScanFolder);
  HWND chooser = nullptr;
  ASSERT_TRUE(WaitUntil([&] { return (chooser = program.FindDialog(caption)) != nullptr; }));
  const HWND tree = FindWindowExA(chooser, nullptr, WC_TREEVIEWA, nullptr);
  ASSERT_NE(nullptr, tree);
  HTREEITEM drive = nullptr;
  ASSERT_TRUE(WaitUntil([&] {
    drive = FindChildItem(program, tree, TreeView_GetRoot(tree), [](const std::string& text) {
      return text.find("C:") != std::string::npos;
    });
    return drive != nullptr;
  }));
  HTREEITEM item = drive;
  for (const std::string& step : steps) {
    TreeView_Expand(tree, item, TVE_EXPAND);  // the chooser reads the folder's subfolders now
    item =
        FindChildItem(program, tree, item, [&](const std::string& text) { return text == step; });
    ASSERT_NE(nullptr, item) << step;
  }
  TreeView_SelectItem(tree, item);
  PressButton(FindChildByText(chooser, "Button", "OK"));
  ASSERT_TRUE(WaitUntil([&] { return program.FindDialog(caption) == nullptr && program.Idle(); }));
  EXPECT_EQ(folder, program.Text(IdButtonScanFolder));

  const std::string checkfile = folder + "\\" + kCheckfile;
  program.Click(IdButtonGo);
  ASSERT_TRUE(WaitUntil([&] { return program.Idle() && FileExists(checkfile); }));
  const std::vector<std::string> written = Lines(ReadFile(checkfile));
  EXPECT_NE(written.end(), std::find(written.begin(), written.end(), kAbcEntry));
  EXPECT_EQ("操作完成.  检查文件保存为 " + checkfile, Lines(program.Text(IdMemoMake)).back());
  EXPECT_FALSE(FileExists(programFolder_ / kCheckfile));
}

TEST_F(Dialogs, OpenDialogOffersTheCheckfilesOfTheScanFolder) {
  // The scan folder is the program's; the program runs in another, empty folder.
  WriteFile(programFolder_ / "a.txt", "abc");
  WriteFile(programFolder_ / "sums.MD5", std::string(";\r\n;\r\n;\r\n") + kAbcEntry + "\r\n");
  TTempFolder workingFolder;
  TProgram program(program_, workingFolder.Path());
  program.ClickPageTab(1);
  ASSERT_TRUE(WaitUntil([&] { return program.SelectedPage() == 1; }));

  program.Click(IdButtonFindCheckFile);
  HWND dialog = nullptr, list = nullptr;
  ASSERT_TRUE(WaitUntil([&] {
    dialog = program.FindDialog();
    const HWND view =
        dialog ? FindWindowExA(dialog, nullptr, "SHELLDLL_DefView", nullptr) : nullptr;
    list = view ? FindWindowExA(view, nullptr, WC_LISTVIEWA, nullptr) : nullptr;
    return list && ListView_GetItemCount(list) > 0;
  }));
  const HWND filter = GetDlgItem(dialog, 0x470);  // cmb1
  EXPECT_EQ("Hashtally 检查文件", WindowText(filter));
  std::vector<std::wstring> filters;
  for (int i = 0; i < SendMessageW(filter, CB_GETCOUNT, 0, 0); ++i) {
    wchar_t item[128] = {};
    if (SendMessageW(filter, CB_GETLBTEXTLEN, i, 0) < 128)
      SendMessageW(filter, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item));
    filters.push_back(item);
  }
  EXPECT_EQ(filters, (std::vector<std::wstring>{L"Hashtally 检查文件",
                                                L"MD5 校验文件 (*.md5;*.txt)", L"所有文件 (*.*)"}));
  std::vector<std::string> listed;
  for (int i = 0; i < ListView_GetItemCount(list); ++i)
    listed.push_back(program.ListItemText(list, i));
  EXPECT_EQ(std::vector<std::string>{"sums.MD5"}, listed);
}

}  // namespace
