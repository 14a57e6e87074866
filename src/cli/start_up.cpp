#include "cli/start_up.hpp"

#include "command_line.hpp"
#include "job/run_merge_job.hpp"
#include "state/profile_store.hpp"
#include "state/settings_store.hpp"
#include "texts/catalogue.hpp"

namespace palvarin {
namespace {

// The problem in one line, the way GNU programs word it.
std::string DescribeProblem(const UsageProblem& problem) {
  switch (problem.kind) {
    case UsageProblem::Kind::UnknownSwitch:
      return Format(Tr("unknown option '{0}'"), {problem.argument});
    case UsageProblem::Kind::MissingValue:
      return Format(Tr("option '{0}' needs a value"), {problem.argument});
    case UsageProblem::Kind::UnexpectedValue:
      return Format(Tr("option '{0}' takes no value"), {problem.argument});
    case UsageProblem::Kind::UnexpectedArgument:
      return Format(Tr("unexpected argument '{0}'"), {problem.argument});
    case UsageProblem::Kind::MissingPaths:
      return std::string(
          Tr("a run without a window needs --first and --second, and "
             "--output with --separate-output"));
  }
  return {};
}

}  // namespace

int StartUp(const std::vector<std::string>& arguments, ProfileStore& profile,
            TerminalFrontEnd& terminal, FrontEnd* windows) {
  MergeSettings settings;
  LoadSettings(profile, settings);
  CommandLine line = ParseCommandLine(arguments, settings);
  // Long switches are the terminal's way: their answers never open a window.
  const bool terminalOnly = line.headless || windows == nullptr ||
                            (line.longForms && (line.error || line.helpOnTerminal || line.version));
  FrontEnd& user = terminalOnly ? terminal : *windows;
  if (const Result problem = profile.TakeProblem(); !problem) {
    user.ShowWarning(problem.description);
  }
  if (arguments.empty()) return user.RunDialog(settings, profile);

  if (line.headless && !HasRequiredPaths(settings)) {
    line.error = true;
    if (!line.problem) line.problem = UsageProblem{UsageProblem::Kind::MissingPaths, {}};
  }
  if (line.error && line.longForms) {
    terminal.ShowUsageError(DescribeProblem(*line.problem));
    return kExitRefused;
  }
  if (line.error) {
    user.ShowMessage(kMessageBadArguments);
    user.ShowHelp(HelpReason::AfterBadArguments);
    return kExitRefused;
  }
  if (line.version) {
    terminal.ShowVersion();
    return kExitDone;
  }
  if (line.help) {
    user.ShowHelp(HelpReason::Asked);
    return kExitDone;
  }
  if (!line.headless) return user.RunDialog(settings, profile);

  // A headless job always reports to the terminal.
  const JobResult result = RunMergeJob(settings, profile, terminal);
  if (result.refusal) {
    user.ShowMessage(*result.refusal);
    return kExitRefused;
  }
  user.ShowJobReport(result.report);
  return result.report.AnyFailed() ? kExitPairFailed : kExitDone;
}

}  // namespace palvarin
