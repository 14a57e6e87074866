#include "app/command_line.hpp"

#include "app/job_settings.hpp"
#include "search/search_query.hpp"
#include "switches.hpp"

namespace palvarin {

std::string VersionText() {
  return "palvarin " PALVARIN_VERSION
         "\n"
         "License GPL-3.0-or-later: <https://www.gnu.org/licenses/gpl-3.0.html>\n";
}

namespace {

// The first switch given that shapes a headless merge job and its report; null when none is.
const char* JobShapingSwitch(const Switches& line) {
  if (line.dryRun) return "--dry-run";
  if (line.quiet) return "--quiet";
  if (!line.reportFile.empty()) return "--report";
  if (line.mergeUnchanged) return "--merge-unchanged";
  if (line.rescue) return "--rescue";
  return nullptr;
}

// A search reads the first input only, and never the one the profile remembers.
void CheckSearchShape(Switches& line) {
  if (QueryWords(*line.search).empty()) Refuse(line, UsageProblem::Kind::EmptySearch, {});
  if (!line.settings.Path1) Refuse(line, UsageProblem::Kind::SearchWithoutPath, {});
  if (const char* shaping = JobShapingSwitch(line)) {
    Refuse(line, UsageProblem::Kind::NotWithSearch, shaping);
  }
  if (line.exportFormat) Refuse(line, UsageProblem::Kind::NotWithSearch, "--export");
  if (line.gather) Refuse(line, UsageProblem::Kind::NotWithSearch, "--gather");
}

// The reader only reads the path it is given: it runs no job and no search.
void CheckReadShape(Switches& line) {
  const char* other = JobShapingSwitch(line);
  if (line.headless) other = line.exportFormat ? "--export" : "--no-window";
  if (line.search) other = "--search";
  if (line.gather) other = "--gather";
  if (other != nullptr) Refuse(line, UsageProblem::Kind::NotWithRead, other);
}

// A walk for histories only reads, and only the root it is given; it reports as a job does.
void CheckFindShape(Switches& line) {
  const char* other = nullptr;
  if (line.dryRun) other = "--dry-run";
  if (line.mergeUnchanged) other = "--merge-unchanged";
  if (line.settings.Path1) other = "--first";
  if (line.exportFormat) other = "--export";
  if (line.search) other = "--search";
  if (line.read) other = "--read";
  if (line.gather) other = "--gather";
  if (other != nullptr) Refuse(line, UsageProblem::Kind::NotWithFind, other);
}

// Everything but the paths a merge without a window may take from the profile.
void CheckRunShape(Switches& line) {
  if (line.find) return CheckFindShape(line);
  if (line.crossDevices) Refuse(line, UsageProblem::Kind::NeedsFind, "--cross-devices");
  if (line.read) return CheckReadShape(line);
  if (line.search) return CheckSearchShape(line);
  if (!line.inputs.empty() && !line.gather) {
    Refuse(line, UsageProblem::Kind::InputWithoutGather, "--input");
  }
  if (line.anyAccount && !line.gather)
    Refuse(line, UsageProblem::Kind::NeedsGather, "--any-account");
  // An export and a gather take their paths from the command line alone, never from the
  // profile.
  const MergeSettings given = line.settings.Over({});
  if (line.gather) {
    if (line.inputs.size() < 2 || given.PathSave.empty()) {
      Refuse(line, UsageProblem::Kind::MissingGatherPaths, "--gather");
    }
  } else if (line.exportFormat) {
    if (given.Path1.empty() || given.PathSave.empty()) {
      Refuse(line, UsageProblem::Kind::MissingExportPaths, "--export");
    }
  }
  // These shape a headless job and its report; the dialog has no use for them.
  if (const char* shaping = JobShapingSwitch(line); shaping != nullptr && !line.headless) {
    Refuse(line, UsageProblem::Kind::NeedsNoWindow, shaping);
  }
}

// The one thing a line asks for: a usage error before the version before the help before
// anything else.
decltype(Command::work) WorkOf(const Switches& line) {
  if (line.problem) return UsageError{*line.problem};
  const ReportSwitches report{.quiet = line.quiet, .file = line.reportFile};
  const MergeSettings given = line.settings.Over({});
  if (line.version) return VersionCommand{};
  if (line.help) return HelpCommand{};
  if (line.find) {
    return FindCommand{.root = *line.find, .crossDevices = line.crossDevices, .report = report};
  }
  if (line.read) return ReadCommand{*line.read};
  if (line.search) return SearchCommand{.query = *line.search, .path = given.Path1};
  if (!line.headless) return DialogCommand{};
  if (line.exportFormat) {
    return ExportCommand{.format = *line.exportFormat,
                         .input = given.Path1,
                         .outputFolder = given.PathSave,
                         .report = report};
  }
  if (line.gather) {
    return GatherCommand{.inputs = line.inputs,
                         .output = given.PathSave,
                         .dryRun = line.dryRun,
                         .findEchoes = given.FindEchoes,
                         .anyAccount = line.anyAccount,
                         .report = report};
  }
  return MergeCommand{.dryRun = line.dryRun,
                      .mergeUnchanged = line.mergeUnchanged,
                      .rescue = line.rescue,
                      .report = report};
}

}  // namespace

Command ParseCommandLine(const std::vector<std::string>& arguments) {
  Switches line = ReadSwitches(arguments);
  // Which face answers is settled by the switches alone, before the run's shape is checked.
  const bool onTerminal =
      line.headless || line.search || line.find ||
      (line.longForms && (line.Refused() || line.helpOnTerminal || line.version));
  const bool mergesWithoutWindow = line.headless && !line.find && !line.read && !line.search &&
                                   !line.exportFormat && !line.gather;
  CheckRunShape(line);
  return {.work = WorkOf(line),
          .settings = line.settings,
          .onTerminal = onTerminal,
          .longForms = line.longForms,
          .mergesWithoutWindow = mergesWithoutWindow};
}

void CheckStoredPaths(Command& command, const MergeSettings& settings) {
  if (!command.mergesWithoutWindow || std::holds_alternative<UsageError>(command.work)) return;
  if (!HasRequiredPaths(JobOptionsOf(settings))) {
    command.work = UsageError{{UsageProblem::Kind::MissingPaths, {}, {}}};
  }
}

}  // namespace palvarin
