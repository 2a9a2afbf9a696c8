// The update of a checkfile after a check: the new files are digested, the entries of files that
// are gone are dropped (or follow the file where it moved), edited files take the digest the check
// computed, and files that may be damaged keep their old one unless the user accepts them, so
// that the next check finds them again. A file is written with no digest the check did not find
// for that very file: one changed since the check is read again. The checkfile is then written
// as a make run of the folder would write it now, and only where it is still the one the check
// read.
#pragma once

#include <cstddef>
#include <string>

#include "catalogue/check_pass.h"
#include "catalogue/digest_pipeline.h"
#include "catalogue/run_view.h"

class TUpdatePass {
 public:
  // What an update of a check's checkfile would do.
  struct TPlan {
    std::size_t added = 0;    // new files
    std::size_t removed = 0;  // entries whose file is gone
    std::size_t edited = 0;   // changed files that take the new digest
    std::size_t kept = 0;     // changed files that keep the old one: they may be damaged
    // Files behind an entry whose name reads as several files that do not all match: the check
    // verified none of them, so each is read again, as a new file is.
    std::size_t reread = 0;
    // The checkfile is ours and the check saw the whole folder, and there is something to do.
    bool possible = false;
  };
  // From what the check found alone: it asks the file system nothing.
  static TPlan Plan(const TCheckOutcome& outcome);

  // `view` must outlive the pass; `versionText` goes into the checkfile's first header line.
  // `digestThreads` and `digestFile` as for the check.
  TUpdatePass(TRunView& view, std::string versionText, unsigned digestThreads = 0,
              TDigestFile digestFile = nullptr);

  // Updates the checkfile of `outcome` (a Plan that was possible), writing into the check's pane;
  // `acceptKept`: the files that may be damaged take the digests the check computed. A stop
  // writes nothing; a checkfile that cannot be written, or that is no longer the one the check
  // read, throws ECheckfileError, the checkfile left as it was. Every ending leaves the view idle.
  void Run(const TCheckOutcome& outcome, bool acceptKept = false);

 private:
  TRunView& view_;
  std::string versionText_;
  unsigned digestThreads_;
  TDigestFile digestFile_;
};
