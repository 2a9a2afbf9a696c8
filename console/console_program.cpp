// The console program's arguments, runs, report and exit code; see console_program.h.
#include "console/console_program.h"

#include <cstdlib>
#include <new>
#include <stdexcept>

#include "catalogue/checkfile.h"
#include "catalogue/date_time_text.h"
#include "catalogue/make_pass.h"
#include "catalogue/scrub_pass.h"
#include "platform/path.h"
#include "platform/system_error.h"
#include "widgets/report_file.h"
#include "widgets/version_info.h"

namespace {

using texts::TText;

// A text of the console program in UTF-8, its line ends CR LF, with its "%1" filled by `argument`.
std::string Say(texts::TLanguage language, TText name, std::string_view argument = {}) {
  const std::string text =
      ViewTextUtf8(TFilledText(texts::Text(language, name), {Utf8Text(argument)}));
  std::string lines;
  for (const char c : text) lines += c == '\n' ? std::string("\r\n") : std::string(1, c);
  return lines;
}

// The run asked for; its errors go to standard error.
int RunRequest(const TConsoleRequest& request, TConsoleView& view) {
  try {
    const std::string path = platform::AbsolutePath(request.path);
    if (request.command == TConsoleRequest::Make) {
      const widgets::TVersionInfo version;
      TMakePass pass(view, version.VersionString(widgets::TVersionInfo::kFileVersion));
      pass.Run(path);
      if (pass.Written()) return pass.LeftOut() > 0 ? kExitUnverified : 0;
      return view.AbortRequested() ? kExitStopped : kExitFailed;
    }
    if (request.command == TConsoleRequest::Scrub) {
      TScrubRequest scrub;
      scrub.limits.percent = request.percent;
      scrub.limits.olderThanDays = request.olderThanDays;
      scrub.minutes = request.minutes;
      scrub.stateFolder = ScrubStateFolder();
      TScrubPass pass(view);
      pass.Run(path, scrub);
      int code = CheckExitCode(pass.Summary());
      // Nothing due tonight is no failure; a state that cannot be kept is.
      if (pass.PlannedNothing() && pass.Summary().entries > 0) code &= ~kExitFailed;
      return pass.StateSaved() ? code : code | kExitFailed;
    }
    TCheckPass pass(view);
    pass.Run(path, TCheckOrigin::Chosen);
    return CheckExitCode(pass.Summary());
  } catch (const ECheckfileError& error) {
    view.WriteError(ViewTextUtf8(error.Text()));
  } catch (const std::bad_alloc&) {
    view.WriteError(Say(view.Language(), TText::OutOfMemoryBox));
  } catch (const std::length_error&) {
    // A string or list asked to grow past what this build can address: memory ran out too.
    view.WriteError(Say(view.Language(), TText::OutOfMemoryBox));
  } catch (const std::exception& error) {
    // The errors' texts are English, with paths and system texts in the code page.
    view.WriteError(ViewTextUtf8({SystemText(error.what())}));
  }
  return kExitFailed;
}

// The printed lines saved as the window saves a pane; false after saying why.
bool SaveReport(TConsoleView& view, const std::string& path) {
  unsigned long error = 0;
  if (widgets::SaveReport(view.Lines(), path, error)) return true;
  if (error == widgets::kReadOnlyReport) {
    view.WriteError(Say(view.Language(), TText::ReadOnlyReportBox) +
                    ViewTextUtf8({Utf8Text(path)}));
    return false;
  }
  view.WriteError(
      Say(view.Language(), TText::SaveFailedBox) +
      ViewTextUtf8({Utf8Text(path), ProgramText("\r\n"), SystemText(platform::ErrorText(error))}));
  return false;
}

}  // namespace

