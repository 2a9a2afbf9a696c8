// Starts the real hashtally.exe under the system (Wine in the Windows build) and drives its
// window from outside: start-up, the automatic check, check and make runs, stop, close, errors.
#include <windows.h>
// The system headers below need windows.h first.
#include <commctrl.h>
#include <gtest/gtest.h>
#include <oleacc.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "catalogue/scrub_pass.h"
#include "catalogue/scrub_state.h"
#include "platform/drive.h"
#include "platform/file_handle_win32.h"
#include "tests/app/program_driver.h"
#include "widgets/com_ptr_win32.h"
#include "widgets/display_text.h"
#include "widgets/gui_helpers.h"

using namespace driver;

namespace {

const char kCheckfile[] = "HTSUM-sums.MD5";
const std::string kConsoleProgram = WindowsPath(HT_CONSOLE_EXE);
const char kAutoCheckLine[] = "(Hashtally 检查文件已找到;启动自动检查)  ";

// MD5 test-suite strings and their digests.
const char kAbc[] = "abc";
const char kAbcMd5[] = "900150983cd24fb0d6963f7d28e17f72";
const char kMessageDigest[] = "message digest";
const char kMessageDigestMd5[] = "f96b697d7cb7938d525a2f31aaf161d0";

std::string PaneText(const TProgram& program, int id) { return program.Text(id); }

std::wstring WideLastLine(const std::wstring& text) {
  const std::size_t end = text.rfind(L"\r\n");
  return end == std::wstring::npos ? text : text.substr(end + 2);
}

std::string Utf8(const std::wstring& text) {
  const int size = static_cast<int>(text.size());
  std::string utf8(WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr),
                   '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), size, &utf8[0], static_cast<int>(utf8.size()),
                      nullptr, nullptr);
  return utf8;
}

// The screen's device context for the time of one statement.
struct ScreenDc {
  HDC dc = GetDC(nullptr);
  ~ScreenDc() { ReleaseDC(nullptr, dc); }
};

// The text in UTF-16 of lines of the ANSI code page joined with CR LF, as the clipboard holds it.
std::wstring WideText(const std::vector<std::string>& lines) {
  std::string joined;
  for (const std::string& line : lines) joined += (joined.empty() ? "" : "\r\n") + line;
  std::wstring wide(joined.size(), L'\0');
  wide.resize(MultiByteToWideChar(CP_ACP, 0, joined.data(), static_cast<int>(joined.size()),
                                  &wide[0], static_cast<int>(wide.size())));
  return wide;
}

// The clipboard's UTF-16 text; empty when it has none or another program holds it open.
std::wstring ClipboardText() {
  std::wstring text;
  if (!OpenClipboard(nullptr)) return text;
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) text = chars;
    GlobalUnlock(data);
  }
  CloseClipboard();
  return text;
}

// Owns a string an accessible object gave.
struct TBstr {
  BSTR text = nullptr;
  ~TBstr() { SysFreeString(text); }
};

// The x of each UTF-16 index of `line` in an edit box of this process showing it in the result
// pane's font (the program's: 8 points of 新品速递 for GB2312).
std::vector<int> EditBoxXs(const std::wstring& line) {
  struct TOwned {
    HWND edit;
    HFONT font;
    ~TOwned() {
      DestroyWindow(edit);
      DeleteObject(font);
    }
  };
  const TOwned owned{
      CreateWindowExW(0, L"EDIT", line.c_str(), WS_POPUP | ES_AUTOHSCROLL, 0, 0, 4000, 40, nullptr,
                      nullptr, nullptr, nullptr),
      CreateFontW(-MulDiv(8, GetDeviceCaps(ScreenDc().dc, LOGPIXELSY), 72), 0, 0, 0, FW_NORMAL,
                  FALSE, FALSE, FALSE, GB2312_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                  DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"新品速递")};
  SendMessageW(owned.edit, WM_SETFONT, reinterpret_cast<WPARAM>(owned.font), FALSE);
  std::vector<int> xs;
  for (std::size_t i = 0; i < line.size(); ++i)
    xs.push_back(static_cast<short>(LOWORD(SendMessageW(owned.edit, EM_POSFROMCHAR, i, 0))));
  return xs;
}

// The make run's expected pane lines and checkfile entry lines for a tree whose folders and files
// are all plain (nothing hidden), in the order the file system lists them.
void ExpectedWalk(const std::string& folder, std::vector<std::string>& pane,
                  std::vector<std::string>& entries, const std::string& root) {
  WIN32_FIND_DATAA entry;
  HANDLE find = FindFirstFileA((folder + "\\*.*").c_str(), &entry);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    const std::string name = entry.cFileName;
    // A checkfile of any letter case in the scanned folder is the one the run replaces.
    const bool checkfile =
        folder == root ? lstrcmpiA(name.c_str(), kCheckfile) == 0 : name == kCheckfile;
    if (name == "." || name == ".." || checkfile) continue;
    const std::string path = folder + "\\" + name;
    if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      pane.push_back("文件夹: " + path);
      ExpectedWalk(path, pane, entries, root);
    } else {
      pane.push_back("文件: " + name);
      entries.push_back(SystemMd5(path) + "|" + path.substr(root.size() + 1));
    }
  } while (FindNextFileA(find, &entry));
  FindClose(find);
}

// Waits until a check run (the automatic one, say) has ended.
void WaitForCheckEnd(const TProgram& program) { ASSERT_FALSE(CheckPane(program).empty()); }

// Many small files in a few folders, so that a make run lasts long enough to be watched.
void WriteManyFiles(const std::string& root, int folders, int filesPerFolder) {
  for (int f = 0; f < folders; ++f) {
    const std::string folder = root + "\\many" + std::to_string(f);
    MakeFolder(folder);
    for (int i = 0; i < filesPerFolder; ++i)
      WriteFile(folder + "\\file" + std::to_string(i) + ".dat", std::to_string(i));
  }
}

// The file name box of the open dialog.
HWND FileNameBox(HWND dialog) {
  if (HWND combo = GetDlgItem(dialog, 0x47C)) {  // cmb13, a combo box or an extended one
    if (HWND edit = FindWindowExA(combo, nullptr, "Edit", nullptr)) return edit;
    const HWND inner = FindWindowExA(combo, nullptr, "ComboBox", nullptr);
    if (HWND edit = FindWindowExA(inner, nullptr, "Edit", nullptr)) return edit;
  }
  return GetDlgItem(dialog, 0x480);  // edt1
}

HWND WaitForOpenDialog(const TProgram& program) {
  HWND dialog = nullptr;
  WaitUntil([&] {
    dialog = program.FindDialog();
    return dialog && FileNameBox(dialog) && IsWindowVisible(dialog);
  });
  return dialog;
}

// Types `path` into the open or save dialog's name box and presses its button. The dialog may still
// be setting up its box when it first shows, so the typing is repeated until the text stands.
bool TypeIntoOpenDialog(const TProgram& program, const std::string& path) {
  return WaitUntil([&] {
    const HWND dialog = program.FindDialog();
    const HWND box = dialog ? FileNameBox(dialog) : nullptr;
    if (!box) return true;  // gone (a message box may have followed it)
    if (WindowText(box) != path) {
      SendMessageA(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
    } else {
      PressButton(GetDlgItem(dialog, IDOK));
    }
    Sleep(200);  // pacing only: the dialog gets time to take in the text or the press
    return false;
  });
}

// A plain read-only edit box of this process and what the system's accessible object for it
// tells: the yardstick for the pane.
struct TPlainEditBox {
  HWND edit = CreateWindowExW(0, L"EDIT", L"text", ES_READONLY | ES_MULTILINE | WS_POPUP, 0, 0, 10,
                              10, nullptr, nullptr, nullptr, nullptr);
  widgets::TComPtr<IAccessible> accessible;
  HRESULT found =
      AccessibleObjectFromWindow(edit, OBJID_CLIENT, IID_IAccessible, accessible.PutVoid());
  ~TPlainEditBox() { DestroyWindow(edit); }
};

bool SystemGivesEditBoxesAccessibleObjects() {
  const widgets::TComInit com;
  return TPlainEditBox().found == S_OK;
}

}  // namespace

