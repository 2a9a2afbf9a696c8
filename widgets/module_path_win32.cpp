// The paths of loaded modules, apart from the window helpers, so that a program without windows
// (the console program, reading its own version) takes in no window or drawing library with them.
#include <vector>

#include "widgets/gui_helpers.h"

namespace gui {

std::string ModuleFileName(HMODULE module) {
  std::vector<char> buffer(MAX_PATH + 1);
  for (;;) {
    const DWORD length =
        GetModuleFileNameA(module, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return std::string();
    if (length < buffer.size() - 1) return std::string(buffer.data(), length);
    buffer.resize(buffer.size() * 2);  // truncated: try again with room to spare
  }
}

std::wstring ModuleWidePath(HMODULE module) {
  std::vector<wchar_t> buffer(MAX_PATH + 1);
  for (;;) {
    const DWORD length =
        GetModuleFileNameW(module, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return std::wstring();
    if (length < buffer.size() - 1) return std::wstring(buffer.data(), length);
    buffer.resize(buffer.size() * 2);  // truncated: try again with room to spare
  }
}

}  // namespace gui
