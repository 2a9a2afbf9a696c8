// Every text the program shows, by name, in each language it speaks: one table per language
// (chinese.cpp, english.cpp), so that another language is another table and nothing else.
// Texts are program texts: GBK bytes for Chinese (the sources' narrow literals), ASCII for
// English. "%1" to "%9" in a text stand for what the caller fills in (a count, a path).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace texts {

enum class TLanguage : unsigned char { Chinese, English };
inline constexpr std::size_t kLanguageCount = 2;

enum class TText : unsigned short {
  // The window.
  FormCaption,
  PageMake,
  PageCheck,
  PageAbout,
  ScanFolderLabel,
  ScanFolderButton,
  Start,
  OpenCheckfile,
  UpdateCheckfile,
  VersionLabel,
  Stop,
  Pause,
  Resume,
  LanguageLabel,
  LanguageName,  // the language's own name for itself
  MakePaneHint,
  CheckPaneHint1,
  CheckPaneHint2,
  AboutText,
  PausedStatus,
  OutOfMemoryBox,
  UnrepresentableNameBox,
  UnexpectedErrorBox,
  NoFilesBox,
  OpenDialogFilter,  // pairs of name and pattern, each ending in "|"
  // The folder chooser.
  FolderOk,
  FolderCancel,
  FolderCreate,
  FolderDelete,
  FolderCaption,
  FolderNewName,
  FolderCreateFailed,  // as the system formats messages: %1 the reason, %2 the folder's name
  // The result panes.
  PaneCopy,
  PaneSelectAll,
  PaneSaveAs,
  CopyFailedBox,
  CopyLostBox,
  ReportFilter,  // pairs of name and pattern, each ending in "|"
  SaveFailedBox,
  ReadOnlyReportBox,
  // The progress line under a run's pane.
  ListingFiles,
  TimeLeft,  // %1: an amount of time
  Seconds,   // %1 seconds; counted
  Minutes,   // counted
  Hours,     // counted
  Days,      // counted
  Bytes,     // %1 bytes, below 1000; counted
  // The digest service's error texts, by code.
  HashErrorNone,
  HashErrorUnknownType,
  HashErrorNoContext,
  HashErrorNoState,
  HashErrorReadFile,
  HashErrorOpenFile,
  HashErrorGetFailed,
  HashErrorUnknown,
  // Lines more than one run shows.
  DigestErrorLine,  // %1: the error text, %2: the path
  TooLongLine,
  SavedLine,
  FilesProgress,  // %1: the count of files digested; the folder follows
  // The make's lines.
  FolderLine,
  FileLine,
  UnreadableFolderLine,
  UnrepresentableFileLine,
  UnrepresentableFolderLine,
  RefusedLinkLine,
  MakeAbortLine,
  WritingStatus,
  LeftOutCount,
  ChangedWhileReadLine,
  // The check's lines ("%1" a count where the name ends in Count).
  AutoCheckLine,
  CheckingLine,
  ComparingStatus,
  CheckAbortLine,
  MatchedLine,
  MismatchLine,
  ElsewhereLine,
  AmbiguousLine,
  ResultsDoneLine,
  MismatchBlock,
  BlockEnd,
  SkippedCount,
  NothingCompared,
  ComparedCount,
  FailedCount,
  MismatchCount,
  AllWell,
  DamagedBlock,
  DamagedCount,
  EditedCount,
  FutureDateNote,
  NewBlock,
  UnlistedFolderLine,
  NewCount,
  NewCountPartly,
  OutsideLine,
  CheckfileTooLarge,
  CannotOpenFile,
  CannotCreateFile,
  StreamReadError,
  StreamWriteError,
  ReadOnlyCheckfileBox,
  // The update's lines and its question.
  UpdateLine,
  MovedLine,
  AddedCount,
  RemovedCount,
  MovedCount,
  EditedTakenCount,
  KeptCount,
  AcceptedCount,
  RereadCount,
  ChangedSinceCheckLine,
  ChangedSinceCheckBox,
  UpdateQuestionStart,
  UpdateQuestionAdd,
  UpdateQuestionRemove,
  UpdateQuestionMove,
  UpdateQuestionEdit,
  UpdateQuestionReread,
  UpdateQuestionKeep,
  UpdateQuestionComma,
  UpdateQuestionSemicolon,
  UpdateQuestionEnd,
  AcceptKeptOption,
  CheckfileLeftLine,
  // The console program; "\n" ends each line of its texts.
  // The rolling scrub.
  ScrubSetAsideLine,
  ScrubReadLine,
  ScrubOldestLine,
  ScrubNeverCount,
  ScrubSaveFailedLine,
  ScrubAllVerifiedLine,
  ConsoleUsage,        // %1: the program's name
  ConsoleBadArgument,  // %1: the argument
  ConsoleMissingArgument,
  ConsoleBackgroundFailed,  // the system's reason follows
  Count_
};
inline constexpr std::size_t kTextCount = static_cast<std::size_t>(TText::Count_);

// One row of a language's table. `one` is the form for a count of one, where the language has
// one (English); null elsewhere, and then `text` serves every count.
struct TTextRow {
  TText name;
  const char* text;
  const char* one = nullptr;
};

// The text `name` in `language`.
std::string_view Text(TLanguage language, TText name);
// The form of `name` for `count` things.
std::string_view Text(TLanguage language, TText name, std::uint64_t count);

// `pattern` with each "%1" to "%9" replaced by the argument of that number (one that is not
// given stays as it is).
std::string Fill(std::string_view pattern, std::initializer_list<std::string_view> args);
// Text(language, name, count) with its "%1" replaced by the count.
std::string CountText(TLanguage language, TText name, std::uint64_t count);

// The language as the setting stores it ("zh-CN", "en"), and back; false for another text.
const char* LanguageCode(TLanguage language);
bool LanguageFromCode(std::string_view code, TLanguage& language);

}  // namespace texts
