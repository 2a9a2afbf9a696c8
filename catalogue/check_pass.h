// The check pass: re-digests every file a checkfile lists and reports matches, mismatches and
// failures through the window's run view.
#pragma once

#include <string>

#include "catalogue/run_view.h"

class TCheckPass {
 public:
  // `view` must outlive the pass.
  explicit TCheckPass(TRunView& view);

  // The check run over the chosen checkfile: the window has already cleared the pane and written
  // the automatic-check line where there is one. Every ending leaves the view idle; a checkfile
  // that cannot be loaded throws ECheckfileError after that.
  void Run(const std::string& checkfilePath);

 private:
  TRunView& view_;
};
