// The entry point of hashtally.exe.
#include "app/application.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
  return RunHashtally(instance, showCommand);
}
