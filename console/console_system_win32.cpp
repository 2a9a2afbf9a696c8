// The console program's side of Windows; see console_system_win32.h.
#include "console/console_system_win32.h"

#include <algorithm>
#include <atomic>
#include <string>

#include "platform/system_error.h"
#include "platform/wide_path_win32.h"

namespace {

// The control handler has no context of its own.
std::atomic<TConsoleStop*> g_stop{nullptr};

BOOL WINAPI OnControlEvent(DWORD event) {
  const bool closing = event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT;
  if (TConsoleStop* stop = g_stop.load()) stop->Request(closing);
  // The system ends the process once this returns from a close, logoff or shutdown event: held
  // here, the run ends as a stop ends it and the program exits with its own code (the system
  // waits some seconds for it).
  if (closing) Sleep(INFINITE);
  return TRUE;
}

const wchar_t kSessionWatchClass[] = L"HashtallyConsoleSessionWatch";

LRESULT CALLBACK SessionWatchProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_QUERYENDSESSION) return TRUE;
  if (message == WM_ENDSESSION && wParam) OnControlEvent(CTRL_LOGOFF_EVENT);
  return DefWindowProcW(window, message, wParam, lParam);
}

// At most this many UTF-16 units go to the console in one call: older consoles refuse more than
// some 64 KiB at once.
constexpr std::size_t kConsolePiece = 8192;

}  // namespace

TWindowsConsole::TStream::TStream(DWORD which) : handle_(GetStdHandle(which)) {
  DWORD mode = 0;
  console_ =
      handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE && GetConsoleMode(handle_, &mode);
}

void TWindowsConsole::TStream::Write(std::string_view utf8) const {
  if (handle_ == nullptr || handle_ == INVALID_HANDLE_VALUE) return;
  if (!console_) {
    // A pipe or a file takes the UTF-8 bytes; one that is closed loses the rest.
    while (!utf8.empty()) {
      DWORD written = 0;
      const auto size = static_cast<DWORD>(std::min<std::size_t>(utf8.size(), 1 << 20));
      if (!WriteFile(handle_, utf8.data(), size, &written, nullptr) || written == 0) return;
      utf8.remove_prefix(written);
    }
    return;
  }
  std::wstring wide;
  platform::WidenText(utf8, CP_UTF8, wide);
  for (std::size_t at = 0; at < wide.size();) {
    std::size_t count = std::min(wide.size() - at, kConsolePiece);
    if (at + count < wide.size() && IS_HIGH_SURROGATE(wide[at + count - 1])) --count;
    DWORD written = 0;
    if (!WriteConsoleW(handle_, wide.data() + at, static_cast<DWORD>(count), &written, nullptr) ||
        written == 0)
      return;
    at += written;
  }
}

TWindowsConsole::TSessionWatch::TSessionWatch() : thread_([this] { Run(); }) {}

TWindowsConsole::TSessionWatch::~TSessionWatch() {
  // Posted once the thread has a queue to take it.
  for (int attempt = 0; attempt < 1000; ++attempt) {
    const DWORD id = threadId_.load();
    if (id != 0 && PostThreadMessageW(id, WM_QUIT, 0, 0)) break;
    Sleep(1);
  }
  // Held in a session's end, the thread goes with the process.
  const TConsoleStop* stop = g_stop.load();
  if (stop && stop->Closing()) {
    thread_.detach();
  } else {
    thread_.join();
  }
}

void TWindowsConsole::TSessionWatch::Run() {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = SessionWatchProc;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = kSessionWatchClass;
  RegisterClassW(&windowClass);
  // Without a window (no desktop to make it on) the system ends the program at a logoff as before.
  const HWND window = CreateWindowExW(0, kSessionWatchClass, L"", WS_OVERLAPPED, 0, 0, 0, 0,
                                      nullptr, nullptr, windowClass.hInstance, nullptr);
  MSG message;
  PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);  // the thread's queue, for the quit
  threadId_ = GetCurrentThreadId();
  while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
  if (window) DestroyWindow(window);
}

TWindowsConsole::TWindowsConsole(TConsoleStop& stop) {
  g_stop = &stop;
  SetConsoleCtrlHandler(OnControlEvent, TRUE);
}

TWindowsConsole::~TWindowsConsole() { SetConsoleCtrlHandler(OnControlEvent, FALSE); }

void TWindowsConsole::ShowProgress(std::string_view text) {
  const HANDLE console = error_.Handle();
  CONSOLE_SCREEN_BUFFER_INFO info;
  if (!error_.Console() || !GetConsoleScreenBufferInfo(console, &info)) return;
  if (progressShown_) {
    // Blanked from where it began to the cursor, which then goes back there.
    const DWORD cells = (info.dwCursorPosition.Y - progressAt_.Y) * info.dwSize.X +
                        info.dwCursorPosition.X - progressAt_.X;
    DWORD blanked = 0;
    FillConsoleOutputCharacterW(console, L' ', cells, progressAt_, &blanked);
    SetConsoleCursorPosition(console, progressAt_);
    info.dwCursorPosition = progressAt_;
  }
  progressShown_ = !text.empty();
  if (!progressShown_) return;
  progressAt_ = info.dwCursorPosition;
  // Cut to the rest of the row, counting every character but ASCII as two cells: a line that
  // wrapped at the bottom would scroll the buffer under where it began.
  std::wstring wide;
  platform::WidenText(text, CP_UTF8, wide);
  const int room = info.dwSize.X - progressAt_.X - 1;
  int cells = 0;
  std::size_t fits = 0;
  while (fits < wide.size() && (cells += wide[fits] < 0x80 ? 1 : 2) <= room) ++fits;
  std::string shown;
  platform::NarrowText(std::wstring_view(wide).substr(0, fits), CP_UTF8, shown);
  error_.Write(shown);
}

bool TWindowsConsole::EnterBackgroundMode(std::string& why) {
  if (SetPriorityClass(GetCurrentProcess(), PROCESS_MODE_BACKGROUND_BEGIN)) return true;
  why = platform::ErrorText(platform::LastErrorCode());
  return false;
}