TEST(StartUp, WithoutCheckfileShowsMakePageWithProgramFolder) {
  TProgramFolder setup;
  TProgram program(setup.program, setup.folder.Path());

  EXPECT_EQ(0, program.SelectedPage());
  EXPECT_TRUE(program.Visible(IdTabSheetMake));
  EXPECT_FALSE(program.Visible(IdTabSheetCheck));
  EXPECT_EQ(setup.folder.Path() + "\\", program.Text(IdButtonScanFolder));
  EXPECT_EQ("", program.Text(IdLabelStatus));
  EXPECT_EQ("Hashtally 版本 0.2.1.10", program.Text(IdLabel2));
  EXPECT_EQ("选择文件夹,点击 \"开始\" ,制作检查文件,用于对比.", PaneText(program, IdMemoMake));
  EXPECT_EQ("点击 \"打开检查文件\" 开始对比现有文件\r\nHashtally 检查文件.",
            PaneText(program, IdMemoCheck));
  EXPECT_EQ(0u, WindowText(program.Window()).find("Hashtally"));
  EXPECT_TRUE(program.Idle());

  const LONG style = GetWindowLongA(program.Window(), GWL_STYLE);
  EXPECT_TRUE(style & WS_MINIMIZEBOX);
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_FALSE(style & WS_MAXIMIZEBOX);
  EXPECT_FALSE(style & WS_THICKFRAME);
  EXPECT_TRUE(GetWindowLongA(program.Control(IdMemoMake), GWL_STYLE) & ES_READONLY);
  EXPECT_TRUE(GetWindowLongA(program.Control(IdMemoCheck), GWL_STYLE) & ES_READONLY);

  // The fixed client size, scaled from 96 DPI to the system's; the pages sit above the status
  // line and the stop button, which stay usable while the pages are locked.
  const int dpi = GetDeviceCaps(ScreenDc().dc, LOGPIXELSY);
  RECT client;
  GetClientRect(program.Window(), &client);
  EXPECT_EQ(MulDiv(524, dpi, 96), client.right);
  EXPECT_EQ(MulDiv(371, dpi, 96), client.bottom);
  auto bounds = [&](int id) {
    RECT r;
    GetWindowRect(program.Control(id), &r);
    return r;
  };
  EXPECT_LE(bounds(IdPageControl1).bottom, bounds(IdLabelStatus).top);
  EXPECT_LE(bounds(IdPageControl1).bottom, bounds(IdButtonAbort).top);
  EXPECT_EQ(program.Window(), GetParent(program.Control(IdButtonAbort)));

  program.Close();
  EXPECT_TRUE(program.Exited(15000));
}

TEST(StartUp, CheckfileBesideProgramIsCheckedAtOnceAndOnlyOnce) {
  TProgramFolder setup;
  const std::string& root = setup.folder.Path();
  WriteFile(setup.folder / "a.txt", kAbc);
  WriteFile(setup.folder / "b.txt", "changed");
  WriteFile(setup.folder / kCheckfile, std::string(";one\r\n;two\r\n;three\r\n") + kAbcMd5 +
                                           "|a.txt\r\n" + kMessageDigestMd5 + "|b.txt\r\n");
  TProgram program(setup.program, root);

  // b.txt changed after the checkfile was made; the program beside its checkfile is no new file.
  const std::string summary = "1 个文件在检查文件制作之后被修改";
  ASSERT_TRUE(WaitUntil([&] {
    return program.Enabled(IdButtonFindCheckFile) &&
           LastLine(PaneText(program, IdMemoCheck)) == summary;
  }));
  EXPECT_EQ(1, program.SelectedPage());
  EXPECT_TRUE(program.Visible(IdTabSheetCheck));
  EXPECT_FALSE(program.Visible(IdTabSheetMake));
  const std::vector<std::string> expected = {
      kAutoCheckLine,
      "对比MD5检查文件在   " + root + "\\" + kCheckfile,
      "OK: " + root + "\\a.txt",
      "错误:MD5的总和不匹配  " + root + "\\b.txt. 预期:     " + kMessageDigestMd5 +
          " 计算:       " + SystemMd5(setup.folder / "b.txt"),
      "操作完成",
      "",
      "*** 以下文件经过对比,没有匹配:",
      root + "\\b.txt",
      "***",
      "2 文件对比",
      "1 文件的MD5值不匹配!文件已经被损坏或修改",
      summary,
  };
  EXPECT_EQ(expected, Lines(PaneText(program, IdMemoCheck)));
  EXPECT_TRUE(program.Idle());
  EXPECT_EQ("", program.Text(IdLabelStatus));

  // Ctrl+A, Ctrl+C and Ctrl+S, through the program's message loop, copy and save the whole pane.
  // The program's thread shares this thread's input state for the moment, so that it sees Ctrl
  // held.
  const HWND pane = program.Control(IdMemoCheck);
  const std::wstring all = WideText(expected);
  const DWORD programThread = GetWindowThreadProcessId(pane, nullptr);
  ASSERT_TRUE(AttachThreadInput(GetCurrentThreadId(), programThread, TRUE));
  BYTE keys[256] = {};
  keys[VK_CONTROL] = 0x80;
  SetKeyboardState(keys);
  // Ctrl+A is pressed again until all is selected: a busy system may take the keys before the
  // shared Ctrl state has reached the program's thread. Ctrl+C and Ctrl+S go once Ctrl is seen,
  // and the clipboard is read once the dialog shows: a copy fails while this thread reads it.
  EXPECT_TRUE(WaitUntil([&] {
    PostMessageA(pane, WM_KEYDOWN, 'A', 1);
    return WaitUntil([&] { return SendMessageA(pane, EM_GETSEL, 0, 0) == MAKELONG(0, all.size()); },
                     std::chrono::seconds(3));
  }));
  PostMessageA(pane, WM_KEYDOWN, 'C', 1);
  PostMessageA(pane, WM_KEYDOWN, 'S', 1);
  const HWND saveDialog = WaitForOpenDialog(program);
  keys[VK_CONTROL] = 0;
  SetKeyboardState(keys);
  AttachThreadInput(GetCurrentThreadId(), programThread, FALSE);
  EXPECT_EQ(all, ClipboardText());
  // Ctrl+S saves what the copy gave, in UTF-8 behind the byte-order mark.
  ASSERT_NE(nullptr, saveDialog);
  EXPECT_TRUE(WaitUntil([&] {  // the name box may be filled in after the dialog shows
    return WindowText(FileNameBox(saveDialog)).rfind("Hashtally-check-", 0) == 0;
  }));
  const std::string report = setup.folder / "report.txt";
  ASSERT_TRUE(TypeIntoOpenDialog(program, report));
  ASSERT_TRUE(WaitUntil([&] { return FileExists(report); }));
  EXPECT_EQ("\xEF\xBB\xBF" + Utf8(all), ReadFile(report));
  // Saved from the context menu over a file another program holds open: the box names the file
  // and the system's reason, and the file stays as it was.
  const std::string held = setup.folder / "held.txt";
  WriteFile(held, "old");
  {
    const platform::FileHandle holder(
        CreateFileA(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    PostMessageA(pane, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(pane), MAKELPARAM(-1, -1));
    PostMessageA(pane, WM_CHAR, 'S', 1);  // the command's key in the menu
    ASSERT_NE(nullptr, WaitForOpenDialog(program));
    ASSERT_TRUE(TypeIntoOpenDialog(program, held));
    HWND ask = nullptr;  // whether to replace it
    ASSERT_TRUE(WaitUntil([&] { return (ask = program.FindDialog()) && GetDlgItem(ask, IDYES); }));
    ASSERT_TRUE(CloseBox(ask, IDYES));
    const HWND failed = WaitForBox(program);
    ASSERT_NE(nullptr, failed);
    char reason[256] = {};  // the system's words for the refusal, on one line
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, ERROR_ACCESS_DENIED, 0, reason,
                   sizeof reason, nullptr);
    EXPECT_TRUE(BoxSays(failed, L"无法保存报告: " + Wide(held) + L"\r\n" +
                                    Wide(std::string(reason, std::strcspn(reason, "\r\n")))));
    ASSERT_TRUE(CloseBox(failed));
  }
  EXPECT_EQ("old", ReadFile(held));
  // EM_SETSEL counts UTF-16 units as an edit box does; WM_COPY copies the second and third lines.
  const std::size_t second = all.find(L"\r\n") + 2;
  const std::size_t fourth = all.find(L"\r\n", all.find(L"\r\n", second) + 2) + 2;
  SendMessageA(pane, EM_SETSEL, second, fourth);
  SendMessageA(pane, WM_COPY, 0, 0);
  EXPECT_EQ(WideText({expected[1], expected[2], ""}), ClipboardText());
  // A copy while another program holds the clipboard says so, and the clipboard keeps its text.
  ASSERT_TRUE(OpenClipboard(nullptr));
  PostMessageA(pane, WM_COPY, 0, 0);
  const HWND box = WaitForBox(program);
  CloseClipboard();
  ASSERT_NE(nullptr, box);
  EXPECT_TRUE(HasIconChild(box));
  EXPECT_TRUE(BoxSays(box, L"无法复制到剪贴板,剪贴板中仍是原来的内容。"));
  ASSERT_TRUE(CloseBox(box));
  EXPECT_EQ(WideText({expected[1], expected[2], ""}), ClipboardText());

  // Screen readers find a read-only text box whose value is the pane's text. The pane asks the
  // system for the edit box's accessible object by answering, as an edit box does, that it is one
  // (the class index of "Edit"). Where the system gives no accessible object even for a plain edit
  // box of this process (64-bit Wine), that answer is all there is to see.
  constexpr LRESULT kEditClassIndex = 65536 + 4;
  EXPECT_EQ(kEditClassIndex, SendMessageA(pane, WM_GETOBJECT, 0, OBJID_QUERYCLASSNAMEIDX));
  const widgets::TComInit com;
  widgets::TComPtr<IAccessible> accessible;
  const HRESULT found =
      AccessibleObjectFromWindow(pane, OBJID_CLIENT, IID_IAccessible, accessible.PutVoid());
  if (!SystemGivesEditBoxesAccessibleObjects()) {
    EXPECT_EQ(E_NOINTERFACE, found);
  } else {
    ASSERT_EQ(S_OK, found);
    VARIANT self{}, role{}, state{};
    self.vt = VT_I4;  // CHILDID_SELF: the pane itself
    ASSERT_EQ(S_OK, accessible->get_accRole(self, &role));
    EXPECT_EQ(ROLE_SYSTEM_TEXT, role.lVal);
    ASSERT_EQ(S_OK, accessible->get_accState(self, &state));
    EXPECT_TRUE(state.lVal & STATE_SYSTEM_READONLY);
    TBstr value;
    ASSERT_EQ(S_OK, accessible->get_accValue(self, &value.text));
    EXPECT_EQ(all, std::wstring(value.text, SysStringLen(value.text)));
  }

  // The automatic path is taken once: the next press opens the dialog; cancelling it leaves the
  // pane empty and the window idle.
  program.Click(IdButtonFindCheckFile);
  const HWND dialog = WaitForOpenDialog(program);
  ASSERT_NE(nullptr, dialog);
  PressButton(GetDlgItem(dialog, IDCANCEL));
  ASSERT_TRUE(WaitUntil([&] { return program.FindDialog() == nullptr; }));
  EXPECT_EQ("", PaneText(program, IdMemoCheck));
  EXPECT_TRUE(program.Idle());
}

// In both languages and at 100%, 150% and 200% scaling every caption fits its control (the pause
// button's two included) and no two controls of a page overlap.
TEST(Layout, EveryCaptionFitsItsControlInBothLanguagesAtEveryScale) {
  TProgramFolder setup;
  for (const DWORD dpi : {96, 144, 192}) {
    struct TScale {  // the system's scaling, for the programs started meanwhile
      explicit TScale(DWORD dpi) {
        RegSetKeyValueW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"LogPixels", REG_DWORD, &dpi,
                        sizeof dpi);
      }
      ~TScale() { RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"LogPixels"); }
    } scale(dpi);
    for (const wchar_t* language : {L"zh-CN", L"en"}) {
      const TLanguageSetting setting(language);
      TProgram program(setup.program, setup.folder.Path());
      const int shown = static_cast<int>(dpi);
      const gui::TGdiObject font =
          gui::CreatePointFont(L"MS Sans Serif", 8, gui::ChineseCharset(), shown);
      const auto width = [&](const std::wstring& text) {
        return gui::TextWidth(program.Window(), font.Get(), text);
      };
      const int margin = MulDiv(6, shown, 96);  // a button's edge and room around its caption
      const int box = MulDiv(16, shown, 96);    // a radio button's circle and its gap
      const std::pair<int, int> controls[] = {  // id, the room the caption takes besides itself
                                              {IdLabel1, 0},
                                              {IdButtonGo, 2 * margin},
                                              {IdButtonFindCheckFile, 2 * margin},
                                              {IdButtonUpdateCheckfile, 2 * margin},
                                              {IdLabel2, 0},
                                              {IdLabelLanguage, 0},
                                              {IdRadioChinese, box},
                                              {IdRadioEnglish, box},
                                              {IdButtonAbort, 2 * margin},
                                              {IdButtonPause, 2 * margin}};
      const bool english = std::wstring(language) == L"en";
      for (const auto& [id, room] : controls) {
        RECT client{};
        ASSERT_TRUE(GetClientRect(program.Control(id), &client)) << id;
        std::vector<std::wstring> captions = {WideText(program.Control(id))};
        if (id == IdButtonPause)
          captions = {english ? L"Pause" : L"暂停", english ? L"Resume" : L"继续"};
        for (const std::wstring& caption : captions)
          EXPECT_LE(width(caption) + room, client.right)
              << "\"" << Utf8(caption) << "\" at " << dpi << " dpi";
      }
      for (int page = 0; page < 3; ++page) {  // the page's controls and the form's own
        std::vector<std::pair<HWND, RECT>> placed;
        for (int id = IdLabel1; id <= IdRadioEnglish; ++id) {
          const HWND control = program.Control(id);
          const HWND parent = control ? GetParent(control) : nullptr;
          const bool hidden = !(GetWindowLongW(control, GWL_STYLE) & WS_VISIBLE);  // during runs
          if (!control || hidden ||
              (parent != program.Window() && parent != program.Control(IdTabSheetMake + page)))
            continue;
          RECT bounds{};
          GetWindowRect(control, &bounds);
          for (const auto& [other, otherBounds] : placed) {
            RECT both{};
            EXPECT_FALSE(IntersectRect(&both, &bounds, &otherBounds))
                << GetDlgCtrlID(control) << " overlaps " << GetDlgCtrlID(other) << " at " << dpi;
          }
          placed.emplace_back(control, bounds);
        }
      }
    }
  }
}

