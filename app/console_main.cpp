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

int main() {
  // Static: the control handler may still look at it while the process ends.
  static TConsoleStop stop;
  TWindowsConsole system(stop);
  try {
    // The wide command line, split by the window program's rule, so that a name of any script
    // arrives as it was given.
    std::vector<std::string> arguments;
    for (const std::wstring& argument : PathArguments(GetCommandLineW())) {
      std::string utf8;
      if (!platform::Utf8Name(argument.c_str(), utf8)) {
        system.WriteError(ViewTextUtf8({ProgramText(kUnrepresentableNameText), Utf8Text(utf8)}) +
                          "\r\n");
        return kExitFailed;
      }
      arguments.push_back(std::move(utf8));
    }
    return RunConsoleProgram(arguments, system, stop);
  } catch (const std::exception& error) {
    system.WriteError(ViewTextUtf8({SystemText(error.what())}) + "\r\n");
    return kExitFailed;
  }
}
