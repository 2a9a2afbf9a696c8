// What the program does on its own when it starts or is handed a path: check the checkfile beside
// the program, check a given checkfile, or take a given folder as the folder to scan.
#pragma once

#include <string>

struct TStartPlan {
  enum TAction {
    Nothing,             // the make page, nothing starts
    CheckBesideProgram,  // the check page, the checkfile beside the program is checked once
    CheckGiven,          // the check page, `Path` is checked once as if chosen in the open dialog
    ScanGiven,           // the make page with `Path` as the folder to scan; nothing starts
  };
  TAction Action = Nothing;
  std::string Path;  // the checkfile to check or the folder to scan
};

// For a path handed to the running program (command line, a drop): a folder becomes the folder to
// scan; anything else, a missing path included, is checked, so that a path that cannot be opened
// gives the same error as one typed into the open dialog. Relative paths are made absolute.
TStartPlan PlanOpen(const std::string& path);

// At start-up: `programFolder` ends with its delimiter; `argument` is the first command-line
// argument, empty when there is none. A given path wins over the checkfile beside the program;
// a folder of the checkfile's name beside the program does not count.
TStartPlan PlanStart(const std::string& programFolder, const std::string& argument);
