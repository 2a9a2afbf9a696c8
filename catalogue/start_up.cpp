// The start-up decision, apart from the window so that it is tested without one.
#include "catalogue/start_up.h"

#include "catalogue/checkfile.h"
#include "platform/path.h"

TStartPlan PlanOpen(const std::string& path) {
  const std::string absolute = platform::AbsolutePath(path);
  const bool folder = platform::GetPathKind(absolute) == platform::TPathKind::Folder;
  return {folder ? TStartPlan::ScanGiven : TStartPlan::CheckGiven, absolute};
}

TStartPlan PlanStart(const std::string& programFolder, const std::string& argument) {
  if (!argument.empty()) return PlanOpen(argument);
  const std::string beside = programFolder + CheckfileName;
  if (platform::GetPathKind(beside) == platform::TPathKind::File)
    return {TStartPlan::CheckBesideProgram, beside};
  return {};
}
