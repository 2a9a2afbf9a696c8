// Drives a running hashtally.exe from another process; see program_driver.h.
#include "tests/app/program_driver.h"

#include <commctrl.h>
#include <shlobj.h>
#include <wincrypt.h>
#include <winioctl.h>

#include <stdexcept>
#include <thread>
#include <type_traits>

#include "platform/file_handle_win32.h"

namespace driver {

namespace {

constexpr DWORD kSendTimeout = 20000;  // a run pumps its messages once per entry

LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR result = 0;
  SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL, kSendTimeout, &result);
  return static_cast<LRESULT>(result);
}

struct TChildSearch {
  int id;
  HWND found;
};

BOOL CALLBACK MatchChildId(HWND child, LPARAM data) {
  auto* search = reinterpret_cast<TChildSearch*>(data);
  if (GetDlgCtrlID(child) == search->id) {
    search->found = child;
    return FALSE;
  }
  return TRUE;
}

struct TDialogSearch {
  DWORD processId;
  HWND mainWindow;
  std::string caption;
  HWND found;
};

BOOL CALLBACK MatchDialog(HWND window, LPARAM data) {
  auto* search = reinterpret_cast<TDialogSearch*>(data);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != search->processId || window == search->mainWindow || !IsWindowVisible(window))
    return TRUE;
  if (search->caption.empty()) {
    // Without a caption: the system's dialogs (message boxes, the open dialog), not the
    // tooltips and other helper windows a process may show.
    char name[16] = {};
    GetClassNameA(window, name, sizeof(name));
    if (lstrcmpA(name, "#32770") != 0) return TRUE;
  } else if (WindowText(window) != search->caption) {
    return TRUE;
  }
  search->found = window;
  return FALSE;
}

// A block of the program's memory for the messages whose argument the control fills in place
// (a rectangle, an item and its text); released when it goes.
class TRemoteBlock {
 public:
  TRemoteBlock(HANDLE process, std::size_t size)
      : process_(process),
        base_(static_cast<char*>(
            VirtualAllocEx(process, nullptr, size, MEM_COMMIT, PAGE_READWRITE))) {}
  TRemoteBlock(const TRemoteBlock&) = delete;
  TRemoteBlock& operator=(const TRemoteBlock&) = delete;
  ~TRemoteBlock() {
    if (base_) VirtualFreeEx(process_, base_, 0, MEM_RELEASE);
  }
  explicit operator bool() const { return base_ != nullptr; }
  char* At(std::size_t offset) const { return base_ + offset; }
  LPARAM Argument() const { return reinterpret_cast<LPARAM>(base_); }
  void Write(const void* data, std::size_t size) const {
    SIZE_T written = 0;
    WriteProcessMemory(process_, base_, data, size, &written);
  }
  void Read(std::size_t offset, void* data, std::size_t size) const {
    SIZE_T read = 0;
    ReadProcessMemory(process_, base_ + offset, data, size, &read);
  }

 private:
  HANDLE process_;
  char* base_;
};

// An item record followed by room for its text, asked for with `message` in the program.
template <typename TItem, typename TChar = std::remove_pointer_t<decltype(TItem::pszText)>>
std::basic_string<TChar> RemoteItemText(HANDLE process, HWND control, UINT message, WPARAM wParam,
                                        TItem item) {
  constexpr std::size_t kTextRoom = 1024;
  const TRemoteBlock block(process, sizeof item + kTextRoom * sizeof(TChar));
  if (!block) return {};
  item.pszText = reinterpret_cast<TChar*>(block.At(sizeof item));
  item.cchTextMax = static_cast<int>(kTextRoom);
  block.Write(&item, sizeof item);
  if (!Send(control, message, wParam, block.Argument())) return {};
  TChar text[kTextRoom] = {};
  block.Read(sizeof item, text, sizeof text - sizeof(TChar));
  return text;
}

// `path` as the wide file services take it at any length.
std::wstring LongPath(const std::string& path) { return L"\\\\?\\" + Wide(path); }

struct TChildTexts {
  std::string className;
  std::vector<std::pair<HWND, std::string>> found;
};

BOOL CALLBACK CollectChild(HWND child, LPARAM data) {
  auto* collect = reinterpret_cast<TChildTexts*>(data);
  char name[64] = {};
  GetClassNameA(child, name, sizeof(name));
  if (lstrcmpiA(name, collect->className.c_str()) == 0)
    collect->found.emplace_back(child, WindowText(child));
  return TRUE;
}

}  // namespace

