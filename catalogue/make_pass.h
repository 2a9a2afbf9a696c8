// The make pass: walks a folder tree, digests every file and writes the tree's checkfile, reporting
// through the window's run view.
#pragma once

#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "catalogue/checkfile.h"
#include "catalogue/run_view.h"
#include "platform/folder_enumeration.h"

class TDigestPipeline;

class TMakePass {
 public:
  // How the walk lists one folder; tests put listings that fail on purpose behind it.
  using TListFolder = std::function<std::unique_ptr<platform::TFolderListing>(
      const std::string& folder, platform::TPassingOver passingOver)>;

  // `view` must outlive the pass; `versionText` goes into the checkfile's first header line.
  // `digestThreads` files are digested at once; 0 chooses by the drive that holds the folder.
  // Without `listFolder` the system's listing is used.
  TMakePass(TRunView& view, std::string versionText, unsigned digestThreads = 0,
            TListFolder listFolder = {});

  // One make run over `scanFolder` (UTF-8; ButtonGoClick). Returns the folder as scanned: one
  // trailing backslash dropped; the caller keeps it as its scan folder. Every ending leaves the
  // view idle; a checkfile that cannot be written throws ECheckfileError after that.
  std::string Run(const std::string& scanFolder);

 private:
  // What the walk met, held until everything before it has been shown. The walk runs ahead of
  // the pane (files are digested meanwhile); the steps are shown in walk order, exactly as a walk
  // that digests one file at a time shows them.
  enum class TStepKind : unsigned char {
    Folder,           // "文件夹: " and the folder's path, before what the folder holds
    Unreadable,       // the folder could not be listed, or its listing broke off
    Unrepresentable,  // a name with no UTF-8 form
    TooLong,          // a file whose path below the scanned folder is too long to store
    File,             // a file being digested: its line, then its result
    EntryDone,        // the status after each entry, the messages, and the stop button
  };
  struct TStep {
    TStep(TStepKind stepKind, unsigned stepDepth = 0, std::string stepPath = std::string())
        : kind(stepKind), depth(stepDepth), path(std::move(stepPath)) {}
    TStepKind kind;
    unsigned depth;             // the level that listed the entry; 0 is the scanned folder
    std::string path;           // the entry's full path; the listed folder for EntryDone
    bool isFolder = false;      // Unrepresentable: a folder's name
    std::size_t nameStart = 0;  // File: where the file's name starts in `path`
  };

  // Pushes the steps of every entry below `folder` (no trailing backslash). The walk keeps its
  // own stack of open listings, so any depth the system can hold is walked.
  void ScanFolderRecursive(const std::string& folder);
  // Opens the listing of `walkFolder_` as the walk's next level; false
  // when it has nothing to walk (it could not be listed, holds nothing, or is a folder the walk
  // is already inside, which only a folder reached `throughLink` can be).
  bool EnterFolder(bool throughLink);
  // True when `identity` is that of a level the walk is in.
  bool IsWalkedInto(const platform::FolderIdentity& identity);
  // Ends the deepest level's listing.
  void LeaveFolder(unsigned depth);
  // Pushes the steps of one listed entry; true when it entered the entry as the next level.
  bool WalkEntry(const platform::FolderEntry& entry, unsigned depth);
  bool IsPassedOver(const std::string& folder, const std::string& name) const;
  void QueueFile(std::string path, std::size_t nameStart);
  void Push(TStep step);
  // Shows the oldest step if it is ready, or after waiting for it when `wait`; false when it was
  // not ready.
  bool ShowFront(bool wait);
  void ShowFileResult(const TStep& step);
  // The stop was noticed at a level `depth` down: one line for it and one for each level above.
  void ShowStop(unsigned depth);

  TRunView& view_;
  std::string versionText_;
  unsigned digestThreads_;
  TListFolder listFolder_;

  // One run's state.
  std::string scanFolder_;
  TDigestPipeline* pipeline_ = nullptr;
  std::deque<TStep> steps_;
  TMD5NodeArray nodes_;
  bool fileLineShown_ = false;  // the oldest step is a file whose line is on the pane
  bool stopped_ = false;
  // Files and folders of this run that could not be digested or listed.
  int leftOut_ = 0;
  // The levels the walk is inside, top first: each one's listing, where its folder's path ends in
  // `walkFolder_` (the deepest level's folder), and its identity once asked (unknown when it
  // could not be told). A link or junction leading back to one of them is not followed again.
  struct TWalkLevel {
    std::unique_ptr<platform::TFolderListing> listing;
    std::size_t folderEnd;
    platform::FolderIdentity identity;
    bool identityAsked;
  };
  std::vector<TWalkLevel> walkLevels_;
  std::string walkFolder_;
  // The folder of the deepest level the shown steps are in, and where each level's folder ends
  // in it, top first (the scanned folder).
  std::string shownFolder_;
  std::vector<std::size_t> shownEnds_;
};
