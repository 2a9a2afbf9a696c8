// Hashtally's start and end: common controls and OLE, the locale's date-time settings, the main
// form, and the message loop with its idle moment. The process ends when the main window closes.
#include <windows.h>
// The system headers below need windows.h first.
#include <commctrl.h>
#include <ole2.h>

#include <exception>

#include "app/application.h"
#include "app/main_form.h"
#include "catalogue/date_time_text.h"
#include "catalogue/start_up.h"
#include "widgets/display_text.h"

namespace {

// OLE for the shell's folder tree (drag and drop, context menus) for the life of the process.
class TOleSession {
 public:
  TOleSession() : initialised_(SUCCEEDED(OleInitialize(nullptr))) {}
  TOleSession(const TOleSession&) = delete;
  TOleSession& operator=(const TOleSession&) = delete;
  ~TOleSession() {
    if (initialised_) OleUninitialize();
  }

 private:
  bool initialised_;
};

// The first command-line argument as it was given, empty when there is none. The wide command
// line is read, so that a name the code page cannot hold can be told apart from a look-alike.
std::wstring CommandLinePath() {
  const wchar_t* rest = GetCommandLineW();
  NextPathArgument(rest);  // the program's own path
  return NextPathArgument(rest);
}

// Runs until the main window is gone. Whenever the queue has run empty the form gets its idle
// moment; then the loop sleeps until input arrives (also input that was looked at but not taken).
int RunMessageLoop(TForm1& form) {
  for (;;) {
    form.ProcessMessages();
    if (form.QuitReceived()) return 0;
    form.ApplicationEvents1Idle();
    if (form.QuitReceived()) return 0;
    MsgWaitForMultipleObjectsEx(0, nullptr, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  }
}

}  // namespace

int RunHashtally(HINSTANCE instance, int showCommand) {
  INITCOMMONCONTROLSEX controls{sizeof(controls),
                                ICC_TAB_CLASSES | ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&controls);
  TOleSession ole;
  try {
    LoadDateTimeSettings();
    TForm1 form(instance, CommandLinePath());
    form.Create(showCommand);
    return RunMessageLoop(form);
  } catch (const std::exception& error) {
    MessageBoxW(nullptr, gui::SystemWide(error.what()).c_str(), L"Hashtally", MB_OK | MB_ICONSTOP);
    return 1;
  }
}
