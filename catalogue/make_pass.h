// The make pass: walks a folder tree, digests every file and writes the tree's checkfile, reporting
// through the window's run view.
#pragma once

#include <string>
#include <vector>

#include "catalogue/checkfile.h"
#include "catalogue/run_view.h"
#include "platform/folder_enumeration.h"

class TMakePass {
 public:
  // `view` must outlive the pass; `versionText` goes into the checkfile's first header line.
  TMakePass(TRunView& view, std::string versionText);

  // One make run over `scanFolder` (ButtonGoClick). Drops one trailing backslash from
  // `scanFolder`, which the caller keeps. Every ending leaves the view idle; a checkfile that
  // cannot be written throws ECheckfileError after that.
  void Run(std::string& scanFolder);

 private:
  // Appends a node per digested file below `folder` (no trailing backslash) to `nodes`.
  void ScanFolderRecursive(const std::string& folder, TMD5NodeArray& nodes);
  void ReturnToIdle();

  TRunView& view_;
  std::string versionText_;
  // Identities of the folders the walk is inside, top first: a link or junction leading back to
  // one of them is not followed again.
  std::vector<platform::FolderIdentity> walkPath_;
};
