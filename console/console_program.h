// The console program apart from the system it runs on: its arguments, the make or check run over
// the console view, the report, and the exit code whose bits tell what the run found.
#pragma once

#include <string>
#include <vector>

#include "catalogue/check_pass.h"
#include "console/console_view.h"

struct TConsoleRequest {
  enum TCommand { Check, Make, Scrub };
  TCommand command = Check;
  std::string path;    // the checkfile, or the folder to make one for
  std::string report;  // empty: none
  bool quiet = false;
  bool background = false;
  // A scrub's limits: the share of the checkfile's bytes, minutes (0: none), and only files last
  // verified more than this many days ago (-1: any).
  double percent = 10;
  long minutes = 0;
  long olderThanDays = -1;
};

// The bits of the exit code, which add up; 0 is every listed file verified and matching, nothing
// new, or a make that stored every file.
enum TExitBit : int {
  kExitDamaged = 1,     // a listed file changed, its last write not newer than the checkfile
  kExitEdited = 2,      // a listed file changed and was written since
  kExitUnverified = 4,  // a listed file or line not verified; a make left files or folders out
  kExitUnlisted = 8,    // files in the folder that the checkfile does not name
  kExitFailed = 16,     // the run could not be done
  kExitStopped = 32,    // stopped before its end
};

// `arguments` after the program's own name. False when they do not fit, with the first one that
// does not in `bad` (empty when one is missing).
bool ParseConsoleArguments(const std::vector<std::string>& arguments, TConsoleRequest& request,
                           std::string& bad);

// A check that lists nothing, or that the run did not call all well, never gives 0.
int CheckExitCode(const TCheckSummary& summary);

// The whole program: `arguments` (UTF-8) begin with the program's own path; its own texts and the
// runs' speak `language`. Returns the exit code.
int RunConsoleProgram(const std::vector<std::string>& arguments, TConsoleSystem& system,
                      const TConsoleStop& stop, texts::TLanguage language);
