// What the program does on its own at start-up and with a path it is handed.
#include "catalogue/start_up.h"

#include <gtest/gtest.h>

#include "catalogue/checkfile.h"
#include "tests/passes/test_tree.h"

namespace {

TEST(StartUp, GivenPathWinsAndOnlyAFileBesideTheProgramIsChecked) {
  testtree::TempFolder tree("start");
  const std::string r = tree.Path();
  testtree::MakeFolder(r + "\\withfile");
  testtree::WriteBytes(r + "\\withfile\\" + CheckfileName, "; a checkfile");
  testtree::MakeFolder(r + "\\withfolder");
  testtree::MakeFolder(r + "\\withfolder\\" + CheckfileName);
  testtree::MakeFolder(r + "\\bk");
  testtree::MakeFolder(r + "\\bk.");  // a twin of "bk" that the system's own rules would drop
  const std::string given = r + "\\given.MD5";
  testtree::WriteBytes(given, "; another");

  struct Case {
    std::string programFolder, argument;
    TStartPlan::TAction action;
    std::string path;
  };
  const Case cases[] = {
      {r + "\\withfile\\", "", TStartPlan::CheckBesideProgram, r + "\\withfile\\" + CheckfileName},
      {r + "\\withfolder\\", "", TStartPlan::Nothing, ""},
      {r + "\\", "", TStartPlan::Nothing, ""},
      {r + "\\withfile\\", given, TStartPlan::CheckGiven, given},
      {r + "\\withfile\\", r + "\\withfolder", TStartPlan::ScanGiven, r + "\\withfolder"},
      {r + "\\", r + "\\missing.MD5", TStartPlan::CheckGiven, r + "\\missing.MD5"},
      {r + "\\", r + "\\bk.", TStartPlan::ScanGiven, r + "\\bk."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.programFolder + " | " + c.argument);
    const TStartPlan plan = PlanStart(c.programFolder, c.argument);
    EXPECT_EQ(plan.Action, c.action);
    EXPECT_EQ(plan.Path, c.path);
  }
}

}  // namespace
