// The check pass: re-digests every file a checkfile lists and reports matches, mismatches and
// failures through the window's run view.
#pragma once

#include <string>

#include "catalogue/run_view.h"

// Where the run's checkfile came from: the one beside the program is announced by a line of its
// own; one chosen in the open dialog, given on the command line or dropped on the window is not.
enum class TCheckOrigin { Chosen, BesideProgram };

class TCheckPass {
 public:
  // `view` must outlive the pass.
  explicit TCheckPass(TRunView& view);

  // The check run over `checkfilePath`: clears the pane and checks. Every ending leaves the view
  // idle; a checkfile that cannot be loaded throws ECheckfileError after that.
  void Run(const std::string& checkfilePath, TCheckOrigin origin);

 private:
  TRunView& view_;
};
