#include "cli/start_up.hpp"

#include <sys/ioctl.h>
#include <unistd.h>

#include "command_line.hpp"
#include "json_report.hpp"
#include "printable_text.hpp"
#include "signal_stop.hpp"
#include "job/run_merge_job.hpp"
#include "state/profile_store.hpp"
#include "state/settings_store.hpp"

namespace palvarin {
namespace {

// The width of the terminal on standard error; 0 when standard error is no terminal.
int TerminalColumns() {
  if (::isatty(STDERR_FILENO) != 1) return 0;
  winsize size{};
  if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
  return 80;
}

// The headless job, stopped by SIGINT or SIGTERM after the pairs at hand. Returns the exit
// status: 128 + the signal when one stopped it.
int RunHeadless(const MergeSettings& settings, const CommandLine& line, ProfileStore& profile,
                TerminalFrontEnd& terminal, FrontEnd& user) {
  terminal.SetQuiet(line.quiet);
  terminal.ShowProgress(TerminalColumns());
  StopFlag stop;
  const SignalStop signals(stop);
  const JobResult result = RunMergeJob(settings, profile, terminal, {line.dryRun, &stop});
  if (result.refusal) {
    user.ShowMessage(*result.refusal);
    return kExitRefused;
  }
  user.ShowJobReport(result.report);
  int status = result.report.AnyFailed() ? kExitPairFailed : kExitDone;
  if (!line.reportFile.empty()) {
    std::string error;
    if (!WriteJobReportJson(result.report, line.reportFile, error)) {
      user.ShowWarning("the report could not be written to " + line.reportFile + ": " + error);
      status = kExitPairFailed;
    }
  }
  return signals.Caught() != 0 ? 128 + signals.Caught() : status;
}

}  // namespace

ProfileAccess ProfileAccessFor(const std::vector<std::string>& arguments) {
  MergeSettings scratch;
  return ParseCommandLine(arguments, scratch).dryRun ? ProfileAccess::ReadOnly
                                                     : ProfileAccess::ReadWrite;
}

int StartUp(const std::vector<std::string>& arguments, ProfileStore& profile,
            TerminalFrontEnd& terminal, FrontEnd* windows) {
  MergeSettings settings;
  LoadSettings(profile, settings);
  CommandLine line = ParseCommandLine(arguments, settings);
  FrontEnd& user = line.headless || windows == nullptr ? terminal : *windows;
  if (const std::string warning = profile.TakeWarning(); !warning.empty()) {
    user.ShowWarning(warning);
  }
  if (arguments.empty()) return user.RunDialog(settings, profile);

  if (line.headless && !HasRequiredPaths(settings)) line.error = true;
  // These shape a headless job and its report; the dialog has no use for them.
  if (!line.headless && (line.dryRun || line.quiet || !line.reportFile.empty())) line.error = true;
  if (line.error) {
    user.ShowMessage(kMessageBadArguments);
    user.ShowHelp(HelpReason::AfterBadArguments);
    return kExitRefused;
  }
  if (line.help) {
    user.ShowHelp(HelpReason::Asked);
    return kExitDone;
  }
  if (!line.headless) return user.RunDialog(settings, profile);

  // A headless job always reports to the terminal.
  return RunHeadless(settings, line, profile, terminal, user);
}

}  // namespace palvarin