TEST(CheckRun, ChosenThroughTheOpenDialog) {
  TProgramFolder setup;
  TTempFolder data;
  MakeFolder(data / "sub");
  WriteFile(data / "a.txt", kAbc);
  WriteFile(data / "sub\\m.txt", kMessageDigest);
  WriteFile(data / kCheckfile, std::string(";h\r\n;h\r\n;h\r\n") + kAbcMd5 + "|a.txt\r\n" +
                                   kMessageDigestMd5 + "|sub\\m.txt\r\n");
  TProgram program(setup.program, setup.folder.Path());

  program.ClickPageTab(1);
  ASSERT_TRUE(
      WaitUntil([&] { return program.SelectedPage() == 1 && program.Visible(IdTabSheetCheck); }));
  EXPECT_FALSE(program.Visible(IdTabSheetMake));

  program.Click(IdButtonFindCheckFile);
  HWND dialog = WaitForOpenDialog(program);
  ASSERT_NE(nullptr, dialog);
  const std::string checkfile = data / kCheckfile;
  ASSERT_TRUE(TypeIntoOpenDialog(program, checkfile));

  ASSERT_TRUE(WaitUntil(
      [&] { return LastLine(PaneText(program, IdMemoCheck)) == "一切正常!" && program.Idle(); }));
  const std::vector<std::string> expected = {
      "对比MD5检查文件在   " + checkfile,
      "OK: " + data.Path() + "\\a.txt",
      "OK: " + data.Path() + "\\sub\\m.txt",
      "操作完成",
      "",
      "2 文件对比",
      "一切正常!",
  };
  EXPECT_EQ(expected, Lines(PaneText(program, IdMemoCheck)));

  // The dialog keeps the checkfile used last in its name box.
  program.Click(IdButtonFindCheckFile);
  dialog = WaitForOpenDialog(program);
  ASSERT_NE(nullptr, dialog);
  EXPECT_NE(std::string::npos, WindowText(FileNameBox(dialog)).find(kCheckfile));
  PressButton(GetDlgItem(dialog, IDCANCEL));
  ASSERT_TRUE(WaitUntil([&] { return program.FindDialog() == nullptr && program.Idle(); }));
}

TEST(CheckRun, MissingCheckfileGivesErrorBoxAndTheWindowStaysUsable) {
  TProgramFolder setup;
  TProgram program(setup.program, setup.folder.Path());
  program.ClickPageTab(1);
  ASSERT_TRUE(WaitUntil([&] { return program.SelectedPage() == 1; }));

  program.Click(IdButtonFindCheckFile);
  ASSERT_NE(nullptr, WaitForOpenDialog(program));
  const std::string missing = setup.folder / "missing.MD5";
  ASSERT_TRUE(TypeIntoOpenDialog(program, missing));
  const HWND box = WaitForBox(program);
  ASSERT_NE(nullptr, box);
  EXPECT_TRUE(HasIconChild(box));
  bool namesFile = false;
  for (const std::string& text : ChildTexts(box, "Static"))
    namesFile = namesFile || text.rfind("Cannot open file \"" + missing + "\"", 0) == 0;
  EXPECT_TRUE(namesFile);
  ASSERT_TRUE(CloseBox(box));
  ASSERT_TRUE(WaitUntil([&] { return program.FindDialog() == nullptr && program.Idle(); }));
  EXPECT_FALSE(program.Exited());
}