std::string BuiltProgramPath() { return WindowsPath(HT_HASHTALLY_EXE); }

std::string WindowsPath(const char* builtPath) {
  std::string path = builtPath;  // as the build tool names it: a POSIX or Windows path
  for (char& c : path)
    if (c == '/') c = '\\';
  if (!path.empty() && path[0] == '\\') path = "Z:" + path;  // Wine's drive for the host's root
  return path;
}

TTempFolder::TTempFolder() {
  static int counter = 0;
  char base[MAX_PATH + 1] = {};
  GetTempPathA(sizeof(base), base);
  std::string root = base;
  if (!root.empty() && root.back() == '\\') root.pop_back();
  for (;;) {
    path_ = root + "\\ht-app-" + std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(++counter);
    if (CreateDirectoryA(path_.c_str(), nullptr)) break;
    if (GetLastError() != ERROR_ALREADY_EXISTS) throw std::runtime_error("cannot create " + path_);
  }
  // The program reports the paths it was started with; use the folder's long form.
  char longPath[4096] = {};
  if (GetLongPathNameA(path_.c_str(), longPath, sizeof(longPath))) path_ = longPath;
}

TTempFolder::~TTempFolder() { RemoveTree(path_); }

void WriteFile(const std::string& path, const std::string& content) {
  WriteFile(Wide(path), content);
}

