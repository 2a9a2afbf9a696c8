// The whole program between its entry point and its exit code, so that a test build of it can
// start the same way.
#pragma once

#include <windows.h>

// Starts Hashtally with the process's command line and runs it until its window is closed.
int RunHashtally(HINSTANCE instance, int showCommand);
