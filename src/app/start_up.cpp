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

// The exit status `status` of a run without a window, or `unwritten` when the report file it
// was asked for cannot be written; 128 + the signal when one stopped the run.
template <typename Report>
int Finish(const Report& report, int status, int unwritten, const ReportSwitches& switches,
           const SignalStop& signals, TerminalFace& terminal) {
  if (!switches.file.empty()) {
    if (const Result<> written = terminal.WriteJsonReport(report, switches.file); !written) {
      terminal.ShowWarning(Format(Tr("the report could not be written to {0}: {1}"),
                                  {switches.file, Word(written.reason())}));
      status = unwritten;
    }
  }
  return signals.Caught() != 0 ? 128 + signals.Caught() : status;
}

// A job without a window: progress on a terminal unless quiet, stopped by SIGINT or SIGTERM
// after the item at hand. `run` runs it with the stop flag; its report is shown, and written
// as JSON when asked for. The status says whether something failed.
template <typename Run>
int RunWithoutWindow(const ReportSwitches& switches, TerminalFace& terminal, Run run) {
  terminal.SetQuiet(switches.quiet);
  terminal.ShowProgressOnTerminal();
  StopFlag stop;
  const SignalStop signals(stop);
  const auto result = run(&stop);
  if (result.refusal) {
    terminal.ShowRefusal(*result.refusal);
    return kExitRefused;
  }
  terminal.ShowReport(result.report);
  const int status = result.report.AnyFailed() ? kExitFellShort : kExitDone;
  return Finish(result.report, status, kExitFellShort, switches, signals, terminal);
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

// The one thing a start does, each command answered by the face that can. `user` is the
// terminal or the windows, as the command and the display decide.
class Work {
 public:
  Work(const MergeSettings& settings, ProfileStore& profile, TerminalFace& terminal,
       WindowFace* windows, FrontEnd& user, bool longForms)
      : settings_(settings),
        profile_(profile),
        terminal_(terminal),
        windows_(windows),
        user_(user),
        longForms_(longForms) {}

  int operator()(const UsageError& error) const {
    if (longForms_) {
      terminal_.ShowUsageError(DescribeProblem(error.problem));
      return kExitRefused;
    }
    // The message alone does not say which switch or argument was not understood.
    user_.ShowMessage(kMessageBadArguments);
    user_.ShowWarning(DescribeProblem(error.problem));
    user_.ShowHelp(HelpReason::AfterBadArguments);
    return kExitRefused;
  }

  int operator()(const VersionCommand&) const {
    terminal_.ShowVersion();
    return kExitDone;
  }

  int operator()(const HelpCommand&) const {
    user_.ShowHelp(HelpReason::Asked);
    return kExitDone;
  }

  int operator()(const DialogCommand&) const {
    if (windows_ != nullptr) return windows_->RunDialog(settings_, profile_);
    terminal_.ShowWarning(
        std::string(Tr("the dialog cannot be shown here (no display, or built without the GUI); "
                       "run without a window with /n")));
    terminal_.ShowHelp(HelpReason::AfterBadArguments);
    return kExitRefused;
  }

  int operator()(const ReadCommand& read) const {
    if (windows_ != nullptr) return windows_->ShowReader(read.path);
    terminal_.ShowWarning(std::string(
        Tr("the reader window cannot be shown here (no display, or built without the GUI)")));
    return kExitRefused;
  }

  // Exit status as grep gives it: 0 something matched, 1 nothing did, 2 nothing was searched.
  int operator()(const SearchCommand& search) const {
    const SearchReport report = RunSearch(search.path, QueryWords(search.query));
    terminal_.ShowReport(report);
    if (!report.searched) return kExitRefused;
    return report.hits.empty() ? kExitFellShort : kExitDone;
  }

  // Exit status as a search's: 0 a folder of histories was found, 1 none was, 2 the root
  // cannot be walked or the report cannot be written; 128 + the signal that stopped the walk.
  int operator()(const FindCommand& find) const {
    terminal_.SetQuiet(find.report.quiet);
    terminal_.ShowProgressOnTerminal();
    StopFlag stop;
    const SignalStop signals(stop);
    FindRelay relay(terminal_, stop);
    const Result<FindReport> report =
        FindHistoryFolders(find.root, {.crossDevices = find.crossDevices}, &relay);
    if (!report) {
      terminal_.ShowWarning(Word(report.reason()));
      return kExitRefused;
    }
    terminal_.ShowReport(*report);
    const int status = report->folders.empty() ? kExitFellShort : kExitDone;
    return Finish(*report, status, kExitRefused, find.report, signals, terminal_);
  }

  int operator()(const ExportCommand& job) const {
    return RunWithoutWindow(job.report, terminal_, [&](const StopFlag* stop) {
      return RunExportJob({.format = job.format,
                           .inputs = {job.input},
                           .outputFolder = job.outputFolder,
                           .words = ExportWordsInUse(),
                           .stop = stop},
                          terminal_);
    });
  }

  int operator()(const GatherCommand& job) const {
    // One user's histories at a time: two accounts' copies of one contact would come out as
    // one conversation of one person.
    if (!job.anyAccount) {
      if (const std::vector<FolderAccount> mixed = MixedAccounts(job.inputs); !mixed.empty()) {
        terminal_.ShowUsageError(MixedAccountsText(mixed));
        return kExitRefused;
      }
    }
    return RunWithoutWindow(job.report, terminal_, [&](const StopFlag* stop) {
      return RunGatherJob({.inputs = job.inputs,
                           .output = job.output,
                           .dryRun = job.dryRun,
                           .findEchoes = job.findEchoes,
                           .stop = stop},
                          terminal_);
    });
  }

  // The merge without a window stores the settings it ran with, as the dialog does.
  int operator()(const MergeCommand& job) const {
    return RunWithoutWindow(job.report, terminal_, [&](const StopFlag* stop) {
      JobResult result = RunMergeJob({.options = JobOptionsOf(settings_),
                                      .dryRun = job.dryRun,
                                      .stop = stop,
                                      .mergeUnchanged = job.mergeUnchanged,
                                      .rescue = job.rescue},
                                     profile_, terminal_);
      SaveSettingsOfRun(settings_, result, profile_);
      return result;
    });
  }

 private:
  const MergeSettings& settings_;
  ProfileStore& profile_;
  TerminalFace& terminal_;
  WindowFace* windows_;
  FrontEnd& user_;
  bool longForms_;
};

}  // namespace