// Where Windows does not speak Chinese (or the user chose English) the window speaks English:
// captions, panes and boxes hold no Chinese character, and the checkfile is the one a Chinese
// window makes but for its date line. Chosen on the about page, Chinese comes back at once and is
// remembered.
TEST(Language, TheWindowSpeaksEnglishWhereWindowsDoesAndTheChoiceIsRemembered) {
  const TLanguageSetting setting(ChineseUserInterface() ? L"en" : L"");
  TProgramFolder setup;
  WriteFile(setup.folder / "a.txt", kAbc);
  MakeFolder(setup.folder / "sub");
  WriteFile(setup.folder / "sub\\b.txt", kMessageDigest);
  const auto chinese = [](const std::wstring& text) {
    return std::any_of(text.begin(), text.end(), [](wchar_t c) {
      return (c >= 0x2E80 && c <= 0x9FFF) || (c >= 0xF900 && c <= 0xFAFF) || c >= 0xFF00;
    });
  };
  std::string englishCheckfile;
  {
    TProgram program(setup.program, setup.folder.Path());
    EXPECT_EQ(L"Hashtally", WideText(program.Window()));
    EXPECT_EQ(L"Make checkfile", program.TabText(0));
    EXPECT_EQ(L"Start", WideText(program.Control(IdButtonGo)));
    EXPECT_EQ(L"Open checkfile...", WideText(program.Control(IdButtonFindCheckFile)));
    EXPECT_EQ(L"Update checkfile", WideText(program.Control(IdButtonUpdateCheckfile)));
    program.Click(IdButtonGo);
    ASSERT_TRUE(WaitUntil([&] { return program.Idle() && FileExists(setup.folder / kCheckfile); }));
    EXPECT_EQ("Done.  Checkfile saved as " + setup.folder / kCheckfile,
              LastLine(program.Text(IdMemoMake)));
    const std::wstring checked = CheckPane(program, setup.folder / kCheckfile);
    EXPECT_EQ(L"Everything OK!", WideLastLine(checked)) << Utf8(checked);
    for (int page = 0; page < 3; ++page) EXPECT_FALSE(chinese(program.TabText(page)));
    for (int id = IdLabel1; id <= IdRadioEnglish; ++id)  // Chinese is named in its own words
      EXPECT_TRUE(id == IdRadioChinese || !chinese(WideText(program.Control(id)))) << id;
    program.Drop(setup.folder / "missing.MD5");
    const HWND box = WaitForBox(program);
    ASSERT_NE(nullptr, box);
    // Its words and the system's reason, which Windows gives in its own language.
    const bool english = PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_ENGLISH;
    for (const std::string& text : ChildTexts(box, "Static"))
      EXPECT_TRUE(!chinese(Wide(text)) || !english) << text;
    ASSERT_TRUE(CloseBox(box));

    program.ClickPageTab(2);
    program.Click(IdRadioChinese);
    ASSERT_TRUE(WaitUntil([&] { return WideText(program.Control(IdButtonGo)) == L"开始"; }));
    EXPECT_EQ(L"关于", program.TabText(2));
    EXPECT_EQ(L"zh-CN", TLanguageSetting::Current());
    englishCheckfile = ReadFile(setup.folder / kCheckfile);
  }
  TProgram program(setup.program, setup.folder.Path());  // Chinese, as chosen
  program.Click(IdButtonGo);
  ASSERT_TRUE(WaitUntil([&] {
    return program.Idle() &&
           WideLastLine(WideText(program.Control(IdMemoMake))).rfind(L"操作完成", 0) == 0;
  }));
  std::vector<std::string> english = Lines(englishCheckfile);
  std::vector<std::string> made = Lines(ReadFile(setup.folder / kCheckfile));
  ASSERT_EQ(english.size(), made.size());
  english.erase(english.begin() + 2);  // the date line
  made.erase(made.begin() + 2);
  EXPECT_EQ(english, made);
}

TEST(MakeRun, WritesTheCheckfileAndPaneOfTheProgramFolder) {
  TProgramFolder setup;
  const std::string& root = setup.folder.Path();
  WriteFile(setup.folder / "a.txt", kAbc);
  WriteFile(setup.folder / "htsum-sums.md5", "other letter case: replaced by the new checkfile");
  MakeFolder(setup.folder / "sub");
  WriteFile(setup.folder / "sub\\m.txt", kMessageDigest);
  WriteFile(setup.folder / "sub\\HTSUM-sums.MD5", "skipped at every depth");
  MakeFolder(setup.folder / "sub\\empty folder");
  TProgram program(setup.program, root);
  // The checkfile of the other letter case is the one beside the program: checked first.
  WaitForCheckEnd(program);

  std::vector<std::string> pane, entries;
  ExpectedWalk(root, pane, entries, root);
  pane.push_back("操作完成.  检查文件保存为 " + root + "\\" + kCheckfile);

  program.Click(IdButtonGo);
  ASSERT_TRUE(WaitUntil([&] { return program.Idle() && FileExists(setup.folder / kCheckfile); }));
  ASSERT_TRUE(WaitUntil([&] { return LastLine(PaneText(program, IdMemoMake)) == pane.back(); }));
  EXPECT_EQ(pane, Lines(PaneText(program, IdMemoMake)));
  EXPECT_EQ("", program.Text(IdLabelStatus));
  EXPECT_EQ(root + "\\", program.Text(IdButtonScanFolder));  // the caption keeps its backslash

  std::vector<std::string> written = Lines(ReadFile(setup.folder / kCheckfile));
  ASSERT_GE(written.size(), 4u);
  EXPECT_EQ("", written.back());  // every line ends with CR LF
  written.pop_back();
  for (int i = 0; i < 3; ++i) EXPECT_EQ(';', written[i][0]) << written[i];
  EXPECT_NE(std::string::npos, written[0].find("0.2.1.10"));
  EXPECT_EQ(entries, std::vector<std::string>(written.begin() + 3, written.end()));
  EXPECT_NE(entries.end(),
            std::find(entries.begin(), entries.end(), std::string(kAbcMd5) + "|a.txt"));
}

