// The English texts: the same places and order as the Chinese ones, each line's shape (a count,
// then its words) kept.
#include "texts/tables.h"

namespace texts {

extern constexpr TTextRow kEnglishTexts[] = {
    {TText::FormCaption, "Hashtally"},
    {TText::PageMake, "Make checkfile"},
    {TText::PageCheck, "Check files"},
    {TText::PageAbout, "About"},
    {TText::ScanFolderLabel, "Folder to scan: "},
    {TText::ScanFolderButton, "Click to choose the folder to scan"},
    {TText::Start, "Start"},
    {TText::OpenCheckfile, "Open checkfile..."},
    {TText::UpdateCheckfile, "Update checkfile"},
    {TText::VersionLabel, "Hashtally version "},
    {TText::Stop, "Stop"},
    {TText::Pause, "Pause"},
    {TText::Resume, "Resume"},
    {TText::LanguageLabel, "Language:"},
    {TText::LanguageName, "English"},
    {TText::MakePaneHint,
     "Choose a folder and press \"Start\" to make its checkfile for later checks."},
    {TText::CheckPaneHint1, "Press \"Open checkfile...\" to check the files listed in"},
    {TText::CheckPaneHint2, "a Hashtally checkfile."},
    {TText::AboutText, kAboutText},
    {TText::PausedStatus, "Paused"},
    {TText::OutOfMemoryBox, "Out of memory: the operation was stopped."},
    {TText::UnrepresentableNameBox,
     "The file name contains an invalid character and cannot be opened: "},
    {TText::UnexpectedErrorBox, "Unexpected error"},
    {TText::NoFilesBox, "No files to work with!"},
    {TText::OpenDialogFilter,
     "Hashtally checkfiles|*.MD5|MD5 lists (*.md5;*.txt)|*.md5;*.txt|All files (*.*)|*.*|"},
    {TText::FolderOk, "OK"},
    {TText::FolderCancel, "Cancel"},
    {TText::FolderCreate, "Create Folder"},
    {TText::FolderDelete, "Delete"},
    {TText::FolderCaption, "Browse for Folder"},
    {TText::FolderNewName, "New Folder"},
    {TText::FolderCreateFailed, "Unable to create the folder '%2'\n\n%1"},
    {TText::PaneCopy, "&Copy"},
    {TText::PaneSelectAll, "Select &All"},
    {TText::PaneSaveAs, "&Save As..."},
    {TText::CopyFailedBox, "Could not copy to the clipboard; it still holds what it held before."},
    {TText::CopyLostBox, "Could not copy to the clipboard; the clipboard has been emptied."},
    {TText::ReportFilter, "Text files (*.txt)|*.txt|All files (*.*)|*.*|"},
    {TText::SaveFailedBox, "Could not save the report: "},
    {TText::ListingFiles, "listing files..."},
    {TText::TimeLeft, "about %1 left"},
    {TText::Seconds, "%1 seconds", "%1 second"},
    {TText::Minutes, "%1 minutes", "%1 minute"},
    {TText::Hours, "%1 hours", "%1 hour"},
    {TText::Days, "%1 days", "%1 day"},
    {TText::Bytes, "%1 bytes", "%1 byte"},
    {TText::HashErrorNone, "no error"},
    {TText::HashErrorUnknownType, "unknown digest type"},
    {TText::HashErrorNoContext, "no digest context"},
    {TText::HashErrorNoState, "invalid digest state"},
    {TText::HashErrorReadFile, "cannot read the file"},
    {TText::HashErrorOpenFile, "cannot open the file"},
    {TText::HashErrorGetFailed, "digest could not be taken"},
    {TText::HashErrorUnknown, "unknown error"},
    {TText::DigestErrorLine, "Error:  %1 (%2)"},
    {TText::TooLongLine,
     "Path longer than 10000 bytes, cannot be stored in the checkfile, skipped: "},
    {TText::SavedLine, "Done.  Checkfile saved as "},
    {TText::FilesProgress, "%1 files done:\nTarget: ", "%1 file done:\nTarget: "},
    {TText::ConsoleUsage,
     "Usage:\n"
     "  %1 check <checkfile> [--report <report file>] [--quiet] [--background]\n"
     "      digests the files a checkfile lists again and compares them\n"
     "  %1 make <folder> [--report <report file>] [--quiet] [--background]\n"
     "      makes the checkfile HTSUM-sums.MD5 of every file in the folder\n"
     "  --report <report file>  also saves the output as a text file (UTF-8)\n"
     "  --quiet                 prints only the files that did not pass and the counts\n"
     "  --background            runs in background mode, at a lower processor and disk priority\n"
     "Exit code (the values add up): 0 all well, 1 files may be damaged, 2 files were edited,\n"
     "  4 files or lines not verified, 8 files not in the checkfile, 16 could not be done,\n"
     "  32 stopped"},
    {TText::ConsoleBadArgument, "Unknown argument: %1"},
    {TText::ConsoleMissingArgument, "An argument is missing"},
    {TText::ConsoleBackgroundFailed, "Background mode is not available: "},
};
static_assert(IsComplete(kEnglishTexts), "a text is missing, or out of the order of TText");

}  // namespace texts
