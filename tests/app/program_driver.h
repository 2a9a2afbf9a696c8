// Drives a running hashtally.exe from another process: starts a copy of it, finds its window and
// controls, reads texts, presses buttons and waits for states with a bounded timeout; runs the
// console program.
#pragma once

#include <windows.h>
// The system headers below need windows.h first.
#include <commctrl.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "app/window_ids.h"

namespace driver {

// Path of the freshly built hashtally.exe, in Windows form.
std::string BuiltProgramPath();
// A path the build tool gave, in Windows form.
std::string WindowsPath(const char* builtPath);

// A new empty folder under the temporary folder, removed with everything in it at the end.
class TTempFolder {
 public:
  TTempFolder();
  TTempFolder(const TTempFolder&) = delete;
  TTempFolder& operator=(const TTempFolder&) = delete;
  ~TTempFolder();
  const std::string& Path() const { return path_; }  // no trailing backslash
  std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

 private:
  std::string path_;
};

// The file services below take paths of any length; paths are absolute.
void WriteFile(const std::string& path, const std::string& content);
void WriteFile(const std::wstring& path, const std::string& content);
// A file of `size` bytes that takes no room on the disk (its content is zeros).
void MakeSparseFile(const std::string& path, unsigned long long size);
std::string ReadFile(const std::string& path);
bool FileExists(const std::string& path);
void MakeFolder(const std::string& path);
void RemoveTree(const std::string& path);
void RemoveTree(const std::wstring& path);  // with the long-path prefix

// Lower-case hexadecimal MD5 of a file's bytes, computed by the system's cryptographic provider.
std::string SystemMd5(const std::string& path);

// Splits a pane's or file's text at CR LF.
std::vector<std::string> Lines(const std::string& text);
std::string LastLine(const std::string& text);

// Polls `condition` until it holds or `timeout` passes; true when it held.
bool WaitUntil(const std::function<bool()>& condition,
               std::chrono::milliseconds timeout = std::chrono::seconds(30));

// A copy of the program started in `workingFolder`, with `argument` on its command line when it
// is not empty; closed (or, failing that, ended) when it goes.
class TProgram {
 public:
  TProgram(const std::string& programPath, const std::string& workingFolder,
           const std::string& argument = std::string());
  TProgram(const std::string& programPath, const std::string& workingFolder,
           const std::wstring& argument);
  TProgram(const TProgram&) = delete;
  TProgram& operator=(const TProgram&) = delete;
  ~TProgram();

  HWND Window() const { return window_; }
  DWORD ProcessId() const { return process_.dwProcessId; }
  bool Exited(DWORD waitMilliseconds = 0) const;

  HWND Control(int id) const;
  std::string Text(int id) const;
  bool Enabled(int id) const;
  bool Visible(int id) const;
  int SelectedPage() const;
  void Click(int id) const;  // PressButton on a control of the window
  void Close() const;        // WM_CLOSE to the main window
  // Clicks the header of page `index` of the tab control as the mouse would.
  void ClickPageTab(int index) const;
  // The idle state: start, folder, open and tab controls usable, stop disabled, pause hidden.
  bool Idle() const;
  bool Running() const { return Enabled(IdButtonAbort); }
  // True when the window takes and answers a message within `milliseconds`.
  bool Answers(DWORD milliseconds) const;
  // A control's text as the system keeps it, read without sending a message, so also while the
  // program's thread is busy.
  std::string StoredText(int id) const;
  // Drops `path` on the main window as the shell does: a DROPFILES block in the program's memory,
  // posted with WM_DROPFILES.
  void Drop(const std::string& path) const;

  // A visible top-level window of this process captioned `caption`; without a caption, a system
  // dialog (message box, open dialog). Null when there is none.
  HWND FindDialog(const std::string& caption = std::string()) const;

  // Text of an item of a tree view or a list view in one of the program's windows; empty when
  // there is no such item.
  std::string TreeItemText(HWND tree, HTREEITEM item) const;
  std::string ListItemText(HWND list, int index) const;
  std::wstring TabText(int index) const;  // a header of the tab control

 private:
  PROCESS_INFORMATION process_{};
  HWND window_ = nullptr;
};

std::string WindowText(HWND window);
std::wstring WideText(HWND window);          // read through the wide calls
std::wstring Wide(const std::string& text);  // from the code page
// Texts of a dialog's child windows of class `className` ("Static", "Button", "Edit").
std::vector<std::string> ChildTexts(HWND dialog, const char* className);
HWND FindChildByText(HWND dialog, const char* className, const std::string& text);
// True when the dialog shows an icon (a message box with MB_ICONSTOP, say).
bool HasIconChild(HWND dialog);
// Clicks a button; posted, so a modal box the click opens does not block the caller.
void PressButton(HWND button);

// Waits for a message box captioned "Hashtally" and returns it (null when none came).
HWND WaitForBox(const TProgram& program);
// Presses a message box's button (OK, or another such as IDYES) until the box has gone.
bool CloseBox(HWND box, int button = IDOK);
// True when one of the box's texts, read through the wide calls, begins with `start`.
bool BoxSays(HWND box, const std::wstring& start);

// The check pane once a check run has ended (it holds the summary); empty when none ended in
// time. With `dropped`, that checkfile is dropped on the window first, and the pane of the run
// before does not count.
std::wstring CheckPane(const TProgram& program, const std::string& dropped = std::string());

// A run of the console program `program` with `arguments` (of the code page), to its end: the exit
// code, standard output as a pipe gave it and standard error as a file took it.
struct TConsoleRun {
  DWORD code = 0;
  std::string output, error;
};
TConsoleRun RunConsole(const std::string& program, const std::vector<std::string>& arguments);

// The user's language setting (HKCU\Software\Hashtally, value "Language") set to `code`, or
// removed for an empty one, while it lives; as it was, afterwards.
class TLanguageSetting {
 public:
  explicit TLanguageSetting(const std::wstring& code);
  TLanguageSetting(const TLanguageSetting&) = delete;
  TLanguageSetting& operator=(const TLanguageSetting&) = delete;
  ~TLanguageSetting();
  static std::wstring Current();  // empty without one
  static void Set(const std::wstring& code);

 private:
  std::wstring before_;
};
// True where Windows speaks Chinese to the user.
bool ChineseUserInterface();

// A folder holding a copy of the program (or of a test build of it).
struct TProgramFolder {
  TTempFolder folder;
  std::string program = folder / "hashtally.exe";
  explicit TProgramFolder(const std::string& builtProgram = BuiltProgramPath());
};

}  // namespace driver