void WriteFile(const std::wstring& path, const std::string& content) {
  HANDLE file = CreateFileW((L"\\\\?\\" + path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot write a file");
  DWORD written = 0;
  ::WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
  CloseHandle(file);
}

void MakeSparseFile(const std::string& path, unsigned long long size) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot write " + path);
  DWORD returned = 0;
  DeviceIoControl(file, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &returned, nullptr);
  LARGE_INTEGER end;
  end.QuadPart = static_cast<LONGLONG>(size);
  const bool sized = SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && SetEndOfFile(file);
  CloseHandle(file);
  if (!sized) throw std::runtime_error("cannot size " + path);
}

std::string ReadFile(const std::string& path) {
  HANDLE file =
      CreateFileW(LongPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::string();
  std::string content(GetFileSize(file, nullptr), '\0');
  DWORD read = 0;
  ::ReadFile(file, content.data(), static_cast<DWORD>(content.size()), &read, nullptr);
  CloseHandle(file);
  content.resize(read);
  return content;
}

bool FileExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(LongPath(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void MakeFolder(const std::string& path) { CreateDirectoryW(LongPath(path).c_str(), nullptr); }

void RemoveTree(const std::wstring& path) {
  WIN32_FIND_DATAW entry;
  HANDLE find = FindFirstFileW((path + L"\\*").c_str(), &entry);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = entry.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring child = path + L"\\" + name;
      SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        RemoveTree(child);
      else
        DeleteFileW(child.c_str());
    } while (FindNextFileW(find, &entry));
    FindClose(find);
  }
  RemoveDirectoryW(path.c_str());
}

void RemoveTree(const std::string& path) { RemoveTree(LongPath(path)); }

std::string SystemMd5(const std::string& path) {
  const std::string content = ReadFile(path);
  HCRYPTPROV provider = 0;
  HCRYPTHASH hash = 0;
  std::string text;
  if (CryptAcquireContextA(&provider, nullptr, nullptr, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT)) {
    if (CryptCreateHash(provider, CALG_MD5, 0, 0, &hash)) {
      BYTE digest[16];
      DWORD size = sizeof(digest);
      if (CryptHashData(hash, reinterpret_cast<const BYTE*>(content.data()),
                        static_cast<DWORD>(content.size()), 0) &&
          CryptGetHashParam(hash, HP_HASHVAL, digest, &size, 0)) {
        static const char hex[] = "0123456789abcdef";
        for (DWORD i = 0; i < size; ++i) {
          text += hex[digest[i] >> 4];
          text += hex[digest[i] & 15];
        }
      }
      CryptDestroyHash(hash);
    }
    CryptReleaseContext(provider, 0);
  }
  return text;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = text.find("\r\n", start);
    if (end == std::string::npos) {
      lines.push_back(text.substr(start));
      return lines;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
}

std::string LastLine(const std::string& text) { return Lines(text).back(); }

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    if (condition()) return true;
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

TProgram::TProgram(const std::string& programPath, const std::string& workingFolder,
                   const std::string& argument)
    : TProgram(programPath, workingFolder, Wide(argument)) {}

TProgram::TProgram(const std::string& programPath, const std::string& workingFolder,
                   const std::wstring& argument) {
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  std::wstring commandLine = L"\"" + Wide(programPath) + L"\"";
  if (!argument.empty()) commandLine += L" \"" + argument + L"\"";
  if (!CreateProcessW(Wide(programPath).c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                      nullptr, Wide(workingFolder).c_str(), &startup, &process_))
    throw std::runtime_error("cannot start " + programPath);
  WaitUntil([this] {
    HWND candidate = nullptr;
    while ((candidate = FindWindowExA(nullptr, candidate, HT_MAIN_WINDOW_CLASS, nullptr))) {
      DWORD owner = 0;
      GetWindowThreadProcessId(candidate, &owner);
      if (owner == process_.dwProcessId && IsWindowVisible(candidate)) {
        window_ = candidate;
        return true;
      }
    }
    return Exited();
  });
  if (!window_) throw std::runtime_error("no main window from " + programPath);
}

TProgram::~TProgram() {
  if (!Exited()) {
    // Dismiss whatever box is up, then close; end the process only if that does not work.
    for (int i = 0; i < 5 && !Exited(); ++i) {
      if (HWND dialog = FindDialog()) PostMessageA(dialog, WM_CLOSE, 0, 0);
      Close();
      if (Exited(2000)) break;
    }
    if (!Exited()) TerminateProcess(process_.hProcess, 1);
    WaitForSingleObject(process_.hProcess, 10000);
  }
  CloseHandle(process_.hThread);
  CloseHandle(process_.hProcess);
}

bool TProgram::Exited(DWORD waitMilliseconds) const {
  return WaitForSingleObject(process_.hProcess, waitMilliseconds) == WAIT_OBJECT_0;
}

HWND TProgram::Control(int id) const {
  TChildSearch search{id, nullptr};
  EnumChildWindows(window_, MatchChildId, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::string TProgram::Text(int id) const { return WindowText(Control(id)); }
bool TProgram::Enabled(int id) const { return IsWindowEnabled(Control(id)) != FALSE; }
bool TProgram::Visible(int id) const { return IsWindowVisible(Control(id)) != FALSE; }

int TProgram::SelectedPage() const {
  return static_cast<int>(Send(Control(IdPageControl1), TCM_GETCURSEL, 0, 0));
}

void TProgram::Click(int id) const { PressButton(Control(id)); }
void TProgram::Close() const { PostMessageA(window_, WM_CLOSE, 0, 0); }

void TProgram::ClickPageTab(int index) const {
  // The header's rectangle lives in the program's memory: ask for it into a block there.
  const HWND tabs = Control(IdPageControl1);
  RECT header{};
  const TRemoteBlock block(process_.hProcess, sizeof header);
  if (block) {
    Send(tabs, TCM_GETITEMRECT, index, block.Argument());
    block.Read(0, &header, sizeof header);
  }
  const LPARAM point =
      MAKELPARAM((header.left + header.right) / 2, (header.top + header.bottom) / 2);
  PostMessageA(tabs, WM_LBUTTONDOWN, MK_LBUTTON, point);
  PostMessageA(tabs, WM_LBUTTONUP, 0, point);
}

bool TProgram::Answers(DWORD milliseconds) const {
  DWORD_PTR result = 0;
  return SendMessageTimeoutA(window_, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, milliseconds, &result) != 0;
}

std::string TProgram::StoredText(int id) const {
  wchar_t wide[1024] = {};
  const int length = InternalGetWindowText(Control(id), wide, 1024);
  char text[4096] = {};
  WideCharToMultiByte(CP_ACP, 0, wide, length, text, sizeof(text) - 1, nullptr, nullptr);
  return text;
}

void TProgram::Drop(const std::string& path) const {
  // DROPFILES, then the wide path and an empty one that ends the list.
  const int length = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, nullptr, 0);
  std::vector<char> block(sizeof(DROPFILES) + (length + 1) * sizeof(wchar_t), '\0');
  auto* header = reinterpret_cast<DROPFILES*>(block.data());
  header->pFiles = sizeof(DROPFILES);
  header->fWide = TRUE;
  MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1,
                      reinterpret_cast<wchar_t*>(block.data() + sizeof(DROPFILES)), length);
  // Left to the program, which frees a drop with DragFinish.
  void* remote =
      VirtualAllocEx(process_.hProcess, nullptr, block.size(), MEM_COMMIT, PAGE_READWRITE);
  SIZE_T written = 0;
  if (!remote ||
      !WriteProcessMemory(process_.hProcess, remote, block.data(), block.size(), &written))
    throw std::runtime_error("cannot place a drop in the program");
  PostMessageA(window_, WM_DROPFILES, reinterpret_cast<WPARAM>(remote), 0);
}

bool TProgram::Idle() const {
  return Enabled(IdButtonGo) && Enabled(IdButtonScanFolder) && Enabled(IdButtonFindCheckFile) &&
         Enabled(IdPageControl1) && Enabled(IdTabSheetMake) && !Enabled(IdButtonAbort) &&
         !Visible(IdButtonPause);
}

HWND TProgram::FindDialog(const std::string& caption) const {
  TDialogSearch search{process_.dwProcessId, window_, caption, nullptr};
  EnumWindows(MatchDialog, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::string TProgram::TreeItemText(HWND tree, HTREEITEM item) const {
  TVITEMA request{};
  request.mask = TVIF_TEXT | TVIF_HANDLE;
  request.hItem = item;
  return RemoteItemText(process_.hProcess, tree, TVM_GETITEMA, 0, request);
}

std::string TProgram::ListItemText(HWND list, int index) const {
  return RemoteItemText(process_.hProcess, list, LVM_GETITEMTEXTA, index, LVITEMA{});
}

std::wstring TProgram::TabText(int index) const {
  TCITEMW item{};
  item.mask = TCIF_TEXT;
  return RemoteItemText(process_.hProcess, Control(IdPageControl1), TCM_GETITEMW, index, item);
}

std::string WindowText(HWND window) {
  if (!window) return std::string();
  const LRESULT length = Send(window, WM_GETTEXTLENGTH, 0, 0);
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  const LRESULT copied =
      Send(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  text.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
  return text;
}

std::wstring WideText(HWND window) {
  std::wstring text(Send(window, WM_GETTEXTLENGTH, 0, 0) + 1, L'\0');  // it may overstate
  DWORD_PTR copied = 0;
  SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                      SMTO_NORMAL, kSendTimeout, &copied);
  text.resize(copied);
  return text;
}

std::wstring Wide(const std::string& text) {
  std::wstring wide(text.size(), L'\0');
  wide.resize(MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &wide[0],
                                  static_cast<int>(wide.size())));
  return wide;
}

std::vector<std::string> ChildTexts(HWND dialog, const char* className) {
  TChildTexts collect{className, {}};
  EnumChildWindows(dialog, CollectChild, reinterpret_cast<LPARAM>(&collect));
  std::vector<std::string> texts;
  for (const auto& child : collect.found) texts.push_back(child.second);
  return texts;
}

HWND FindChildByText(HWND dialog, const char* className, const std::string& text) {
  TChildTexts collect{className, {}};
  EnumChildWindows(dialog, CollectChild, reinterpret_cast<LPARAM>(&collect));
  for (const auto& child : collect.found)
    if (child.second == text) return child.first;
  return nullptr;
}

bool HasIconChild(HWND dialog) {
  TChildTexts collect{"Static", {}};
  EnumChildWindows(dialog, CollectChild, reinterpret_cast<LPARAM>(&collect));
  for (const auto& child : collect.found)
    if ((GetWindowLongA(child.first, GWL_STYLE) & SS_TYPEMASK) == SS_ICON &&
        Send(child.first, STM_GETICON, 0, 0) != 0)
      return true;
  return false;
}

HWND WaitForBox(const TProgram& program) {
  HWND box = nullptr;
  WaitUntil([&] { return (box = program.FindDialog("Hashtally")) != nullptr; });
  return box;
}

bool CloseBox(HWND box, int button) {
  // Under Wine a box that has just become visible may not yet take the click posted to it, so
  // the press is repeated a few times.
  for (int attempt = 0; attempt < 6; ++attempt) {
    PressButton(GetDlgItem(box, button));
    if (WaitUntil([&] { return !IsWindow(box) || !IsWindowVisible(box); }, std::chrono::seconds(5)))
      return true;
  }
  return false;
}

std::wstring CheckPane(const TProgram& program, const std::string& dropped) {
  std::wstring pane, before;
  if (!dropped.empty()) {
    before = WideText(program.Control(IdMemoCheck));
    program.Drop(dropped);
  }
  // The pane first: the window is idle before a short run starts, so idle read after a pane that
  // holds the summary means that run has ended.
  const bool ended = WaitUntil([&] {
    pane = WideText(program.Control(IdMemoCheck));
    const bool done = pane.find(L"\r\n操作完成\r\n") != std::wstring::npos ||
                      pane.find(L"\r\nDone\r\n") != std::wstring::npos;  // in either language
    return pane != before && done && program.Idle();
  });
  // Read once more: the run may have added its last lines between that read and the idle state.
  return ended ? WideText(program.Control(IdMemoCheck)) : std::wstring();
}

bool BoxSays(HWND box, const std::wstring& start) {
  TChildTexts collect{"Static", {}};
  EnumChildWindows(box, CollectChild, reinterpret_cast<LPARAM>(&collect));
  for (const auto& child : collect.found)
    if (WideText(child.first).rfind(start, 0) == 0) return true;
  return false;
}

TConsoleRun RunConsole(const std::string& program, const std::vector<std::string>& arguments) {
  std::wstring commandLine = L"\"" + Wide(program) + L"\"";
  for (const std::string& argument : arguments) commandLine += L" \"" + Wide(argument) + L"\"";
  SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
  HANDLE reading = nullptr, writing = nullptr;
  if (!CreatePipe(&reading, &writing, &inherited, 0)) throw std::runtime_error("no pipe");
  const platform::FileHandle output(reading);
  SetHandleInformation(reading, HANDLE_FLAG_INHERIT, 0);
  const TTempFolder folder;
  PROCESS_INFORMATION process{};
  {  // the program holds the only writing end once started: its end ends the reads
    const platform::FileHandle outputEnd(writing);
    const platform::FileHandle error(CreateFileA((folder / "stderr").c_str(), GENERIC_WRITE,
                                                 FILE_SHARE_READ, &inherited, CREATE_ALWAYS, 0,
                                                 nullptr));
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writing;
    startup.hStdError = error.get();
    if (!CreateProcessW(Wide(program).c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                        CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process))
      throw std::runtime_error("cannot start " + program);
  }
  const platform::FileHandle processOwner(process.hProcess), threadOwner(process.hThread);
  TConsoleRun run;
  char piece[4096];
  DWORD read = 0;
  while (::ReadFile(reading, piece, sizeof piece, &read, nullptr) && read > 0)
    run.output.append(piece, read);
  WaitForSingleObject(process.hProcess, INFINITE);
  GetExitCodeProcess(process.hProcess, &run.code);
  run.error = ReadFile(folder / "stderr");
  return run;
}

TLanguageSetting::TLanguageSetting(const std::wstring& code) : before_(Current()) { Set(code); }

TLanguageSetting::~TLanguageSetting() { Set(before_); }

std::wstring TLanguageSetting::Current() {
  wchar_t code[64] = {};
  DWORD size = sizeof code - sizeof code[0];
  if (RegGetValueW(HKEY_CURRENT_USER, L"Software\\Hashtally", L"Language", RRF_RT_REG_SZ, nullptr,
                   code, &size) != ERROR_SUCCESS)
    return std::wstring();
  return code;
}

void TLanguageSetting::Set(const std::wstring& code) {
  if (code.empty()) {
    RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Software\\Hashtally", L"Language");
  } else {
    RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Hashtally", L"Language", REG_SZ, code.c_str(),
                    static_cast<DWORD>((code.size() + 1) * sizeof(wchar_t)));
  }
}

bool ChineseUserInterface() { return PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_CHINESE; }

TProgramFolder::TProgramFolder(const std::string& builtProgram) {
  CopyFileA(builtProgram.c_str(), program.c_str(), FALSE);
}

void PressButton(HWND button) {
  // The notification a click sends, posted to the button's parent: unlike a simulated mouse
  // press it does not depend on the window having the mouse capture.
  PostMessageA(GetParent(button), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
               reinterpret_cast<LPARAM>(button));
}

}  // namespace driver