// On every code page the window's texts read right, and names of every script are made, stored
// (in UTF-8 when the code page cannot hold them all) and checked; a changed file is named exactly.
// A checkfile made on a Chinese system (GBK, no byte-order mark) is verified everywhere.
TEST(CodePage, EveryTextReadsRightAndNamesOfEveryScriptAreVerified) {
  const struct {
    UINT codePage;
    const wchar_t* name;
  } kNames[] = {{936, L"中文.txt"}, {1252, L"naïve.txt"}, {932, L"ﾃｽﾄ.txt"}};
  const auto* named = std::find_if(std::begin(kNames), std::end(kNames),
                                   [](const auto& n) { return n.codePage == GetACP(); });
  ASSERT_NE(std::end(kNames), named) << GetACP();
  const TLanguageSetting chinese(ChineseUserInterface() ? L"" : L"zh-CN");  // on every code page
  TProgramFolder setup;
  const std::wstring root = Wide(setup.folder.Path());
  ASSERT_TRUE(CreateDirectoryW((root + L"\\照片").c_str(), nullptr));
  const std::wstring names[] = {named->name,       L"한글.txt", L"Motörhead.txt",
                                L"Señorita €.txt", L"ไทย.txt",  L"\U0001F600e\u0301.txt",
                                L"照片\\假日.jpg", L"plain.txt"};
  for (const std::wstring& name : names) WriteFile(root + L"\\" + name, kAbc);
  TProgram program(setup.program, setup.folder.Path());

  EXPECT_EQ(L"Hashtally - 简体中文版", WideText(program.Window()));
  for (const auto& [index, caption] :
       {std::pair{0, L"制作检查文件"}, {1, L"检查文件"}, {2, L"关于"}})
    EXPECT_EQ(caption, program.TabText(index));
  const std::pair<int, std::wstring> texts[] = {
      {IdLabel1, L"选择文件夹  : "},
      {IdButtonScanFolder, root + L"\\"},
      {IdButtonGo, L"开始"},
      {IdMemoMake, L"选择文件夹,点击 \"开始\" ,制作检查文件,用于对比."},
      {IdButtonFindCheckFile, L"打开检查文件..."},
      {IdMemoCheck, L"点击 \"打开检查文件\" 开始对比现有文件\r\nHashtally 检查文件."},
      {IdLabel2, L"Hashtally 版本 0.2.1.10"},
      {IdLabelStatus, L""},
      {IdButtonAbort, L"停止"},
  };
  for (const auto& [id, text] : texts) EXPECT_EQ(text, WideText(program.Control(id))) << id;
  EXPECT_EQ(0u, WideText(program.Control(IdMemoAbout)).find(L"Hashtally tests the integrity"));

  program.Click(IdButtonGo);
  ASSERT_TRUE(WaitUntil([&] { return program.Idle() && FileExists(setup.folder / kCheckfile); }));
  const std::wstring pane = WideText(program.Control(IdMemoMake));
  for (const std::wstring& name : names)
    EXPECT_NE(std::wstring::npos, pane.find(L"文件: " + name.substr(name.find(L'\\') + 1))) << pane;
  EXPECT_EQ(std::wstring::npos, pane.find(L"已跳过")) << pane;
  EXPECT_EQ(L"操作完成.  检查文件保存为 " + root + L"\\HTSUM-sums.MD5", WideLastLine(pane));

  // The emoji takes the room of one glyph and the accent none beside its letter, as in an edit
  // box of the same font; the caret does not stop between them; the name's line is read back
  // through the edit box's line messages.
  const HWND makePane = program.Control(IdMemoMake);
  const auto send = [&](UINT message, std::size_t w, LPARAM l = 0) {
    return SendMessageW(makePane, message, w, l);
  };
  const std::size_t at = pane.find(names[5]);
  ASSERT_NE(std::wstring::npos, at);
  const std::vector<int> edit = EditBoxXs(names[5]);
  const auto x = [&](std::size_t i) { return static_cast<short>(LOWORD(send(EM_POSFROMCHAR, i))); };
  for (std::size_t i : {0, 2}) EXPECT_EQ(edit[i + 2] - edit[i], x(at + i + 2) - x(at + i)) << i;
  send(EM_SETSEL, at + 3, at + 3);
  EXPECT_EQ(at + 2, LOWORD(send(EM_GETSEL, 0)));
  const auto line = static_cast<std::size_t>(send(EM_LINEFROMCHAR, at));
  const auto start = static_cast<std::size_t>(send(EM_LINEINDEX, line));
  const std::wstring expected = pane.substr(start, pane.find(L"\r\n", start) - start);
  // Twice the room: between processes Wine hands back as many bytes as the buffer holds characters.
  std::wstring read(2 * expected.size() + 8, L'\0');
  read[0] = static_cast<wchar_t>(read.size());
  read.resize(send(EM_GETLINE, line, reinterpret_cast<LPARAM>(&read[0])));
  EXPECT_EQ(expected, read);
  EXPECT_EQ(expected.size(), static_cast<std::size_t>(send(EM_LINELENGTH, at)));

  // In UTF-8: the code page cannot hold every name. The check below reads each back.
  EXPECT_EQ(0u, ReadFile(setup.folder / kCheckfile).find("\xEF\xBB\xBF; MD5 sums generated by"));

  // The lists other tools write, of a Korean, a Chinese and a plain name: a command-line tool's
  // text mode ("./" paths, LF, UTF-8 without the mark), its tagged form with capital digits, and a
  // Windows tool's list (binary mode, backslashes, CR LF, UTF-8 behind the mark).
  const std::string upper = "900150983CD24FB0D6963F7D28E17F72";
  std::string text, tagged, windows = "\xEF\xBB\xBF";
  for (const std::wstring& name : {names[1], names[6], names[7]}) {
    std::string slashed = Utf8(name);
    std::replace(slashed.begin(), slashed.end(), '\\', '/');
    text += kAbcMd5 + std::string("  ./") + slashed + "\n";
    tagged += "MD5 (" + slashed + ") = " + upper + "\n";
    windows += kAbcMd5 + std::string(" *") + Utf8(name) + "\r\n";
  }
  const std::string lists[] = {setup.folder / "text.md5", setup.folder / "tagged.md5",
                               setup.folder / "windows.txt"};
  WriteFile(lists[0], text);
  WriteFile(lists[1], tagged);
  WriteFile(lists[2], windows);

  const std::wstring hangul = root + L"\\" + names[1];
  for (const bool change : {false, true}) {
    if (change) WriteFile(hangul, "changed");
    for (const std::string& list : {setup.folder / kCheckfile, lists[0], lists[1], lists[2]}) {
      const std::wstring checked = CheckPane(program, list);
      // The console program prints the pane's text, in UTF-8 on every code page.
      EXPECT_EQ(Utf8(checked) + "\r\n", RunConsole(kConsoleProgram, {"check", list}).output);
      const bool own = list == setup.folder / kCheckfile;
      if (!change) {
        // The other lists beside each are files it does not list.
        const std::wstring allWell = (own ? L"\r\n9" : L"\r\n3") +
                                     std::wstring(L" 文件对比\r\n一切正常!\r\n*** 以下文件不在");
        EXPECT_NE(std::wstring::npos, checked.find(allWell)) << checked;
      } else {
        EXPECT_NE(std::wstring::npos, checked.find(L"没有匹配:\r\n" + hangul + L"\r\n***\r\n"))
            << checked;
        EXPECT_NE(std::wstring::npos,
                  checked.find(L"\r\n1 文件的MD5值不匹配!文件已经被损坏或修改\r\n1 个文件在检查"
                               L"文件制作之后被修改\r\n"))
            << checked;
      }
    }
  }

  WriteFile(setup.folder / "gbk.md5",
            std::string(kAbcMd5) + "|\xD5\xD5\xC6\xAC\\\xBC\xD9\xC8\xD5.jpg\r\n");
  EXPECT_NE(
      std::wstring::npos,
      CheckPane(program, setup.folder / "gbk.md5").find(L"OK: " + root + L"\\照片\\假日.jpg\r\n"));
}

TEST(MakeRun, TabsAreLockedWhileRunningAndStopEndsTheRun) {
  TProgramFolder setup;
  TTempFolder data;  // one file that takes far longer to read than this test waits
  MakeSparseFile(data / "long.bin", 32ull << 30);
  TProgram program(setup.program, setup.folder.Path(), data.Path());

  program.Click(IdButtonGo);
  ASSERT_TRUE(WaitUntil([&] {
    return program.Running() && LastLine(PaneText(program, IdMemoMake)) == "文件: long.bin";
  }));
  EXPECT_FALSE(program.Enabled(IdPageControl1));
  EXPECT_FALSE(program.Enabled(IdButtonGo));
  EXPECT_FALSE(program.Enabled(IdButtonScanFolder));
  EXPECT_FALSE(program.Enabled(IdTabSheetMake));  // every control on the pages is inert
  // Posted clicks are taken in order: the tab and a second start come before the stop, inside
  // the file. Neither may switch the page or start another run, which would clear the pane.
  program.ClickPageTab(1);
  program.Click(IdButtonGo);
  program.Click(IdButtonAbort);
  ASSERT_TRUE(WaitUntil([&] { return program.Idle(); }));
  EXPECT_EQ(Lines(PaneText(program, IdMemoMake)),
            (std::vector<std::string>{"文件: long.bin", "用户中止操作."}));
  EXPECT_FALSE(FileExists(data / kCheckfile));
  EXPECT_EQ("", program.Text(IdLabelStatus));
  EXPECT_EQ(0, program.SelectedPage());

  // Idle again: the tabs switch.
  program.ClickPageTab(2);
  EXPECT_TRUE(
      WaitUntil([&] { return program.SelectedPage() == 2 && program.Visible(IdTabSheet1); }));
}

TEST(MakeRun, ClosingTheWindowLetsTheRunWriteItsCheckfile) {
  TProgramFolder setup;
  WriteManyFiles(setup.folder.Path(), 2, 1000);
  TProgram program(setup.program, setup.folder.Path());

  program.Click(IdButtonGo);
  ASSERT_TRUE(WaitUntil([&] { return program.Running(); }));
  program.Click(IdButtonPause);  // the close ends the pause too
  ASSERT_TRUE(WaitUntil([&] { return program.Text(IdLabelStatus) == "已暂停"; }));
  program.Close();
  ASSERT_TRUE(program.Exited(120000));
  const std::vector<std::string> written = Lines(ReadFile(setup.folder / kCheckfile));
  // Three header lines, 2000 files and the program itself, and the empty rest after the last break.
  EXPECT_EQ(3u + 2000u + 1u + 1u, written.size());
}

