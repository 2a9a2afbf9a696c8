// The main window's layout as data: one row per control, positions in pixels at 96 DPI.
#pragma once

#include <windows.h>

#include <cstddef>

#include "texts/texts.h"

enum TLayoutParent { OnForm = -1, OnTabSheetMake = 0, OnTabSheetCheck = 1, OnTabSheet1 = 2 };

enum TLayoutFont {
  FormFont,  // "MS Sans Serif" 8 pt, the form's font
  PaneFont,  // the working panes' font
};

enum TLayoutShown {
  Always,
  DuringRuns,  // created hidden; shown while a run is active, on the form or on the running page
};

// A row whose control starts without a text, or takes it from elsewhere.
constexpr texts::TText kNoText = texts::TText::Count_;

struct TControlRow {
  const wchar_t* className;
  texts::TText text;             // in the window's language; kNoText for none
  int left, top, width, height;  // at 96 DPI, relative to the parent's client area
  DWORD style;                   // besides WS_CHILD | WS_VISIBLE
  int id;
  TLayoutParent parent;
  TLayoutFont font = FormFont;
  TLayoutShown shown = Always;
};

// Client size of the form at 96 DPI.
constexpr int kFormClientWidth = 524;
constexpr int kFormClientHeight = 371;

// While a run is active the running page's pane is this much shorter: its progress rows take the
// room below it, so the idle window keeps its layout.
constexpr int kProgressRoom = 36;

// Tab captions, in page order.
extern const texts::TText kPageCaptions[3];

// Rows in creation order, which within a parent is also the tab order.
extern const TControlRow kLayout[];
extern const std::size_t kLayoutSize;
