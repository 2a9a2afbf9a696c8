// Small helpers the main window is built from; see gui_helpers.h.
#include "app/gui_helpers.h"

#include <vector>

namespace gui {

std::string ControlText(HWND window) {
  const LRESULT length = SendMessageA(window, WM_GETTEXTLENGTH, 0, 0);
  if (length <= 0) return std::string();
  // WM_GETTEXTLENGTH may overstate the length (it can count in characters of another form), never
  // understate it, so the copy's own count is what we keep.
  std::vector<char> buffer(static_cast<std::size_t>(length) + 1);
  const LRESULT copied =
      SendMessageA(window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()));
  return std::string(buffer.data(), copied > 0 ? static_cast<std::size_t>(copied) : 0);
}

void SetControlText(HWND window, const std::string& text) { SetWindowTextA(window, text.c_str()); }

int WindowDpi(HWND window) {
  using DpiForWindow = UINT(WINAPI*)(HWND);
  using DpiForSystem = UINT(WINAPI*)();
  // Both services appeared with Windows 10; older systems report the screen's logical DPI.
  const HMODULE user32 = GetModuleHandleA("user32.dll");
  if (user32 && window) {
    auto forWindow = reinterpret_cast<DpiForWindow>(
        reinterpret_cast<void*>(GetProcAddress(user32, "GetDpiForWindow")));
    if (forWindow) {
      const UINT dpi = forWindow(window);
      if (dpi) return static_cast<int>(dpi);
    }
  }
  if (user32) {
    auto forSystem = reinterpret_cast<DpiForSystem>(
        reinterpret_cast<void*>(GetProcAddress(user32, "GetDpiForSystem")));
    if (forSystem) {
      const UINT dpi = forSystem();
      if (dpi) return static_cast<int>(dpi);
    }
  }
  TScreenDc screen;
  const int dpi = screen.Get() ? GetDeviceCaps(screen.Get(), LOGPIXELSY) : 0;
  return dpi > 0 ? dpi : 96;
}

int Scale(int value, int dpi) { return MulDiv(value, dpi, 96); }

void CentreOnDesktop(HWND window) {
  RECT bounds;
  GetWindowRect(window, &bounds);
  const int width = bounds.right - bounds.left;
  const int height = bounds.bottom - bounds.top;
  const int left = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
  const int top = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
  SetWindowPos(window, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

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

void FitLabelWidth(HWND label) {
  const std::string text = ControlText(label);
  const HDC dc = GetDC(label);
  if (!dc) return;
  const HGDIOBJ previous =
      SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(label, WM_GETFONT, 0, 0)));
  SIZE extent{};
  GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &extent);
  SelectObject(dc, previous);
  ReleaseDC(label, dc);
  RECT bounds;
  GetClientRect(label, &bounds);
  if (extent.cx > bounds.right)
    SetWindowPos(label, nullptr, 0, 0, extent.cx, bounds.bottom,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

TGdiObject CreatePointFont(const char* face, int points, BYTE charset, int dpi) {
  return TGdiObject(CreateFontA(-MulDiv(points, dpi, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                                charset, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                DEFAULT_PITCH | FF_DONTCARE, face));
}

}  // namespace gui