bool ParseConsoleArguments(const std::vector<std::string>& arguments, TConsoleRequest& request,
                           std::string& bad) {
  request = TConsoleRequest();
  bad.clear();
  if (arguments.empty()) return false;
  if (arguments[0] == "make") {
    request.command = TConsoleRequest::Make;
  } else if (arguments[0] == "scrub") {
    request.command = TConsoleRequest::Scrub;
  } else if (arguments[0] != "check") {
    bad = arguments[0];
    return false;
  }
  bool pathGiven = false;
  for (std::size_t i = 1; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (argument == "--quiet") {
      request.quiet = true;
    } else if (argument == "--background") {
      request.background = true;
    } else if (argument == "--report") {
      if (i + 1 == arguments.size() || arguments[i + 1].empty()) return false;
      request.report = arguments[++i];
    } else if (request.command == TConsoleRequest::Scrub &&
               (argument == "--percent" || argument == "--for" || argument == "--older-than")) {
      // A number follows: a share above 0 and at most 100, whole minutes above 0, whole days.
      if (i + 1 == arguments.size()) return false;
      const std::string& number = arguments[++i];
      char* end = nullptr;
      const double value = std::strtod(number.c_str(), &end);
      const bool whole = value == static_cast<double>(static_cast<long>(value));
      const bool fits = argument == "--percent" ? value > 0 && value <= 100
                        : argument == "--for"   ? whole && value > 0 && value <= 1e6
                                                : whole && value >= 0 && value <= 1e6;
      if (number.empty() || *end != '\0' || !fits) {
        bad = number;
        return false;
      }
      if (argument == "--percent") request.percent = value;
      if (argument == "--for") request.minutes = static_cast<long>(value);
      if (argument == "--older-than") request.olderThanDays = static_cast<long>(value);
    } else if (argument.empty() || argument.rfind("--", 0) == 0 || pathGiven) {
      bad = argument;
      return false;
    } else {
      request.path = argument;
      pathGiven = true;
    }
  }
  return pathGiven;
}

int CheckExitCode(const TCheckSummary& summary) {
  int code = 0;
  // A change whose times are unknown cannot be told to be an edit.
  if (summary.damaged + summary.changedUntimed > 0) code |= kExitDamaged;
  if (summary.edited > 0) code |= kExitEdited;
  if (summary.notCompared > 0 || summary.damagedLines > 0 || summary.folderUnlisted)
    code |= kExitUnverified;
  if (summary.newFiles > 0) code |= kExitUnlisted;
  if (summary.entries == 0) code |= kExitFailed;
  if (summary.stopped) code |= kExitStopped;
  return code == 0 && !summary.allWell ? kExitFailed : code;
}

int RunConsoleProgram(const std::vector<std::string>& arguments, TConsoleSystem& system,
                      const TConsoleStop& stop, texts::TLanguage language) {
  TConsoleRequest request;
  std::string bad;
  if (arguments.empty() ||
      !ParseConsoleArguments({arguments.begin() + 1, arguments.end()}, request, bad)) {
    const std::string& path = arguments.empty() ? std::string() : arguments[0];
    const std::string program = path.substr(path.find_last_of("\\/:") + 1);
    system.WriteError((bad.empty() ? Say(language, TText::ConsoleMissingArgument)
                                   : Say(language, TText::ConsoleBadArgument, bad)) +
                      "\r\n" + Say(language, TText::ConsoleUsage, program) + "\r\n");
    return kExitFailed;
  }
  TConsoleView view(system, stop, request.quiet);
  view.SetLanguage(language);
  std::string why;
  if (request.background && !system.EnterBackgroundMode(why))
    view.WriteError(Say(language, TText::ConsoleBackgroundFailed) +
                    ViewTextUtf8({SystemText(why)}));
  LoadDateTimeSettings();
  int code = RunRequest(request, view);
  view.Finish();
  // Written at every ending of a run, so that a report never tells of an older run.
  if (!request.report.empty() && !SaveReport(view, platform::AbsolutePath(request.report)))
    code |= kExitFailed;
  return code;
}
