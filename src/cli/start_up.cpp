#include "cli/start_up.hpp"

#include "command_line.hpp"
#include "job/run_merge_job.hpp"
#include "state/profile_store.hpp"
#include "state/settings_store.hpp"

namespace palvarin {

int StartUp(const std::vector<std::string>& arguments, ProfileStore& profile,
            TerminalFrontEnd& terminal, FrontEnd* windows) {
  MergeSettings settings;
  LoadSettings(profile, settings);
  CommandLine line = ParseCommandLine(arguments, settings);
  // "--version" answers on the terminal, never in a window, even where there is a display.
  FrontEnd& user = line.headless || line.version || windows == nullptr ? terminal : *windows;
  if (const Result problem = profile.TakeProblem(); !problem) {
    user.ShowWarning(problem.description);
  }
  if (arguments.empty()) return user.RunDialog(settings, profile);

  if (line.headless && !HasRequiredPaths(settings)) line.error = true;
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
