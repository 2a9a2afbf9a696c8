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
#include <vector>

#include "catalogue/check_pass.h"
#include "catalogue/checkfile.h"
#include "catalogue/digest_pipeline.h"
#include "catalogue/run_view.h"

class TUpdatePass {
 public:
  // What an update of a check's checkfile would do.
  struct TPlan {
    std::size_t added = 0;    // new files
    std::size_t removed = 0;  // entries whose file is gone
    std::size_t moved = 0;    // gone entries that follow a new file of their digest
    std::size_t edited = 0;   // changed files that take the new digest
    std::size_t kept = 0;     // changed files that keep the old one: they may be damaged
    // Files behind an entry whose name reads as several files that do not all match: the check
    // verified none of them, so each is read again, as a new file is.
    std::size_t reread = 0;
    // The checkfile is ours and the check saw the whole folder, and there is something to do.
    bool possible = false;
  };
  // From what the check found alone: it asks the file system nothing, and tells no moves (a new
  // file's digest is not known yet).
  static TPlan Plan(const TCheckOutcome& outcome);

  // `view` must outlive the pass; `versionText` goes into the checkfile's first header line.
  // `digestThreads` and `digestFile` as for the check.
  TUpdatePass(TRunView& view, std::string versionText, unsigned digestThreads = 0,
              TDigestFile digestFile = nullptr);

  // Reads what the update of `outcome`'s checkfile (a Plan that was possible) needs, writing into
  // the check's pane: the new files, those the check could not verify as themselves and those
  // changed since. False after a stop (the pane says so; nothing is written). Then Prepared()
  // tells exactly what Write will do, moves included.
  bool Read(const TCheckOutcome& outcome);
  const TPlan& Prepared() const { return prepared_; }
  // Writes the checkfile that Read prepared; `acceptKept`: the files that may be damaged take the
  // digests the check computed. A checkfile that cannot be written, or that is no longer the one
  // the check read, throws ECheckfileError, the checkfile left as it was (a pane line says so).
  // Every ending leaves the view idle.
  void Write(bool acceptKept);
  // The user chose not to write: a pane line says the checkfile was left as it was.
  void LeaveAsItWas();
  // Read, then Write.
  void Run(const TCheckOutcome& outcome, bool acceptKept = false);

 private:
  TRunView& view_;
  std::string versionText_;
  unsigned digestThreads_;
  TDigestFile digestFile_;

  // Between Read and Write.
  const TCheckOutcome* read_ = nullptr;  // the outcome Read was given
  std::vector<std::size_t> fresh_;       // the inventory's items read now, in walk order
  std::vector<std::string> digests_;     // theirs; empty where a file could not be read
  std::vector<bool> moved_;              // by fresh file: a gone entry follows it
  std::vector<bool> gone_;               // by entry
  std::size_t removed_ = 0;
  TPlan prepared_;
  // Fills `nodes` (may be null) with the checkfile's files and `counts` with how each counts.
  void Build(bool acceptKept, TMD5NodeArray* nodes, std::size_t* counts) const;
};