TEST(MakeRun, UnwritableCheckfileGivesErrorBoxAndLeavesTheOldOne) {
  TProgramFolder setup;
  WriteFile(setup.folder / "a.txt", kAbc);
  const std::string checkfile = setup.folder / kCheckfile;
  WriteFile(checkfile, "old checkfile\r\n");
  TProgram program(setup.program, setup.folder.Path());
  WaitForCheckEnd(program);
  program.ClickPageTab(0);
  ASSERT_TRUE(WaitUntil([&] { return program.SelectedPage() == 0; }));

  HANDLE held = CreateFileA(checkfile.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, held);
  program.Click(IdButtonGo);
  const HWND box = WaitForBox(program);
  ASSERT_NE(nullptr, box);
  EXPECT_TRUE(HasIconChild(box));
  bool namesCheckfile = false;
  for (const std::string& text : ChildTexts(box, "Static"))
    namesCheckfile = namesCheckfile || text.find(kCheckfile) != std::string::npos;
  EXPECT_TRUE(namesCheckfile);
  ASSERT_TRUE(CloseBox(box));
  ASSERT_TRUE(WaitUntil([&] { return program.FindDialog() == nullptr; }));
  ASSERT_TRUE(WaitUntil([&] { return program.Idle(); }));
  CloseHandle(held);
  EXPECT_EQ("old checkfile\r\n", ReadFile(checkfile));

  // The program keeps running: the same run now succeeds.
  program.Click(IdButtonGo);
  ASSERT_TRUE(WaitUntil([&] { return program.Idle() && ReadFile(checkfile)[0] == ';'; }));
}

// Opens the folder chooser, presses one of its buttons once the window has its captions, and
// waits until the chooser has closed (it is not a system dialog, so it is looked for by caption).
void ChooseInFolderChooser(const TProgram& program, const char* buttonText) {
  const char* const caption = "Browse for Folder";
  program.Click(IdButtonScanFolder);
  HWND chooser = nullptr;
  ASSERT_TRUE(WaitUntil([&] { return (chooser = program.FindDialog(caption)) != nullptr; }));
  HWND button = nullptr;
  ASSERT_TRUE(WaitUntil(
      [&] { return (button = FindChildByText(chooser, "Button", buttonText)) != nullptr; }));
  PressButton(button);
  ASSERT_TRUE(WaitUntil([&] { return program.FindDialog(caption) == nullptr && program.Idle(); }));
}

TEST(FolderChooser, CancelKeepsTheFolderAndTheDrivesNodeLeavesNothingToScan) {
  TProgramFolder setup;
  TProgram program(setup.program, setup.folder.Path());
  const std::string folder = program.Text(IdButtonScanFolder);

  ChooseInFolderChooser(program, "Cancel");
  EXPECT_EQ(folder, program.Text(IdButtonScanFolder));

  // OK on the first node, the computer's drives, which has no file-system path.
  ChooseInFolderChooser(program, "OK");
  EXPECT_EQ("", program.Text(IdButtonScanFolder));

  program.Click(IdButtonGo);
  const HWND box = WaitForBox(program);
  ASSERT_NE(nullptr, box);
  const std::vector<std::string> texts = ChildTexts(box, "Static");
  EXPECT_NE(texts.end(), std::find(texts.begin(), texts.end(), "No files to work with!"));
  EXPECT_FALSE(HasIconChild(box));
  EXPECT_FALSE(program.Enabled(IdButtonGo));  // the run is still on while the box is up
  ASSERT_TRUE(CloseBox(box));
  ASSERT_TRUE(WaitUntil([&] { return program.FindDialog() == nullptr && program.Idle(); }));
  EXPECT_FALSE(FileExists(setup.folder / kCheckfile));
}

// The last write of `path` set to that of `reference` moved by `seconds`, as `touch -d` does.
void SetWriteTimeFrom(const std::wstring& path, const std::string& reference, int seconds) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  GetFileAttributesExA(reference.c_str(), GetFileExInfoStandard, &data);
  const FILETIME& from = data.ftLastWriteTime;
  ULARGE_INTEGER time{{from.dwLowDateTime, from.dwHighDateTime}};
  time.QuadPart += static_cast<LONGLONG>(seconds) * 10000000;
  const FILETIME written{time.LowPart, time.HighPart};
  const platform::FileHandle to(CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ,
                                            nullptr, OPEN_EXISTING, 0, nullptr));
  SetFileTime(to.get(), nullptr, nullptr, &written);
}

