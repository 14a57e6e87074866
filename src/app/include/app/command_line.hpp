#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "app/settings_overlay.hpp"
#include "export/export_format.hpp"
#include "state/merge_settings.hpp"

namespace palvarin {

// Why a command line cannot be used, for the terminal's one-line answer.
struct UsageProblem {
  enum class Kind {
    UnknownSwitch,       // `argument` is no switch
    MissingValue,        // the value switch `argument` came last
    UnexpectedValue,     // "--files=x": `argument` takes no value
    UnexpectedArgument,  // `argument` is no switch and no switch's value (a bare path)
    MissingPaths,        // a run without a window lacks a path it needs
    NeedsNoWindow,       // `argument` shapes a run without a window, which was not asked for
    BadNumber,           // the switch `argument` wants a whole number from 0 to 100, not `value`
    EmptySearch,         // "--search" was given no word to search for
    SearchWithoutPath,   // "--search" without "--first"
    NotWithSearch,       // `argument` shapes a merge, not a search
    BadFormat,           // "--export" takes html, text or jsonl, not `value`
    MissingExportPaths,  // an export lacks --first or --output
    NotWithRead,         // `argument` shapes a job, and "--read" opens the reader instead
    NotWithFind,         // `argument` shapes a job or a search, not "--find"
    NeedsFind,           // `argument` only shapes "--find", which was not given
    MissingGatherPaths,  // "--gather" with fewer than two "--input" or without "--output"
    InputWithoutGather,  // "--input" names a copy for "--gather", which was not asked for
    NeedsGather,         // `argument` only shapes "--gather", which was not given
  };
  Kind kind;
  std::string argument;
  std::string value;
};

// How a run without a window reports: "--quiet" says nothing but failures, "--report FILE"
// writes the report as JSON (no file when empty).
struct ReportSwitches {
  bool quiet = false;
  std::string file;
};

// The main dialog, on the profile's settings under the switches.
struct DialogCommand {};

// A merge without a window ("/n"), on the profile's settings under the switches.
struct MergeCommand {
  bool dryRun = false;          // "--dry-run", "/dry": merge in memory, write nothing
  bool mergeUnchanged = false;  // "--merge-unchanged", "/mu": no unchanged skip for this job
  bool rescue = false;          // "--rescue", "/r": merge what a history that breaks off holds
  ReportSwitches report;
};

// "--export=FORMAT": the histories of "--first" into the folder "--output".
struct ExportCommand {
  ExportFormat format = ExportFormat::Html;
  std::string input;
  std::string outputFolder;
  ReportSwitches report;
};

// "--gather": the copies of "--input" (given twice or more) into "--output".
struct GatherCommand {
  std::vector<std::string> inputs;
  std::string output;
  bool dryRun = false;
  bool findEchoes = true;   // as "--keep-echoes" or "--find-echoes" left it, else the default
  bool anyAccount = false;  // "--any-account": copies of different accounts are taken
  ReportSwitches report;
};

// "--search QUERY": the messages of the history or folder of "--first" that hold its words.
struct SearchCommand {
  std::string query;
  std::string path;
};

// "--find=ROOT": the folders under ROOT that hold histories.
struct FindCommand {
  std::string root;
  bool crossDevices = false;  // "--cross-devices": onto other file systems too
  ReportSwitches report;
};

// "--read[=PATH]": the reader window on a history file or a folder of them; on none when PATH
// is empty.
struct ReadCommand {
  std::string path;
};

// "--help", "/h": the help, in a window or on the terminal.
struct HelpCommand {};
// "--version": the version and licence on the terminal.
struct VersionCommand {};

// A command line that cannot be used: an unknown argument, a value switch without its value, or
// a run of the wrong shape.
struct UsageError {
  UsageProblem problem;
};

// What one start of the program does, read once from its arguments.
struct Command {
  std::variant<DialogCommand, MergeCommand, ExportCommand, GatherCommand, SearchCommand,
               FindCommand, ReadCommand, HelpCommand, VersionCommand, UsageError>
      work;
  // The switches that change the settings, for the dialog and a merge to lay over the
  // profile's.
  SettingsOverlay settings;
  // Answered on the terminal even where a window could be shown: a run without a window, a
  // search, a walk, and the help, version and usage errors of long switches.
  bool onTerminal = false;
  // A long switch ("--files") was given: the user speaks the GNU way, so a usage error is
  // answered in one line on the terminal.
  bool longForms = false;
  // "/n" for a merge: the paths it needs may come from the profile, so whether it has them is
  // known only once the settings are loaded (CheckStoredPaths). Also with the help or the
  // version, which such a line is refused before.
  bool mergesWithoutWindow = false;
};

// Reads the arguments (without the program path) left to right and checks the shape of the run
// they ask for. Switches compare case-insensitively; a value switch takes the next argument
// verbatim, whatever it looks like; a long one also takes "--name=value". The first problem
// found makes the command a UsageError: a problem of the switches themselves before one of the
// run's shape (a path it needs missing from the command line, a switch of another kind of run).
Command ParseCommandLine(const std::vector<std::string>& arguments);

// Makes `command` a UsageError when it merges without a window and `settings`, the profile's
// under the switches, leave out a path the merge needs.
void CheckStoredPaths(Command& command, const MergeSettings& settings);

// What "--version" prints: the program and its version, then its licence.
std::string VersionText();

// Every long switch, without "--", as the parser knows them.
std::vector<std::string_view> LongSwitchNames();

}  // namespace palvarin
