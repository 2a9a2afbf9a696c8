// The main window's layout table.
#include "app/layout.h"

#include <commctrl.h>

#include "app/window_ids.h"
#include "widgets/text_pane.h"

using texts::TText;

const TText kPageCaptions[3] = {TText::PageMake, TText::PageCheck, TText::PageAbout};

namespace {

constexpr DWORD kButton = WS_TABSTOP | BS_PUSHBUTTON;
constexpr DWORD kLabel = SS_LEFT | SS_NOPREFIX;
constexpr DWORD kRadio = WS_TABSTOP | BS_AUTORADIOBUTTON;
// The working panes are always read-only multi-line views; their style says so as an edit box's
// would.
constexpr DWORD kWorkPane =
    WS_TABSTOP | WS_BORDER | WS_HSCROLL | WS_VSCROLL | ES_MULTILINE | ES_READONLY;
constexpr DWORD kHelpPane =
    WS_TABSTOP | WS_BORDER | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL;

}  // namespace

const TControlRow kLayout[] = {
    // class       text                 left top  width height style   id parent
    {L"STATIC", TText::ScanFolderLabel, 8, 8, 320, 13, kLabel, IdLabel1, OnTabSheetMake},
    {L"BUTTON", TText::ScanFolderButton, 8, 24, 481, 25, kButton, IdButtonScanFolder,
     OnTabSheetMake},
    {L"BUTTON", TText::Start, 8, 56, 75, 25, kButton, IdButtonGo, OnTabSheetMake},
    {L"" HT_TEXT_PANE_CLASS, kNoText, 8, 88, 481, 185, kWorkPane, IdMemoMake, OnTabSheetMake,
     PaneFont},
    {PROGRESS_CLASSW, kNoText, 8, 243, 481, 14, 0, IdProgressMake, OnTabSheetMake, FormFont,
     DuringRuns},
    {L"STATIC", kNoText, 8, 260, 481, 13, kLabel, IdProgressTextMake, OnTabSheetMake, FormFont,
     DuringRuns},
    {L"BUTTON", TText::OpenCheckfile, 8, 8, 97, 25, kButton, IdButtonFindCheckFile,
     OnTabSheetCheck},
    {L"BUTTON", TText::UpdateCheckfile, 113, 8, 97, 25, kButton | WS_DISABLED,
     IdButtonUpdateCheckfile, OnTabSheetCheck},
    {L"" HT_TEXT_PANE_CLASS, kNoText, 8, 40, 481, 233, kWorkPane, IdMemoCheck, OnTabSheetCheck,
     PaneFont},
    {PROGRESS_CLASSW, kNoText, 8, 243, 481, 14, 0, IdProgressCheck, OnTabSheetCheck, FormFont,
     DuringRuns},
    {L"STATIC", kNoText, 8, 260, 481, 13, kLabel, IdProgressTextCheck, OnTabSheetCheck, FormFont,
     DuringRuns},
    {L"STATIC", TText::VersionLabel, 8, 8, 110, 13, kLabel, IdLabel2, OnTabSheet1},
    {L"EDIT", kNoText, 8, 50, 481, 193, kHelpPane, IdMemoAbout, OnTabSheet1},
    // The language choice: each language named in its own words.
    {L"STATIC", TText::LanguageLabel, 8, 256, 60, 13, kLabel, IdLabelLanguage, OnTabSheet1},
    {L"BUTTON", kNoText, 72, 254, 80, 17, kRadio | WS_GROUP, IdRadioChinese, OnTabSheet1},
    {L"BUTTON", kNoText, 160, 254, 80, 17, kRadio, IdRadioEnglish, OnTabSheet1},
    {L"STATIC", kNoText, 8, 320, 321, 41, kLabel, IdLabelStatus, OnForm},
    {L"BUTTON", TText::Stop, 366, 320, 80, 42, kButton | WS_DISABLED, IdButtonAbort, OnForm},
    {L"BUTTON", TText::Pause, 452, 320, 61, 42, kButton, IdButtonPause, OnForm, FormFont,
     DuringRuns},
};
const std::size_t kLayoutSize = sizeof(kLayout) / sizeof(kLayout[0]);
