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

  // One make run over `scanFolder` (ButtonGoClick). Returns the folder as scanned: one trailing
  // backslash dropped, never half of a double-byte character; the caller keeps it as its scan
  // folder. Every ending leaves the view idle; a checkfile that cannot be written throws
  // ECheckfileError after that.
  std::string Run(const std::string& scanFolder);

 private:
  // Appends a node per digested file below `folder` (no trailing backslash) to `nodes`.
  void ScanFolderRecursive(const std::string& folder, TMD5NodeArray& nodes);
  // Digests one listed file into a new node, or writes why it could not; a stop inside the file
  // leaves neither node nor line.
  void DigestFile(const std::string& folder, const std::string& name, TMD5NodeArray& nodes);
  bool IsPassedOver(const std::string& folder, const std::string& name) const;

  TRunView& view_;
  std::string versionText_;
  std::string scanFolder_;
  // Files and folders of this run that could not be digested or listed.
  int leftOut_ = 0;
  // Identities of the folders the walk is inside, top first: a link or junction leading back to
  // one of them is not followed again.
  std::vector<platform::FolderIdentity> walkPath_;
};
