// Names by which the main window and its controls are found: the window class and the control
// identifiers. The program's own tests drive the window through these from another process.
#pragma once

#define HT_MAIN_WINDOW_CLASS "THashtallyMainWindow"
#define HT_PAGE_WINDOW_CLASS "THashtallyPage"

enum TControlId {
  IdPageControl1 = 100,
  IdLabel1,
  IdButtonScanFolder,
  IdButtonGo,
  IdMemoMake,
  IdButtonFindCheckFile,
  IdMemoCheck,
  IdLabel2,
  IdMemoAbout,
  IdLabelStatus,
  IdButtonAbort,
  IdButtonUpdateCheckfile,
  IdButtonPause,       // shown during runs only, as are the bars and their lines
  IdProgressMake,      // the make page's progress bar
  IdProgressTextMake,  // the line under it: bytes, speed, time left
  IdProgressCheck,
  IdProgressTextCheck,
  IdLabelLanguage,  // the about page's language choice
  IdRadioChinese,
  IdRadioEnglish,
  IdTabSheetMake = 200,  // the page windows; page n has IdTabSheetMake + n
  IdTabSheetCheck,
  IdTabSheet1,
};
