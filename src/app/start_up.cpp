#include "app/start_up.hpp"

#include <filesystem>
#include <system_error>

#include "app/command_line.hpp"
#include "app/job_settings.hpp"
#include "find/find_history_folders.hpp"
#include "find/folder_account.hpp"
#include "job/run_export_job.hpp"
#include "job/run_gather_job.hpp"
#include "job/run_merge_job.hpp"
#include "search/run_search.hpp"
#include "search/search_query.hpp"
#include "signal_stop.hpp"
#include "state/profile_store.hpp"
#include "state/settings_store.hpp"
#include "texts/catalogue.hpp"
#include "texts/cause_text.hpp"
#include "texts/export_text.hpp"
#include "texts/find_text.hpp"

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
    case UsageProblem::Kind::NeedsNoWindow:
      return Format(Tr("option '{0}' needs --no-window"), {problem.argument});
    case UsageProblem::Kind::BadFormat:
      return Format(Tr("option '{0}' takes html, text or jsonl, not '{1}'"),
                    {problem.argument, problem.value});
    case UsageProblem::Kind::MissingExportPaths:
      return std::string(Tr("--export needs --first and --output"));
    case UsageProblem::Kind::BadNumber:
      return Format(Tr("option '{0}' takes a whole number from 0 to 100, not '{1}'"),
                    {problem.argument, problem.value});
    case UsageProblem::Kind::EmptySearch:
      return std::string(Tr("option '--search' needs a word to search for"));
    case UsageProblem::Kind::SearchWithoutPath:
      return std::string(Tr("a search needs --first with a history file or a folder of them"));
    case UsageProblem::Kind::NotWithSearch:
      return Format(Tr("option '{0}' cannot be used with --search"), {problem.argument});
    case UsageProblem::Kind::MissingGatherPaths:
      return std::string(Tr("--gather needs --input twice or more and --output"));
    case UsageProblem::Kind::InputWithoutGather:
      return std::string(Tr("option '--input' needs --gather"));
    case UsageProblem::Kind::NeedsGather:
      return Format(Tr("option '{0}' needs --gather"), {problem.argument});
    case UsageProblem::Kind::NotWithRead:
      return Format(Tr("option '{0}' cannot be used with --read"), {problem.argument});
    case UsageProblem::Kind::NotWithFind:
      return Format(Tr("option '{0}' cannot be used with --find"), {problem.argument});
    case UsageProblem::Kind::NeedsFind:
      return Format(Tr("option '{0}' needs --find"), {problem.argument});
  }
  return {};
}

// The exit status of a headless job that ran: 1 when something failed, also the report
// file, which `write` writes when one was asked for; 128 + the signal when one stopped it.
template <typename Report, typename Write>
int FinishHeadless(const Report& report, const CommandLine& line, const SignalStop& signals,
                   FrontEnd& user, Write write) {
  int status = report.AnyFailed() ? kExitPairFailed : kExitDone;
  if (!line.reportFile.empty()) {
    if (const Result<> written = write(report, line.reportFile); !written) {
      user.ShowWarning(Format(Tr("the report could not be written to {0}: {1}"),
                              {line.reportFile, Word(written.reason())}));
      status = kExitPairFailed;
    }
  }
  return signals.Caught() != 0 ? 128 + signals.Caught() : status;
}

// A job without a window: progress on a terminal unless quiet, stopped by SIGINT or SIGTERM
// after the item at hand. `run` runs it with the stop flag; `show` tells its report and
// `write` writes it as JSON.
template <typename Run, typename Show, typename Write>
int RunWithoutWindow(const CommandLine& line, TerminalFace& terminal, FrontEnd& user, Run run,
                     Show show, Write write) {
  terminal.SetQuiet(line.quiet);
  terminal.ShowProgressOnTerminal();
  StopFlag stop;
  const SignalStop signals(stop);
  const auto result = run(&stop);
  if (result.refusal) {
    user.ShowRefusal(*result.refusal);
    return kExitRefused;
  }
  show(result.report);
  return FinishHeadless(result.report, line, signals, user, write);
}

// The headless merge job.
int RunHeadless(const MergeSettings& settings, const CommandLine& line, ProfileStore& profile,
                TerminalFace& terminal, FrontEnd& user) {
  return RunWithoutWindow(
      line, terminal, user,
      [&](const StopFlag* stop) {
        JobResult result = RunMergeJob({.options = JobOptionsOf(settings),
                                        .dryRun = line.dryRun,
                                        .stop = stop,
                                        .mergeUnchanged = line.mergeUnchanged,
                                        .rescue = line.rescue},
                                       profile, terminal);
        // The front end stores the settings it ran with, as the dialog does.
        SaveSettingsOfRun(settings, result, profile);
        return result;
      },
      [&user](const JobReport& report) { user.ShowJobReport(report); },
      [&terminal](const JobReport& report, const std::string& file) {
        return terminal.WriteJsonReport(report, file);
      });
}

// An export of the histories the command line names.
int RunExport(const MergeSettings& given, const CommandLine& line, TerminalFace& terminal) {
  return RunWithoutWindow(
      line, terminal, terminal,
      [&](const StopFlag* stop) {
        return RunExportJob({.format = *line.exportFormat,
                             .inputs = {given.Path1},
                             .outputFolder = given.PathSave,
                             .words = ExportWordsInUse(),
                             .stop = stop},
                            terminal);
      },
      [&terminal](const ExportReport& report) { terminal.ShowExportReport(report); },
      [&terminal](const ExportReport& report, const std::string& file) {
        return terminal.WriteExportJsonReport(report, file);
      });
}