// Under Wine, whose names keep letter case apart underneath, writes `name` into `folder` where a
// name equal but for letter case is: through the host's own path ("\\?\unix/..."), which Wine
// takes as it stands. False elsewhere.
bool WriteCaseTwin(const std::wstring& folder, const std::wstring& name,
                   const std::string& content) {
  using TUnixName = char*(CDECL*)(const wchar_t*);
  const auto unixName = reinterpret_cast<TUnixName>(reinterpret_cast<void (*)()>(
      GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
  char* folderName = unixName ? unixName(folder.c_str()) : nullptr;
  if (!folderName) return false;
  WriteFile(L"unix" + Wide(folderName) + L"/" + name, content);  // the folder's name is ASCII
  HeapFree(GetProcessHeap(), 0, folderName);
  return true;
}

// A tree with names of several scripts is made, changed every way a folder changes, checked and
// updated: the check tells new, edited and possibly damaged files apart; the update writes what a
// make writes, but for the damaged file's old digest, which the next check finds again, and the
// update offered then takes it where the user accepts it. Names equal but for letter case keep
// digests of their own, empty files are listed, a file edited after the check is read again,
// and a checkfile written after the check is left as it is.
TEST(CheckRun, WhatChangedIsReportedAndTheUpdateNeverBlessesDamage) {
  TProgramFolder setup;
  TTempFolder data;
  const std::wstring root = Wide(data.Path());
  ASSERT_TRUE(CreateDirectoryW((root + L"\\照片").c_str(), nullptr));
  for (const wchar_t* name : {L"same.txt", L"中文.txt", L"Ελληνικά.txt", L"gone.txt", L"moved.txt",
                              L"renamed.txt", L"edited.txt", L"damaged.txt"})
    WriteFile(root + L"\\" + name, "content of " + Utf8(name));
  WriteFile(root + L"\\a.txt", "lower");
  const bool twins = WriteCaseTwin(root, L"A.txt", "UPPER!!");
  WriteFile(root + L"\\empty0.txt", "");
  const std::string checkfile = data / kCheckfile;
  TProgram program(setup.program, setup.folder.Path(), data.Path());
  const auto make = [&] {
    const std::string before = FileExists(checkfile) ? ReadFile(checkfile) : std::string();
    program.Click(IdButtonGo);
    return WaitUntil([&] {
      return program.Idle() && ReadFile(checkfile) != before &&
             LastLine(PaneText(program, IdMemoMake)).find(kCheckfile) != std::string::npos;
    });
  };
  ASSERT_TRUE(make());
  EXPECT_EQ(twins, ReadFile(checkfile).find("|A.txt\r\n") != std::string::npos);

  WriteFile(root + L"\\한글.txt", "new");
  WriteFile(root + L"\\empty1.txt", "");
  ASSERT_TRUE(CreateDirectoryW((root + L"\\新文件夹").c_str(), nullptr));
  WriteFile(root + L"\\新文件夹\\新.txt", "new in a new folder");
  WriteFile(root + L"\\hidden.txt", "hidden");
  SetFileAttributesW((root + L"\\hidden.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
  DeleteFileW((root + L"\\gone.txt").c_str());
  MoveFileW((root + L"\\moved.txt").c_str(), (root + L"\\照片\\moved.txt").c_str());
  MoveFileW((root + L"\\renamed.txt").c_str(), (root + L"\\renamed2.txt").c_str());
  WriteFile(root + L"\\edited.txt", "edited");
  WriteFile(root + L"\\damaged.txt", "damaged");
  SetWriteTimeFrom(root + L"\\damaged.txt", checkfile, -10);
  const std::string made = ReadFile(checkfile);

  std::wstring pane = CheckPane(program, checkfile);
  // The files added, each on a line of its own in the block of new files (hidden.txt is not).
  for (const wchar_t* added :
       {L"renamed2.txt", L"新文件夹\\新.txt", L"照片\\moved.txt", L"한글.txt", L"empty1.txt"})
    EXPECT_NE(std::wstring::npos, pane.find(L"\r\n" + root + L"\\" + added + L"\r\n")) << pane;
  const std::wstring summary =
      L"\r\n3 无法进行对比,文件无法打开或不存在\r\n2 文件的MD5值不匹配!文件已"
      L"经被损坏或修改\r\n*** 以下文件内容已改变,修改日期却早于检查文件,可能已损坏:"
      L"\r\n" +
      root +
      L"\\damaged.txt\r\n***\r\n1 个文件可能已损坏(修改日期未变)"
      L"\r\n1 个文件在检查文件制作之后被修改\r\n*** 以下文件不在检查文件中,未进行对比:\r\n";
  EXPECT_NE(std::wstring::npos, pane.find(summary)) << pane;
  EXPECT_EQ(L"5 个文件不在检查文件中", WideLastLine(pane));

  // Read before it asks, the update tells its moves and what changed since the check; the
  // checkfile then written by another is left to them.
  const auto askToUpdate = [&](const wchar_t* edited) {
    program.Click(IdButtonUpdateCheckfile);
    const HWND box = WaitForBox(program);
    EXPECT_TRUE(box && BoxSays(box, std::wstring(L"将添加 3 个新文件,删除 1 个已不存在的文件的条"
                                                 L"目,2 个已移动的文件的条目随之更新,") +
                                        edited +
                                        L" 个被修改的文件采用新的MD5值;1 个可能已损坏的文件"
                                        L"保留原来的MD5值。继续吗?"));
    return box;
  };
  ASSERT_TRUE(program.Enabled(IdButtonUpdateCheckfile));
  HWND box = askToUpdate(L"1");
  ASSERT_NE(nullptr, box);
  WriteFile(checkfile, made);
  ASSERT_TRUE(CloseBox(box, IDYES));
  box = WaitForBox(program);
  ASSERT_NE(nullptr, box);
  EXPECT_TRUE(BoxSays(box, L"检查文件在检查之后已被修改,未更新。请重新检查: " + Wide(checkfile)));
  ASSERT_TRUE(CloseBox(box));
  ASSERT_TRUE(WaitUntil([&] { return program.FindDialog() == nullptr && program.Idle(); }));
  EXPECT_EQ("检查文件在检查之后已被修改,未更新: " + checkfile,
            LastLine(PaneText(program, IdMemoCheck)));
  EXPECT_EQ(made, ReadFile(checkfile));

  // Checked again, and a file edited after the check: it is read again.
  ASSERT_FALSE(CheckPane(program, checkfile).empty());
  WriteFile(root + L"\\same.txt", "edited after the check");
  box = askToUpdate(L"2");  // answered no, it stays on offer
  ASSERT_TRUE(box && CloseBox(box, IDNO));
  ASSERT_TRUE(WaitUntil([&] {
    return LastLine(PaneText(program, IdMemoCheck)) == "检查文件保持原样,未更新" &&
           program.Enabled(IdButtonUpdateCheckfile);
  }));
  box = askToUpdate(L"2");
  ASSERT_NE(nullptr, box);
  ASSERT_TRUE(CloseBox(box, IDYES));
  ASSERT_TRUE(WaitUntil([&] {
    return program.Idle() &&
           LastLine(PaneText(program, IdMemoCheck)) == "操作完成.  检查文件保存为 " + checkfile;
  }));
  pane = WideText(program.Control(IdMemoCheck));
  for (const std::wstring& line :
       {L"已移动: " + root + L"\\moved.txt -> " + root + L"\\照片\\moved.txt",
        L"已移动: " + root + L"\\renamed.txt -> " + root + L"\\renamed2.txt",
        std::wstring(
            L"3 个新文件已添加\r\n1 个条目已删除\r\n2 个文件已移动\r\n2 个被修改的文件采用新"
            L"的MD5值\r\n1 个可能已损坏的文件保留原来的MD5值")})
    EXPECT_NE(std::wstring::npos, pane.find(L"\r\n" + line + L"\r\n")) << pane;
  EXPECT_FALSE(program.Enabled(IdButtonUpdateCheckfile));

  // Line for line what a make writes now, but the date and the damaged file's old digest.
  const std::string updated = ReadFile(checkfile);
  ASSERT_TRUE(make());
  const std::vector<std::string> madeNow = Lines(ReadFile(checkfile));
  std::vector<std::string> expected = madeNow;
  const std::size_t old = made.find("|damaged.txt") - 32;
  for (std::string& line : expected)
    if (line.find("|damaged.txt") != std::string::npos) line = made.substr(old, 44);
  std::vector<std::string> written = Lines(updated);
  EXPECT_EQ(std::vector<std::string>(expected.begin() + 3, expected.end()),
            std::vector<std::string>(written.begin() + 3, written.end()));
  WriteFile(checkfile, updated);

  pane = CheckPane(program, checkfile);
  EXPECT_EQ(L"1 个文件可能已损坏(修改日期未变)", WideLastLine(pane));
  EXPECT_NE(std::wstring::npos, pane.find(L"\r\n1 文件的MD5值不匹配!")) << pane;

  // Offered for the possibly damaged file alone; its new digest is taken where the user chooses.
  ASSERT_TRUE(program.Enabled(IdButtonUpdateCheckfile));
  program.Click(IdButtonUpdateCheckfile);
  box = WaitForBox(program);
  ASSERT_NE(nullptr, box);
  EXPECT_TRUE(BoxSays(box, L"将1 个可能已损坏的文件保留原来的MD5值。继续吗?"));
  PostMessageW(box, TDM_CLICK_VERIFICATION, TRUE, FALSE);
  ASSERT_TRUE(CloseBox(box, IDYES));
  ASSERT_TRUE(WaitUntil([&] {
    return program.Idle() &&
           LastLine(PaneText(program, IdMemoCheck)) == "操作完成.  检查文件保存为 " + checkfile;
  }));
  EXPECT_NE(std::string::npos,
            PaneText(program, IdMemoCheck).find("\r\n1 个可能已损坏的文件采用新的MD5值\r\n"));
  written = Lines(ReadFile(checkfile));
  EXPECT_EQ(std::vector<std::string>(madeNow.begin() + 3, madeNow.end()),
            std::vector<std::string>(written.begin() + 3, written.end()));
}

// The console program's lines are the check pane's, and its exit code adds up what changed since
// the window made the checkfile; its report is what it printed; it makes what the window makes.
TEST(ConsoleProgram, ChecksAndMakesAsTheWindowAndItsExitCodeTellsWhatChanged) {
  TProgramFolder setup;
  TTempFolder data;
  const std::wstring root = Wide(data.Path());
  ASSERT_TRUE(CreateDirectoryW((root + L"\\照片").c_str(), nullptr));
  for (const wchar_t* name : {L"中文.txt", L"한글.txt", L"Ελληνικά.txt", L"照片\\假日.jpg",
                              L"gone.txt", L"edited.txt", L"damaged.txt"})
    WriteFile(root + L"\\" + name, "content of " + Utf8(name));
  const std::string checkfile = data / kCheckfile, report = setup.folder / "report.txt";
  TProgram program(setup.program, setup.folder.Path(), data.Path());
  const auto windowMake = [&] {
    const std::string before = ReadFile(checkfile);
    program.Click(IdButtonGo);
    return WaitUntil([&] {
      return program.Idle() && ReadFile(checkfile) != before &&
             LastLine(PaneText(program, IdMemoMake)).find(kCheckfile) != std::string::npos;
    });
  };
  ASSERT_TRUE(windowMake());

  const struct {
    std::function<void()> change;
    DWORD code;
  } rows[] = {
      {[] {}, 0},
      {[&] { WriteFile(root + L"\\新.txt", "new"); }, 8},
      {[&] {
         WriteFile(root + L"\\edited.txt", "edited");
         WriteFile(root + L"\\damaged.txt", "damaged");
         SetWriteTimeFrom(root + L"\\damaged.txt", checkfile, -10);
         DeleteFileW((root + L"\\gone.txt").c_str());
       },
       1 + 2 + 4 + 8},
  };
  TConsoleRun run;
  for (const auto& row : rows) {
    row.change();
    run = RunConsole(kConsoleProgram, {"check", checkfile, "--report", report});
    EXPECT_EQ(row.code, run.code);
    EXPECT_EQ(Utf8(CheckPane(program, checkfile)) + "\r\n", run.output);
    EXPECT_EQ("\xEF\xBB\xBF" + run.output.substr(0, run.output.size() - 2), ReadFile(report));
    EXPECT_EQ("", run.error);
  }
  // Quiet: all but the first line, the files that matched, and the line and the blank after them.
  std::string quiet;
  for (const std::string& line : Lines(run.output))
    if (!line.empty() && line.rfind("OK: ", 0) != 0 && line.rfind(Utf8(L"对比MD5"), 0) != 0 &&
        line != Utf8(L"操作完成"))
      quiet += line + "\r\n";
  EXPECT_EQ(quiet, RunConsole(kConsoleProgram, {"check", checkfile, "--quiet"}).output);

  // Runs that cannot be done: a report that cannot be written (which adds to what the check
  // found), no such checkfile, one that lists nothing, bad arguments.
  TTempFolder empty;
  WriteFile(empty / kCheckfile, "; nothing listed\r\n");
  const struct {
    std::vector<std::string> arguments;
    DWORD code;
    std::string error;  // how standard error begins
  } failures[] = {
      {{"check", checkfile, "--report", empty / "no\\report.txt"},
       15 + 16,
       Utf8(L"无法保存报告: ")},
      {{"check", data / "missing.MD5"}, 16, "Cannot open file \"" + data / "missing.MD5" + "\""},
      {{"check", empty / kCheckfile}, 16, ""},
      {{"check", checkfile, "--loud"}, 16, Utf8(L"无法识别的参数: --loud\r\n用法:")},
      {{"make"}, 16, Utf8(L"缺少参数\r\n用法:")},
  };
  for (const auto& failure : failures) {
    const TConsoleRun failed = RunConsole(kConsoleProgram, failure.arguments);
    EXPECT_EQ(failure.code, failed.code) << failure.arguments.back();
    EXPECT_EQ(0u, failed.error.find(failure.error)) << failed.error;
  }

  // The console's make shows the window's make lines and writes its checkfile but for the date.
  ASSERT_TRUE(windowMake());
  std::vector<std::string> made = Lines(ReadFile(checkfile));
  const std::string pane = Utf8(WideText(program.Control(IdMemoMake)));
  run = RunConsole(kConsoleProgram, {"make", data.Path()});
  EXPECT_EQ(0u, run.code);
  EXPECT_EQ(pane + "\r\n", run.output);
  std::vector<std::string> written = Lines(ReadFile(checkfile));
  ASSERT_EQ(made.size(), written.size());
  made.erase(made.begin() + 2);
  written.erase(written.begin() + 2);
  EXPECT_EQ(made, written);
}

// A console of this test's own for the programs it starts: they write to it as to a user's console
// and take its Ctrl+C; this test's own output stays where it went.
class TOwnConsole {
 public:
  TOwnConsole() {
    for (int i = 0; i < 3; ++i) saved_[i] = GetStdHandle(kStandard[i]);
    FreeConsole();
    created_ = AllocConsole() != FALSE;
    for (int i = 0; i < 3; ++i) SetStdHandle(kStandard[i], saved_[i]);
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    screen_ =
        CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    &inherited, OPEN_EXISTING, 0, nullptr);
  }
  ~TOwnConsole() {
    CloseHandle(screen_);
    // Leaving a console closes the standard handles: these are not its own.
    for (const DWORD which : kStandard) SetStdHandle(which, nullptr);
    FreeConsole();
    for (int i = 0; i < 3; ++i) SetStdHandle(kStandard[i], saved_[i]);
  }
  bool Created() const { return created_ && screen_ != INVALID_HANDLE_VALUE; }

  // Starts `program` on the console with `arguments`; the process's handle.
  HANDLE Start(const std::string& program, const std::vector<std::string>& arguments) const {
    std::wstring commandLine = L"\"" + Wide(program) + L"\"";
    for (const std::string& argument : arguments) commandLine += L" \"" + Wide(argument) + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = startup.hStdError = screen_;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(Wide(program).c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0,
                        nullptr, nullptr, &startup, &process))
      return nullptr;
    CloseHandle(process.hThread);
    return process.hProcess;
  }

  // What it shows, row by row, without the blanks at the rows' ends.
  std::wstring Text() const {
    CONSOLE_SCREEN_BUFFER_INFO info{};
    GetConsoleScreenBufferInfo(screen_, &info);
    std::wstring text;
    for (SHORT row = 0; row <= info.dwCursorPosition.Y; ++row) {
      std::wstring line(info.dwSize.X, L' ');
      DWORD read = 0;
      ReadConsoleOutputCharacterW(screen_, &line[0], info.dwSize.X, COORD{0, row}, &read);
      text += line.substr(0, line.find_last_not_of(L' ') + 1) + L"\n";
    }
    return text;
  }

 private:
  static constexpr DWORD kStandard[] = {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE};
  HANDLE saved_[3] = {};
  bool created_ = false;
  HANDLE screen_ = INVALID_HANDLE_VALUE;
};

// On a console a name the code page lacks shows whole, and Ctrl+C stops a check, which tells
// what it did, and a make, which writes no checkfile: both end with 32.
// A rolling scrub of ten equal files, 30% a night: every file is read once before any is read
// twice; a file damaged meanwhile is found, and then read first; the folder (read-only) gains no
// file; a check afterwards tells when every file had been verified.
TEST(ConsoleProgram, ScrubsAShareANightOldestFirstAndADamagedFileComesFirst) {
  const TLanguageSetting chinese(ChineseUserInterface() ? L"" : L"zh-CN");
  TProgramFolder setup;
  TTempFolder data;
  for (int i = 0; i < 10; ++i)
    WriteFile(data / ("f" + std::to_string(i) + ".txt"), std::string(1000, char('a' + i)));
  const std::string checkfile = data / kCheckfile;
  ASSERT_EQ(0u, RunConsole(kConsoleProgram, {"make", data.Path()}).code);
  const std::string statePath =
      ScrubStateFolder() + "\\" + ScrubStateFileName(checkfile, platform::VolumeSerial(checkfile));
  struct TRemoved {  // the state, at the end
    std::string path;
    ~TRemoved() { DeleteFileA(path.c_str()); }
  } removed{statePath};
  const auto scrub = [&](std::vector<std::string>& read) {
    const TConsoleRun run = RunConsole(kConsoleProgram, {"scrub", checkfile, "--percent", "30"});
    read.clear();
    for (const std::string& line : Lines(run.output)) {
      const std::size_t name = line.rfind("\\f");
      if (name != std::string::npos && line.find(".txt") != std::string::npos &&
          line.find(kCheckfile) == std::string::npos)
        read.push_back(line.substr(name + 1, 6));
    }
    return run.code;
  };
  const std::wstring folder = Wide(data.Path());
  SetFileAttributesW(folder.c_str(), FILE_ATTRIBUTE_READONLY);
  std::vector<std::string> read, all;
  for (int night = 0; night < 4; ++night) {
    EXPECT_EQ(0u, scrub(read)) << night;
    EXPECT_EQ(3u, read.size()) << night;
    for (const std::string& name : read) {
      const bool before = std::find(all.begin(), all.end(), name) != all.end();
      EXPECT_TRUE(!before || all.size() >= 10) << name << " read twice before all were read";
      if (!before) all.push_back(name);
    }
  }
  EXPECT_EQ(10u, all.size());
  SetFileAttributesW(folder.c_str(), FILE_ATTRIBUTE_NORMAL);
  // The checkfile and the ten files, nothing more.
  EXPECT_EQ(11, std::distance(std::filesystem::directory_iterator(folder), {}));

  const std::string damaged = data / all[4];  // read once, on the second night
  WriteFile(damaged, std::string(1000, 'z'));
  SetWriteTimeFrom(Wide(damaged), checkfile, -10);
  DWORD code = 0;
  for (int night = 0; night < 4 && (code & 1) == 0; ++night) code = scrub(read);
  EXPECT_EQ(1u, code);
  EXPECT_EQ(1u, scrub(read) & 1);
  ASSERT_FALSE(read.empty());
  EXPECT_EQ(all[4], read[0]);

  TProgram program(setup.program, setup.folder.Path(), checkfile);
  EXPECT_TRUE(WaitUntil([&] {
    return program.Idle() && WideLastLine(WideText(program.Control(IdMemoCheck)))
                                     .rfind(L"全部文件最近一次校验完成于 ", 0) == 0;
  })) << Utf8(WideText(program.Control(IdMemoCheck)));
}

TEST(ConsoleProgram, OnAConsoleEveryNameShowsAndCtrlCStops) {
  TTempFolder data;
  const std::wstring korean = Wide(data.Path()) + L"\\한글.txt";
  WriteFile(korean, kAbc);
  MakeSparseFile(data / "long.bin", 32ull << 30);  // read far longer than the test waits
  const std::string list = data / "list.md5";
  WriteFile(list, "\xEF\xBB\xBF" + std::string(kAbcMd5) + " *" + Utf8(L"한글.txt") + "\r\n" +
                      std::string(32, '0') + " *long.bin\r\n");
  TOwnConsole console;
  ASSERT_TRUE(console.Created());
  const std::pair<std::vector<std::string>, std::wstring> runs[] = {
      {{"check", list}, L"OK: " + korean + L"\n"},
      {{"make", data.Path()}, L"文件: long.bin\n"},
  };
  for (const auto& [arguments, shown] : runs) {
    const platform::FileHandle process(console.Start(kConsoleProgram, arguments));
    ASSERT_TRUE(WaitUntil([&] { return console.Text().find(shown) != std::wstring::npos; }))
        << Utf8(console.Text());
    // Ignored here while it goes, but not by the programs started later, which would inherit that.
    SetConsoleCtrlHandler(nullptr, TRUE);
    GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0);
    const DWORD ended = WaitForSingleObject(process.get(), 60000);
    SetConsoleCtrlHandler(nullptr, FALSE);
    ASSERT_EQ(WAIT_OBJECT_0, ended) << Utf8(console.Text());
    DWORD code = 0;
    GetExitCodeProcess(process.get(), &code);
    EXPECT_EQ(32u, code) << arguments[0];
  }
  const std::wstring text = console.Text();
  EXPECT_NE(std::wstring::npos, text.find(L"\n用户操作已中止\n")) << Utf8(text);
  EXPECT_NE(std::wstring::npos, text.find(L"\n用户中止操作.\n")) << Utf8(text);
  EXPECT_FALSE(FileExists(data / kCheckfile));
}
