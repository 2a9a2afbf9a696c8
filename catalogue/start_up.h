// What the program does on its own when it starts or is handed a path: check the checkfile beside
// the program, check a given checkfile, or take a given folder as the folder to scan; and how a
// command line is split into paths.
#pragma once

#include <string>
#include <vector>

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

// One argument of a command line from `rest` on, which is left behind it. Paths are read by their
// own quoting rule: quotes group blanks and are dropped, and a backslash never escapes one, since
// no path holds a quote; so "D:\照片 2026\" (a shortcut's folder) names D:\照片 2026\ instead of
// a name that ends in a quote.
template <typename TChar>
std::basic_string<TChar> NextPathArgument(const TChar*& rest) {
  while (*rest == ' ' || *rest == '\t') ++rest;
  std::basic_string<TChar> argument;
  bool quoted = false;
  for (; *rest != 0 && (quoted || (*rest != ' ' && *rest != '\t')); ++rest) {
    if (*rest == '"') {
      quoted = !quoted;
    } else {
      argument += *rest;
    }
  }
  return argument;
}

// Every argument of `commandLine` by that rule, the program's own path first.
template <typename TChar>
std::vector<std::basic_string<TChar>> PathArguments(const TChar* commandLine) {
  std::vector<std::basic_string<TChar>> arguments;
  for (;;) {
    while (*commandLine == ' ' || *commandLine == '\t') ++commandLine;
    if (*commandLine == 0) return arguments;
    arguments.push_back(NextPathArgument(commandLine));
  }
}
