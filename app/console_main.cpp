// The entry point of hashtally-console.exe (hashtally64-console.exe in the 64-bit build): the make
// and check runs without the window, for scripts and the Task Scheduler.
#include <windows.h>

#include <exception>
#include <string>
#include <vector>

#include "catalogue/start_up.h"
#include "console/console_program.h"
#include "console/console_system_win32.h"
#include "platform/wide_path_win32.h"
#include "widgets/language_setting.h"

int main() {
  // Static: the control handler may still look at it while the process ends.
  static TConsoleStop stop;
  TWindowsConsole system(stop);
  // The window's language: the user's choice, else that of Windows.
  const texts::TLanguage language = widgets::UserLanguage();
  try {
    // The wide command line, split by the window program's rule, so that a name of any script
    // arrives as it was given.
    std::vector<std::string> arguments;
    for (const std::wstring& argument : PathArguments(GetCommandLineW())) {
      std::string utf8;
      if (!platform::Utf8Name(argument.c_str(), utf8)) {
        const std::string_view text = texts::Text(language, texts::TText::UnrepresentableNameBox);
        system.WriteError(ViewTextUtf8({ProgramText(text), Utf8Text(utf8)}) + "\r\n");
        return kExitFailed;
      }
      arguments.push_back(std::move(utf8));
    }
    return RunConsoleProgram(arguments, system, stop, language);
  } catch (const std::exception& error) {
    system.WriteError(ViewTextUtf8({SystemText(error.what())}) + "\r\n");
    return kExitFailed;
  }
}