ProfileAccess ProfileAccessFor(Command command, const std::filesystem::path& profileFile) {
  // The defaults are what a profile that does not exist yet holds; an existing one is never
  // created, whatever it holds.
  std::error_code error;
  if (!std::filesystem::exists(profileFile, error)) {
    CheckStoredPaths(command, command.settings.Over({}));
  }
  const auto* merge = std::get_if<MergeCommand>(&command.work);
  const bool writes =
      std::holds_alternative<DialogCommand>(command.work) || (merge != nullptr && !merge->dryRun);
  return writes ? ProfileAccess::ReadWrite : ProfileAccess::ReadOnly;
}

int StartUp(Command command, ProfileStore& profile, TerminalFace& terminal, WindowFace* windows) {
  MergeSettings settings;
  LoadSettings(profile, settings);
  settings = command.settings.Over(settings);
  // Long switches are the terminal's way: their answers never open a window.
  FrontEnd& user = command.onTerminal || windows == nullptr ? static_cast<FrontEnd&>(terminal)
                                                            : static_cast<FrontEnd&>(*windows);
  if (const Result<> problem = profile.TakeProblem(); !problem) {
    user.ShowWarning(Word(problem.reason()));
  }
  CheckStoredPaths(command, settings);
  return std::visit(Work(settings, profile, terminal, windows, user, command.longForms),
                    command.work);
}

}  // namespace palvarin
