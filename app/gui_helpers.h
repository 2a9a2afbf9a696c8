// Small helpers the main window is built from: owners for GDI handles, a control's text as a
// string, DPI scaling of 96-DPI layout figures, centring, and the program file's own path.
#pragma once

#include <windows.h>

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

// Owns a screen device context obtained with GetDC.
class TScreenDc {
 public:
  TScreenDc() : dc_(GetDC(nullptr)) {}
  TScreenDc(const TScreenDc&) = delete;
  TScreenDc& operator=(const TScreenDc&) = delete;
  ~TScreenDc() {
    if (dc_) ReleaseDC(nullptr, dc_);
  }
  HDC Get() const { return dc_; }

 private:
  HDC dc_;
};

// The whole text of a window or control, in the ANSI code page (works across processes for the
// standard controls).
std::string ControlText(HWND window);
void SetControlText(HWND window, const std::string& text);

// Dots per inch the window is drawn at; with a null window, the system's. The program declares
// system DPI awareness, so both agree.
int WindowDpi(HWND window);
// A 96-DPI layout figure at `dpi`.
int Scale(int value, int dpi);

// Places a top-level window in the middle of the desktop.
void CentreOnDesktop(HWND window);

// Full path of a loaded module (the program itself for a null handle), of any length.
std::string ModuleFileName(HMODULE module);

// Widens (never narrows) a one-line label so that its whole text shows in its font, as a label
// that sizes itself to its caption does.
void FitLabelWidth(HWND label);

// Font of the given face and point size at `dpi`.
TGdiObject CreatePointFont(const char* face, int points, BYTE charset, int dpi);

}  // namespace gui
