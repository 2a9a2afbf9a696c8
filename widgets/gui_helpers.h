// Small Win32 helpers the program's windows are built from: owners for GDI objects, device
// contexts, selections into them, menus, the clipboard and memory the system allocates; a window's
// text as a string; DPI scaling, centring and text measuring; the program file's own path; system
// and resource texts.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

namespace gui {

// Owns one GDI object (font, brush, pen, bitmap) and deletes it when it goes.
class TGdiObject {
 public:
  TGdiObject() = default;
  explicit TGdiObject(HGDIOBJ object) : object_(object) {}
  TGdiObject(const TGdiObject&) = delete;
  TGdiObject& operator=(const TGdiObject&) = delete;
  TGdiObject(TGdiObject&& other) noexcept : object_(other.Release()) {}
  TGdiObject& operator=(TGdiObject&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }
  ~TGdiObject() { Reset(); }

  void Reset(HGDIOBJ object = nullptr) {
    if (object_) DeleteObject(object_);
    object_ = object;
  }
  HGDIOBJ Release() {
    HGDIOBJ object = object_;
    object_ = nullptr;
    return object;
  }
  HGDIOBJ Get() const { return object_; }
  HFONT Font() const { return static_cast<HFONT>(object_); }

 private:
  HGDIOBJ object_ = nullptr;
};

// Owns the device context GetDC gives for a window's client area (for a null window, the
// screen's).
class TWindowDc {
 public:
  explicit TWindowDc(HWND window = nullptr) : window_(window), dc_(GetDC(window)) {}
  TWindowDc(const TWindowDc&) = delete;
  TWindowDc& operator=(const TWindowDc&) = delete;
  ~TWindowDc() {
    if (dc_) ReleaseDC(window_, dc_);
  }
  HDC Get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

// Owns the painting device context of a WM_PAINT message.
class TPaintDc {
 public:
  explicit TPaintDc(HWND window) : window_(window) { BeginPaint(window_, &paint_); }
  TPaintDc(const TPaintDc&) = delete;
  TPaintDc& operator=(const TPaintDc&) = delete;
  ~TPaintDc() { EndPaint(window_, &paint_); }
  HDC Get() const { return paint_.hdc; }
  const RECT& Dirty() const { return paint_.rcPaint; }

 private:
  HWND window_;
  PAINTSTRUCT paint_{};
};

// Selects an object (a font) into a device context and puts the previous one back when it goes;
// a null object selects nothing.
class TSelectObject {
 public:
  TSelectObject(HDC dc, HGDIOBJ object)
      : dc_(dc), previous_(object ? SelectObject(dc, object) : nullptr) {}
  TSelectObject(const TSelectObject&) = delete;
  TSelectObject& operator=(const TSelectObject&) = delete;
  ~TSelectObject() {
    if (previous_) SelectObject(dc_, previous_);
  }

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

// Owns a menu made with CreatePopupMenu or CreateMenu.
class TMenu {
 public:
  explicit TMenu(HMENU menu) : menu_(menu) {}
  TMenu(const TMenu&) = delete;
  TMenu& operator=(const TMenu&) = delete;
  ~TMenu() {
    if (menu_) DestroyMenu(menu_);
  }
  HMENU Get() const { return menu_; }

 private:
  HMENU menu_;
};

// Owns a block the system allocated from the local heap for the caller (FormatMessage's text).
template <typename T>
class TLocalMemory {
 public:
  TLocalMemory() = default;
  explicit TLocalMemory(T* owned) : p_(owned) {}
  TLocalMemory(const TLocalMemory&) = delete;
  TLocalMemory& operator=(const TLocalMemory&) = delete;
  ~TLocalMemory() {
    if (p_) LocalFree(p_);
  }
  // Address for the out-parameter of the one call that allocates the block.
  T** Put() { return &p_; }
  T* Get() const { return p_; }

 private:
  T* p_ = nullptr;
};
using TLocalText = TLocalMemory<char>;

// Owns a block of global memory until it is handed to the system (the clipboard takes it).
class TGlobalMemory {
 public:
  explicit TGlobalMemory(std::size_t size) : memory_(GlobalAlloc(GMEM_MOVEABLE, size)) {}
  TGlobalMemory(const TGlobalMemory&) = delete;
  TGlobalMemory& operator=(const TGlobalMemory&) = delete;
  ~TGlobalMemory() {
    if (memory_) GlobalFree(memory_);
  }
  HGLOBAL Get() const { return memory_; }
  HGLOBAL Release() {
    HGLOBAL memory = memory_;
    memory_ = nullptr;
    return memory;
  }

 private:
  HGLOBAL memory_;
};

// Keeps a block of global memory locked, at a fixed address, while it lives.
template <typename T>
class TGlobalLock {
 public:
  explicit TGlobalLock(HGLOBAL memory)
      : memory_(memory), data_(memory ? static_cast<T*>(GlobalLock(memory)) : nullptr) {}
  TGlobalLock(const TGlobalLock&) = delete;
  TGlobalLock& operator=(const TGlobalLock&) = delete;
  ~TGlobalLock() {
    if (data_) GlobalUnlock(memory_);
  }
  T* Get() const { return data_; }

 private:
  HGLOBAL memory_;
  T* data_;
};

// Holds the clipboard open for `owner` while it lives.
class TClipboard {
 public:
  explicit TClipboard(HWND owner) : open_(OpenClipboard(owner) != FALSE) {}
  TClipboard(const TClipboard&) = delete;
  TClipboard& operator=(const TClipboard&) = delete;
  ~TClipboard() {
    if (open_) CloseClipboard();
  }
  bool Open() const { return open_; }

 private:
  bool open_;
};

// The whole text of a window or control.
std::wstring ControlText(HWND window);
void SetControlText(HWND window, const std::wstring& text);

// Dots per inch the window is drawn at; with a null window, the system's. The program declares
// system DPI awareness, so both agree.
int WindowDpi(HWND window);
// A 96-DPI layout figure at `dpi`.
int Scale(int value, int dpi);

// Places a top-level window in the middle of the whole screen.
void CentreOnDesktop(HWND window);
// Places a window in the middle of the work area of the monitor that `reference` is on.
void CentreOnMonitorOf(HWND window, HWND reference);

// Width in pixels of `text` drawn in `font` on `window`.
int TextWidth(HWND window, HGDIOBJ font, const std::wstring& text);
// Widens (never narrows) a one-line label so that its whole text shows in its font, as a label
// that sizes itself to its caption does.
void FitLabelWidth(HWND label);

// Font of the given face and point size at `dpi`.
TGdiObject CreatePointFont(const wchar_t* face, int points, BYTE charset, int dpi);

// Full path of a loaded module (the program itself for a null handle), of any length.
std::string ModuleFileName(HMODULE module);
// The same in its wide form, whatever characters it holds.
std::wstring ModuleWidePath(HMODULE module);

// The system's message text for an error code or HRESULT without the trailing line break; the
// code in hexadecimal when the system has no text for it.
std::string SystemErrorText(DWORD code);

// A file dialog's filter from a text of names and patterns that each end in "|": the system wants
// them ending in NUL, and the whole in two.
std::wstring DialogFilter(std::wstring text);

// A string resource of the program's module, of any length; empty when it has none.
std::wstring LoadResourceString(UINT id);

}  // namespace gui
