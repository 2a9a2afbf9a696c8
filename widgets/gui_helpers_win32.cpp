// Small Win32 helpers the program's windows are built from; see gui_helpers.h.
#include <algorithm>
#include <cstdio>
#include <vector>

#include "platform/system_error.h"
#include "widgets/gui_helpers.h"

namespace gui {

namespace {

// Centres a window's outer rectangle in `area` (screen coordinates).
void CentreIn(HWND window, const RECT& area) {
  RECT bounds;
  GetWindowRect(window, &bounds);
  const int width = bounds.right - bounds.left;
  const int height = bounds.bottom - bounds.top;
  SetWindowPos(window, nullptr, area.left + (area.right - area.left - width) / 2,
               area.top + (area.bottom - area.top - height) / 2, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

std::wstring ControlText(HWND window) {
  const LRESULT length = SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
  if (length <= 0) return std::wstring();
  // WM_GETTEXTLENGTH may overstate the length, never understate it, so the copy's own count is
  // what we keep.
  std::vector<wchar_t> buffer(static_cast<std::size_t>(length) + 1);
  const LRESULT copied =
      SendMessageW(window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()));
  return std::wstring(buffer.data(), copied > 0 ? static_cast<std::size_t>(copied) : 0);
}

void SetControlText(HWND window, const std::wstring& text) { SetWindowTextW(window, text.c_str()); }

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
  TWindowDc screen;
  const int dpi = screen.Get() ? GetDeviceCaps(screen.Get(), LOGPIXELSY) : 0;
  return dpi > 0 ? dpi : 96;
}

int Scale(int value, int dpi) { return MulDiv(value, dpi, 96); }

void CentreOnDesktop(HWND window) {
  CentreIn(window, {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)});
}

void CentreOnMonitorOf(HWND window, HWND reference) {
  MONITORINFO monitor = {};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoA(MonitorFromWindow(reference, MONITOR_DEFAULTTOPRIMARY), &monitor);
  CentreIn(window, monitor.rcWork);
}

int TextWidth(HWND window, HGDIOBJ font, const std::wstring& text) {
  const TWindowDc dc(window);
  if (!dc.Get()) return 0;
  const HGDIOBJ previous = SelectObject(dc.Get(), font);
  SIZE extent{};
  GetTextExtentPoint32W(dc.Get(), text.data(), static_cast<int>(text.size()), &extent);
  SelectObject(dc.Get(), previous);
  return extent.cx;
}

void FitLabelWidth(HWND label) {
  const int width = TextWidth(
      label, reinterpret_cast<HGDIOBJ>(SendMessageW(label, WM_GETFONT, 0, 0)), ControlText(label));
  RECT bounds;
  GetClientRect(label, &bounds);
  if (width > bounds.right)
    SetWindowPos(label, nullptr, 0, 0, width, bounds.bottom,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

TGdiObject CreatePointFont(const wchar_t* face, int points, BYTE charset, int dpi) {
  return TGdiObject(CreateFontW(-MulDiv(points, dpi, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                                charset, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                DEFAULT_PITCH | FF_DONTCARE, face));
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

std::string SystemErrorText(DWORD code) {
  std::string text = platform::ErrorText(code);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
    text.pop_back();
  if (text.empty()) {
    char number[16];
    std::snprintf(number, sizeof number, "0x%08lX", static_cast<unsigned long>(code));
    text = number;
  }
  return text;
}

std::wstring DialogFilter(std::wstring text) {
  std::replace(text.begin(), text.end(), L'|', L'\0');
  return text;  // its own terminating zero is the second
}

std::wstring LoadResourceString(UINT id) {
  // With no room given the system hands out the resource's own read-only text and its length.
  const wchar_t* text = nullptr;
  const int length = LoadStringW(GetModuleHandleW(nullptr), id, reinterpret_cast<LPWSTR>(&text), 0);
  if (length <= 0 || !text) return std::wstring();
  return std::wstring(text, static_cast<std::size_t>(length));
}

}  // namespace gui
