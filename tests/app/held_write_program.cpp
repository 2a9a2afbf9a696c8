// hashtally.exe for the window tests, except that every file write first waits (a minute at
// most) for the event "HashtallyTestWriteGate-<process id>" when the test made one, so that the
// window can be looked at while a checkfile is being written.
#include <windows.h>

#include <string>

#include "app/application.h"
#include "platform/output_file.h"

namespace {

void WaitForTheTest() {
  const std::string name = "HashtallyTestWriteGate-" + std::to_string(GetCurrentProcessId());
  if (HANDLE gate = OpenEventA(SYNCHRONIZE, FALSE, name.c_str())) {
    WaitForSingleObject(gate, 60000);
    CloseHandle(gate);
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
  platform::SetWriteHookForTesting(WaitForTheTest);
  return RunHashtally(instance, showCommand);
}