// A gather of the copies the command line names into its output.
int RunGather(const MergeSettings& given, const CommandLine& line, TerminalFace& terminal) {
  // One user's histories at a time: two accounts' copies of one contact would come out as
  // one conversation of one person.
  if (!line.anyAccount) {
    if (const std::vector<FolderAccount> mixed = MixedAccounts(line.inputs); !mixed.empty()) {
      terminal.ShowUsageError(MixedAccountsText(mixed));
      return kExitRefused;
    }
  }
  return RunWithoutWindow(
      line, terminal, terminal,
      [&](const StopFlag* stop) {
        return RunGatherJob({.inputs = line.inputs,
                             .output = given.PathSave,
                             .dryRun = line.dryRun,
                             .findEchoes = given.FindEchoes,
                             .stop = stop},
                            terminal);
      },
      [&terminal](const JobReport& report) { terminal.ShowJobReport(report); },
      [&terminal](const JobReport& report, const std::string& file) {
        return terminal.WriteJsonReport(report, file);
      });
}

// Exit status as grep gives it: 0 something matched, 1 nothing did, 2 nothing was searched.
int RunSearchCommand(const std::string& query, const MergeSettings& settings,
                     TerminalFace& terminal) {
  const SearchReport report = RunSearch(settings.Path1, QueryWords(query));
  terminal.ShowSearchReport(report);
  if (!report.refused) return kExitRefused;
  return report.hits.empty() ? kExitNothingFound : kExitDone;
}

// Hands a walk's progress to the terminal, and stops it on SIGINT or SIGTERM.
class FindRelay : public FindObserver {
 public:
  FindRelay(TerminalFace& terminal, const StopFlag& stop) : terminal_(terminal), stop_(stop) {}
  void FolderEntered(const FindProgress& progress) override { terminal_.FolderEntered(progress); }
  bool ShouldStop() override { return stop_.Raised(); }

 private:
  TerminalFace& terminal_;
  const StopFlag& stop_;
};

// Exit status as a search's: 0 a folder of histories was found, 1 none was, 2 the root cannot
// be walked or the report cannot be written; 128 + the signal that stopped the walk.
int RunFindCommand(const CommandLine& line, TerminalFace& terminal) {
  terminal.SetQuiet(line.quiet);
  terminal.ShowProgressOnTerminal();
  StopFlag stop;
  const SignalStop signals(stop);
  FindRelay relay(terminal, stop);
  const Result<FindReport> report =
      FindHistoryFolders(*line.find, {.crossDevices = line.crossDevices}, &relay);
  if (!report) {
    terminal.ShowWarning(Word(report.reason()));
    return kExitRefused;
  }
  terminal.ShowFindReport(*report);
  int status = report->folders.empty() ? kExitNothingFound : kExitDone;
  if (!line.reportFile.empty()) {
    if (const Result<> written = terminal.WriteFindJsonReport(*report, line.reportFile); !written) {
      terminal.ShowWarning(Format(Tr("the report could not be written to {0}: {1}"),
                                  {line.reportFile, Word(written.reason())}));
      status = kExitRefused;
    }
  }
  return signals.Caught() != 0 ? 128 + signals.Caught() : status;
}

}  // namespace

ProfileAccess ProfileAccessFor(const std::vector<std::string>& arguments,
                               const std::filesystem::path& profileFile) {
  if (arguments.empty()) return ProfileAccess::ReadWrite;
  // The defaults are what a profile that does not exist yet holds; an existing one is never
  // created, whatever it holds.
  MergeSettings scratch;
  CommandLine line = ParseCommandLine(arguments, scratch);
  std::error_code error;
  if (!std::filesystem::exists(profileFile, error)) CheckRunShape(line, scratch);
  // A search, an export and the reader read histories only: they keep no settings.
  const bool writes = !line.Refused() && !line.help && !line.version && !line.dryRun &&
                      !line.search && !line.exportFormat && !line.read && !line.find &&
                      !line.gather;
  return writes ? ProfileAccess::ReadWrite : ProfileAccess::ReadOnly;
}

int StartUp(const std::vector<std::string>& arguments, ProfileStore& profile,
            TerminalFace& terminal, FrontEnd* windows) {
  MergeSettings settings;
  LoadSettings(profile, settings);
  CommandLine line = ParseCommandLine(arguments, settings);
  // Long switches are the terminal's way: their answers never open a window.
  const bool terminalOnly =
      line.headless || line.search || line.find || windows == nullptr ||
      (line.longForms && (line.Refused() || line.helpOnTerminal || line.version));
  FrontEnd& user = terminalOnly ? terminal : *windows;
  if (const Result<> problem = profile.TakeProblem(); !problem) {
    user.ShowWarning(Word(problem.reason()));
  }
  if (arguments.empty()) return user.RunDialog(settings, profile);

  // An export and a gather take their paths from the command line alone, never from the
  // profile.
  MergeSettings given;
  ParseCommandLine(arguments, given);
  CheckRunShape(line, line.exportFormat || line.gather ? given : settings);
  if (line.Refused() && line.longForms) {
    terminal.ShowUsageError(DescribeProblem(*line.problem));
    return kExitRefused;
  }
  if (line.Refused()) {
    // The message alone does not say which switch or argument was not understood.
    user.ShowMessage(kMessageBadArguments);
    user.ShowWarning(DescribeProblem(*line.problem));
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
  if (line.find) return RunFindCommand(line, terminal);
  if (line.read) return user.ShowReader(*line.read);
  if (line.search) return RunSearchCommand(*line.search, settings, terminal);
  if (!line.headless) return user.RunDialog(settings, profile);
  if (line.exportFormat) return RunExport(given, line, terminal);
  if (line.gather) return RunGather(given, line, terminal);

  // A headless job always reports to the terminal.
  return RunHeadless(settings, line, profile, terminal, user);
}

}  // namespace palvarin
