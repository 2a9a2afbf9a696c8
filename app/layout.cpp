// The main window's layout table and its fixed texts.
#include "app/layout.h"

#include <commctrl.h>

#include "app/window_ids.h"
#include "widgets/text_pane.h"

const char* const kPageCaptions[3] = {"制作检查文件", "检查文件", "关于"};

const char* const kFormCaption = "Hashtally - 简体中文版";

const char kPauseCaption[] = "暂停";
const char kResumeCaption[] = "继续";

namespace {

constexpr DWORD kButton = WS_TABSTOP | BS_PUSHBUTTON;
constexpr DWORD kLabel = SS_LEFT | SS_NOPREFIX;
// The working panes are always read-only multi-line views; their style says so as an edit box's
// would.
constexpr DWORD kWorkPane =
    WS_TABSTOP | WS_BORDER | WS_HSCROLL | WS_VSCROLL | ES_MULTILINE | ES_READONLY;
constexpr DWORD kHelpPane =
    WS_TABSTOP | WS_BORDER | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL;

}  // namespace

const TControlRow kLayout[] = {
    // class       text                 left top  width height style   id parent
    {L"STATIC", "选择文件夹  : ", 8, 8, 320, 13, kLabel, IdLabel1, OnTabSheetMake},
    {L"BUTTON", "点击选择扫描目录", 8, 24, 481, 25, kButton, IdButtonScanFolder, OnTabSheetMake},
    {L"BUTTON", "开始", 8, 56, 75, 25, kButton, IdButtonGo, OnTabSheetMake},
    {L"" HT_TEXT_PANE_CLASS, "", 8, 88, 481, 185, kWorkPane, IdMemoMake, OnTabSheetMake, PaneFont},
    {PROGRESS_CLASSW, "", 8, 243, 481, 14, 0, IdProgressMake, OnTabSheetMake, FormFont, DuringRuns},
    {L"STATIC", "", 8, 260, 481, 13, kLabel, IdProgressTextMake, OnTabSheetMake, FormFont,
     DuringRuns},
    {L"BUTTON", "打开检查文件...", 8, 8, 97, 25, kButton, IdButtonFindCheckFile, OnTabSheetCheck},
    {L"BUTTON", "更新检查文件", 113, 8, 97, 25, kButton | WS_DISABLED, IdButtonUpdateCheckfile,
     OnTabSheetCheck},
    {L"" HT_TEXT_PANE_CLASS, "", 8, 40, 481, 233, kWorkPane, IdMemoCheck, OnTabSheetCheck,
     PaneFont},
    {PROGRESS_CLASSW, "", 8, 243, 481, 14, 0, IdProgressCheck, OnTabSheetCheck, FormFont,
     DuringRuns},
    {L"STATIC", "", 8, 260, 481, 13, kLabel, IdProgressTextCheck, OnTabSheetCheck, FormFont,
     DuringRuns},
    {L"STATIC", "Hashtally 版本 ", 8, 8, 110, 13, kLabel, IdLabel2, OnTabSheet1},
    {L"EDIT", "", 8, 50, 481, 193, kHelpPane, IdMemoAbout, OnTabSheet1},
    {L"STATIC", "", 8, 320, 321, 41, kLabel, IdLabelStatus, OnForm},
    {L"BUTTON", "停止", 380, 320, 80, 42, kButton | WS_DISABLED, IdButtonAbort, OnForm},
    {L"BUTTON", kPauseCaption, 466, 320, 47, 42, kButton, IdButtonPause, OnForm, FormFont,
     DuringRuns},
};
const std::size_t kLayoutSize = sizeof(kLayout) / sizeof(kLayout[0]);

const char* const kAboutText =
    "Hashtally tests the integrity of the files in a folder.\r\n"
    "\r\n"
    "First make a checkfile: on the make page, choose the folder with the folder button and press "
    "the start button. The folder is scanned recursively, subfolders included; an MD5 sum is "
    "calculated for every file, and all the sums are saved in the file \"HTSUM-sums.MD5\" in the "
    "chosen folder.\r\n"
    "\r\n"
    "Leave the checkfile where it was saved. You may copy the program file beside it, for instance "
    "into the folder you are about to burn onto a CD-ROM or DVD-ROM. Anyone can later test the "
    "disc by running the program from it and testing the checkfile: when the program finds its "
    "checkfile beside itself, it starts the test by itself.\r\n"
    "\r\n"
    "To test files, choose the check page, press the open button and choose the .MD5 file. Every "
    "listed file is read again; files that were changed are reported as not matching, and files "
    "that cannot be read are reported too.\r\n"
    "\r\n"
    "The program needs no installer: it is one file that runs where it lies.\r\n"
    "\r\n"
    "Terms of use: you may use and copy this program freely, privately and at work, and pass it "
    "on unchanged together with your files.\r\n"
    "\r\n"
    "No warranty: the program is provided as it is, without any warranty of any kind. You use it "
    "at your own risk; its makers are not liable for any loss or damage arising from its use.";
